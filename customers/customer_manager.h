#pragma once
// The Customer Manager (TDemoForm) without the screen: it opens the company's customer file,
// feeds the list, and carries out every command of the window: add, edit, delete, find, pick,
// list order, the customer list report, envelopes and the label queue. The form binds its
// controls to these and shows the two status panels and the outcomes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_source.h"
#include "browse/manager_list.h"
#include "browse/manager_model.h"
#include "common/help_topics.h"
#include "common/print_canvas.h"
#include "correspondence/label_queue.h"
#include "customers/customer_editor.h"
#include "engine/core/engine.h"
#include "finder/find_mode.h"

namespace tf::customers {

inline constexpr std::string_view kCustomerManagerTitle = "Customer Manager";
inline constexpr std::string_view kEMailModeSuffix = " - (E-Mail Mode)";
inline constexpr std::string_view kPickHint = "Double-click or press <enter> to select.";
inline constexpr std::string_view kCustomerSearchFailed = "Customer Search operation failed";
inline constexpr std::string_view kDeleteCaption = "Delete Customer";
inline constexpr std::string_view kBalanceDueText = "This customer has a balance due. Unable to delete.";
inline constexpr std::string_view kInvoicesOnFileText =
    "This customer has invoices on file and may not be deleted. You can mark this customer as inactive, "
    "otherwise, wait until you remove their paid invoices, then delete.";
inline constexpr std::string_view kDeleteQuestion = "Are you sure you want to delete this customer?";
inline constexpr std::string_view kDeleteFailedText = "Delete customer failed";
inline constexpr std::string_view kNumberChangedCaption = "Customer Number Changed";
inline constexpr std::string_view kManagerHelpTopic = common::help::kCustomerManager;
inline constexpr std::string_view kEditorHelpTopic = common::help::kNewCustomer;

// What the manager needs from the program around it, besides what every manager needs.
struct CustomerManagerServices : browse::ManagerServices {
  correspondence::LabelQueue& labelQueue;
  // The main window's default output is e-mail: the title says so.
  std::function<bool()> emailMode;
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

// The Customer Manager: the manager shape of browse/manager_model.h over the customer file,
// listed by name (1) or number (2).
class CustomerManager : public browse::ManagerModel {
 public:
  CustomerManager(CustomerManagerServices services, browse::ManagerList& list);
  ~CustomerManager() override;

  // "Customer Manager", with " - (E-Mail Mode)" while the main window's output is e-mail.
  std::string Title() const override;
  std::string ListHeader() const override;
  std::string_view HelpTopic() const override { return kManagerHelpTopic; }

  // --- the customer manager's own commands -----------------------------------------------
  browse::Outcome CustomerListReport();
  browse::Outcome PrintEnvelope(common::PrintCanvas& canvas);
  browse::Outcome AddToLabelQueue();

  // --- what the statement windows use ------------------------------------------------------
  // The current customer read again (its number and name start a statement); nothing when
  // the list has no current row or it cannot be read.
  std::optional<common::RecordBuffer> CurrentCustomer();
  // Status panel 1: a batch of statements reports its progress there.
  void SetHint(std::string text) { panels_[1] = std::move(text); }

  // Invoice entry and the payment wizard put the customer they show here, then show the
  // window modally with picking on: it opens on that customer ("Customer Search operation
  // failed" when the search for it fails).
  void BeginPicking(const std::string& name, const std::string& number);

  CustomerEditor& Editor() { return editor_; }

 protected:
  browse::Outcome OpenFile() override;
  browse::Outcome AddRecord() override;
  browse::Outcome EditRecord() override;
  browse::Outcome DeleteRecord() override;
  browse::Outcome FindRecord() override;

 private:
  std::unique_ptr<browse::BrowseSource> NewSource();
  engine::FileBlock* OpenInvoiceFile() const;
  std::vector<std::string> Terms() const;
  bool AutoCopyBillToShip() const;

  CustomerManagerServices services_;
  CustomerEditor editor_;
};

}  // namespace tf::customers
