#include "payments/ui/pay_box.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/qt_text.h"

namespace tf::payments::ui {
namespace {

using common::ui::FromQString;
using common::ui::ToQString;

QLabel* NamedLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

// A field taking at most `length` characters, wide enough to show them all (at least
// `shown`), and no wider.
QLineEdit* Field(const char* name, std::size_t length, QWidget* parent, int shown = 0) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(int(length));
  common::ui::ShowWholeText(edit, std::max(int(length), shown));
  edit->setMaximumWidth(edit->minimumWidth());
  return edit;
}

QPushButton* Button(const char* name, const char* caption, const char* hint, QWidget* parent) {
  QPushButton* button = common::ui::PushButton(parent, name, caption);
  button->setToolTip(hint);
  return button;
}

QListWidget* NamedList(const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The items are fixed columns.
  list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QString(34, 'X')));
  return list;
}

}  // namespace

TPayBox::TPayBox(PayBoxServices services, QWidget* parent) : QDialog(parent), services_(services) {
  setObjectName("TPayBox");
  setWindowTitle(ToQString(kWizardTitle));

  BitBtn3 = Button("BitBtn3", "&Customer...", "Choose the customer", this);
  PCustName = NamedLabel("PCustName", this);
  PCustNum = NamedLabel("PCustNum", this);
  Sname = NamedLabel("Sname", this);
  PCustPhone = NamedLabel("PCustPhone", this);
  PCustBal = NamedLabel("PCustBal", this);
  PmtDate = Field("PmtDate", 10, this);
  PmtDate->setInputMask("99/99/9999;_");
  Calbutton = Button("Calbutton", "...", "Calendar", this);
  PAmt = Field("PAmt", kAmountLength, this);
  PNotes = Field("PNotes", kNotesLength, this);
  IPostedAmt = NamedLabel("IPostedAmt", this);
  Label16 = NamedLabel("Label16", this);
  Label16->setText(ToQString(kPostHint));
  Label16->setWordWrap(true);
  SrcList = NamedList("SrcList", this);
  DstList = NamedList("DstList", this);
  IncludeBtn = Button("IncludeBtn", ">", "Move one record right", this);
  IncAllBtn = Button("IncAllBtn", ">>", "Move all records right", this);
  ExcludeBtn = Button("ExcludeBtn", "<", "Move one record left", this);
  ExAllBtn = Button("ExAllBtn", "<<", "Move all records left", this);
  PPmtBtn = common::ui::PushButton(this, "PPmtBtn", "Partial Pay&ment");
  AccountDep = common::ui::PushButton(this, "AccountDep", "Add &Deposit on Account");
  OKBtn = common::ui::PushButton(this, "OKBtn", "&Post");
  CancelBtn = common::ui::PushButton(this, "CancelBtn", "&Cancel");
  HelpBtn = common::ui::PushButton(this, "HelpBtn", "Help");
  PPmtDialog = new TPPmtDialog(this);

  auto* customer = new QGridLayout;
  customer->addWidget(BitBtn3, 0, 0, 2, 1);
  int row = 0;
  for (auto [caption, label] : {std::pair{"Customer Name:", PCustName}, {"Customer Number:", PCustNum},
                                {"SN:", Sname}, {"Phone:", PCustPhone}, {"Account Balance:", PCustBal}}) {
    customer->addWidget(new QLabel(caption, this), row % 3, 1 + 2 * (row / 3));
    customer->addWidget(label, row % 3, 2 + 2 * (row / 3));
    ++row;
  }
  Calbutton->setMaximumWidth(Calbutton->fontMetrics().horizontalAdvance("....") + 16);
  auto* payment = new QGridLayout;
  payment->addWidget(new QLabel("Payment Date:", this), 0, 0);
  auto* date = new QHBoxLayout;
  date->addWidget(PmtDate);
  date->addWidget(Calbutton);
  date->addStretch();
  payment->addLayout(date, 0, 1);
  payment->addWidget(new QLabel("Paid Amount:", this), 1, 0);
  payment->addWidget(PAmt, 1, 1);
  payment->addWidget(new QLabel("Statement  Note:", this), 2, 0);
  payment->addWidget(PNotes, 2, 1);
  payment->addWidget(new QLabel("Posted:", this), 1, 2);
  payment->addWidget(IPostedAmt, 1, 3);
  payment->addWidget(Label16, 0, 2, 1, 2);
  payment->setColumnStretch(1, 1);
  payment->setColumnStretch(3, 1);

  auto* moves = new QVBoxLayout;
  moves->addStretch();
  for (QWidget* w : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn}) moves->addWidget(w);
  moves->addStretch();
  auto* src = new QVBoxLayout;
  src->addWidget(new QLabel("Open Invoices / Deposits:", this));
  src->addWidget(SrcList, 1);
  auto* dst = new QVBoxLayout;
  dst->addWidget(new QLabel("Items you are posting as paid:", this));
  dst->addWidget(DstList, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(src, 1);
  lists->addLayout(moves);
  lists->addLayout(dst, 1);

  auto* buttons = new QHBoxLayout;
  for (QWidget* w : {PPmtBtn, AccountDep}) buttons->addWidget(w);
  buttons->addStretch();
  for (QWidget* w : {OKBtn, CancelBtn, HelpBtn}) buttons->addWidget(w);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(customer);
  layout->addLayout(payment);
  layout->addLayout(lists, 1);
  layout->addLayout(buttons);
  resize(760, 480);

  ShowHelp = [](std::string_view) {};
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(Calbutton, &QPushButton::clicked, this, [this] { CalbuttonClick(); });
  connect(PmtDate, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (!showing_ && wizard_) wizard_->SetDate(FromQString(t));
  });
  connect(PAmt, &QLineEdit::textEdited, this, [this](const QString& t) { PAmtChange(t); });
  connect(PAmt, &QLineEdit::editingFinished, this, [this] {
    if (!showing_ && wizard_ && isVisible()) wizard_->FinishAmount();
  });
  connect(PNotes, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (!showing_ && wizard_) wizard_->SetNotes(FromQString(t));
  });
  connect(SrcList, &QListWidget::itemClicked, this, [this] { SrcListClick(); });
  connect(SrcList, &QListWidget::itemDoubleClicked, this, [this] { IncludeBtnClick(); });
  connect(DstList, &QListWidget::itemDoubleClicked, this, [this] { ExcludeBtnClick(); });
  // Enter in a list moves its selected items across, as a double-click does.
  common::ui::OnEnterKey(SrcList, [this] { IncludeBtnClick(); });
  common::ui::OnEnterKey(DstList, [this] { ExcludeBtnClick(); });
  connect(IncludeBtn, &QPushButton::clicked, this, [this] { IncludeBtnClick(); });
  connect(IncAllBtn, &QPushButton::clicked, this, [this] { IncAllBtnClick(); });
  connect(ExcludeBtn, &QPushButton::clicked, this, [this] { ExcludeBtnClick(); });
  connect(ExAllBtn, &QPushButton::clicked, this, [this] { ExAllBtnClick(); });
  connect(PPmtBtn, &QPushButton::clicked, this, [this] { PPmtBtnClick(); });
  connect(AccountDep, &QPushButton::clicked, this, [this] { AccountDepClick(); });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelp(kHelpTopic); });
}

TPayBox::~TPayBox() = default;

bool TPayBox::Run() {
  books_ = std::make_unique<PaymentBooks>(services_.book, services_.prompter, services_.status, services_.clock);
  if (!books_->Open()) {
    services_.prompter.Inform("The customer, invoice or company file could not be opened.", kWizardTitle);
    books_.reset();
    return false;
  }
  PaymentWizard::Services services{
      services_.prompter, services_.clock,
      [this](const std::string& number, std::vector<std::string>& unreadable) {
        return books_->OpenItems(number, wizard_->Company().dateFormat, unreadable);
      },
      [this](const PostRequest& request) { return books_->Post(request); }};
  wizard_ = std::make_unique<PaymentWizard>(services, WizardCompany::FromRecord(services_.book.Current()));
  setWindowTitle(ToQString(wizard_->Caption()));
  ShowModel();
  ShowFocus();
  exec();
  const bool posted = wizard_->HasPosted();
  books_->Close();
  return posted;
}

void TPayBox::ShowList(QListWidget* list, const std::vector<std::string>& texts, std::optional<std::size_t> current) {
  list->clear();
  for (const std::string& t : texts) list->addItem(ToQString(t));
  if (current && *current < texts.size()) list->setCurrentRow(int(*current));
}

void TPayBox::ShowModel() {
  showing_ = true;
  const PaymentWizard& w = *wizard_;
  const auto& c = w.Customer();
  PCustName->setText(c ? ToQString(c->name) : QString());
  PCustNum->setText(c ? ToQString(c->number) : QString());
  Sname->setText(c ? ToQString(c->shortName) : QString());
  PCustPhone->setText(c ? ToQString(c->phone) : QString());
  PCustBal->setText(ToQString(w.CustomerBalanceText()));
  if (FromQString(PmtDate->text()) != w.DateText()) PmtDate->setText(ToQString(w.DateText()));
  if (FromQString(PAmt->text()) != w.AmountText()) PAmt->setText(ToQString(w.AmountText()));
  if (FromQString(PNotes->text()) != w.Notes()) PNotes->setText(ToQString(w.Notes()));
  // Rebuilt whole, keeping the current rows where they still exist.
  const int left = SrcList->currentRow(), right = DstList->currentRow();
  ShowList(SrcList, w.LeftTexts(), left >= 0 ? std::optional(std::size_t(left)) : std::nullopt);
  ShowList(DstList, w.RightTexts(), right >= 0 ? std::optional(std::size_t(right)) : std::nullopt);
  IPostedAmt->setText(ToQString(w.PostedText()));
  IncludeBtn->setEnabled(w.IncludeEnabled());
  IncAllBtn->setEnabled(w.IncludeEnabled());
  ExcludeBtn->setEnabled(w.ExcludeEnabled());
  ExAllBtn->setEnabled(w.ExcludeEnabled());
  PPmtBtn->setEnabled(w.PartialEnabled());
  AccountDep->setEnabled(w.DepositEnabled());
  OKBtn->setEnabled(w.PostEnabled());
  showing_ = false;
}

void TPayBox::ShowFocus() {
  switch (wizard_->Focus()) {
    case WizardFocus::CustomerButton:
      BitBtn3->setFocus();
      break;
    case WizardFocus::PaymentDate:
      PmtDate->setFocus();
      break;
    case WizardFocus::PaidAmount:
      PAmt->setFocus();
      PAmt->end(false);
      break;
    case WizardFocus::Unchanged:
      break;
  }
}

std::vector<std::size_t> TPayBox::Selected(const QListWidget* list) {
  std::vector<std::size_t> rows;
  for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(std::size_t(list->row(item)));
  if (rows.empty() && list->currentRow() >= 0) rows.push_back(std::size_t(list->currentRow()));
  return rows;
}

std::optional<std::size_t> TPayBox::CurrentLeft() const {
  if (SrcList->currentRow() < 0) return std::nullopt;
  return std::size_t(SrcList->currentRow());
}

void TPayBox::BitBtn3Click() {
  if (!PickCustomer) return;
  // The customer manager opens the customer and company files itself while it picks.
  books_->ReleaseShared();
  const auto picked = PickCustomer("", "", books_->Invoices());
  books_->TakeShared();
  if (picked) {
    wizard_->ChooseCustomer(*picked);
    ShowModel();
    ShowFocus();
  }
}

void TPayBox::CalbuttonClick() {
  if (!ChooseDate) return;
  const common::DateFormat format = wizard_->Company().dateFormat;
  const auto shown = common::ParseDate(wizard_->DateText(), format);
  const auto chosen = ChooseDate(shown.value_or(services_.clock.Today()), format, PmtDate);
  if (chosen) {
    wizard_->SetDate(*chosen);
    ShowModel();
    PAmt->setFocus();
  } else {
    PmtDate->setFocus();
  }
}

void TPayBox::PAmtChange(const QString& text) {
  if (showing_ || !wizard_) return;
  wizard_->SetAmount(FromQString(text));
  ShowModel();
  ShowFocus();
}

void TPayBox::SrcListClick() {
  wizard_->SelectLeft(CurrentLeft());
  PPmtBtn->setEnabled(wizard_->PartialEnabled());
}

void TPayBox::IncludeBtnClick() {
  const auto select = wizard_->Include(Selected(SrcList));
  ShowModel();
  ShowFocus();
  if (select) SrcList->setCurrentRow(int(*select));
}

void TPayBox::IncAllBtnClick() {
  wizard_->IncludeAll();
  ShowModel();
  ShowFocus();
}

void TPayBox::ExcludeBtnClick() {
  const auto select = wizard_->Exclude(Selected(DstList));
  ShowModel();
  ShowFocus();
  if (select) DstList->setCurrentRow(int(*select));
}

void TPayBox::ExAllBtnClick() {
  wizard_->ExcludeAll();
  ShowModel();
  ShowFocus();
}

void TPayBox::PPmtBtnClick() {
  const auto index = CurrentLeft();
  const auto dialog = wizard_->BeginPartial(index);
  if (!dialog) {
    QApplication::beep();
    ShowModel();
    return;
  }
  PPmtDialog->Ask(*dialog, [this, index](std::string_view amount) { return wizard_->AcceptPartial(*index, amount); });
  ShowModel();
}

void TPayBox::AccountDepClick() {
  PPmtDialog->Ask(wizard_->BeginDeposit(), [this](std::string_view amount) { return wizard_->AcceptDeposit(amount); });
  ShowModel();
}

void TPayBox::OKBtnClick() {
  const PostOutcome outcome = wizard_->Post();
  ShowModel();
  // A post that wrote anything closes the wizard: the same items cannot be paid twice.
  if (outcome.posted)
    accept();
  else
    ShowFocus();
}

}  // namespace tf::payments::ui
