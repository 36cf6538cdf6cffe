#pragma once
// TListComps: the "Company Manager" window, a TManagerWindow (browse/ui/manager_window.h) bound
// to the CompanyManager screen model. exec() opens the company file block, shows the window
// modally and closes it again; what it closed with (Model().Closed()) tells the main window
// whether to switch companies.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browse/manager_model.h"
#include "browse/ui/index_browser.h"
#include "browse/ui/manager_window.h"
#include "companies/company_manager.h"
#include "finder/find_mode.h"
#include "finder/ui/find_box.h"

namespace tf::companies::ui {

class TCompSet;

class TListComps : public browse::ui::TManagerWindow {
  Q_OBJECT

 public:
  // `checkPassword` guards edit and delete.
  TListComps(browse::ManagerServices services, std::function<bool()> checkPassword, QWidget* parent = nullptr);
  ~TListComps() override;

  CompanyManager& Model() { return *model_; }
  TCompSet& Options() { return *options_; }
  finder::ui::TFindBox& FindBox() { return *findBox_; }

  // The find window in company mode: the number of the chosen row (FindBox() by default).
  std::function<std::optional<std::string>(const finder::FindMode& mode)> FindDialog;

  // --- controls, by their names ------------------------------------------------------------
  QToolButton* NewProd;
  QToolButton* EditInvoice;
  QToolButton* InvDelete;
  QToolButton* SpeedButton1;
  QToolButton* SpeedButton4;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  TIndexBrowser* CompBrowser;
  QMenuBar* MainMenu1;
  QAction* Add1;
  QAction* Edit1;
  QAction* Delete1;
  QAction* SetAsDefault1;
  QAction* Search1;
  QAction* CompanyList1;
  QAction* Close2;
  QAction* Code1;
  QAction* ByDescription1;
  QAction* PrintWindow1;
  QAction* New1;
  QMenu* PopupMenu1;
  QAction* Add2;
  QAction* Edit2;
  QAction* Delete2;
  QAction* SetAsDefault2;
  QAction* Search2;
  QAction* CompanyList2;
  QAction* Close3;

  // The window's actions, as the controls run them.
  void AddCompany();
  void EditCompany();
  void DeleteCompany();
  void FindCompany();
  void CompanyList();
  void SetAsDefault();
  void SwitchOrder(int keyNr);
  void PrintWindow();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void ShowState() override;

 private:
  void BuildControls();
  void BuildMenus();

  browse::ManagerServices services_;
  std::unique_ptr<CompanyManager> model_;
  TCompSet* options_;
  finder::ui::TFindBox* findBox_;
};

}  // namespace tf::companies::ui
