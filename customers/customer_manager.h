#pragma once
// The Customer Manager (TDemoForm) without the screen: it opens the company's customer file,
// feeds the list, and carries out every command of the window: add, edit, delete, find, pick,
// list order, the customer list report, envelopes and the label queue. The form binds its
// controls to these and shows the two status panels.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text_report_viewer.h"
#include "correspondence/label_queue.h"
#include "customers/customer_editor.h"
#include "customers/customer_list.h"
#include "browse/manager_list.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "finder/find_mode.h"
#include "records/company_store.h"

namespace tf::customers {

inline constexpr std::string_view kCustomerManagerTitle = "Customer Manager";
inline constexpr std::string_view kEMailModeSuffix = " - (E-Mail Mode)";
inline constexpr std::string_view kMenuHint = "Right-click mouse or select from menu bar.";
inline constexpr std::string_view kPickHint = "Double-click or press <enter> to select.";
inline constexpr std::string_view kUnableToOpenDatabase = "Unable to open database";
inline constexpr std::string_view kCustomerSearchFailed = "Customer Search operation failed";
inline constexpr std::string_view kDeleteCaption = "Delete Customer";
inline constexpr std::string_view kBalanceDueText = "This customer has a balance due. Unable to delete.";
inline constexpr std::string_view kInvoicesOnFileText =
    "This customer has invoices on file and may not be deleted. You can mark this customer as inactive, "
    "otherwise, wait until you remove their paid invoices, then delete.";
inline constexpr std::string_view kDeleteQuestion = "Are you sure you want to delete this customer?";
inline constexpr std::string_view kDeleteFailedText = "Delete customer failed";
inline constexpr std::string_view kNumberChangedCaption = "Customer Number Changed";
inline constexpr std::string_view kManagerHelpTopic = "CustomerManager";
inline constexpr std::string_view kEditorHelpTopic = "NewCustomer";

// What the manager needs from the program around it.
struct CustomerManagerServices {
  records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // rebuilds and the "Customer List" status window
  common::TextReportViewer& reports;
  const common::Clock& clock;
  correspondence::LabelQueue& labelQueue;
  // Shows the editor modally; true when it closed through a successful "&Ok".
  std::function<bool(CustomerEditor& editor)> runEditor;
  // Shows the find window in the given mode; the chosen row's result text.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> runFind;
  // The payment terms list, read each time an editor is shown.
  std::function<std::vector<std::string>()> loadTerms;
  // The invoice file when a window that opened this one holds it open (invoice entry picking
  // a customer); nullptr otherwise, and the manager opens it itself when it needs it.
  std::function<engine::FileBlock*()> openInvoiceFile;
};

class CustomerManager {
 public:
  CustomerManager(CustomerManagerServices services, browse::ManagerList& list);
  ~CustomerManager();
  CustomerManager(const CustomerManager&) = delete;
  CustomerManager& operator=(const CustomerManager&) = delete;

  // --- the window ------------------------------------------------------------------------
  // On show: opens the file and fills the list (positioned on the selected customer when
  // picking). False when the file could not be opened: the caller shows "Unable to open
  // database" and ends the program. Throws std::runtime_error("Customer Search operation
  // failed") when the picker's search fails.
  bool Open();
  void Close();  // closes the customer file
  bool IsOpen() const { return file_ != nullptr; }
  engine::FileBlock* File() const { return file_; }

  std::string Title(bool emailMode) const;
  // "Name - #Number" above the list.
  std::string CompanyCaption() const;
  // The status panels: 0 the count of the current index, 1 the hint or the last outcome.
  const std::string& Panel(int n) const { return panels_[n == 0 ? 0 : 1]; }
  // The current row changed: panel 0 counts again.
  void RowChanged();

  // --- commands --------------------------------------------------------------------------
  void Add();
  void Edit();
  void Delete();
  void Find();
  // Double-click or Enter: the current customer becomes the selected customer; true when the
  // window should close.
  bool Pick();
  // 1 by name, 2 by number: the list switches index and stays on the current customer.
  void SetOrder(int keyNr);
  int Order() const { return order_; }
  void CustomerListReport();
  void PrintEnvelope(common::PrintCanvas& canvas);
  void AddToLabelQueue();

  // --- picking for other windows ---------------------------------------------------------
  // Invoice entry and the payment wizard put the customer they show here, then show the
  // window modally with picking on.
  void BeginPicking(const std::string& name, const std::string& number);
  void EndPicking();
  bool Picking() const { return picking_; }
  const common::RecordBuffer& Selected() const { return selected_; }

  // The manager's record buffer (the list reads each row into it).
  const common::RecordBuffer& Buffer() const { return buffer_; }
  CustomerEditor& Editor() { return editor_; }

 private:
  // The current row's record read again; false when there is none or it cannot be read (or,
  // with `mustBeUnchanged`, no longer shows as listed).
  bool ReadCurrent(bool mustBeUnchanged);
  void Fail(std::string_view text);
  std::unique_ptr<browse::BrowseSource> NewSource();
  std::string CompanyText(common::TextField field) const;
  engine::FileBlock* OpenInvoiceFile() const;

  CustomerManagerServices services_;
  browse::ManagerList& list_;
  engine::FileBlock* file_ = nullptr;
  common::RecordBuffer buffer_{1008};
  common::RecordBuffer selected_{1008};
  CustomerEditor editor_;
  int order_ = 1;
  bool picking_ = false;
  std::string panels_[2];
};

}  // namespace tf::customers
