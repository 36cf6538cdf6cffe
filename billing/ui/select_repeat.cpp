#include "billing/ui/select_repeat.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/record_fields.h"
#include "common/ui/command_widgets.h"
#include "common/ui/qt_text.h"
#include "records/company_record.h"

namespace tf::billing::ui {

using common::ui::FromQString;
using common::ui::ToQString;

TSelectRepeat::TSelectRepeat(WizardServices services, QWidget* parent)
    : QDialog(parent), model_(services), services_(services) {
  setObjectName("TSelectRepeat");
  setWindowTitle(ToQString(kRepeatWizardCaption));
  auto edit = [this](const char* name, int maxLength) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
  };
  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  EndDate = edit("EndDate", 10);
  Calbutton = common::ui::PushButton(this, "Calbutton", "...");
  Calbutton->setToolTip("Calendar");
  SearchBtn = common::ui::PushButton(this, "SearchBtn", "&Search");
  Label4 = label("Label4", "Master#");
  Label5 = label("Label5", "Short Name");
  Label6 = label("Label6", "Invoice Total");
  Label7 = label("Label7", "Next Due");
  Label8 = label("Label8", "Customer#");
  Label9 = label("Label9", "Created");
  RichEdit1 = new QPlainTextEdit(this);
  RichEdit1->setObjectName("RichEdit1");
  RichEdit1->setReadOnly(true);
  RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEdit1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Label3 = label("Label3", "");
  InvComm = edit("InvComm", 80);
  NewInvDate = edit("NewInvDate", 10);
  CalButton2 = common::ui::PushButton(this, "CalButton2", "...");
  CalButton2->setToolTip("Calendar");
  CreateBtn = common::ui::PushButton(this, "CreateBtn", "Create In&voices");
  ExitButn = common::ui::PushButton(this, "ExitButn", "&Cancel");
  HelpBtn = common::ui::PushButton(this, "HelpBtn", "Help");
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 100);

  auto* search = new QHBoxLayout;
  search->addWidget(new QLabel("Search for invoices due to be created through this date:", this));
  search->addWidget(EndDate);
  search->addWidget(Calbutton);
  search->addWidget(SearchBtn);
  // The headings stand over the list's fixed columns.
  auto* headings = new QHBoxLayout;
  const QFontMetrics fixed(RichEdit1->font());
  // The list's columns: number 9, short name 10, total 12, next due 10, customer 9, count 5,
  // each followed by a blank; the list's text starts after its frame and margin.
  headings->setContentsMargins(int(RichEdit1->document()->documentMargin()) + RichEdit1->frameWidth(), 0, 0, 0);
  headings->setSpacing(0);
  const int columns[6] = {10, 11, 13, 11, 10, 8};
  QLabel* heads[6] = {Label4, Label5, Label6, Label7, Label8, Label9};
  for (int k = 0; k < 6; ++k) {
    heads[k]->setFixedWidth(fixed.horizontalAdvance(QString(columns[k], 'X')));
    headings->addWidget(heads[k]);
  }
  headings->addStretch();
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(NewInvDate);
  dateRow->addWidget(CalButton2);
  dateRow->addStretch();
  auto* fields = new QFormLayout;
  fields->addRow("Billing Reference/Comments:", InvComm);
  fields->addRow("Invoice Date:", dateRow);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(search);
  layout->addLayout(headings);
  layout->addWidget(RichEdit1, 1);
  layout->addWidget(Label3);
  layout->addLayout(fields);
  layout->addWidget(ProgressBar1);
  layout->addLayout(common::ui::ButtonRow({CreateBtn, ExitButn, HelpBtn}));
  resize(760, 520);

  connect(Calbutton, &QPushButton::clicked, this, [this] { Calendar(EndDate); });
  connect(CalButton2, &QPushButton::clicked, this, [this] { Calendar(NewInvDate); });
  connect(SearchBtn, &QPushButton::clicked, this, [this] { SearchBtnClick(); });
  connect(CreateBtn, &QPushButton::clicked, this, [this] { CreateBtnClick(); });
  connect(ExitButn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] {
    if (ShowHelp) ShowHelp(kRepeatWizardHelpTopic);
  });
}

TSelectRepeat::~TSelectRepeat() = default;

bool TSelectRepeat::Run() {
  model_.Show();
  ShowModel();
  EndDate->setFocus();
  return exec() == QDialog::Accepted;
}

void TSelectRepeat::ShowModel() {
  EndDate->setText(ToQString(model_.endDate));
  NewInvDate->setText(ToQString(model_.newInvDate));
  InvComm->setText(ToQString(model_.reference));
  QStringList lines;
  for (const std::string& l : model_.ListLines()) lines << ToQString(l);
  RichEdit1->setPlainText(lines.join('\n'));
  Label3->setText(ToQString(model_.Status()));
  CreateBtn->setEnabled(model_.CreateEnabled());
  ProgressBar1->setValue(model_.Progress());
}

void TSelectRepeat::Collect() {
  model_.endDate = FromQString(EndDate->text());
  model_.newInvDate = FromQString(NewInvDate->text());
  model_.reference = FromQString(InvComm->text());
}

void TSelectRepeat::Focus(RepeatWizard::Focus focus) {
  switch (focus) {
    case RepeatWizard::Focus::EndDate: EndDate->setFocus(); break;
    case RepeatWizard::Focus::NewInvDate: NewInvDate->setFocus(); break;
    case RepeatWizard::Focus::InvComm: InvComm->setFocus(); break;
    case RepeatWizard::Focus::ExitButn: ExitButn->setFocus(); break;
    case RepeatWizard::Focus::None: break;
  }
}

void TSelectRepeat::Calendar(QLineEdit* field) {
  if (!ChooseDate) return;
  const common::DateFormat format =
      common::DateFormatFromCode(common::ReadText(services_.book.Current(), records::company::kDateFormat));
  const std::string typed = FromQString(field->text());
  const auto date = typed.size() == 10 ? common::ParseDate(typed, format) : std::nullopt;
  if (const auto chosen = ChooseDate(date.value_or(services_.clock.Today()), format, field))
    field->setText(ToQString(*chosen));
}

void TSelectRepeat::SearchBtnClick() {
  Collect();
  Label3->setText(ToQString(kWorking));
  const auto focus = model_.Search();
  ShowModel();
  Focus(focus);
}

void TSelectRepeat::CreateBtnClick() {
  Collect();
  RepeatWizard::Focus focus = RepeatWizard::Focus::None;
  const bool created = model_.Create(focus);
  ShowModel();
  if (!created) {
    Focus(focus);
    return;
  }
  model_.AnnounceCompletion();
  accept();
}

}  // namespace tf::billing::ui
