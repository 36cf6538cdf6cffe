#include "customers/ui/edit_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"
#include "customers/customer_manager.h"

namespace tf::customers::ui {

using common::ui::ToQString;

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, std::size_t limit) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(int(limit));
  return e;
}

QLabel* Caption(QWidget* parent, const char* text, QWidget* buddy) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(buddy);
  return l;
}

}  // namespace

TEditDlg::TEditDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TEditDlg");
  setWindowTitle("Edit Record");
  CNo = Edit(this, "CNo", kNumberLimit);
  CName = Edit(this, "CName", kNameLimit);
  common::ui::ShowWholeText(CName, int(kNameLimit));
  CTerms = new QComboBox(this);
  CTerms->setObjectName("CTerms");
  CTerms->setEditable(true);
  CTerms->setInsertPolicy(QComboBox::NoInsert);
  CTerms->lineEdit()->setMaxLength(int(kTermsLimit));
  CustType = Edit(this, "CustType", kTypeLimit);
  CTE = Edit(this, "CTE", kTaxExemptLimit);
  CLimit = Edit(this, "CLimit", kCreditLimitLimit);
  CAdd1Edit = Edit(this, "CAdd1Edit", kAddressLimit);
  CAdd2Edit = Edit(this, "CAdd2Edit", kAddressLimit);
  CAdd3Edit = Edit(this, "CAdd3Edit", kAddressLimit);
  CAdd4Edit = Edit(this, "CAdd4Edit", kAddressLimit);
  CShip1 = Edit(this, "CShip1", kAddressLimit);
  CShip2 = Edit(this, "CShip2", kAddressLimit);
  CShip3 = Edit(this, "CShip3", kAddressLimit);
  CShip4 = Edit(this, "CShip4", kAddressLimit);
  CstNote = new QPlainTextEdit(this);
  CstNote->setObjectName("CstNote");
  CstNote->setTabChangesFocus(true);
  CPhone1 = Edit(this, "CPhone1", kPhoneLimit);
  CPhone2 = Edit(this, "CPhone2", kPhoneLimit);
  ShortName = Edit(this, "ShortName", kShortNameLimit);
  MListCode = Edit(this, "MListCode", kMailSortCodeLimit);
  EMadd = Edit(this, "EMadd", kEMailLimit);
  CRHold = new QCheckBox("Credit &Hold / Inactive Account", this);
  CRHold->setObjectName("CRHold");
  NotesOnInv = new QCheckBox("Print notes / comments on invoices", this);
  NotesOnInv->setObjectName("NotesOnInv");
  NotesOnStmnt = new QCheckBox("Print notes / comments on statements", this);
  NotesOnStmnt->setObjectName("NotesOnStmnt");
  CheckBox1 = new QCheckBox("&Auto-Copy to Shipping", this);
  CheckBox1->setObjectName("CheckBox1");
  CBal = new QLabel(this);
  CBal->setObjectName("CBal");
  Button1 = new QPushButton("Copy Billing &to Shipping", this);
  Button1->setObjectName("Button1");
  Button2 = new QPushButton("Cl&ear Shipping", this);
  Button2->setObjectName("Button2");
  OKBtn = new QPushButton("&Ok", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("&Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  HelpBtn = new QPushButton("Help", this);
  HelpBtn->setObjectName("HelpBtn");

  auto* grid = new QGridLayout;
  int row = 0;
  grid->addWidget(Caption(this, "C&ustomer #:", CNo), row, 0);
  grid->addWidget(CNo, row, 1);
  grid->addWidget(new QLabel("Balance:", this), row, 2);
  grid->addWidget(CBal, row++, 3);
  grid->addWidget(Caption(this, "Customer / Company Name:", CName), row, 0);
  grid->addWidget(CName, row, 1);
  grid->addWidget(Caption(this, "Short Name:", ShortName), row, 2);
  grid->addWidget(ShortName, row++, 3);
  grid->addWidget(Caption(this, "Payment Terms:", CTerms), row, 0);
  grid->addWidget(CTerms, row, 1);
  grid->addWidget(Caption(this, "Customer Type:", CustType), row, 2);
  grid->addWidget(CustType, row++, 3);
  grid->addWidget(Caption(this, "TE:", CTE), row, 0);
  grid->addWidget(CTE, row, 1);
  grid->addWidget(Caption(this, "Credit Limit:", CLimit), row, 2);
  grid->addWidget(CLimit, row++, 3);
  grid->addWidget(Caption(this, "&Billing Address:", CAdd1Edit), row, 0, 1, 2);
  grid->addWidget(Caption(this, "&Shipping Address:", CShip1), row++, 2, 1, 2);
  for (int k = 0; k < 4; ++k) {
    grid->addWidget(Bill(k), row, 0, 1, 2);
    grid->addWidget(Ship(k), row++, 2, 1, 2);
  }
  grid->addWidget(CheckBox1, row, 0, 1, 2);
  auto* copyButtons = new QHBoxLayout;
  copyButtons->addWidget(Button1);
  copyButtons->addWidget(Button2);
  grid->addLayout(copyButtons, row++, 2, 1, 2);
  grid->addWidget(Caption(this, "&Phone1:", CPhone1), row, 0);
  grid->addWidget(CPhone1, row, 1);
  grid->addWidget(Caption(this, "Pho&ne2:", CPhone2), row, 2);
  grid->addWidget(CPhone2, row++, 3);
  grid->addWidget(Caption(this, "E-Mail:", EMadd), row, 0);
  grid->addWidget(EMadd, row, 1);
  grid->addWidget(Caption(this, "&Mail List Sort Code:", MListCode), row, 2);
  grid->addWidget(MListCode, row++, 3);
  grid->addWidget(Caption(this, "Notes / Comments:", CstNote), row++, 0, 1, 4);
  grid->addWidget(CstNote, row++, 0, 1, 4);
  grid->addWidget(NotesOnInv, row, 0, 1, 2);
  grid->addWidget(NotesOnStmnt, row++, 2, 1, 2);
  grid->addWidget(CRHold, row++, 0, 1, 2);
  QHBoxLayout* buttons = common::ui::ButtonRow({OKBtn, CancelBtn, HelpBtn});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  for (int k = 0; k < 4; ++k) {
    connect(Bill(k), &QLineEdit::textChanged, this, [this, k](const QString& text) {
      if (filling_ || !editor_) return;
      editor_->SetAutoCopy(CheckBox1->isChecked());
      SetTyped(editor_->Form(), CustomerControl(int(CustomerControl::CAdd1Edit) + k), text.toStdString());
      editor_->SetBilling(k, editor_->Form().bill[k]);
      // The shipping box gets the text as typed: a character "&Ok" will refuse stays visible.
      if (CheckBox1->isChecked()) Ship(k)->setText(text);
    });
  }
  // Only the shipping boxes change: refilling every box from the stored form would drop a
  // typed character that "&Ok" has not refused yet.
  connect(Button1, &QPushButton::clicked, this, [this] {
    CollectIntoModel();
    editor_->CopyBillingToShipping();
    for (int k = 0; k < 4; ++k) Ship(k)->setText(Bill(k)->text());
  });
  connect(Button2, &QPushButton::clicked, this, [this] {
    CollectIntoModel();
    editor_->ClearShipping();
    for (int k = 0; k < 4; ++k) Ship(k)->clear();
  });
  connect(CName, &QLineEdit::editingFinished, this, &TEditDlg::CNameExit);
  connect(OKBtn, &QPushButton::clicked, this, &TEditDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelp(kEditorHelpTopic); });
}

QLineEdit* TEditDlg::Bill(int k) const { return std::array{CAdd1Edit, CAdd2Edit, CAdd3Edit, CAdd4Edit}[std::size_t(k)]; }
QLineEdit* TEditDlg::Ship(int k) const { return std::array{CShip1, CShip2, CShip3, CShip4}[std::size_t(k)]; }

void TEditDlg::FillFromModel() {
  filling_ = true;
  const CustomerForm& f = editor_->Form();
  CNo->setText(ToQString(f.number));
  CName->setText(ToQString(f.name));
  CTerms->setEditText(ToQString(f.terms));
  CustType->setText(ToQString(f.type));
  CTE->setText(ToQString(f.taxExempt));
  CLimit->setText(ToQString(f.creditLimit));
  for (int k = 0; k < 4; ++k) {
    Bill(k)->setText(ToQString(f.bill[k]));
    Ship(k)->setText(ToQString(f.ship[k]));
  }
  CstNote->setPlainText(ToQString(f.notes).replace("\r\n", "\n"));
  CPhone1->setText(ToQString(f.phone1));
  CPhone2->setText(ToQString(f.phone2));
  ShortName->setText(ToQString(f.shortName));
  MListCode->setText(ToQString(f.mailSortCode));
  EMadd->setText(ToQString(f.email));
  CRHold->setChecked(f.creditHold);
  NotesOnInv->setChecked(f.notesOnInvoices);
  NotesOnStmnt->setChecked(f.notesOnStatements);
  CheckBox1->setChecked(editor_->AutoCopy());
  CBal->setText(ToQString(editor_->BalanceText()));
  filling_ = false;
}

void TEditDlg::CollectIntoModel() {
  CustomerForm& f = editor_->Form();
  // Texts go in as typed (UTF-8): the model refuses a character no record can hold instead of
  // it turning into "?" here.
  f.unstorable.reset();
  const auto take = [&f](CustomerControl control, const QString& text) { SetTyped(f, control, text.toStdString()); };
  take(CustomerControl::CNo, CNo->text());
  take(CustomerControl::CName, CName->text());
  take(CustomerControl::CTerms, CTerms->currentText());
  take(CustomerControl::CustType, CustType->text());
  take(CustomerControl::CTE, CTE->text());
  take(CustomerControl::CLimit, CLimit->text());
  for (int k = 0; k < 4; ++k) {
    take(CustomerControl(int(CustomerControl::CAdd1Edit) + k), Bill(k)->text());
    take(CustomerControl(int(CustomerControl::CShip1) + k), Ship(k)->text());
  }
  // Line breaks of the notes are stored as CR LF; the model makes them so and counts them two.
  take(CustomerControl::CstNote, CstNote->toPlainText());
  take(CustomerControl::CPhone1, CPhone1->text());
  take(CustomerControl::CPhone2, CPhone2->text());
  take(CustomerControl::ShortName, ShortName->text());
  take(CustomerControl::MListCode, MListCode->text());
  take(CustomerControl::EMadd, EMadd->text());
  f.creditHold = CRHold->isChecked();
  f.notesOnInvoices = NotesOnInv->isChecked();
  f.notesOnStatements = NotesOnStmnt->isChecked();
  editor_->SetAutoCopy(CheckBox1->isChecked());
}

QWidget* TEditDlg::ControlOf(CustomerControl control) {
  switch (control) {
    case CustomerControl::CNo: return CNo;
    case CustomerControl::CName: return CName;
    case CustomerControl::CTerms: return CTerms;
    case CustomerControl::CustType: return CustType;
    case CustomerControl::CTE: return CTE;
    case CustomerControl::CLimit: return CLimit;
    case CustomerControl::EMadd: return EMadd;
    case CustomerControl::ShortName: return ShortName;
    case CustomerControl::CAdd1Edit: case CustomerControl::CAdd2Edit: case CustomerControl::CAdd3Edit:
    case CustomerControl::CAdd4Edit: return Bill(int(control) - int(CustomerControl::CAdd1Edit));
    case CustomerControl::CShip1: case CustomerControl::CShip2: case CustomerControl::CShip3:
    case CustomerControl::CShip4: return Ship(int(control) - int(CustomerControl::CShip1));
    case CustomerControl::CstNote: return CstNote;
    case CustomerControl::CPhone1: return CPhone1;
    case CustomerControl::CPhone2: return CPhone2;
    case CustomerControl::MListCode: return MListCode;
    case CustomerControl::None: break;
  }
  return CNo;
}

void TEditDlg::CNameExit() {
  if (!editor_ || filling_) return;
  CollectIntoModel();
  editor_->NameExit();
  ShortName->setText(ToQString(editor_->Form().shortName));
}

void TEditDlg::OKBtnClick() {
  if (!editor_) return;
  CollectIntoModel();
  const browse::Outcome outcome = editor_->Ok();
  ShortName->setText(ToQString(editor_->Form().shortName));
  if (browse::ShowOutcome(*prompter_, outcome)) {
    accept();
    return;
  }
  QWidget* focus = ControlOf(editor_->Focus());
  focus->setFocus();
}

bool TEditDlg::Run(CustomerEditor& editor, common::Prompter& prompter) {
  editor_ = &editor;
  prompter_ = &prompter;
  setWindowTitle(ToQString(editor.Title()));
  CTerms->clear();
  for (const std::string& term : editor.Terms()) CTerms->addItem(ToQString(term));
  FillFromModel();
  CNo->setFocus();
  const bool saved = exec() == QDialog::Accepted;
  editor_ = nullptr;
  return saved;
}

}  // namespace tf::customers::ui
