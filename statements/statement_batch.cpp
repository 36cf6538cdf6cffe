#include "statements/statement_batch.h"

#include "common/date_text.h"
#include "common/print_canvas.h"
#include "common/record_fields.h"
#include "records/company_record.h"
#include "statements/statement_print.h"

namespace tf::statements {

namespace co = records::company;

bool PrintOutput::Deliver(const Statement& statement) {
  if (failed_) return false;
  if (!started_) {
    canvas_.SetTitle(kStatementJobTitle);
    if (!canvas_.BeginDoc()) {
      failed_ = true;
      message_ = std::string(common::kPrintingFailedText);
      return false;
    }
    started_ = true;
  } else {
    canvas_.NewPage();
  }
  pages_ += DrawStatement(canvas_, company_, statement, today_);
  return true;
}

bool PrintOutput::Finish() {
  if (!started_) return !failed_;
  started_ = false;
  if (!canvas_.EndDoc()) {
    failed_ = true;
    message_ = std::string(common::kPrintingFailedText);
    return false;
  }
  return !failed_;
}

bool MailOutput::Deliver(const Statement& statement) {
  mailer_.SendStatementMail(StatementMail(company_, statement, today_));
  return true;
}

bool MailOutput::Finish() { return true; }

StatementState::StatementState(records::CompanyBook& company, common::Prompter& prompter,
                               engine::RebuildStatus& status, correspondence::LabelQueue* labels)
    : company_(company), prompter_(prompter), status_(status), labels_(labels) {}

BuildResult StatementState::Build(StatementBooks& books, std::string_view number) {
  BuildResult built = books.Build(number, unpaidOnly);
  if (built.statement && batchRun_ && labels_ && common::ReadFlag(company_.Current(), co::kLabelQueueOnBatchPrint)) {
    const Statement& s = *built.statement;
    labels_->Add({s.customerNumber, s.customerName, s.mailSortCode, s.customerType});
  }
  return built;
}

std::size_t EffectiveBatchSize(std::size_t entered, std::size_t count) {
  if (entered < 1) entered = 1;
  if (count > 0 && entered > count) entered = count;
  return entered;
}

namespace {

// Clears the batch flag and closes the mail connection on every way out of a run.
class BatchRunGuard {
 public:
  BatchRunGuard(bool& flag, StatementOutput& output) : flag_(flag), output_(output) { flag_ = true; }
  ~BatchRunGuard() {
    flag_ = false;
    if (auto* mail = dynamic_cast<MailOutput*>(&output_)) mail->Mailer().CloseConnection();
  }
  BatchRunGuard(const BatchRunGuard&) = delete;
  BatchRunGuard& operator=(const BatchRunGuard&) = delete;

 private:
  bool& flag_;
  StatementOutput& output_;
};

}  // namespace

BatchOutcome StatementState::RunBatch(StatementBooks& books, const std::vector<std::string>& numbers,
                                      std::size_t batchSize, StatementOutput& output, std::chrono::year_month_day today,
                                      const std::function<bool(std::size_t, std::size_t)>& continueAfter,
                                      const BatchHooks& hooks) {
  BatchOutcome outcome;
  const std::size_t count = numbers.size();
  const std::size_t size = EffectiveBatchSize(batchSize, count);
  const bool mail = output.IsMail();
  BatchRunGuard guard(batchRun_, output);
  hooks.showProgress(true);
  // Stops the run: whatever was delivered is finished (a print job holding it is sent).
  auto stop = [&](BatchOutcome::Ended ended, std::string message) {
    hooks.showProgress(false);
    if (!output.Finish() && message.empty()) message = output.Message();
    outcome.ended = ended;
    outcome.message = std::move(message);
    return outcome;
  };
  try {
    for (std::size_t k = 1; k <= count; ++k) {
      BuildResult built = Build(books, numbers[k - 1]);
      if (!built.statement) return stop(BatchOutcome::Ended::Failed, built.message);
      hooks.progress((mail ? "E-Mailing Statement " : "Printing Statement ") + std::to_string(k) + " ...");
      if (!output.Deliver(*built.statement)) return stop(BatchOutcome::Ended::Failed, output.Message());
      ++outcome.delivered;
      hooks.processEvents();
      hooks.panel("Spooling statement " + std::to_string(k) + " of " + std::to_string(count) + " (batches of " +
                  std::to_string(size) + ") ...");
      if (k % size == 0 && k < count) {
        hooks.showProgress(false);
        hooks.panel(std::string(kPausingText));
        if (!continueAfter(size, count - k)) {
          hooks.panel(std::string(kBatchCanceled));
          return stop(BatchOutcome::Ended::Cancelled, {});
        }
        hooks.showProgress(true);
      }
    }
  } catch (const MailError& e) {
    outcome.reported = e.Reported();
    return stop(BatchOutcome::Ended::Failed, e.what());
  }
  hooks.showProgress(false);
  if (!output.Finish()) {
    outcome.ended = BatchOutcome::Ended::Failed;
    outcome.message = output.Message();
    return outcome;
  }
  const std::string date =
      common::FormatDate(today, common::DateFormatFromCode(common::ReadText(company_.Current(), co::kDateFormat)));
  outcome.batchDateWritten = company_.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) { common::WriteText(work, co::kStatementBatchDate, date); }, prompter_,
      status_);
  hooks.panel(mail ? "Batch complete. " + std::to_string(count) + " statements sent by e-mail."
                   : "Batch Print complete. " + std::to_string(count) + " statements sent to spooler.");
  return outcome;
}

}  // namespace tf::statements
