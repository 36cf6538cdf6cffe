#pragma once
// TEditProd: the "Product Manager" window. The list, tool buttons, menus and status bar are
// bound to the ProductManager screen model; every action of the window calls the model.
//
// exec() opens the product file block, shows the window modally and closes the file block
// again. Invoice entry sets picker mode first and reads the picked product afterwards.

#include <QAction>
#include <QDialog>
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

#include "common/clock.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "common/text_report_viewer.h"
#include "engine/rebuilding/rebuild_status.h"
#include "browse/ui/browser_list.h"
#include "browse/ui/index_browser.h"
#include "finder/ui/find_box.h"
#include "products/product_find_mode.h"
#include "products/product_manager.h"

namespace tf::records {
class CompanyBook;
}

namespace tf::products::ui {

class TUpdProd;

// What the window works with: the current company, the messages, the status window, the text
// report window and the clock.
struct EditProdServices {
  const records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  common::TextReportViewer& viewer;
  const common::Clock& clock;
};

class TEditProd : public QDialog {
  Q_OBJECT

 public:
  TEditProd(EditProdServices services, QWidget* parent = nullptr);
  ~TEditProd() override;

  // FormShow, the modal loop, FormClose. When the product file cannot be opened, "Unable to
  // open database" has been shown and OnUnableToOpen runs (it ends the program).
  int exec() override;

  // Invoice entry: pick a product, starting at the line's code and description.
  void SetPickerMode(bool on, std::string_view code = {}, std::string_view description = {});

  ProductManager& Model() { return *model_; }
  TUpdProd& Editor() { return *editor_; }
  finder::ui::TFindBox& FindBox() { return *findBox_; }

  // --- platform actions, replaceable in tests ----------------------------------------------
  std::function<void()> OnUnableToOpen;
  std::function<void(std::string_view topic)> ShowHelp;
  // The find window in product mode: the code of the chosen row (TFindBox by default).
  std::function<std::optional<std::string>()> FindDialog;
  // The printer "Print Window" draws on.
  std::function<std::unique_ptr<common::PrintCanvas>()> WindowPrinter;

  // --- controls, by their names ------------------------------------------------------------
  QToolButton* NewProd;
  QToolButton* EditInvoice;
  QToolButton* InvDelete;
  QToolButton* SpeedButton1;
  QToolButton* ProdListButn;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  QLabel* Label1;
  TIndexBrowser* ProdBrowser;
  QStatusBar* StatusBar1;
  QLabel* CountPanel;
  QLabel* HintPanel;
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
  void PickProduct();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void FormShow();
  void ShowState();
  // Runs a model action; a failure to read the list is shown, not thrown through Qt.
  void Guard(const std::function<void()>& action);

  EditProdServices services_;
  std::unique_ptr<browse::BrowserList> list_;
  std::unique_ptr<ProductManager> model_;
  TUpdProd* editor_;
  finder::ui::TFindBox* findBox_;
  ProductFindMode findMode_;
};

}  // namespace tf::products::ui
