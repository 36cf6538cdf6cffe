#include "invoicing/ui/inv_list.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QStyle>

#include "common/stored_font.h"
#include "common/ui/command_widgets.h"
#include "common/ui/manager_frame.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_text.h"
#include "invoicing/ui/invoice_form.h"
#include "records/company_record.h"
#include "records/invoice_record.h"

namespace tf::invoicing::ui {

using common::ui::Action;
using common::ui::ToolButton;
using common::ui::ToQString;
namespace inv = records::invoice;

namespace {

// The six views in the order of the "&Display" menu, with their keys.
struct ViewItem {
  const char* name;
  const char* caption;
  int key;
};
constexpr std::array<ViewItem, 6> kViews = {{
    {"ByDate1", "By Invoice &Date", inv::kKeyByDate},
    {"ByType1", "By &Transaction Type", inv::kKeyByKind},
    {"ByNumber1", "By Invoice &Number", inv::kKeyByNumber},
    {"ByCustomer1", "By &Customer Number", inv::kKeyByCustomer},
    {"ByKeyCode1", "By &Key Code", inv::kKeyByKeyCode},
    {"ByDatePaid1", "By Date &Paid", inv::kKeyByDatePaid},
}};

}  // namespace

Tinvlist::Tinvlist(InvListServices services, TInvoice* entry, QWidget* parent)
    : TManagerWindow(services.shared.prompter, parent), services_(std::move(services)), entry_(entry) {
  setObjectName("Tinvlist");
  setWindowTitle(ToQString(kInvoiceManagerCaption));
  BuildControls();
  BuildMenus();
  findBox_ = new finder::ui::TFindBox(services_.shared.prompter, this);
  view_ = new Trtedit(this);
  quickView_ = new customers::ui::TQView(this);
  batch_ = new TInvBatch(services_.shared.prompter, this);
  FindDialog = [this](const finder::FindMode& mode) { return findBox_->Run(mode); };
  ChooseInvoicePrinter = [this] {
    ChosenPrinter chosen;
    std::unique_ptr<common::ui::QtPrintCanvas> canvas = common::ui::ChoosePrinterCanvas(this);
    if (canvas) {
      chosen.toFile = canvas->Printer().outputFormat() == QPrinter::PdfFormat;
      chosen.canvas = std::move(canvas);
    }
    return chosen;
  };

  InvoiceManagerServices s{services_.shared};
  s.labelQueue = services_.labelQueue;
  s.emailMode = [this] { return services_.emailMode && services_.emailMode(); };
  if (entry_) {
    // Entry's "Print Invoice" is carried out by the manager once entry has let the files go.
    entry_->PrintInvoice = [this](const std::string&) { printRequested_ = true; };
    s.addInvoice = [this]() -> std::optional<EntryResult> {
      printRequested_ = false;
      if (!entry_->AddInvoice()) return std::nullopt;
      return EntryResult{entry_->Entry()->Number(), entry_->LastStatus(), printRequested_};
    };
    s.editInvoice = [this](const std::string& number) -> std::optional<EntryResult> {
      if (!entry_->EditInvoice(number)) return std::nullopt;
      return EntryResult{entry_->Entry()->Number(), entry_->LastStatus(), false};
    };
    s.timerRunning = [this] { return entry_->TimerRunning(); };
  }
  s.runFind = [this](const finder::FindMode& mode) -> std::optional<std::string> {
    return FindDialog ? FindDialog(mode) : std::nullopt;
  };
  s.showQuickView = [this](const customers::QuickView& v) {
    quickView_->SetView(v);
    quickView_->exec();
  };
  s.showView = [this](const documents::InvoiceView& v) {
    view_->SetView(v, model_->ListFont());
    view_->exec();
  };
  s.choosePrinter = [this] { return ChooseInvoicePrinter ? ChooseInvoicePrinter() : ChosenPrinter{}; };
  s.runBatchDialog = [this](const BatchPrompt& prompt) { return batch_->Run(prompt); };
  s.checkMailReady = [this] { return CheckMailReady && CheckMailReady(); };
  s.sendMail = [this](const documents::MailMessage& m) {
    return SendMail ? SendMail(m) : documents::MailResult{false, "e-mail sending is not available"};
  };
  s.closeMail = [this] {
    if (CloseMail) CloseMail();
  };
  s.setUpRepeatBilling = [this](const RepeatSetupRequest& r) {
    return SetUpRepeatBilling ? SetUpRepeatBilling(r) : browse::Outcome::Nothing();
  };
  s.beep = [] { QApplication::beep(); };
  model_ = std::make_unique<InvoiceManager>(std::move(s), List());
  SetModel(*model_);
  resize(980, 520);
}

Tinvlist::~Tinvlist() = default;

void Tinvlist::BuildControls() {
  NewInv = ToolButton(this, "NewInv", "New", QStyle::SP_FileIcon);
  EditInvoice = ToolButton(this, "EditInvoice", "Edit", QStyle::SP_FileDialogDetailedView);
  InvDelete = ToolButton(this, "InvDelete", "Delete", QStyle::SP_TrashIcon);
  SpeedButton1 = ToolButton(this, "SpeedButton1", "Find", QStyle::SP_FileDialogContentsView);
  ViewButn = ToolButton(this, "ViewButn", "View", QStyle::SP_FileDialogInfoView);
  CustDataButn = ToolButton(this, "CustDataButn", "Customer Data", QStyle::SP_DirHomeIcon);
  PrintButn = ToolButton(this, "PrintButn", "Print", QStyle::SP_DialogSaveButton);
  BatchButn = ToolButton(this, "BatchButn", "Batch Print", QStyle::SP_FileDialogListView);
  FilterButn = ToolButton(this, "FilterButn", "Filter On/Off", QStyle::SP_FileDialogToParent);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Help", QStyle::SP_DialogHelpButton);

  InvBrowser1 = new TIndexBrowser(this);
  InvBrowser1->setObjectName("InvBrowser1");
  InvBrowser1->setFont(QFont("Courier New", 10));

  BuildFrame({NewInv, EditInvoice, InvDelete, SpeedButton1, ViewButn, CustDataButn, PrintButn, BatchButn, FilterButn,
              SpeedButton2, SpeedButton3},
             InvBrowser1);
  CName = Label1;
  CName->setObjectName("CName");
  ARBalLabel = new QLabel("A/R:", this);
  ARBalLabel->setObjectName("ARBalLabel");
  ARBal = new QLabel(this);
  ARBal->setObjectName("ARBal");
  CFilter = new QLabel(this);
  CFilter->setObjectName("CFilter");
  if (auto* panel = findChild<QFrame*>("Panel1")) {
    auto* row = static_cast<QHBoxLayout*>(panel->layout());
    row->addStretch(1);
    row->addWidget(CFilter);
    row->addStretch(1);
    row->addWidget(ARBalLabel);
    row->addWidget(ARBal);
  }
  StatusPanel2 = new QLabel(StatusBar1);
  StatusPanel2->setObjectName("StatusBar1Panel2");
  StatusBar1->addWidget(StatusPanel2, 1);

  connect(NewInv, &QToolButton::clicked, this, [this] { NewInvoice(); });
  connect(EditInvoice, &QToolButton::clicked, this, [this] { EditCurrent(); });
  connect(InvDelete, &QToolButton::clicked, this, [this] { DeleteCurrent(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { FindInvoice(); });
  connect(ViewButn, &QToolButton::clicked, this, [this] { ViewInvoice(); });
  connect(CustDataButn, &QToolButton::clicked, this, [this] { ShowCustomerData(); });
  connect(PrintButn, &QToolButton::clicked, this, [this] { PrintInvoice(); });
  connect(BatchButn, &QToolButton::clicked, this, [this] { BatchPrintInvoices(); });
  connect(FilterButn, &QToolButton::clicked, this, [this] { ToggleFilter(); });
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton3, &QToolButton::clicked, this, &Tinvlist::ShowModelHelp);

  // Enter and a double-click show the customer's data.
  InvBrowser1->OnKeyPress = [this](TIndexBrowser*, QChar& ch) {
    if (ch == QChar('\r') || ch == QChar('\n')) {
      ch = QChar();
      ShowCustomerData();
    } else if (ch >= QChar('a') && ch <= QChar('z')) {
      ch = ch.toUpper();
    }
  };
  InvBrowser1->OnDblClick = [this](TIndexBrowser*) { ShowCustomerData(); };
  InvBrowser1->OnRowChanged = [](TIndexBrowser*) {};
}

void Tinvlist::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* invoice = MainMenu1->addMenu("&Invoice");
  invoice->setObjectName("Invoice1");
  New1 = Action(this, "New1", "&New");
  Edit1 = Action(this, "Edit1", "&Edit");
  Delete1 = Action(this, "Delete1", "&Delete");
  Find1 = Action(this, "Find1", "&Find");
  View1 = Action(this, "View1", "&View");
  CustomerData1 = Action(this, "CustomerData1", "C&ustomer Data");
  Print1 = Action(this, "Print1", "&Print");
  BatchPrint1 = Action(this, "BatchPrint1", "&Batch Print");
  RepeatBilling1 = Action(this, "RepeatBilling1", "&Repeat Billing Setup");
  Close1 = Action(this, "Close1", "&Close");
  invoice->addActions({New1, Edit1, Delete1, Find1, View1, CustomerData1, Print1, BatchPrint1});
  invoice->addSeparator();
  invoice->addAction(RepeatBilling1);
  invoice->addSeparator();
  invoice->addAction(Close1);
  QMenu* display = MainMenu1->addMenu("&Display");
  display->setObjectName("Display1");
  for (std::size_t i = 0; i < kViews.size(); ++i) {
    Views[i] = Action(this, kViews[i].name, kViews[i].caption);
    Views[i]->setCheckable(true);
    display->addAction(Views[i]);
    const int key = kViews[i].key;
    connect(Views[i], &QAction::triggered, this, [this, key] { SwitchView(key); });
  }
  display->addSeparator();
  PrintWindow1 = Action(this, "PrintWindow1", "Print &Window");
  display->addAction(PrintWindow1);
  QMenu* help = MainMenu1->addMenu("&Help");
  help->setObjectName("Help1");
  Overview1 = Action(this, "Overview1", "&Overview");
  help->addAction(Overview1);
  layout()->setMenuBar(MainMenu1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  PopupMenu1->addActions({New1, Edit1, Delete1, Find1, View1, CustomerData1, Print1, BatchPrint1});
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(Close1);
  common::ui::PopupOnRightClick(InvBrowser1, PopupMenu1);

  connect(New1, &QAction::triggered, this, [this] { NewInvoice(); });
  connect(Edit1, &QAction::triggered, this, [this] { EditCurrent(); });
  connect(Delete1, &QAction::triggered, this, [this] { DeleteCurrent(); });
  connect(Find1, &QAction::triggered, this, [this] { FindInvoice(); });
  connect(View1, &QAction::triggered, this, [this] { ViewInvoice(); });
  connect(CustomerData1, &QAction::triggered, this, [this] { ShowCustomerData(); });
  connect(Print1, &QAction::triggered, this, [this] { PrintInvoice(); });
  connect(BatchPrint1, &QAction::triggered, this, [this] { BatchPrintInvoices(); });
  connect(RepeatBilling1, &QAction::triggered, this, [this] { RepeatBillingSetup(); });
  connect(Close1, &QAction::triggered, this, &QDialog::reject);
  connect(PrintWindow1, &QAction::triggered, this, [this] { PrintWindow(); });
  connect(Overview1, &QAction::triggered, this, &Tinvlist::ShowModelHelp);
}

// Delete anywhere in the window deletes the current record.
void Tinvlist::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    event->accept();
    DeleteCurrent();
    return;
  }
  QDialog::keyPressEvent(event);
}

void Tinvlist::showEvent(QShowEvent* event) {
  // The title follows the main window's output choice; the company line its fonts.
  setWindowTitle(ToQString(model_->Title()));
  common::ui::ApplyFontSpec(*ARBal, model_->CaptionFont(), QPalette::WindowText);
  common::ui::ApplyFontSpec(*ARBalLabel, model_->CaptionFont(), QPalette::WindowText);
  ShowState();
  TManagerWindow::showEvent(event);
}

void Tinvlist::ShowState() {
  TManagerWindow::ShowState();
  CName->setText(ToQString(model_->CompanyCaption()));
  ARBal->setText(ToQString(model_->ReceivablesText()));
  CFilter->setText(ToQString(model_->FilterText()));
  CFilter->setStyleSheet(model_->FilterOn() ? "color: red" : "color: black");
  // Filtering: the window takes the shadow colour (the frame and the company line around the list).
  setStyleSheet(model_->FilterOn() ? "#Tinvlist, #Panel1, #ToolBar1 { background: #a0a0a0; }" : "");
  StatusPanel2->setText(ToQString(model_->TimerText()));
  for (std::size_t i = 0; i < kViews.size(); ++i) Views[i]->setChecked(model_->Order() == kViews[i].key);
  RepeatBilling1->setEnabled(model_->RepeatBillingAvailable());
}

void Tinvlist::NewInvoice() { Guard([this] { return model_->Add(); }); }
void Tinvlist::EditCurrent() { Guard([this] { return model_->Edit(); }); }
void Tinvlist::DeleteCurrent() { Guard([this] { return model_->Delete(); }); }
void Tinvlist::FindInvoice() { Guard([this] { return model_->Find(); }); }
void Tinvlist::ViewInvoice() { Guard([this] { return model_->View(); }); }
void Tinvlist::ShowCustomerData() { Guard([this] { return model_->CustomerData(); }); }
void Tinvlist::PrintInvoice() { Guard([this] { return model_->Print(); }); }
void Tinvlist::BatchPrintInvoices() { Guard([this] { return model_->BatchPrint(); }); }
void Tinvlist::RepeatBillingSetup() { Guard([this] { return model_->RepeatBillingSetup(); }); }
void Tinvlist::ToggleFilter() { Guard([this] { return model_->ToggleFilter(); }); }
void Tinvlist::SwitchView(int keyNr) { Guard([this, keyNr] { return model_->SetOrder(keyNr); }); }
void Tinvlist::PrintWindow() { PrintWindowImage(kInvoiceManagerCaption); }

}  // namespace tf::invoicing::ui
