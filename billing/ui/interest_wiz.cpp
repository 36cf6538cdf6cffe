#include "billing/ui/interest_wiz.h"


#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "billing/interest_report.h"

#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/ui/command_widgets.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_text.h"
#include "records/company_record.h"

namespace tf::billing::ui {

using common::ui::FromQString;
using common::ui::ToQString;

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(maxLength);
  return e;
}

}  // namespace

TInterestWiz::TInterestWiz(WizardServices services, QWidget* parent)
    : QDialog(parent), model_(services), services_(services) {
  setObjectName("TInterestWiz");
  setWindowTitle(ToQString(kInterestWizardCaption));
  AgeGroup = new QGroupBox(" Calculate for Accounts Over ", this);
  AgeGroup->setObjectName("AgeGroup");
  days30 = new QRadioButton(AgeGroup);
  days30->setObjectName("days30");
  days60 = new QRadioButton(AgeGroup);
  days60->setObjectName("days60");
  days90 = new QRadioButton(AgeGroup);
  days90->setObjectName("days90");
  auto* ages = new QVBoxLayout(AgeGroup);
  for (QRadioButton* b : {days30, days60, days90}) ages->addWidget(b);

  IPct = Edit(this, "IPct", 5);
  MinChg = Edit(this, "MinChg", 5);
  FlatCB = new QCheckBox("Use Flat Fee for Charges", this);
  FlatCB->setObjectName("FlatCB");
  FlatRate = Edit(this, "FlatRate", 9);
  IntOnInt = new QCheckBox("Charge interest on open interest invoices", this);
  IntOnInt->setObjectName("IntOnInt");
  IPrin = new QCheckBox("Mark Invoices as Printed", this);
  IPrin->setObjectName("IPrin");
  IDate = Edit(this, "IDate", 10);
  Calbutton = common::ui::PushButton(this, "Calbutton", "...");
  Calbutton->setToolTip("Calendar");
  InvComm = Edit(this, "InvComm", 80);
  StmntNote = Edit(this, "StmntNote", 35);
  ITerms = new QComboBox(this);
  ITerms->setObjectName("ITerms");
  ITerms->setEditable(true);
  ITerms->lineEdit()->setMaxLength(35);
  LastRun = new QLabel(this);
  LastRun->setObjectName("LastRun");
  Label3 = new QLabel(this);
  Label3->setObjectName("Label3");
  CustGrid = new QTableWidget(this);
  CustGrid->setObjectName("CustGrid");
  CustGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CustGrid->verticalHeader()->hide();
  CustGrid->setMinimumHeight(220);
  Button1 = common::ui::PushButton(this, "Button1", "Scan File");
  GenInv = common::ui::PushButton(this, "GenInv", "Generate Invoices");
  CanButn = common::ui::PushButton(this, "CanButn", "&Cancel");
  Button2 = common::ui::PushButton(this, "Button2", "Help");

  auto* rates = new QFormLayout;
  rates->addRow("Monthly Percentage Rate:", IPct);
  rates->addRow("Minimum Interest Charge:", MinChg);
  rates->addRow(FlatCB);
  rates->addRow("Flat Rate:", FlatRate);
  rates->addRow(new QLabel("(flat fee overrides above settings)", this));
  rates->addRow(IntOnInt);
  auto* top = new QHBoxLayout;
  top->addWidget(AgeGroup);
  top->addLayout(rates);
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(IDate);
  dateRow->addWidget(Calbutton);
  auto* invoice = new QFormLayout;
  invoice->addRow("Invoice Date:", dateRow);
  invoice->addRow("Invoice Comments/Reference:", InvComm);
  invoice->addRow("Statement Note:", StmntNote);
  invoice->addRow("Payment Terms:", ITerms);
  invoice->addRow(IPrin);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(LastRun);
  layout->addWidget(CustGrid, 1);
  layout->addLayout(invoice);
  layout->addWidget(Label3);
  layout->addLayout(common::ui::ButtonRow({Button1, GenInv, CanButn, Button2}));
  resize(760, 640);

  connect(days30, &QRadioButton::clicked, this, [this] { AgeClick(0); });
  connect(days60, &QRadioButton::clicked, this, [this] { AgeClick(1); });
  connect(days90, &QRadioButton::clicked, this, [this] { AgeClick(2); });
  // A change of what the charges are computed from: the list must be scanned again.
  const auto changed = [this] {
    if (showing_) return;
    Collect();
    model_.OptionChanged();
    Button1->setEnabled(model_.ScanEnabled());
  };
  connect(IPct, &QLineEdit::textEdited, this, changed);
  connect(MinChg, &QLineEdit::textEdited, this, changed);
  connect(IntOnInt, &QCheckBox::clicked, this, changed);
  connect(FlatCB, &QCheckBox::clicked, this, [this] { FlatCBClick(); });
  connect(FlatRate, &QLineEdit::textEdited, this, [this](const QString& t) { FlatRateChange(t); });
  connect(Calbutton, &QPushButton::clicked, this, [this] { CalbuttonClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(GenInv, &QPushButton::clicked, this, [this] { GenInvClick(); });
  connect(CanButn, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button2, &QPushButton::clicked, this, [this] {
    if (ShowHelp) ShowHelp(kInterestHelpTopic);
  });
}

TInterestWiz::~TInterestWiz() = default;

bool TInterestWiz::Run() {
  model_.Show();
  ITerms->clear();
  if (LoadTerms)
    for (const std::string& t : LoadTerms()) ITerms->addItem(ToQString(t));
  const auto captions = model_.AgeCaptions();
  days30->setText(ToQString(captions[0]));
  days60->setText(ToQString(captions[1]));
  days90->setText(ToQString(captions[2]));
  common::ui::ApplyFontSpec(*CustGrid, common::ReadFontSpec(services_.book.Current(), records::company::kEditorFont),
                            QPalette::Text);
  ShowModel();
  // Before a scan the fields are the company's; the focus starts on the rate.
  IPct->setFocus();
  const int result = exec();
  return result == QDialog::Accepted;
}

void TInterestWiz::ShowModel() {
  showing_ = true;
  const InterestOptions& o = model_.options;
  QRadioButton* ages[3] = {days30, days60, days90};
  ages[std::clamp(o.ageOption, 0, 2)]->setChecked(true);
  IPct->setText(ToQString(o.percent));
  MinChg->setText(ToQString(o.minimum));
  FlatCB->setChecked(o.flatFee);
  FlatRate->setText(ToQString(o.flatRate));
  FlatRate->setEnabled(o.flatFee);
  IPct->setEnabled(!o.flatFee);
  MinChg->setEnabled(!o.flatFee);
  IntOnInt->setChecked(o.interestOnInterest);
  IPrin->setChecked(o.markPrinted);
  IDate->setText(ToQString(o.invoiceDate));
  InvComm->setText(ToQString(o.comments));
  StmntNote->setText(ToQString(o.statementNote));
  ITerms->setCurrentText(ToQString(o.terms));
  LastRun->setText(ToQString(model_.LastRunText()));
  Label3->setText(ToQString(model_.Status()));
  Button1->setEnabled(model_.ScanEnabled());
  GenInv->setEnabled(model_.GenerateEnabled());

  const auto grid = model_.Grid();
  CustGrid->clear();
  CustGrid->setColumnCount(int(grid.front().size()));
  CustGrid->setRowCount(int(grid.size()) - 1);
  QStringList headings;
  for (const std::string& h : grid.front()) headings << ToQString(h);
  CustGrid->setHorizontalHeaderLabels(headings);
  for (std::size_t r = 1; r < grid.size(); ++r)
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      auto* item = new QTableWidgetItem(ToQString(grid[r][c]));
      // Amounts all carry two decimals: right-aligned, their points stand in one column.
      if (c >= 2 && grid[r][c].find('.') != std::string::npos)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      CustGrid->setItem(int(r) - 1, int(c), item);
    }
  const QFontMetrics metrics(CustGrid->font());
  CustGrid->setColumnWidth(0, metrics.horizontalAdvance(QString(34, 'X')));
  CustGrid->setColumnWidth(1, metrics.horizontalAdvance(QString(13, 'X')));
  CustGrid->setColumnWidth(2, metrics.horizontalAdvance(QString(13, 'X')));
  CustGrid->horizontalHeader()->setStretchLastSection(true);
  showing_ = false;
}

void TInterestWiz::Collect() {
  InterestOptions& o = model_.options;
  o.ageOption = days60->isChecked() ? 1 : days90->isChecked() ? 2 : 0;
  o.percent = FromQString(IPct->text());
  o.minimum = FromQString(MinChg->text());
  o.flatFee = FlatCB->isChecked();
  o.flatRate = FromQString(FlatRate->text());
  o.interestOnInterest = IntOnInt->isChecked();
  o.markPrinted = IPrin->isChecked();
  o.invoiceDate = FromQString(IDate->text());
  o.comments = FromQString(InvComm->text());
  o.statementNote = FromQString(StmntNote->text());
  o.terms = FromQString(ITerms->currentText());
}

void TInterestWiz::Focus(InterestWizard::Focus focus) {
  switch (focus) {
    case InterestWizard::Focus::FlatRate: FlatRate->setFocus(); break;
    case InterestWizard::Focus::IPct: IPct->setFocus(); break;
    case InterestWizard::Focus::MinChg: MinChg->setFocus(); break;
    case InterestWizard::Focus::IDate: IDate->setFocus(); break;
    case InterestWizard::Focus::None: break;
  }
}

void TInterestWiz::AgeClick(int option) {
  Collect();
  model_.options.ageOption = option;
  model_.OptionChanged();
  ShowModel();
}

void TInterestWiz::FlatCBClick() {
  Collect();
  model_.OptionChanged();
  ShowModel();
  (FlatCB->isChecked() ? FlatRate : IPct)->setFocus();
}

void TInterestWiz::FlatRateChange(const QString& text) {
  if (showing_) return;
  Collect();
  if (!model_.FlatRateTyped(FromQString(text))) {
    FlatRate->setFocus();
    return;
  }
  Button1->setEnabled(model_.ScanEnabled());
}

void TInterestWiz::CalbuttonClick() {
  if (!ChooseDate) return;
  const common::DateFormat format =
      common::DateFormatFromCode(common::ReadText(services_.book.Current(), records::company::kDateFormat));
  const std::string typed = FromQString(IDate->text());
  const auto date = typed.size() == 10 ? common::ParseDate(typed, format) : std::nullopt;
  if (const auto chosen = ChooseDate(date.value_or(services_.clock.Today()), format, IDate))
    IDate->setText(ToQString(*chosen));
}

void TInterestWiz::Button1Click() {
  Collect();
  const auto focus = model_.Scan();
  ShowModel();
  Focus(focus);
}

void TInterestWiz::GenInvClick() {
  Collect();
  InterestWizard::Focus focus = InterestWizard::Focus::None;
  const bool created = model_.Generate(focus);
  ShowModel();
  if (!created) {
    Focus(focus);
    return;
  }
  accept();
  if (!model_.AskForReport() || !ChoosePrinter) return;
  const auto canvas = ChoosePrinter();
  if (!canvas) return;
  if (model_.PrintReport(*canvas)) {
    if (SetMainStatus) SetMainStatus(kInterestReportSent);
  } else {
    services_.prompter.Inform(common::kPrintingFailedText, kInterestWizardCaption);
  }
}

}  // namespace tf::billing::ui
