#pragma once
// The Invoice Manager (Tinvlist) without its window: the manager shape of
// browse/manager_model.h over the company's invoice file, listed by one of its six indexes
// (by invoice date when the program starts), with the line and memo files open beside it.
// Every command of the window: new and edit (through invoice entry), delete with the balances
// reversed, find, view, customer data, print and batch print (on paper or by e-mail), the
// customer filter, and the repeat billing set-up.
//
// Invoice entry opens the invoice, line, memo, customer and company files itself; the manager
// lets its own go while entry runs and takes them back afterwards, on the saved invoice.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "browse/manager_list.h"
#include "browse/manager_model.h"
#include "common/help_topics.h"
#include "common/print_canvas.h"
#include "correspondence/label_queue.h"
#include "customers/customer_quick_view.h"
#include "finder/find_mode.h"
#include "invoicing/documents/document_output.h"
#include "invoicing/documents/invoice_view.h"
#include "invoicing/manager/batch_print.h"
#include "invoicing/manager/customer_filter.h"

namespace tf::invoicing {

inline constexpr std::string_view kInvoiceManagerCaption = "Invoice Manager";
inline constexpr std::string_view kInvoiceManagerEMailCaption = "Invoice Manager - (E-Mail Mode)";
inline constexpr std::string_view kInvoiceManagerHelpTopic = common::help::kInvoiceManager;
inline constexpr std::string_view kFilterClosed = "Filter Closed";
inline constexpr std::string_view kTimerRunning = "Timer running...";
inline constexpr std::string_view kTimerOff = "Timer off";

// What invoice entry says after it closed with OK.
struct EntryResult {
  std::string number;  // the invoice saved
  std::string status;  // "Added invoice ..." / "Editing invoice ... completed."
  bool print = false;  // "Print Invoice" was checked
};

// A printer chosen in the print dialog: a file ("Print to File (PDF)") takes every copy of the
// command in one document.
struct ChosenPrinter {
  std::unique_ptr<common::PrintCanvas> canvas;
  bool toFile = false;
};

// What the repeat billing set-up works on: the current record and the open files.
struct RepeatSetupRequest {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  std::int32_t ref = 0;
  std::span<const std::uint8_t> record;
};

struct InvoiceManagerServices : browse::ManagerServices {
  explicit InvoiceManagerServices(const browse::ManagerServices& shared) : ManagerServices(shared) {}

  correspondence::LabelQueue* labelQueue = nullptr;
  // The main window's output choice: e-mail instead of the printer.
  std::function<bool()> emailMode;
  // Invoice entry on a new invoice, or on the invoice of this number; what it saved, if anything.
  std::function<std::optional<EntryResult>()> addInvoice;
  std::function<std::optional<EntryResult>(const std::string& number)> editInvoice;
  // Whether entry's work timer runs (status panel 2).
  std::function<bool()> timerRunning;
  // The find window in the given mode: the number of the row chosen.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> runFind;
  std::function<void(const customers::QuickView& view)> showQuickView;
  std::function<void(const documents::InvoiceView& view)> showView;
  // The print dialog; no canvas when it was cancelled.
  std::function<ChosenPrinter()> choosePrinter;
  // TInvBatch: the number typed, or nothing when cancelled.
  std::function<std::optional<int>(const BatchPrompt& prompt)> runBatchDialog;
  // E-mail (filled by the e-mail sending of the program): whether mail can go out now (it says
  // why not itself and opens the connection), sending one message, and closing the connection
  // at the end of a print or a batch.
  std::function<bool()> checkMailReady;
  documents::SendMail sendMail;
  std::function<void()> closeMail;
  // The repeat billing set-up (filled by repeat billing).
  std::function<browse::Outcome(const RepeatSetupRequest& request)> setUpRepeatBilling;
  std::function<void()> beep;
};

class InvoiceManager : public browse::ManagerModel {
 public:
  InvoiceManager(InvoiceManagerServices services, browse::ManagerList& list);
  ~InvoiceManager() override;

  std::string Title() const override;
  std::string ListHeader() const override;
  std::string_view HelpTopic() const override { return kInvoiceManagerHelpTopic; }
  static int BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record);

  // --- what the window shows besides the list ------------------------------------------------
  // ARBal: the company balance ",0.00".
  std::string ReceivablesText() const;
  // CFilter: "Filter Closed", or "Filtering Customer#: " + the number.
  std::string FilterText() const;
  bool FilterOn() const { return filterOn_; }
  // Status panel 2: the work timer.
  std::string TimerText() const;
  bool EMailMode() const { return services_.emailMode && services_.emailMode(); }
  bool RepeatBillingAvailable() const { return bool(services_.setUpRepeatBilling); }

  // --- the invoice manager's own commands ----------------------------------------------------
  browse::Outcome ToggleFilter();
  browse::Outcome View();
  browse::Outcome CustomerData();
  browse::Outcome Print();
  browse::Outcome BatchPrint();
  browse::Outcome RepeatBillingSetup();

  // The line and memo files beside the invoice file (open while the window is).
  engine::FileBlock* Lines() const { return lines_; }
  engine::FileBlock* Memos() const { return memos_; }

 protected:
  browse::Outcome OpenFile() override;
  void Closing() override;
  browse::Outcome AddRecord() override;
  browse::Outcome EditRecord() override;
  browse::Outcome DeleteRecord() override;
  browse::Outcome FindRecord() override;

 private:
  // Attaches the list's source on the current order: the whole index, or the filter's.
  void AttachList();
  // Lets the files go for invoice entry, and takes them back (the list on `number`, or where it
  // was). False when they cannot be opened again.
  std::optional<std::int32_t> ReleaseFiles();
  bool RetakeFiles();
  bool OpenFiles();
  void CloseSideFiles();
  // The list on the first record of `number` (key 1), under the current order.
  bool GoToNumber(std::string_view number);
  // Prints or e-mails one invoice as the Print command does.
  browse::Outcome OutputOne(const std::string& number, std::span<const std::uint8_t> record);
  std::optional<browse::Outcome> MailNotReady();
  // The print dialog's printer and the jobs on it; false when the dialog was cancelled.
  bool ChoosePrinter(const std::string& fileTitle, ChosenPrinter& printer,
                     std::unique_ptr<documents::PrintJobs>& jobs);
  documents::DocumentServices DocumentServicesWith(engine::FileBlock* customers);
  std::string CompanyNumber() const;

  InvoiceManagerServices services_;
  engine::FileBlock* lines_ = nullptr;
  engine::FileBlock* memos_ = nullptr;
  bool filterOn_ = false;
  CustomerFilterIndex filter_;
};

}  // namespace tf::invoicing
