#include "statements/customer_statements.h"

#include <cctype>
#include <utility>

#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "statements/statement_print.h"

namespace tf::statements {

using browse::Outcome;
using common::PromptIcon;

namespace {

// Once the readiness check has opened the mail connection, closes it exactly once on every way
// out (an exception included).
class ConnectionClosing {
 public:
  explicit ConnectionClosing(StatementMailer* mailer) : mailer_(mailer) {}
  ~ConnectionClosing() { Close(); }
  // Now, before the message that ends the command is read.
  void Close() {
    if (mailer_) std::exchange(mailer_, nullptr)->CloseConnection();
  }
  // Another takes over the closing.
  void Release() { mailer_ = nullptr; }
  ConnectionClosing(const ConnectionClosing&) = delete;
  ConnectionClosing& operator=(const ConnectionClosing&) = delete;

 private:
  StatementMailer* mailer_;
};

}  // namespace

CustomerStatements::CustomerStatements(CustomerStatementsServices services)
    : services_(std::move(services)),
      books_(services_.company, services_.prompter, services_.status),
      state_(services_.company, services_.prompter, services_.status, services_.labels) {}

std::string_view CustomerStatements::ModeText() const { return EMailMode() ? "E-Mail Mode" : "Printer Mode"; }

std::string_view CustomerStatements::DeliverCaption() const { return EMailMode() ? "&E-Mail" : "&Print"; }

std::string CustomerStatements::Caption() const {
  std::string caption(kStatementCaption);
  if (EMailMode()) caption += kEMailModeSuffix;
  return caption;
}

common::FontSpec CustomerStatements::ScreenFont() const {
  namespace co = records::company;
  return common::ReadFontSpec(services_.company.Current(), co::DocumentFontField(co::DocumentFont::FormBody));
}

Outcome CustomerStatements::OpenBooks(engine::FileBlock* customers) {
  if (!books_.Open(customers)) return Outcome::Failed(books_.Message(), kStatementCaption);
  return Outcome::Done();
}

Outcome CustomerStatements::View(engine::FileBlock* customers, std::string_view number, std::string_view name) {
  EndView();
  if (Outcome opened = OpenBooks(customers); opened.IsFailed()) return opened;
  state_.unpaidOnly = false;
  BuildResult built = state_.Build(books_, number);
  if (!built.statement) {
    books_.Close();
    return Outcome::Failed(built.message, kStatementCaption);
  }
  if (built.statement->RecordCount() == 0) {
    books_.Close();
    return Outcome::Failed(kNoActivity, std::string(kNoActivityCaption) + common::TrimBoth(name),
                           PromptIcon::Information);
  }
  shown_ = std::move(built.statement);
  status_ = shown_->StatusText();
  return Outcome::Done();
}

void CustomerStatements::EndView() {
  shown_.reset();
  status_.clear();
  books_.Close();
}

Outcome CustomerStatements::SetUnpaidOnly(bool unpaidOnly) {
  if (!shown_) return Outcome::Nothing();
  const bool before = state_.unpaidOnly;
  state_.unpaidOnly = unpaidOnly;
  BuildResult built = state_.Build(books_, shown_->customerNumber);
  if (!built.statement) {
    state_.unpaidOnly = before;
    return Outcome::Failed(built.message, kStatementCaption);
  }
  shown_ = std::move(built.statement);
  status_ = shown_->StatusText();
  return Outcome::Done();
}

Outcome CustomerStatements::Print(common::PrintCanvas& canvas) {
  if (!shown_) return Outcome::Nothing();
  // Said sent only once the job really ended.
  if (!PrintStatement(canvas, services_.company.Current(), *shown_, services_.clock.Today()))
    return Outcome::Failed(common::kPrintingFailedText, kPrintingFailedCaption);
  status_ = "Statement for " + common::TrimBoth(shown_->customerName) + " sent to print queue.";
  return Outcome::Done();
}

Outcome CustomerStatements::EMail() {
  if (!shown_) return Outcome::Nothing();
  StatementMailer& mailer = services_.mailer;
  if (Outcome ready = CheckReady(); !ready.IsDone()) return ready;
  ConnectionClosing closing(&mailer);
  const MailMessage message = StatementMail(services_.company.Current(), *shown_, services_.clock.Today());
  try {
    mailer.SendStatementMail(message);
  } catch (const MailError& e) {
    closing.Close();
    if (e.Reported()) return Outcome::Nothing();
    return Outcome::Failed(e.what(), kEMailStatementCaption);
  }
  closing.Close();
  const std::string name = common::TrimBoth(shown_->customerName);
  status_ = "Statement for " + name + " sent by e-mail.";
  if (message.toCompany) {
    // Said, so that nobody takes it for delivered to the customer.
    status_ = "Statement for " + name + " sent by e-mail to the company's own address.";
    services_.prompter.Inform(std::string(kStatementSentByEMail) + "\n\nThe customer has no usable e-mail address: it went "
                                  "to the company's own address (" + message.to + ") to be passed on.",
                              kEMailStatementCaption, PromptIcon::Exclamation);
    return Outcome::Done();
  }
  services_.prompter.Inform(kStatementSentByEMail, kEMailStatementCaption, PromptIcon::Information);
  return Outcome::Done();
}

Outcome CustomerStatements::CheckReady() {
  if (!EMailMode()) return Outcome::Done();
  if (std::optional<std::string> problem = services_.mailer.CheckMailReady()) {
    // A sender that said why itself leaves nothing to show.
    if (problem->empty()) return Outcome::Nothing();
    return Outcome::Failed(*problem, kEMailStatementCaption, PromptIcon::Exclamation);
  }
  return Outcome::Done();
}

Outcome CustomerStatements::SelectBatch(engine::FileBlock* customers) {
  batch_.clear();
  if (Outcome opened = OpenBooks(customers); opened.IsFailed()) return opened;
  Selection chosen = books_.Select(batchChoice.age);
  books_.Close();
  if (!chosen.message.empty()) return Outcome::Failed(chosen.message, kBatchCaption);
  if (chosen.numbers.empty()) return Outcome::Failed(kNoCustomersSelected, kBatchCaption, PromptIcon::Information);
  batch_ = std::move(chosen.numbers);
  return Outcome::Done();
}

std::string CustomerStatements::CountText() const {
  return "There are " + std::to_string(batch_.size()) + " statements to be " + (EMailMode() ? "e-mailed." : "printed.");
}

std::string CustomerStatements::LastRunText() const {
  const std::string date =
      common::TrimBoth(common::ReadText(services_.company.Current(), records::company::kStatementBatchDate));
  // A company that never ran a batch says so rather than leaving the line hanging.
  return std::string(kLastBatchRun) + (date.empty() ? std::string(kNeverRun) : date);
}

std::optional<std::size_t> CustomerStatements::AcceptBatchSize(std::string_view typed) {
  const std::string text = common::TrimBoth(typed);
  bool digits = !text.empty() && text.size() <= 4;
  for (char c : text) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (!digits) {
    services_.prompter.Inform(kBatchSizeMissing, kBatchSizeCaption);
    return std::nullopt;
  }
  return std::stoul(text);
}

Outcome CustomerStatements::RunBatch(engine::FileBlock* customers, std::size_t batchSize, StatementOutput& output,
                                     const std::function<void(const std::string&)>& panel,
                                     const std::function<void()>& processEvents) {
  // The run itself closes the connection however it ends; before it starts, this does.
  auto* mail = dynamic_cast<MailOutput*>(&output);
  ConnectionClosing closing(mail ? &mail->Mailer() : nullptr);
  if (batch_.empty()) return Outcome::Nothing();
  if (Outcome opened = OpenBooks(customers); opened.IsFailed()) return opened;
  closing.Release();
  state_.unpaidOnly = batchChoice.unpaidOnly;
  engine::RebuildStatus& progress = services_.status;
  bool shown = false;
  BatchHooks hooks;
  hooks.progress = [&](const std::string& text) { progress.Lines(kWorking, text, ""); };
  hooks.showProgress = [&](bool visible) {
    if (visible && !shown) {
      progress.Show(ModeText());
      progress.Lines(kWorking, "", "");
    } else if (!visible && shown) {
      progress.Close();
    }
    shown = visible;
  };
  hooks.panel = panel;
  hooks.processEvents = processEvents;
  common::Prompter& prompter = services_.prompter;
  const BatchOutcome outcome = state_.RunBatch(
      books_, batch_, batchSize, output, services_.clock.Today(),
      [&prompter](std::size_t size, std::size_t remaining) {
        return prompter.AskYesNo(std::to_string(size) + " statements processed during this cycle. There are " +
                                     std::to_string(remaining) + " statements remaining. Do you want to continue?",
                                 kPauseCaption);
      },
      hooks);
  if (shown) progress.Close();
  books_.Close();
  switch (outcome.ended) {
    case BatchOutcome::Ended::Cancelled:
      return Outcome::Nothing();
    case BatchOutcome::Ended::Failed:
      panel("Batch stopped after " + std::to_string(outcome.delivered) + " of " + std::to_string(batch_.size()) +
            " statements.");
      if (outcome.reported) return Outcome::Nothing();
      return Outcome::Failed(outcome.message, kBatchCaption);
    case BatchOutcome::Ended::Complete:
      break;
  }
  if (output.IsMail()) prompter.Inform(kEMailComplete, kEMailCompleteCaption, PromptIcon::Information);
  return Outcome::Done();
}

}  // namespace tf::statements
