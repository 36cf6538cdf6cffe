#include "billing/ui/repeat_form.h"

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

TRepeatForm::TRepeatForm(WizardServices services, QWidget* parent) : QDialog(parent), services_(services) {
  setObjectName("TRepeatForm");
  setWindowTitle(ToQString(kRepeatSetupCaption));
  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  Label1 = label("Label1", "");
  InvoiceDate = label("InvoiceDate", "Invoice Date:");
  Label2 = label("Label2", "");
  Label3 = label("Label3", "");
  Label4 = label("Label4", "How often do I create this invoice?");
  Label5 = label("Label5", "Every:");
  NumDays = new QLineEdit(this);
  NumDays->setObjectName("NumDays");
  NumDays->setMaxLength(3);
  common::ui::ShowWholeText(NumDays, 4);
  RBMonths = new QRadioButton("Month(s)", this);
  RBMonths->setObjectName("RBMonths");
  RBDays = new QRadioButton("Days", this);
  RBDays->setObjectName("RBDays");
  Label7 = label("Label7", "Next Scheduled Creation Date:");
  EndDate = new QLineEdit(this);
  EndDate->setObjectName("EndDate");
  EndDate->setMaxLength(10);
  common::ui::ShowWholeText(EndDate, 11);
  Cal2button = common::ui::PushButton(this, "Cal2button", "...");
  Cal2button->setToolTip("Calendar");
  Panel2 = new QFrame(this);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameShape(QFrame::StyledPanel);
  CheckBox1 = new QCheckBox("Generate Invoices from this master record", Panel2);
  CheckBox1->setObjectName("CheckBox1");
  (new QVBoxLayout(Panel2))->addWidget(CheckBox1);
  Label8 = label("Label8", "");
  OKButton = common::ui::PushButton(this, "OKButton", "OK");
  OKButton->setDefault(true);
  CancelButton = common::ui::PushButton(this, "CancelButton", "&Cancel");
  HelpButton = common::ui::PushButton(this, "HelpButton", "Help");

  auto* date = new QHBoxLayout;
  date->addWidget(InvoiceDate);
  date->addWidget(Label2);
  date->addStretch();
  auto* every = new QHBoxLayout;
  every->addWidget(Label5);
  every->addWidget(NumDays);
  every->addWidget(RBMonths);
  every->addWidget(RBDays);
  every->addStretch();
  auto* next = new QHBoxLayout;
  next->addWidget(Label7);
  next->addWidget(EndDate);
  next->addWidget(Cal2button);
  next->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addLayout(date);
  layout->addWidget(Label3);
  layout->addWidget(Label4);
  layout->addLayout(every);
  layout->addLayout(next);
  layout->addWidget(Panel2);
  layout->addWidget(Label8);
  layout->addLayout(common::ui::ButtonRow({OKButton, CancelButton, HelpButton}));

  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
  connect(Cal2button, &QPushButton::clicked, this, [this] { Cal2buttonClick(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, [this] {
    if (ShowHelp) ShowHelp(kRepeatSetupHelpTopic);
  });
}

TRepeatForm::~TRepeatForm() = default;

browse::Outcome TRepeatForm::Run(const invoicing::RepeatSetupRequest& request) {
  setup_ = RepeatSetup::Begin(request.record, services_.book.Current(), services_.prompter);
  if (!setup_) return browse::Outcome::Nothing();
  request_ = &request;
  saveFailure_.clear();
  ShowModel();
  NumDays->setFocus();
  const int result = exec();
  request_ = nullptr;
  if (!saveFailure_.empty()) return browse::Outcome::Failed(saveFailure_, kRepeatSetupCaption);
  return result == QDialog::Accepted ? browse::Outcome::Done() : browse::Outcome::Nothing();
}

void TRepeatForm::ShowModel() {
  const RepeatSetup& s = *setup_;
  Label1->setText(ToQString(s.Label1()));
  Label2->setText(ToQString(s.Label2()));
  Label3->setText(ToQString(s.Label3()));
  NumDays->setText(ToQString(s.numDays));
  (s.months ? RBMonths : RBDays)->setChecked(true);
  EndDate->setText(ToQString(s.endDate));
  CheckBox1->setChecked(s.generate);
  CheckBox1->setEnabled(s.CheckBoxEnabled());
  Panel2->setVisible(s.Panel2Visible());
  Label8->setText(ToQString(s.Label8()));
  NumDays->setEnabled(s.NumDaysEnabled());
  OKButton->setEnabled(s.NumDaysEnabled());
}

void TRepeatForm::Collect() {
  setup_->numDays = FromQString(NumDays->text());
  setup_->months = RBMonths->isChecked();
  setup_->endDate = FromQString(EndDate->text());
  setup_->generate = CheckBox1->isChecked();
}

void TRepeatForm::CheckBox1Click() {
  Collect();
  ShowModel();
  if (setup_->generate) NumDays->setFocus();
}

void TRepeatForm::Cal2buttonClick() {
  if (!ChooseDate) return;
  const common::DateFormat format =
      common::DateFormatFromCode(common::ReadText(services_.book.Current(), records::company::kDateFormat));
  const std::string typed = FromQString(EndDate->text());
  const auto date = typed.size() == 10 ? common::ParseDate(typed, format) : std::nullopt;
  if (const auto chosen = ChooseDate(date.value_or(services_.clock.Today()), format, EndDate))
    EndDate->setText(ToQString(*chosen));
}

void TRepeatForm::OKButtonClick() {
  Collect();
  if (const auto field = setup_->Check(services_.prompter)) {
    (*field == RepeatSetup::Field::NumDays ? NumDays : EndDate)->setFocus();
    return;
  }
  const std::string failure = SaveRepeatSetup({request_->invoices, request_->lines, request_->ref}, *setup_,
                                              services_.book, services_.prompter, services_.status,
                                              services_.clock.Today());
  if (!failure.empty()) {
    saveFailure_ = failure;
    reject();
    return;
  }
  accept();
}

}  // namespace tf::billing::ui
