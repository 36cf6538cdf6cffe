#pragma once
// The statement-wide state of a run of the program and the batch run.
//
// A batch run builds and delivers one statement per chosen customer, pausing after every
// batch-size statements to ask whether to go on. While it runs, each statement built puts its
// customer in the label print queue when the company asks for that. However the run ends
// (complete, cancelled at a pause, a statement that cannot be built, a printer that fails, a
// mail error thrown by the sender) the batch flag is cleared and, in e-mail mode, the mail
// connection closed before Run returns, so a later single statement never fills the label
// queue and no connection is left open.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/print_canvas.h"
#include "common/prompter.h"
#include "correspondence/label_queue.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"
#include "statements/statement.h"
#include "statements/statement_books.h"
#include "statements/statement_mail.h"

namespace tf::statements {

inline constexpr std::string_view kPauseCaption = "Batch Job Pause...";
inline constexpr std::string_view kPausingText = "Pausing batch job. Select Yes when ready to continue...";
inline constexpr std::string_view kBatchCanceled = "Batch job canceled.";
inline constexpr std::string_view kEMailComplete = "E-mail operation complete.";
inline constexpr std::string_view kEMailCompleteCaption = "Batch E-Mail";

// Where the statements of a run go.
class StatementOutput {
 public:
  virtual ~StatementOutput() = default;
  virtual bool IsMail() const = 0;
  // Delivers one statement; false (with Message()) when it could not. A mail error may also
  // come as a thrown MailError.
  virtual bool Deliver(const Statement& statement) = 0;
  // After the last statement (or when the run stops early): finishes what was delivered.
  virtual bool Finish() = 0;
  virtual const std::string& Message() const = 0;
};

// Every statement in one print job, each beginning on a new page with its own page numbers.
class PrintOutput : public StatementOutput {
 public:
  PrintOutput(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, std::chrono::year_month_day today)
      : canvas_(canvas), company_(company), today_(today) {}
  bool IsMail() const override { return false; }
  bool Deliver(const Statement& statement) override;
  bool Finish() override;
  const std::string& Message() const override { return message_; }
  int Pages() const { return pages_; }

 private:
  common::PrintCanvas& canvas_;
  std::span<const std::uint8_t> company_;
  std::chrono::year_month_day today_;
  bool started_ = false;
  bool failed_ = false;
  int pages_ = 0;
  std::string message_;
};

// Each statement as one e-mail message through the mail sender.
class MailOutput : public StatementOutput {
 public:
  MailOutput(StatementMailer& mailer, std::span<const std::uint8_t> company, std::chrono::year_month_day today)
      : mailer_(mailer), company_(company), today_(today) {}
  bool IsMail() const override { return true; }
  bool Deliver(const Statement& statement) override;
  bool Finish() override;
  const std::string& Message() const override { return message_; }
  StatementMailer& Mailer() { return mailer_; }

 private:
  StatementMailer& mailer_;
  std::span<const std::uint8_t> company_;
  std::chrono::year_month_day today_;
  std::string message_;
};

struct BatchHooks {
  // The progress window's text ("Printing Statement 3 ..."), and hiding / showing it.
  std::function<void(const std::string&)> progress = [](const std::string&) {};
  std::function<void(bool visible)> showProgress = [](bool) {};
  // The Customer Manager's status panel 1.
  std::function<void(const std::string&)> panel = [](const std::string&) {};
  // Lets the window repaint between statements.
  std::function<void()> processEvents = [] {};
};

struct BatchOutcome {
  enum class Ended { Complete, Cancelled, Failed };
  Ended ended = Ended::Complete;
  std::size_t delivered = 0;
  std::string message;  // a failure's text (the statement, the printer, the mail server)
  bool reported = false;  // the mail sender has already shown it (a lost connection)
  bool batchDateWritten = false;
};

// The statement-wide values a run of the program keeps: the unpaid-only choice and the batch
// flag. One per Customer Manager.
class StatementState {
 public:
  StatementState(records::CompanyBook& company, common::Prompter& prompter, engine::RebuildStatus& status,
                 correspondence::LabelQueue* labels);

  bool unpaidOnly = false;
  bool BatchRun() const { return batchRun_; }

  // The statement of customer `number` from `books`; during a batch run it also puts the
  // customer in the label queue when the company's LabelQueueOnBatchPrint is "Y".
  BuildResult Build(StatementBooks& books, std::string_view number);

  // Delivers the statements of `numbers` (built with `unpaidOnly`) to `output`, asking
  // `continueAfter(size, remaining)` after every `batchSize` statements (0 counts as 1) while
  // statements remain. A complete run stores `today` as the company's StatementBatchDate.
  BatchOutcome RunBatch(StatementBooks& books, const std::vector<std::string>& numbers, std::size_t batchSize,
                        StatementOutput& output, std::chrono::year_month_day today,
                        const std::function<bool(std::size_t size, std::size_t remaining)>& continueAfter,
                        const BatchHooks& hooks = {});

 private:
  records::CompanyBook& company_;
  common::Prompter& prompter_;
  engine::RebuildStatus& status_;
  correspondence::LabelQueue* labels_;
  bool batchRun_ = false;
};

// The batch size as entered: below 1 it is 1, above the count it is the count.
std::size_t EffectiveBatchSize(std::size_t entered, std::size_t count);

}  // namespace tf::statements
