#include "products/ui/edit_prod.h"

#include <QKeyEvent>
#include <QLayout>
#include <QStyle>

#include "common/ui/command_widgets.h"
#include "common/ui/manager_frame.h"
#include "common/ui/qt_text.h"
#include "products/ui/upd_prod.h"
#include "records/product_record.h"

namespace tf::products::ui {

using common::ui::Action;
using common::ui::ToolButton;
using common::ui::ToQString;

TEditProd::TEditProd(EditProdServices services, QWidget* parent)
    : TManagerWindow(services.prompter, parent), services_(services) {
  setObjectName("TEditProd");
  setWindowTitle(ToQString(kManagerCaption));
  BuildControls();
  BuildMenus();
  editor_ = new TUpdProd(this);
  findBox_ = new finder::ui::TFindBox(services_.prompter, this);
  FindDialog = [this](const finder::FindMode& mode) { return findBox_->Run(mode); };
  model_ = std::make_unique<ProductManager>(
      ProductManagerServices{services_, [this](ProductEditor& editor) { return editor_->Run(editor, services_.prompter); },
                             [this](const finder::FindMode& mode) -> std::optional<std::string> {
                               return FindDialog ? FindDialog(mode) : std::nullopt;
                             }},
      List());
  SetModel(*model_);
  resize(820, 480);
}

TEditProd::~TEditProd() = default;

void TEditProd::BuildControls() {
  NewProd = ToolButton(this, "NewProd", "New", QStyle::SP_FileIcon);
  EditInvoice = ToolButton(this, "EditInvoice", "Edit", QStyle::SP_FileDialogDetailedView);
  InvDelete = ToolButton(this, "InvDelete", "Delete", QStyle::SP_TrashIcon);
  SpeedButton1 = ToolButton(this, "SpeedButton1", "Find", QStyle::SP_FileDialogContentsView);
  ProdListButn = ToolButton(this, "ProdListButn", "Product List", QStyle::SP_FileDialogListView);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Help", QStyle::SP_DialogHelpButton);

  ProdBrowser = new TIndexBrowser(this);
  ProdBrowser->setObjectName("ProdBrowser");
  ProdBrowser->setFont(QFont("Courier New", 10));

  BuildFrame({NewProd, EditInvoice, InvDelete, SpeedButton1, ProdListButn, SpeedButton2, SpeedButton3}, ProdBrowser);

  connect(NewProd, &QToolButton::clicked, this, [this] { AddProductDialog(); });
  connect(EditInvoice, &QToolButton::clicked, this, [this] { EditProductDialog(); });
  connect(InvDelete, &QToolButton::clicked, this, [this] { DeleteCurrentProduct(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { FindProduct(); });
  connect(ProdListButn, &QToolButton::clicked, this, [this] { ProductList(); });
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton3, &QToolButton::clicked, this, &TEditProd::ShowModelHelp);

  // ProdBrowserKeyPress: letters jump by upper-case keys; Enter picks.
  ProdBrowser->OnKeyPress = [this](TIndexBrowser*, QChar& ch) {
    if (ch == QChar('\r') || ch == QChar('\n')) {
      ch = QChar();
      ProdBrowserDblClick();
    } else if (ch >= QChar('a') && ch <= QChar('z')) {
      ch = ch.toUpper();
    }
  };
  ProdBrowser->OnDblClick = [this](TIndexBrowser*) { ProdBrowserDblClick(); };
  ProdBrowser->OnRowChanged = [](TIndexBrowser*) {};
}

// Delete anywhere in the window deletes the current product: the controls leave the key to
// the window.
void TEditProd::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    event->accept();
    DeleteCurrentProduct();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TEditProd::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* product = MainMenu1->addMenu("&Product");
  product->setObjectName("Product1");
  Add1 = Action(this, "Add1", "&New");
  Edit1 = Action(this, "Edit1", "&Edit");
  Delete1 = Action(this, "Delete1", "&Delete");
  Search1 = Action(this, "Search1", "&Find");
  ProductList1 = Action(this, "ProductList1", "Product &List");
  Close2 = Action(this, "Close2", "&Close");
  product->addActions({Add1, Edit1, Delete1, Search1, ProductList1});
  product->addSeparator();
  product->addAction(Close2);
  QMenu* display = MainMenu1->addMenu("&Display");
  display->setObjectName("Display1");
  Code1 = Action(this, "Code1", "By &Code");
  ByDescription1 = Action(this, "ByDescription1", "By &Description");
  Code1->setCheckable(true);
  ByDescription1->setCheckable(true);
  PrintWindow1 = Action(this, "PrintWindow1", "Print &Window");
  display->addActions({Code1, ByDescription1});
  display->addSeparator();
  display->addAction(PrintWindow1);
  QMenu* help = MainMenu1->addMenu("&Help");
  help->setObjectName("Help1");
  New1 = Action(this, "New1", "&Overview");
  help->addAction(New1);
  layout()->setMenuBar(MainMenu1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  Add2 = Action(this, "Add2", "&New");
  Edit2 = Action(this, "Edit2", "&Edit");
  Delete2 = Action(this, "Delete2", "&Delete");
  Search2 = Action(this, "Search2", "&Find");
  ProductList2 = Action(this, "ProductList2", "Product &List");
  Close3 = Action(this, "Close3", "&Close");
  PopupMenu1->addActions({Add2, Edit2, Delete2, Search2, ProductList2});
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(Close3);
  common::ui::PopupOnRightClick(ProdBrowser, PopupMenu1);

  for (QAction* a : {Add1, Add2}) connect(a, &QAction::triggered, this, [this] { AddProductDialog(); });
  for (QAction* a : {Edit1, Edit2}) connect(a, &QAction::triggered, this, [this] { EditProductDialog(); });
  for (QAction* a : {Delete1, Delete2}) connect(a, &QAction::triggered, this, [this] { DeleteCurrentProduct(); });
  for (QAction* a : {Search1, Search2}) connect(a, &QAction::triggered, this, [this] { FindProduct(); });
  for (QAction* a : {ProductList1, ProductList2}) connect(a, &QAction::triggered, this, [this] { ProductList(); });
  for (QAction* a : {Close2, Close3}) connect(a, &QAction::triggered, this, &QDialog::reject);
  connect(Code1, &QAction::triggered, this, [this] { SwitchOrder(records::product::kKeyByCode); });
  connect(ByDescription1, &QAction::triggered, this, [this] { SwitchOrder(records::product::kKeyByDescription); });
  connect(PrintWindow1, &QAction::triggered, this, [this] { PrintWindow(); });
  connect(New1, &QAction::triggered, this, &TEditProd::ShowModelHelp);
}

void TEditProd::ShowState() {
  TManagerWindow::ShowState();
  Code1->setChecked(model_->Order() == records::product::kKeyByCode);
  ByDescription1->setChecked(model_->Order() == records::product::kKeyByDescription);
}

std::optional<common::RecordBuffer> TEditProd::PickProduct(std::string_view code, std::string_view description) {
  model_->BeginPicking(code, description);
  return RunPicker();
}

void TEditProd::AddProductDialog() { Guard([this] { return model_->Add(); }); }
void TEditProd::EditProductDialog() { Guard([this] { return model_->Edit(); }); }
void TEditProd::DeleteCurrentProduct() { Guard([this] { return model_->Delete(); }); }
void TEditProd::FindProduct() { Guard([this] { return model_->Find(); }); }
void TEditProd::ProductList() { Guard([this] { return model_->ProductList(); }); }
void TEditProd::SwitchOrder(int keyNr) { Guard([this, keyNr] { return model_->SetOrder(keyNr); }); }
void TEditProd::ProdBrowserDblClick() { PickCurrent(); }

// The window's image, as large as the page allows.
void TEditProd::PrintWindow() { PrintWindowImage(kManagerCaption); }

}  // namespace tf::products::ui
