#include "customers/ui/demo_form.h"

#include <QLayout>
#include <QStyle>

#include "common/ui/command_widgets.h"
#include "common/ui/manager_frame.h"
#include "common/ui/qt_text.h"
#include "customers/ui/edit_dlg.h"
#include "finder/ui/find_box.h"
#include "invoicing/payment_terms.h"
#include "records/customer_record.h"

namespace tf::customers::ui {

using common::ui::Action;
using common::ui::ToolButton;
using common::ui::ToQString;

TDemoForm::TDemoForm(DemoFormServices services, QWidget* parent)
    : TManagerWindow(services.prompter, parent), services_(std::move(services)) {
  setObjectName("TDemoForm");
  setWindowTitle(ToQString(kCustomerManagerTitle));
  BuildControls();
  BuildMenus();
  editor_ = new TEditDlg(this);
  FindDialog = [this](const finder::FindMode& mode) {
    finder::ui::TFindBox box(services_.prompter, this);
    return box.Run(mode);
  };
  LoadTerms = [] { return invoicing::LoadTerms(); };
  model_ = std::make_unique<CustomerManager>(
      CustomerManagerServices{services_, services_.labelQueue, services_.emailMode,
                              [this](CustomerEditor& editor) { return editor_->Run(editor, services_.prompter); },
                              [this](const finder::FindMode& mode) { return FindDialog(mode); },
                              [this] { return LoadTerms(); }, [this] { return openInvoices_; }},
      List());
  SetModel(*model_);
  resize(900, 520);
}

TDemoForm::~TDemoForm() = default;

void TDemoForm::BuildControls() {
  NewCustButn = ToolButton(this, "NewCustButn", "New", QStyle::SP_FileIcon);
  EditCustButn = ToolButton(this, "EditCustButn", "Edit", QStyle::SP_FileDialogDetailedView);
  DeleteCustButn = ToolButton(this, "DeleteCustButn", "Delete", QStyle::SP_TrashIcon);
  FinCustButn = ToolButton(this, "FinCustButn", "Find", QStyle::SP_FileDialogContentsView);
  CustBookButn = ToolButton(this, "CustBookButn", "Customer List", QStyle::SP_FileDialogListView);
  StmtPrin = ToolButton(this, "StmtPrin", "View/Print Statement", QStyle::SP_FileDialogInfoView);
  BatchPrinButn = ToolButton(this, "BatchPrinButn", "Batch Print Statements", QStyle::SP_DialogSaveButton);
  PrintEnvButn = ToolButton(this, "PrintEnvButn", "Print Envelope", QStyle::SP_DriveFDIcon);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Help", QStyle::SP_DialogHelpButton);
  // Enabled when the statement windows are installed (SetStatementCommands).
  StmtPrin->setEnabled(false);
  BatchPrinButn->setEnabled(false);

  CustBrowser = new TIndexBrowser(this);
  CustBrowser->setObjectName("CustBrowser");
  CustBrowser->setFont(QFont("Courier New", 10));

  BuildFrame({NewCustButn, EditCustButn, DeleteCustButn, FinCustButn, CustBookButn, StmtPrin, BatchPrinButn,
              PrintEnvButn, SpeedButton2, SpeedButton3},
             CustBrowser);

  connect(NewCustButn, &QToolButton::clicked, this, &TDemoForm::NewCustButnClick);
  connect(EditCustButn, &QToolButton::clicked, this, &TDemoForm::EditCustButnClick);
  connect(DeleteCustButn, &QToolButton::clicked, this, &TDemoForm::DeleteCustButnClick);
  connect(FinCustButn, &QToolButton::clicked, this, &TDemoForm::FinCustButnClick);
  connect(CustBookButn, &QToolButton::clicked, this, &TDemoForm::CustBookButnClick);
  connect(PrintEnvButn, &QToolButton::clicked, this, &TDemoForm::PrintEnvButnClick);
  connect(StmtPrin, &QToolButton::clicked, this, &TDemoForm::StmtPrinClick);
  connect(BatchPrinButn, &QToolButton::clicked, this, &TDemoForm::BatchPrinButnClick);
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton3, &QToolButton::clicked, this, &TDemoForm::ShowModelHelp);

  // Typed letters are upper-cased for the list's jump; Enter picks.
  CustBrowser->OnKeyPress = [this](TIndexBrowser*, QChar& ch) {
    if (ch == QChar('\r') || ch == QChar('\n')) {
      ch = QChar();
      CustBrowserDblClick();
    } else {
      ch = ch.toUpper();
    }
  };
  CustBrowser->OnDblClick = [this](TIndexBrowser*) { CustBrowserDblClick(); };
  CustBrowser->OnRowChanged = [this](TIndexBrowser*) {
    model_->RowChanged();
    ShowState();
  };

  // The Delete key deletes the current customer.
  CustBrowser->OnKeyDown = [this](TIndexBrowser*, int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Delete) return;
    key = 0;
    DeleteCustButnClick();
  };
}

void TDemoForm::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* customer = MainMenu1->addMenu("&Customer");
  customer->setObjectName("Customer1");
  Add1 = Action(this, "Add1", "&New");
  Edit1 = Action(this, "Edit1", "&Edit");
  Delete1 = Action(this, "Delete1", "&Delete");
  Search1 = Action(this, "Search1", "&Find");
  CustomerList1 = Action(this, "CustomerList1", "Customer &List");
  PrintEnvelope1 = Action(this, "PrintEnvelope1", "&Print Envelope");
  AddtoLabelQueue1 = Action(this, "AddtoLabelQueue1", "Add to Label &Queue");
  Close1 = Action(this, "Close1", "&Close");
  customer->addActions({Add1, Edit1, Delete1, Search1, CustomerList1, PrintEnvelope1, AddtoLabelQueue1});
  customer->addSeparator();
  customer->addAction(Close1);
  QMenu* display = MainMenu1->addMenu("&Display");
  display->setObjectName("Display1");
  ByName1 = Action(this, "ByName1", "By &Name");
  ByNumber1 = Action(this, "ByNumber1", "By N&umber");
  ByName1->setCheckable(true);
  ByNumber1->setCheckable(true);
  PrintWindow1 = Action(this, "PrintWindow1", "Print &Window");
  display->addActions({ByName1, ByNumber1});
  display->addSeparator();
  display->addAction(PrintWindow1);
  QMenu* statements = MainMenu1->addMenu("&Statements");
  statements->setObjectName("Statements1");
  View2 = Action(this, "View2", "&View / Print");
  BatchPrint1 = Action(this, "BatchPrint1", "&Batch Print");
  statements->addActions({View2, BatchPrint1});
  QMenu* help = MainMenu1->addMenu("&Help");
  help->setObjectName("Help1");
  AddingRecords1 = Action(this, "AddingRecords1", "&Overview");
  help->addAction(AddingRecords1);
  layout()->setMenuBar(MainMenu1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  A1 = Action(this, "A1", "&New");
  EditCustomer1 = Action(this, "EditCustomer1", "&Edit");
  D1 = Action(this, "D1", "&Delete");
  Search2 = Action(this, "Search2", "&Find");
  CustomerList2 = Action(this, "CustomerList2", "Customer &List");
  Statement1 = Action(this, "Statement1", "&Statement");
  PrintEnvelope2 = Action(this, "PrintEnvelope2", "&Print Envelope");
  AddtoLabelQueue2 = Action(this, "AddtoLabelQueue2", "&Add to Label Queue");
  Close2 = Action(this, "Close2", "&Close");
  PopupMenu1->addActions({A1, EditCustomer1, D1, Search2, CustomerList2, Statement1, PrintEnvelope2, AddtoLabelQueue2});
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(Close2);
  common::ui::PopupOnRightClick(CustBrowser, PopupMenu1);

  // Enabled when the statement windows are installed (SetStatementCommands).
  for (QAction* a : {View2, BatchPrint1, Statement1}) a->setEnabled(false);
  for (QAction* a : {View2, Statement1}) connect(a, &QAction::triggered, this, &TDemoForm::StmtPrinClick);
  connect(BatchPrint1, &QAction::triggered, this, &TDemoForm::BatchPrinButnClick);

  for (QAction* a : {Add1, A1}) connect(a, &QAction::triggered, this, &TDemoForm::NewCustButnClick);
  for (QAction* a : {Edit1, EditCustomer1}) connect(a, &QAction::triggered, this, &TDemoForm::EditCustButnClick);
  for (QAction* a : {Delete1, D1}) connect(a, &QAction::triggered, this, &TDemoForm::DeleteCustButnClick);
  for (QAction* a : {Search1, Search2}) connect(a, &QAction::triggered, this, &TDemoForm::FinCustButnClick);
  for (QAction* a : {CustomerList1, CustomerList2}) connect(a, &QAction::triggered, this, &TDemoForm::CustBookButnClick);
  for (QAction* a : {PrintEnvelope1, PrintEnvelope2}) connect(a, &QAction::triggered, this, &TDemoForm::PrintEnvButnClick);
  for (QAction* a : {AddtoLabelQueue1, AddtoLabelQueue2})
    connect(a, &QAction::triggered, this, &TDemoForm::AddtoLabelQueue1Click);
  for (QAction* a : {Close1, Close2}) connect(a, &QAction::triggered, this, &QDialog::reject);
  connect(ByName1, &QAction::triggered, this, &TDemoForm::ByName1Click);
  connect(ByNumber1, &QAction::triggered, this, &TDemoForm::ByNumber1Click);
  connect(PrintWindow1, &QAction::triggered, this, &TDemoForm::PrintWindow1Click);
  connect(AddingRecords1, &QAction::triggered, this, &TDemoForm::ShowModelHelp);
}

void TDemoForm::ShowState() {
  TManagerWindow::ShowState();
  ByName1->setChecked(model_->Order() == records::customer::kKeyByName);
  ByNumber1->setChecked(model_->Order() == records::customer::kKeyByNumber);
}

std::optional<common::RecordBuffer> TDemoForm::PickCustomer(const std::string& name, const std::string& number,
                                                            engine::FileBlock* openInvoices) {
  openInvoices_ = openInvoices;
  model_->BeginPicking(name, number);
  std::optional<common::RecordBuffer> picked = RunPicker();
  openInvoices_ = nullptr;
  return picked;
}

void TDemoForm::NewCustButnClick() { Guard([this] { return model_->Add(); }); }
void TDemoForm::EditCustButnClick() { Guard([this] { return model_->Edit(); }); }
void TDemoForm::DeleteCustButnClick() { Guard([this] { return model_->Delete(); }); }
void TDemoForm::FinCustButnClick() { Guard([this] { return model_->Find(); }); }
void TDemoForm::CustBookButnClick() { Guard([this] { return model_->CustomerListReport(); }); }
void TDemoForm::AddtoLabelQueue1Click() { Guard([this] { return model_->AddToLabelQueue(); }); }
void TDemoForm::ByName1Click() { Guard([this] { return model_->SetOrder(records::customer::kKeyByName); }); }
void TDemoForm::ByNumber1Click() { Guard([this] { return model_->SetOrder(records::customer::kKeyByNumber); }); }

void TDemoForm::PrintEnvButnClick() {
  std::unique_ptr<common::PrintCanvas> canvas = Printer();
  if (!canvas) return;
  Guard([&] { return model_->PrintEnvelope(*canvas); });
}

void TDemoForm::SetStatementCommands(std::function<browse::Outcome()> view, std::function<browse::Outcome()> batch) {
  viewStatement_ = std::move(view);
  batchStatements_ = std::move(batch);
  StmtPrin->setEnabled(bool(viewStatement_));
  for (QAction* a : {View2, Statement1}) a->setEnabled(bool(viewStatement_));
  BatchPrinButn->setEnabled(bool(batchStatements_));
  BatchPrint1->setEnabled(bool(batchStatements_));
}

void TDemoForm::ShowHint(const std::string& text) {
  model_->SetHint(text);
  StatusPanel1->setText(ToQString(text));
}

void TDemoForm::StmtPrinClick() {
  if (viewStatement_) Guard(viewStatement_);
}
void TDemoForm::BatchPrinButnClick() {
  if (batchStatements_) Guard(batchStatements_);
}

void TDemoForm::CustBrowserDblClick() { PickCurrent(); }

// The window's image, as large as the page allows.
void TDemoForm::PrintWindow1Click() { PrintWindowImage(kCustomerManagerTitle); }

}  // namespace tf::customers::ui
