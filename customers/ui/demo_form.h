#pragma once
// TDemoForm: the "Customer Manager" window. The list, tool buttons, menus, pop-up menu and
// status bar are bound to the CustomerManager screen model; every action calls the model.
//
// exec() opens the customer file block, shows the window modally and closes the file block.
// Other windows pick a customer with PickCustomer().

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
#include "common/record_buffer.h"
#include "common/text_report_viewer.h"
#include "correspondence/label_queue.h"
#include "customers/customer_manager.h"
#include "engine/rebuilding/rebuild_status.h"
#include "browse/ui/browser_list.h"
#include "browse/ui/index_browser.h"

namespace tf::customers::ui {

class TEditDlg;

struct DemoFormServices {
  records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  common::TextReportViewer& viewer;
  const common::Clock& clock;
  correspondence::LabelQueue& labelQueue;
  // The main window's default output is e-mail.
  std::function<bool()> emailMode = [] { return false; };
};

class TDemoForm : public QDialog {
  Q_OBJECT

 public:
  explicit TDemoForm(DemoFormServices services, QWidget* parent = nullptr);
  ~TDemoForm() override;

  // FormShow, the modal loop, FormClose. When the customer file cannot be opened, "Unable to
  // open database" has been shown and OnUnableToOpen runs (it ends the program).
  int exec() override;

  // Invoice entry and the payment wizard: the customer they show (name and number) becomes the
  // selected customer, the window opens on it in picker mode; the customer picked, if any.
  // A caller holding the invoice file open passes it: the manager uses that handle when it
  // renumbers or checks a customer's invoices.
  std::optional<common::RecordBuffer> PickCustomer(const std::string& name, const std::string& number,
                                                   engine::FileBlock* openInvoices = nullptr);

  CustomerManager& Model() { return *model_; }
  TEditDlg& Editor() { return *editor_; }

  // --- platform actions, replaceable in tests ----------------------------------------------
  std::function<void()> OnUnableToOpen;
  std::function<void(std::string_view topic)> ShowHelp;
  // The find window in customer mode: the number of the chosen row.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> FindDialog;
  // The printer envelopes and "Print Window" go to.
  std::function<std::unique_ptr<common::PrintCanvas>()> Printer;
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
  QLabel* Label1;
  TIndexBrowser* CustBrowser;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
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
  void AddtoLabelQueue1Click();
  void ByName1Click();
  void ByNumber1Click();
  void PrintWindow1Click();
  void CustBrowserDblClick();

 private:
  void BuildControls();
  void BuildMenus();
  void ShowState();
  // Runs a model action; a failure to read the list is shown, not thrown through Qt.
  void Guard(const std::function<void()>& action);

  DemoFormServices services_;
  std::unique_ptr<browse::BrowserList> list_;
  std::unique_ptr<CustomerManager> model_;
  TEditDlg* editor_;
  engine::FileBlock* openInvoices_ = nullptr;
};

}  // namespace tf::customers::ui
