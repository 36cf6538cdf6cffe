#pragma once
// TEditProd: the "Product Manager" window, a TManagerWindow (browse/ui/manager_window.h). The
// list, tool buttons, menus and status bar are bound to the ProductManager screen model; every
// action of the window calls the model through the window's guard.
//
// exec() opens the product file block, shows the window modally and closes the file block
// again. Invoice entry picks a product with PickProduct().

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "browse/manager_model.h"
#include "browse/ui/index_browser.h"
#include "browse/ui/manager_window.h"
#include "common/record_buffer.h"
#include "finder/find_mode.h"
#include "finder/ui/find_box.h"
#include "products/product_manager.h"

namespace tf::products::ui {

class TUpdProd;

// What the window works with: the current company, the messages, the status window, the text
// report window and the clock.
using EditProdServices = browse::ManagerServices;

class TEditProd : public browse::ui::TManagerWindow {
  Q_OBJECT

 public:
  TEditProd(EditProdServices services, QWidget* parent = nullptr);
  ~TEditProd() override;

  // Invoice entry: the window opens on the line's code (or description) in picker mode; the
  // product picked, if any.
  std::optional<common::RecordBuffer> PickProduct(std::string_view code, std::string_view description);

  ProductManager& Model() { return *model_; }
  TUpdProd& Editor() { return *editor_; }
  finder::ui::TFindBox& FindBox() { return *findBox_; }

  // --- platform actions, replaceable in tests (and those of TManagerWindow) ----------------
  // The find window in product mode: the code of the chosen row (FindBox() by default).
  std::function<std::optional<std::string>(const finder::FindMode& mode)> FindDialog;

  // --- controls, by their names ------------------------------------------------------------
  QToolButton* NewProd;
  QToolButton* EditInvoice;
  QToolButton* InvDelete;
  QToolButton* SpeedButton1;
  QToolButton* ProdListButn;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  TIndexBrowser* ProdBrowser;
  QMenuBar* MainMenu1;
  QAction* Add1;
  QAction* Edit1;
  QAction* Delete1;
  QAction* Search1;
  QAction* ProductList1;
  QAction* Close2;
  QAction* Code1;
  QAction* ByDescription1;
  QAction* PrintWindow1;
  QAction* New1;
  QMenu* PopupMenu1;
  QAction* Add2;
  QAction* Edit2;
  QAction* Delete2;
  QAction* Search2;
  QAction* ProductList2;
  QAction* Close3;

  // The window's actions, as the controls run them.
  void AddProductDialog();
  void EditProductDialog();
  void DeleteCurrentProduct();
  void FindProduct();
  void ProductList();
  void SwitchOrder(int keyNr);
  void PrintWindow();
  void ProdBrowserDblClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void ShowState() override;

 private:
  void BuildControls();
  void BuildMenus();

  EditProdServices services_;
  std::unique_ptr<ProductManager> model_;
  TUpdProd* editor_;
  finder::ui::TFindBox* findBox_;
};

}  // namespace tf::products::ui
