#pragma once
// TDemoForm: the "Customer Manager" window, a TManagerWindow (browse/ui/manager_window.h). The
// list, tool buttons, menus, pop-up menu and status bar are bound to the CustomerManager screen
// model; every action calls the model through the window's guard.
//
// exec() opens the customer file block, shows the window modally and closes the file block.
// Other windows pick a customer with PickCustomer().

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
#include "correspondence/label_queue.h"
#include "customers/customer_manager.h"

namespace tf::customers::ui {

class TEditDlg;

struct DemoFormServices : browse::ManagerServices {
  correspondence::LabelQueue& labelQueue;  // the main window's
  // The main window's default output is e-mail.
  std::function<bool()> emailMode = [] { return false; };
};

class TDemoForm : public browse::ui::TManagerWindow {
  Q_OBJECT

 public:
  explicit TDemoForm(DemoFormServices services, QWidget* parent = nullptr);
  ~TDemoForm() override;

  // Invoice entry and the payment wizard: the customer they show (name and number) becomes the
  // selected customer, the window opens on it in picker mode; the customer picked, if any.
  // A caller holding the invoice file open passes it: the manager uses that handle when it
  // renumbers or checks a customer's invoices.
  std::optional<common::RecordBuffer> PickCustomer(const std::string& name, const std::string& number,
                                                   engine::FileBlock* openInvoices = nullptr);

  CustomerManager& Model() { return *model_; }

  // The statement windows, once installed, run "View/Print Statement" and "Batch Print
  // Statements"; their buttons and menu items stay disabled until then.
  void SetStatementCommands(std::function<browse::Outcome()> view, std::function<browse::Outcome()> batch);
  // Status panel 1 as a long command goes on (the model keeps it for the next showing).
  void ShowHint(const std::string& text);
  TEditDlg& Editor() { return *editor_; }

  // --- platform actions, replaceable in tests (and those of TManagerWindow) ----------------
  // The find window in customer mode: the number of the chosen row.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> FindDialog;
  // The payment terms list for the editor.
  std::function<std::vector<std::string>()> LoadTerms;

  // --- controls, by their names ------------------------------------------------------------
  QToolButton* NewCustButn;
  QToolButton* EditCustButn;
  QToolButton* DeleteCustButn;
  QToolButton* FinCustButn;
  QToolButton* CustBookButn;
  QToolButton* StmtPrin;
  QToolButton* BatchPrinButn;
  QToolButton* PrintEnvButn;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  TIndexBrowser* CustBrowser;
  QMenuBar* MainMenu1;
  QAction* Add1;
  QAction* Edit1;
  QAction* Delete1;
  QAction* Search1;
  QAction* CustomerList1;
  QAction* PrintEnvelope1;
  QAction* AddtoLabelQueue1;
  QAction* Close1;
  QAction* ByName1;
  QAction* ByNumber1;
  QAction* PrintWindow1;
  QAction* View2;
  QAction* BatchPrint1;
  QAction* AddingRecords1;
  QMenu* PopupMenu1;
  QAction* A1;
  QAction* EditCustomer1;
  QAction* D1;
  QAction* Search2;
  QAction* CustomerList2;
  QAction* Statement1;
  QAction* PrintEnvelope2;
  QAction* AddtoLabelQueue2;
  QAction* Close2;

  // The window's actions, as the controls run them.
  void NewCustButnClick();
  void EditCustButnClick();
  void DeleteCustButnClick();
  void FinCustButnClick();
  void CustBookButnClick();
  void PrintEnvButnClick();
  void StmtPrinClick();
  void BatchPrinButnClick();
  void AddtoLabelQueue1Click();
  void ByName1Click();
  void ByNumber1Click();
  void PrintWindow1Click();
  void CustBrowserDblClick();

 protected:
  void ShowState() override;

 private:
  void BuildControls();
  void BuildMenus();

  DemoFormServices services_;
  std::unique_ptr<CustomerManager> model_;
  TEditDlg* editor_;
  engine::FileBlock* openInvoices_ = nullptr;
  std::function<browse::Outcome()> viewStatement_;
  std::function<browse::Outcome()> batchStatements_;
};

}  // namespace tf::customers::ui
