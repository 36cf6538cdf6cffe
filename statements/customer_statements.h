#pragma once
// The statement windows without the screens: the Customer Manager's "View/Print Statement" and
// "Batch Print Statements", the statement shown ("Customer Statement" with its unpaid-only
// choice), its printing or e-mailing, and the batch's choice, count, size and run. The forms
// (statements/ui) show what this leaves and pass on what the user did; every decision and every
// text they show is made here, so the windows and their tests agree.
//
// The customer file is the Customer Manager's, open while its window is: the statement books
// borrow it and never close it. They open the invoice file for as long as a statement is shown
// or a batch runs.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/manager_model.h"
#include "common/clock.h"
#include "common/help_topics.h"
#include "common/print_canvas.h"
#include "common/stored_font.h"
#include "common/prompter.h"
#include "correspondence/label_queue.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"
#include "statements/statement.h"
#include "statements/statement_batch.h"
#include "statements/statement_books.h"
#include "statements/statement_mail.h"

namespace tf::statements {

inline constexpr std::string_view kStatementCaption = "Customer Statement";
inline constexpr std::string_view kEMailModeSuffix = " - (E-Mail Mode)";
inline constexpr std::string_view kStatementHelpTopic = common::help::kViewStatement;
inline constexpr std::string_view kSelectionHelpTopic = common::help::kGetStatement;
inline constexpr std::string_view kNoActivityCaption = "Customer: ";
inline constexpr std::string_view kStatementSentByEMail = "Statement sent by e-mail.";
inline constexpr std::string_view kEMailStatementCaption = "E-Mail Statement";
inline constexpr std::string_view kBatchSizeMissing = "You must enter the number of statements to print in this batch.";
inline constexpr std::string_view kBatchSizeCaption = "Number to Batch Print";
inline constexpr std::string_view kLastBatchRun = "Last Batch Run: ";
inline constexpr std::string_view kNeverRun = "never";
inline constexpr std::string_view kWorking = "Working...";
inline constexpr std::string_view kPrintingFailedCaption = "Print Statement";

// The "Statement Selection" screen's choice; kept from one batch to the next.
struct BatchChoice {
  AgeSelection age = AgeSelection::All;
  bool unpaidOnly = true;  // RBActUnPd, else RBActAll
};

struct CustomerStatementsServices {
  records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  const common::Clock& clock;
  correspondence::LabelQueue* labels;  // the main window's; a batch may fill it
  StatementMailer& mailer;
  // The main window's default output is e-mail.
  std::function<bool()> emailMode = [] { return false; };
};

class CustomerStatements {
 public:
  explicit CustomerStatements(CustomerStatementsServices services);

  bool EMailMode() const { return services_.emailMode(); }
  // "Printer Mode" or "E-Mail Mode" (the selection screen and the progress window).
  std::string_view ModeText() const;
  // What the delivering buttons read: "&Print" or "&E-Mail".
  std::string_view DeliverCaption() const;

  // --- one customer's statement (TStment) ----------------------------------------------------
  // "View/Print Statement" on the customer `number` named `name`, with the Customer Manager's
  // customer file `customers`: the full statement (unpaid-only cleared). Done when it is ready
  // to show; Failed with "There is no activity for this customer." when the customer has no
  // records, or with what kept the statement from being built. Until EndView the invoice file
  // stays open for the unpaid-only choice.
  browse::Outcome View(engine::FileBlock* customers, std::string_view number, std::string_view name);
  void EndView();
  bool Viewing() const { return shown_.has_value(); }
  const Statement& Shown() const { return *shown_; }

  // The font of the statement window: the company's first document font.
  common::FontSpec ScreenFont() const;
  // "Customer Statement", with " - (E-Mail Mode)" while the output is e-mail.
  std::string Caption() const;
  // The status bar: the records counted, then what became of the statement.
  const std::string& Status() const { return status_; }

  bool UnpaidOnly() const { return state_.unpaidOnly; }
  // The unpaid-only box: the statement is built again. A failure keeps the statement shown
  // before and the choice as it was.
  browse::Outcome SetUnpaidOnly(bool unpaidOnly);

  // Prints the statement shown as one job on `canvas`.
  browse::Outcome Print(common::PrintCanvas& canvas);
  // Sends the statement shown by e-mail; the connection is closed whatever happened.
  browse::Outcome EMail();

  // --- the batch (TSelStmnt, TBatchStWin) ----------------------------------------------------
  BatchChoice batchChoice;

  // The customers the choice selects, in name order, from the Customer Manager's customer file.
  // Failed with "There are no customers with a non-zero balance ..." when there are none.
  browse::Outcome SelectBatch(engine::FileBlock* customers);
  std::size_t BatchCount() const { return batch_.size(); }
  // "There are 12 statements to be printed." (or "to be e-mailed.")
  std::string CountText() const;
  // "Last Batch Run: " and the company's last batch date ("never" before the first).
  std::string LastRunText() const;
  // The batch size as typed: blank says "You must enter the number ..." and gives nothing.
  std::optional<std::size_t> AcceptBatchSize(std::string_view typed);
  // In e-mail mode: opens the mail connection. Done when mail can go out (or in print mode);
  // else Failed with why, or Nothing when the sender has said why itself.
  browse::Outcome CheckReady();

  // Runs the selected batch in batches of `batchSize` into `output`, asking at each pause;
  // `panel` is the Customer Manager's status panel 1. The books close at the end.
  browse::Outcome RunBatch(engine::FileBlock* customers, std::size_t batchSize, StatementOutput& output,
                           const std::function<void(const std::string&)>& panel,
                           const std::function<void()>& processEvents = [] {});

  StatementState& State() { return state_; }

 private:
  browse::Outcome OpenBooks(engine::FileBlock* customers);

  CustomerStatementsServices services_;
  StatementBooks books_;
  StatementState state_;
  std::optional<Statement> shown_;
  std::string status_;
  std::vector<std::string> batch_;
};

}  // namespace tf::statements
