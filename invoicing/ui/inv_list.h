#pragma once
// Tinvlist: the "Invoice Manager" window, a TManagerWindow (browse/ui/manager_window.h) bound to
// the InvoiceManager model: the list over one of the six indexes, the company line with the
// receivables (ARBal) and the filter state (CFilter), the tool buttons, the "&Invoice" and
// "&Display" menus and the pop-up menu, and the three status panels (count, hint, work timer).
// It opens invoice entry (TInvoice), the find window in invoice mode, the view (Trtedit), the
// customer data (TQView) and the batch dialog (TInvBatch).

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browse/ui/index_browser.h"
#include "browse/ui/manager_window.h"
#include "customers/ui/q_view.h"
#include "finder/ui/find_box.h"
#include "invoicing/manager/invoice_manager.h"
#include "invoicing/ui/inv_batch.h"
#include "invoicing/ui/rt_edit.h"

namespace tf::invoicing::ui {

class TInvoice;

struct InvListServices {
  browse::ManagerServices shared;
  correspondence::LabelQueue* labelQueue = nullptr;
  std::function<bool()> emailMode;
};

class Tinvlist : public browse::ui::TManagerWindow {
  Q_OBJECT

 public:
  Tinvlist(InvListServices services, TInvoice* entry, QWidget* parent = nullptr);
  ~Tinvlist() override;

  InvoiceManager& Model() { return *model_; }
  finder::ui::TFindBox& FindBox() { return *findBox_; }
  Trtedit& ViewWindow() { return *view_; }
  customers::ui::TQView& QuickView() { return *quickView_; }
  TInvBatch& BatchDialog() { return *batch_; }

  // --- platform actions, replaceable in tests (and those of TManagerWindow) ----------------
  // The print dialog for invoices: the printer chosen (a file for "Print to File (PDF)").
  std::function<ChosenPrinter()> ChooseInvoicePrinter;
  // The find window in invoice mode: the number of the row chosen (FindBox() by default).
  std::function<std::optional<std::string>(const finder::FindMode& mode)> FindDialog;
  // E-mail and repeat billing, filled by their windows when they exist. In e-mail mode a print
  // or a batch runs CheckMailReady first and CloseMail when it ends, however it ends.
  std::function<bool()> CheckMailReady;
  documents::SendMail SendMail;
  std::function<void()> CloseMail;
  std::function<browse::Outcome(const RepeatSetupRequest& request)> SetUpRepeatBilling;

  // --- controls, by their names --------------------------------------------------------------
  QLabel* CName;
  QLabel* ARBalLabel;
  QLabel* ARBal;
  QLabel* CFilter;
  QLabel* StatusPanel2;  // StatusBar1Panel2: the work timer
  QToolButton* NewInv;
  QToolButton* EditInvoice;
  QToolButton* InvDelete;
  QToolButton* SpeedButton1;
  QToolButton* ViewButn;
  QToolButton* CustDataButn;
  QToolButton* PrintButn;
  QToolButton* BatchButn;
  QToolButton* FilterButn;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  TIndexBrowser* InvBrowser1;
  QMenuBar* MainMenu1;
  QAction* New1;
  QAction* Edit1;
  QAction* Delete1;
  QAction* Find1;
  QAction* View1;
  QAction* CustomerData1;
  QAction* Print1;
  QAction* BatchPrint1;
  QAction* RepeatBilling1;
  QAction* Close1;
  std::array<QAction*, 6> Views;  // ByDate1, ByType1, ByNumber1, ByCustomer1, ByKeyCode1, ByDatePaid1
  QAction* PrintWindow1;
  QAction* Overview1;
  QMenu* PopupMenu1;

  // The window's actions, as the controls run them.
  void NewInvoice();
  void EditCurrent();
  void DeleteCurrent();
  void FindInvoice();
  void ViewInvoice();
  void ShowCustomerData();
  void PrintInvoice();
  void BatchPrintInvoices();
  void RepeatBillingSetup();
  void ToggleFilter();
  void SwitchView(int keyNr);
  void PrintWindow();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void ShowState() override;

 private:
  void BuildControls();
  void BuildMenus();

  InvListServices services_;
  TInvoice* entry_;
  std::unique_ptr<InvoiceManager> model_;
  finder::ui::TFindBox* findBox_;
  Trtedit* view_;
  customers::ui::TQView* quickView_;
  TInvBatch* batch_;
  bool printRequested_ = false;
};

}  // namespace tf::invoicing::ui
