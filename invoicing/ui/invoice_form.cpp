#include "invoicing/ui/invoice_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/money_format.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "invoicing/payment_terms.h"
#include "invoicing/saved_body.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/product_file.h"
#include "records/product_record.h"

namespace tf::invoicing::ui {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

QLabel* NamedLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

QLineEdit* NamedEdit(const char* name, int maxLength, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  return edit;
}

QPushButton* NamedButton(const char* name, const QString& caption, const QString& hint, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TInvoice::TInvoice(InvoiceFormServices services, QWidget* parent) : QDialog(parent), services_(services) {
  setObjectName("TProdInv");
  setWindowTitle("Product Invoice");

  BitBtn3 = NamedButton("BitBtn3", "Customer...", "Customers", this);
  ICustName = NamedLabel("ICustName", this);
  ICustNo = NamedLabel("ICustNo", this);
  Sname = NamedLabel("Sname", this);
  CBal = NamedLabel("CBal", this);
  ICredLimit = NamedLabel("ICredLimit", this);
  Acur = NamedLabel("Acur", this);
  A30 = NamedLabel("A30", this);
  A60 = NamedLabel("A60", this);
  A90 = NamedLabel("A90", this);
  Label21 = NamedLabel("Label21", this);
  Label22 = NamedLabel("Label22", this);
  Label23 = NamedLabel("Label23", this);
  Label24 = NamedLabel("Label24", this);
  INum = NamedEdit("INum", 9, this);
  IDate = NamedEdit("IDate", 10, this);
  IDate->setInputMask("99/99/9999;_");
  Calbutton = NamedButton("Calbutton", "...", "Calendar", this);
  Label7 = NamedLabel("Label7", this);
  INVNOTES = NamedEdit("INVNOTES", 80, this);
  KeyCode = NamedEdit("KeyCode", 8, this);
  ITerms = new QComboBox(this);
  ITerms->setObjectName("ITerms");
  ITerms->setEditable(true);
  ITerms->lineEdit()->setMaxLength(35);
  IStmntNote = NamedEdit("IStmntNote", 35, this);
  IMode = NamedLabel("IMode", this);
  RadioButton1 = new QRadioButton("&Line Item", this);
  RadioButton1->setObjectName("RadioButton1");
  RadioButton2 = new QRadioButton("&Memo", this);
  RadioButton2->setObjectName("RadioButton2");
  StringGrid1 = new QTableWidget(kGridRows, 7, this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setHorizontalHeaderLabels({"LN", "Product#", "Rate/Quan.", "Description / Comment", "Unit Price", "T",
                                          "Extension"});
  StringGrid1->verticalHeader()->hide();
  // Each column as wide as what it holds at most, plus the cell's margins; the extension takes
  // the rest of the grid, so the rows reach across the window at any size.
  const QFontMetrics metrics(StringGrid1->font());
  const char* widest[] = {"XXi", "XXXXXXXX", "XXXXXXXXX", "XXXXXXXXXXXXXXXXXXXXXXXXX", "XXXXXXXXX", "Xi"};
  const int margins = 2 * StringGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, StringGrid1) + 6;
  for (int c = 0; c < 6; ++c) StringGrid1->setColumnWidth(c, metrics.horizontalAdvance(widest[c]) + margins);
  StringGrid1->horizontalHeader()->setStretchLastSection(true);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  MemoPDesc = NamedEdit("MemoPDesc", 32, this);
  MemoQuan = NamedEdit("MemoQuan", 10, this);
  INet = NamedEdit("INet", 10, this);
  ITax = NamedEdit("ITax", 10, this);
  IPaid = NamedEdit("IPaid", 10, this);
  ITotal = NamedLabel("ITotal", this);
  BalDue = NamedLabel("BalDue", this);
  TaxLbl = NamedLabel("TaxLbl", this);
  CheckBox2 = new QCheckBox(this);
  CheckBox2->setObjectName("CheckBox2");
  PrintFlag = new QCheckBox("P&rint Invoice", this);
  PrintFlag->setObjectName("PrintFlag");
  SpeedButton2 = NamedButton("SpeedButton2", "Find", "Find Product", this);
  DeleteLine = NamedButton("DeleteLine", "Erase", "Erase Line", this);
  UndoAll = NamedButton("UndoAll", "Erase All", "Erase All Lines", this);
  MakeNote = NamedButton("MakeNote", "Comment", "Add Description comment", this);
  TopButn = NamedButton("TopButn", "1", "Line Item 1", this);
  CnterButn = NamedButton("CnterButn", "50", "Line Item 50", this);
  BottButn = NamedButton("BottButn", "99", "Line Item 99", this);
  ImportButn = NamedButton("ImportButn", "Load", "Loads Saved Lines", this);
  ExportButn = NamedButton("ExportButn", "Save", "Replaces saved lines with current lines", this);
  TimeBtn = NamedButton("TimeBtn", "&Start", "", this);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  StartTime = NamedLabel("StartTime", this);
  ElapsedTime = NamedLabel("ElapsedTime", this);
  ToHours = NamedLabel("ToHours", this);
  OKButton = NamedButton("OKButton", "&Ok", "", this);
  BitBtn1 = NamedButton("BitBtn1", "&Cancel", "", this);
  BitBtn2 = NamedButton("BitBtn2", "&Help", "", this);
  InvClose = NamedButton("InvClose", "Close", "", this);

  auto* header = new QGridLayout;
  int r = 0;
  header->addWidget(BitBtn3, r, 0);
  header->addWidget(ICustName, r, 1);
  header->addWidget(new QLabel("SN:", this), r, 2);
  header->addWidget(Sname, r, 3);
  header->addWidget(ICustNo, r, 4);
  ++r;
  header->addWidget(new QLabel("Balance:", this), r, 0);
  header->addWidget(CBal, r, 1);
  header->addWidget(new QLabel("Credit Limit:", this), r, 2);
  header->addWidget(ICredLimit, r, 3);
  ++r;
  {
    QLabel* captions[4] = {Label21, Label22, Label23, Label24};
    QLabel* amounts[4] = {Acur, A30, A60, A90};
    for (int i = 0; i < 4; ++i) {
      header->addWidget(captions[i], r, 2 * i);
      header->addWidget(amounts[i], r, 2 * i + 1);
    }
  }
  ++r;
  header->addWidget(new QLabel("Invoice#:", this), r, 0);
  header->addWidget(INum, r, 1);
  header->addWidget(Label7, r, 2);
  header->addWidget(IDate, r, 3);
  header->addWidget(Calbutton, r, 4);
  ++r;
  header->addWidget(new QLabel("Notes/Comments/Reference:", this), r, 0);
  header->addWidget(INVNOTES, r, 1, 1, 4);
  ++r;
  header->addWidget(new QLabel("Key Code:", this), r, 0);
  header->addWidget(KeyCode, r, 1);
  header->addWidget(new QLabel("Terms:", this), r, 2);
  header->addWidget(ITerms, r, 3);
  ++r;
  header->addWidget(new QLabel("Statement Note:", this), r, 0);
  header->addWidget(IStmntNote, r, 1, 1, 2);
  header->addWidget(IMode, r, 3);
  header->addWidget(RadioButton1, r, 4);
  header->addWidget(RadioButton2, r, 5);

  auto* lineButtons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{SpeedButton2, DeleteLine, UndoAll, MakeNote, TopButn, CnterButn,
                                                 BottButn, ImportButn, ExportButn, CheckBox2, PrintFlag})
    lineButtons->addWidget(w);
  auto* memoRow = new QHBoxLayout;
  memoRow->addWidget(new QLabel("Product Description:", this));
  memoRow->addWidget(MemoPDesc);
  memoRow->addWidget(new QLabel("Quantity:", this));
  memoRow->addWidget(MemoQuan);
  memoRow->addWidget(TaxLbl);
  auto* totals = new QGridLayout;
  // A caption's "&" marks its field's shortcut key; a label without its field would print it.
  auto captioned = [this](const char* caption, QWidget* field) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(field);
    return label;
  };
  totals->addWidget(captioned("&Net:", INet), 0, 0);
  totals->addWidget(INet, 0, 1);
  totals->addWidget(captioned("&Tax:", ITax), 0, 2);
  totals->addWidget(ITax, 0, 3);
  totals->addWidget(new QLabel("Total:", this), 0, 4);
  totals->addWidget(ITotal, 0, 5);
  totals->addWidget(captioned("&Paid Amount:", IPaid), 1, 0);
  totals->addWidget(IPaid, 1, 1);
  totals->addWidget(new QLabel("Balance Due:", this), 1, 4);
  totals->addWidget(BalDue, 1, 5);
  auto* timerRow = new QHBoxLayout;
  timerRow->addWidget(TimeBtn);
  for (auto [caption, label] : {std::pair{"Started:", StartTime}, {"Elapsed:", ElapsedTime}, {"Hours:", ToHours}}) {
    timerRow->addWidget(new QLabel(caption, this));
    timerRow->addWidget(label);
  }
  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{OKButton, BitBtn1, BitBtn2, InvClose}) buttons->addWidget(w);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(StringGrid1, 1);
  layout->addWidget(Memo1, 1);
  layout->addLayout(memoRow);
  layout->addLayout(lineButtons);
  layout->addLayout(totals);
  layout->addLayout(timerRow);
  layout->addLayout(buttons);

  PrintInvoice = [](const std::string&) {};
  ShowHelp = [](std::string_view) {};

  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(Calbutton, &QPushButton::clicked, this, [this] { CalbuttonClick(); });
  connect(StringGrid1, &QTableWidget::cellChanged, this, [this](int row, int column) { StringGrid1Change(row, column); });
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int column) { StringGrid1DblClick(row, column); });
  connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(DeleteLine, &QPushButton::clicked, this, [this] { DeleteLineClick(); });
  connect(UndoAll, &QPushButton::clicked, this, [this] { UndoAllClick(); });
  connect(MakeNote, &QPushButton::clicked, this, [this] { MakeNoteClick(); });
  for (auto [button, row] : {std::pair{TopButn, 1}, {CnterButn, 50}, {BottButn, 99}})
    connect(button, &QPushButton::clicked, this, [this, row] {
      StringGrid1->setFocus();
      StringGrid1->setCurrentCell(row - 1, kCodeColumn);
    });
  connect(ImportButn, &QPushButton::clicked, this, [this] {
    if (LoadBodyFile(*entry_, services_.prompter)) StringGrid1->setCurrentCell(0, kCodeColumn);
    ShowModel();
  });
  connect(ExportButn, &QPushButton::clicked, this, [this] { SaveBodyFile(*entry_, services_.prompter); });
  connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
  connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButtonClick(); });
  connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButtonClick(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(TimeBtn, &QPushButton::clicked, this, [this] { TimeBtnClick(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
  connect(InvClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { ShowHelp(common::help::kNewInvoice); });
  // Typed fields go to the model as they change; a refused text is put back as the model has it.
  auto bind = [this](QLineEdit* edit, bool (InvoiceEntry::*set)(std::string_view)) {
    connect(edit, &QLineEdit::textEdited, this, [this, edit, set](const QString& text) {
      if (showing_ || !entry_) return;
      (entry_.get()->*set)(S(text));
      typing_ = edit;  // what the user is typing is not rewritten under the cursor
      ShowModel();
      typing_ = nullptr;
    });
  };
  bind(INum, &InvoiceEntry::SetNumber);
  bind(IDate, &InvoiceEntry::SetDate);
  bind(INVNOTES, &InvoiceEntry::SetNotes);
  bind(KeyCode, &InvoiceEntry::SetKeyCode);
  bind(IStmntNote, &InvoiceEntry::SetStatementNote);
  bind(MemoPDesc, &InvoiceEntry::SetMemoDescription);
  bind(MemoQuan, &InvoiceEntry::SetMemoQuantity);
  bind(INet, &InvoiceEntry::SetNet);
  bind(ITax, &InvoiceEntry::SetTax);
  bind(IPaid, &InvoiceEntry::SetPaid);
  connect(ITerms, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (!showing_ && entry_) entry_->SetTerms(S(text));
  });
  connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_ && entry_) entry_->SetMemoText(S(Memo1->toPlainText()));
  });
}

TInvoice::~TInvoice() = default;

bool TInvoice::OpenBooks() {
  books_ = std::make_unique<InvoiceBooks>(services_.book, services_.prompter, services_.status, services_.clock);
  if (!books_->Open()) return false;
  books_->SetLabelQueue(services_.labelQueue);
  entry_ = std::make_unique<InvoiceEntry>(
      InvoiceEntry::Services{services_.prompter, services_.clock,
                             [this](const std::string& n) { return books_->NumberExists(n); },
                             [] { return LoadTerms(); },
                             [](const std::vector<std::string>& terms) {
                               SaveTerms(terms);
                               return true;
                             }},
      EntryCompany::FromRecord(services_.book.Current()));
  return true;
}

bool TInvoice::AddInvoice() {
  if (!OpenBooks()) return false;
  entry_->BeginAdd(lastInvoiceDate_.value_or(books_->LastInvoiceDate()));
  const bool saved = Run();
  if (saved) lastInvoiceDate_ = books_->LastInvoiceDate();
  return saved;
}

bool TInvoice::EditInvoice(const std::string& number) {
  if (!OpenBooks()) return false;
  std::int32_t ref = 0;
  if (!records::invoice::FindInvoice(books_->Invoices(), number, ref, services_.prompter)) return false;
  common::RecordBuffer invoice(records::invoice::kInvoiceRecordLength);
  engine::GetRecord(books_->Invoices(), ref, std::span<std::uint8_t>(invoice));
  if (!engine::EngineOK || !books_->MayEdit(invoice) || !books_->LoadForEdit(ref, *entry_)) return false;
  return Run();
}

bool TInvoice::Run() {
  setWindowTitle(entry_->Mode() == EntryMode::Add ? "Product Invoice" : "Edit Invoice");
  if (!workTimer_.Running())
    for (QLabel* label : {StartTime, ElapsedTime, ToHours}) label->clear();
  ShowModel();
  ShowFocus();
  const bool saved = exec() == QDialog::Accepted;
  books_->Close();
  return saved;
}

void TInvoice::ShowModel() {
  if (!entry_) return;
  showing_ = true;
  const InvoiceEntry& e = *entry_;
  const bool add = e.Mode() == EntryMode::Add;
  const bool memo = e.Style() == InvoiceStyle::Memo;
  IMode->setText(add ? "Add Mode" : "Edit Mode");
  BitBtn3->setEnabled(add);
  RadioButton1->setEnabled(add);
  RadioButton2->setEnabled(add);
  PrintFlag->setEnabled(add);
  PrintFlag->setChecked(e.PrintOnSave());
  RadioButton1->setChecked(!memo);
  RadioButton2->setChecked(memo);
  INum->setEnabled(add || e.NumberBeforeEdit().find('G') == std::string::npos);
  QLabel* captions[4] = {Label21, Label22, Label23, Label24};
  for (int i = 0; i < 4; ++i) captions[i]->setText(Q(e.Company().agingCaption[i]));
  Label7->setText(e.Company().dateFormat == common::DateFormat::DayFirst ? "Dy/Mo/Year" : "Mo/Dy/Year");
  if (const auto& c = e.Customer()) {
    ICustName->setText(Q(c->name));
    ICustNo->setText(Q(c->number));
    Sname->setText(Q(c->shortName));
    CBal->setText(Q(common::FormatComma0_00(c->balance)));
    CBal->setStyleSheet(c->balance.IsNegative() ? "color: red" : "");
    ICredLimit->setText(Q(common::FormatComma0_00(c->creditLimit)));
    QLabel* aging[4] = {Acur, A30, A60, A90};
    for (int i = 0; i < 4; ++i) aging[i]->setText(Q(common::FormatComma0_00(c->aging[i])));
  }
  auto setText = [this](QLineEdit* edit, const std::string& text) {
    if (edit != typing_ && S(edit->text()) != text) edit->setText(Q(text));
  };
  setText(INum, e.Number());
  setText(IDate, e.Date());
  setText(INVNOTES, e.Notes());
  setText(KeyCode, e.KeyCode());
  setText(IStmntNote, e.StatementNote());
  setText(MemoPDesc, e.MemoDescription());
  setText(MemoQuan, e.MemoQuantity());
  if (ITerms->count() != int(e.TermsList().size())) {
    ITerms->clear();
    for (const std::string& t : e.TermsList()) ITerms->addItem(Q(t));
  }
  if (S(ITerms->currentText()) != e.Terms()) ITerms->setEditText(Q(e.Terms()));
  if (S(Memo1->toPlainText()) != e.MemoText()) Memo1->setPlainText(Q(e.MemoText()));
  // Net and tax are computed in line-item style and typed in memo style.
  INet->setReadOnly(!memo);
  ITax->setReadOnly(!memo);
  setText(INet, e.NetText());
  setText(ITax, e.TaxText());
  setText(IPaid, e.PaidText());
  ITotal->setText(Q(e.TotalText()));
  BalDue->setText(Q(e.BalanceText()));
  BalDue->setStyleSheet(e.Balance().IsNegative() ? "color: red" : "");
  TaxLbl->setText(Q(e.TaxHint()));
  CheckBox2->setText(Q(e.TaxBoxCaption()));
  CheckBox2->setChecked(e.TaxBoxChecked());
  CheckBox2->setEnabled(e.TaxBoxEnabled() && !memo);
  CheckBox2->setVisible(!memo);
  StringGrid1->setVisible(!memo);
  Memo1->setVisible(memo);
  MemoPDesc->setVisible(memo);
  MemoQuan->setVisible(memo);
  TaxLbl->setVisible(memo);
  for (QPushButton* b : {SpeedButton2, DeleteLine, MakeNote, TopButn, CnterButn, BottButn}) b->setEnabled(!memo);
  ShowGrid();
  showing_ = false;
}

void TInvoice::ShowGrid() {
  const QSignalBlocker block(StringGrid1);
  for (int r = 1; r <= kGridRows; ++r) {
    const GridRow& row = entry_->Row(r);
    for (int c = 0; c < 7; ++c) {
      QTableWidgetItem* item = StringGrid1->item(r - 1, c);
      if (!item) {
        item = new QTableWidgetItem;
        if (c == 0 || c == kExtensionColumn) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        StringGrid1->setItem(r - 1, c, item);
      }
      const QString text = c == 0 ? QString::number(r) : Q(row.cell[std::size_t(c)]);
      if (item->text() != text) item->setText(text);
    }
  }
}

void TInvoice::ShowFocus() {
  switch (entry_->Focus()) {
    case EntryField::Number: INum->setFocus(); break;
    case EntryField::Customer: BitBtn3->setFocus(); break;
    case EntryField::Date: IDate->setFocus(); break;
    case EntryField::Notes: INVNOTES->setFocus(); break;
    case EntryField::Terms: ITerms->setFocus(); break;
    case EntryField::Grid:
      StringGrid1->setFocus();
      StringGrid1->setCurrentCell(entry_->FocusRow() - 1, entry_->FocusColumn());
      break;
    case EntryField::Memo: Memo1->setFocus(); break;
    case EntryField::MemoDescription: MemoPDesc->setFocus(); break;
    case EntryField::MemoQuantity: MemoQuan->setFocus(); break;
    case EntryField::Net: INet->setFocus(); break;
    case EntryField::Tax: ITax->setFocus(); break;
    case EntryField::Paid: IPaid->setFocus(); break;
    case EntryField::None: break;
  }
}

int TInvoice::CurrentRow() const { return std::max(1, StringGrid1->currentRow() + 1); }

void TInvoice::BitBtn3Click() {
  if (!PickCustomer) return;
  const auto& current = entry_->Customer();
  // The customer manager opens the customer and company files itself while it picks.
  books_->ReleaseShared();
  const auto picked = PickCustomer(current ? current->name : std::string(), current ? current->number : std::string(),
                                   books_->Invoices());
  books_->TakeShared();
  if (picked) entry_->ChooseCustomer(EntryCustomer::FromRecord(*picked));
  ShowModel();
}

void TInvoice::CalbuttonClick() {
  if (!ChooseDate) return;
  const auto shown = common::ParseDate(entry_->Date(), entry_->Company().dateFormat);
  const auto chosen = ChooseDate(shown.value_or(services_.clock.Today()), entry_->Company().dateFormat, IDate);
  if (chosen) {
    entry_->SetDate(*chosen);
    ShowModel();
    INVNOTES->setFocus();
  } else {
    IDate->setFocus();
  }
}

void TInvoice::StringGrid1Change(int row, int column) {
  if (showing_ || !entry_) return;
  const std::string text = S(StringGrid1->item(row, column)->text());
  entry_->SetCell(row + 1, column, text);
  if (column == kCodeColumn && !common::TrimBoth(text).empty()) {
    // A typed code: the product of exactly that code fills the row.
    engine::FileBlockGuard products;
    const std::string company = entry_->Company().companyNumber;
    common::RecordBuffer product(records::product::kProductRecordLength);
    std::int32_t ref = 0;
    bool found = false;
    if (records::product::OpenProductFile(products.handle(), company, services_.prompter, services_.status))
      found = records::product::ReadProductByCode(products.get(), text, ref, product);
    products.Close();
    if (entry_->EnterProductCode(row + 1, found ? std::span<const std::uint8_t>(product.data(), product.size())
                                                : std::span<const std::uint8_t>()))
      SpeedButton2Click();
  }
  ShowModel();
}

void TInvoice::StringGrid1DblClick(int, int column) {
  if (column == kCodeColumn) SpeedButton2Click();
}

void TInvoice::SpeedButton2Click() {
  if (!PickProduct) return;
  const int row = CurrentRow();
  const GridRow& g = entry_->Row(row);
  const auto picked = PickProduct(g.cell[kCodeColumn], g.cell[kDescriptionColumn]);
  if (picked) entry_->ApplyProduct(row, *picked, true);
  ShowModel();
}

void TInvoice::DeleteLineClick() {
  entry_->EraseLine(CurrentRow());
  ShowModel();
}

void TInvoice::UndoAllClick() {
  entry_->EraseAll();
  ShowModel();
  StringGrid1->setCurrentCell(0, kCodeColumn);
}

void TInvoice::MakeNoteClick() {
  const int row = CurrentRow();
  entry_->MakeComment(row);
  ShowModel();
  StringGrid1->setCurrentCell(row - 1, kDescriptionColumn);
}

void TInvoice::CheckBox2Click() {
  entry_->SetTaxBox(CheckBox2->isChecked());
  ShowModel();
}

void TInvoice::RadioButtonClick() {
  entry_->SetStyle(RadioButton2->isChecked() ? InvoiceStyle::Memo : InvoiceStyle::LineItem);
  ShowModel();
}

void TInvoice::TimeBtnClick() {
  if (workTimer_.Running()) {
    workTimer_.Stop();
    Timer1->stop();
  } else {
    workTimer_.Start(services_.clock.Now());
    Timer1->start();
  }
  TimeBtn->setText(Q(workTimer_.Caption()));
  TimeBtn->setStyleSheet(workTimer_.Running() ? "color: red" : "");
  StartTime->setText(Q(workTimer_.StartText()));
  Timer1Timer();
}

void TInvoice::Timer1Timer() {
  const auto now = services_.clock.Now();
  ElapsedTime->setText(Q(workTimer_.ElapsedText(now)));
  ToHours->setText(Q(workTimer_.HoursText(now)));
}

void TInvoice::OKButtonClick() {
  entry_->SetPrintOnSave(PrintFlag->isChecked());
  if (!entry_->Accept()) {
    ShowModel();
    ShowFocus();
    return;
  }
  const SaveOutcome outcome = entry_->Mode() == EntryMode::Add ? books_->SaveNew(*entry_) : books_->SaveEdit(*entry_);
  for (const std::string& problem : outcome.problems) services_.prompter.Inform(problem);
  if (!outcome.saved) {
    lastStatus_ = outcome.message;
    services_.prompter.Inform(outcome.message);
    return;  // the dialog stays open on what was typed
  }
  lastStatus_ = outcome.status;
  if (entry_->Mode() == EntryMode::Add && entry_->PrintOnSave()) PrintInvoice(common::UpperCase(entry_->Number()));
  accept();
}

}  // namespace tf::invoicing::ui
