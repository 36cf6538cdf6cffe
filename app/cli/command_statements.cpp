// `statements`: customer statements printed to a PDF file, or sent by e-mail through the
// company's mail host, through the same code as the Customer Manager's "View/Print Statement"
// and "Batch Print Statements": one customer's (--customer, all activity unless --unpaid), or
// every customer whose balance and age meet --age (and --min-balance), only unpaid records
// unless --all-activity, in one PDF with each statement on pages of its own or one message per
// customer over one connection. A batch, like the window's, stores today's date as the
// company's last statement batch run (and stops at the first statement the mail server
// refuses); --dry-run says what it would print or send and changes nothing.

#include <chrono>
#include <filesystem>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "app/cli/mail_tool.h"
#include "app/cli/option_value.h"
#include "common/clock.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "mail/documents/document_mail.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "statements/statement_batch.h"
#include "statements/statement_books.h"
#include "statements/statement_mail.h"
#include "statements/statement_print.h"

namespace tf::cli {
namespace {

namespace co = records::company;
namespace st = statements;

struct StatementArguments {
  std::optional<std::string> company, customer, age, minBalance, pdf;
  std::optional<bool> unpaid;
  bool email = false;
  bool dryRun = false;
};

// The statements' mailer, saying each message as it goes.
class SayingMailer : public statements::StatementMailer {
 public:
  SayingMailer(statements::StatementMailer& inner, std::ostream& out) : inner_(inner), out_(out) {}
  std::optional<std::string> CheckMailReady() override { return inner_.CheckMailReady(); }
  void SendStatementMail(const statements::MailMessage& m) override {
    inner_.SendStatementMail(m);
    out_ << "  Sent \"" << common::Latin1ToUtf8(m.subject) << "\" to " << common::Latin1ToUtf8(m.to) << ".\n";
  }
  void CloseConnection() noexcept override { inner_.CloseConnection(); }

 private:
  statements::StatementMailer& inner_;
  std::ostream& out_;
};

bool Refuse(CommandContext& c, const std::string& why) {
  c.err << "tallyfold-cli: " << why << " (" << kStatementsUsage << ").\n";
  return false;
}

bool ParseArguments(CommandContext& c, const std::vector<std::string>& args, StatementArguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    bool missing = false;
    auto value = [&](const char* name, std::optional<std::string>& into) {
      const OptionValue taken = TakeOptionValue(rest, i, name, into);
      missing = taken == OptionValue::Missing;
      return taken != OptionValue::Other;
    };
    if (arg == "--dry-run") {
      a.dryRun = true;
    } else if (arg == "--email") {
      a.email = true;
    } else if (arg == "--unpaid" || arg == "--all-activity") {
      if (a.unpaid && *a.unpaid != (arg == "--unpaid")) return Refuse(c, "--unpaid and --all-activity exclude each other");
      a.unpaid = arg == "--unpaid";
    } else if (value("--customer", a.customer) || value("--age", a.age) || value("--min-balance", a.minBalance) ||
               value("--pdf", a.pdf)) {
      if (missing) return Refuse(c, arg + " needs a value");
    } else {
      return Refuse(c, "statements does not know \"" + arg + "\"");
    }
  }
  if (a.customer.has_value() == a.age.has_value()) return Refuse(c, "give either --customer or --age");
  if (a.customer && a.minBalance) return Refuse(c, "--min-balance chooses customers for a batch; leave it out with --customer");
  if (a.email) {
    if (a.pdf) return Refuse(c, "give --pdf FILE or --email, not both");
    return true;
  }
  if (!a.pdf) return Refuse(c, "--pdf FILE names the file the statements are printed to, or --email sends them");
  a.pdf = std::filesystem::absolute(*a.pdf).string();
  return true;
}

std::optional<st::AgeSelection> ReadAge(const std::string& text) {
  const std::string t = common::UpperCase(common::TrimBoth(text));
  if (t == "ALL") return st::AgeSelection::All;
  if (t == "OVER30") return st::AgeSelection::Over30;
  if (t == "OVER60") return st::AgeSelection::Over60;
  if (t == "OVER90") return st::AgeSelection::Over90;
  return std::nullopt;
}

std::string Plural(std::size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Sends the single statement or the batch through the company's mail host.
int MailStatements(CommandContext& c, records::CompanyBook& book, st::StatementBooks& books, st::StatementState& state,
                   const std::vector<std::string>& numbers, const std::optional<st::Statement>& single,
                   std::chrono::year_month_day today) {
  ToolMailSender sender(c.err, common::TrimBoth(common::ReadText(book.Current(), co::kCompanyNumber)), book.Current());
  mail::StatementMailSender mailer(*sender);
  // Not ready: the sender has said why.
  if (mailer.CheckMailReady()) return kExitProblems;
  if (single) {
    const st::MailMessage message = st::StatementMail(book.Current(), *single, today);
    try {
      mailer.SendStatementMail(message);
    } catch (const st::MailError& e) {
      mailer.CloseConnection();
      if (!e.Reported()) c.err << "tallyfold-cli: the mail server refused the statement:\n" << e.what() << "\n";
      c.err << "tallyfold-cli: the statement of customer " << common::Latin1ToUtf8(common::TrimBoth(numbers.front()))
            << " was not sent.\n";
      return kExitProblems;
    }
    mailer.CloseConnection();
    c.out << "Sent the statement of customer " << common::Latin1ToUtf8(common::TrimBoth(numbers.front()))
          << " by e-mail to " << common::Latin1ToUtf8(message.to)
          << (message.toCompany ? " (the company's own address: the customer has no usable one).\n" : ".\n");
    return kExitOk;
  }
  SayingMailer saying(mailer, c.out);
  st::MailOutput output(saying, book.Current(), today);
  const st::BatchOutcome outcome =
      state.RunBatch(books, numbers, numbers.size(), output, today, [](std::size_t, std::size_t) { return true; });
  if (outcome.ended != st::BatchOutcome::Ended::Complete) {
    c.err << "tallyfold-cli: the batch stopped after " << Plural(outcome.delivered, "statement") << " sent: "
          << common::Latin1ToUtf8(outcome.message) << "\nThe others were not sent, and the last batch date was left as "
          << "it was.\n";
    return kExitProblems;
  }
  c.out << "E-mailed " << Plural(outcome.delivered, "statement") << ".\n";
  if (!outcome.batchDateWritten) {
    c.err << "tallyfold-cli: the company's last statement batch date could not be written (engine status "
          << engine::EngineStatus << ").\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace

int RunStatementsCommand(CommandContext& c, const std::vector<std::string>& args) {
  StatementArguments a;
  if (!ParseArguments(c, args, a)) return kExitUsage;
  std::optional<st::AgeSelection> age;
  if (a.age && !(age = ReadAge(*a.age))) {
    c.err << "tallyfold-cli: \"" << *a.age << "\" is no age selection; give all, over30, over60 or over90.\n";
    return kExitUsage;
  }
  std::optional<common::Money> minBalance;
  if (a.minBalance && !(minBalance = common::ParseTypedAmount(*a.minBalance))) {
    c.err << "tallyfold-cli: \"" << *a.minBalance << "\" is not an amount.\n";
    return kExitUsage;
  }
  if (!a.email && !a.dryRun && !c.extensions.pdfCanvas) {
    c.err << "tallyfold-cli: this tallyfold-cli was built without PDF output; nothing was printed.\n";
    return kExitUsage;
  }
  if (!EnterDataFolder(c)) return kExitUsage;
  std::string number;
  if (!ChosenCompanyNumber(c, a.company, number)) return kExitUsage;
  // A batch run is dated in the company record: the window must not hold the folder meanwhile.
  std::optional<common::FolderLock> lock;
  if (age && !a.dryRun && !LockDataFolder(c, lock)) return kExitUsage;
  EngineScope engine;
  records::CompanyBook book;
  common::RecordBuffer company(co::kCompanyRecordLength);
  if (!ReadCompany(c, number, company)) return kExitUsage;
  std::copy(company.begin(), company.end(), book.Current().begin());

  BatchPrompter prompter;
  SilentStatus status;
  st::StatementBooks books(book, prompter, status);
  if (!books.Open()) {
    c.err << "tallyfold-cli: " << books.Message() << "\n";
    return kExitProblems;
  }
  const auto today = common::SystemClock().Today();
  st::StatementState state(book, prompter, status, nullptr);

  std::vector<std::string> numbers;
  std::optional<st::Statement> single;
  if (a.customer) {
    state.unpaidOnly = a.unpaid.value_or(false);
    const st::BuildResult built = state.Build(books, *a.customer);
    if (!built.statement) {
      c.err << "tallyfold-cli: " << common::Latin1ToUtf8(built.message) << "\n";
      return kExitProblems;
    }
    if (built.statement->RecordCount() == 0) {
      c.err << "tallyfold-cli: customer " << common::Latin1ToUtf8(common::TrimBoth(*a.customer)) << ": "
            << st::kNoActivity << " Nothing was printed.\n";
      return kExitProblems;
    }
    numbers.push_back(built.statement->customerNumber);
    single = built.statement;
  } else {
    state.unpaidOnly = a.unpaid.value_or(true);
    const st::Selection chosen = books.Select(*age, minBalance);
    if (!chosen.message.empty()) {
      c.err << "tallyfold-cli: " << common::Latin1ToUtf8(chosen.message) << "\n";
      return kExitProblems;
    }
    if (chosen.numbers.empty()) {
      c.out << st::kNoCustomersSelected << "\n";
      return kExitOk;
    }
    numbers = chosen.numbers;
  }

  if (a.dryRun) {
    c.out << (a.email ? "Would e-mail " : "Would print ") << Plural(numbers.size(), "statement")
          << (a.email ? std::string() : " to " + *a.pdf) << " ("
          << (state.unpaidOnly ? "only unpaid records" : "all activity") << "):";
    for (const std::string& n : numbers) c.out << " " << common::Latin1ToUtf8(common::TrimBoth(n));
    c.out << (a.email ? ". Nothing was sent or changed.\n" : ". Nothing was printed or changed.\n");
    return kExitOk;
  }
  if (a.email) return MailStatements(c, book, books, state, numbers, single, today);

  std::unique_ptr<common::PrintCanvas> canvas = c.extensions.pdfCanvas(*a.pdf);
  st::PrintOutput output(*canvas, book.Current(), today);
  if (a.customer) {
    if (!output.Deliver(*single) || !output.Finish()) {
      c.err << "tallyfold-cli: " << output.Message() << " Nothing was printed.\n";
      return kExitProblems;
    }
    c.out << "Printed the statement of customer " << common::Latin1ToUtf8(common::TrimBoth(numbers.front())) << " ("
          << Plural(output.Pages(), "page") << ") to " << *a.pdf << ".\n";
    return kExitOk;
  }
  const st::BatchOutcome outcome =
      state.RunBatch(books, numbers, numbers.size(), output, today, [](std::size_t, std::size_t) { return true; });
  if (outcome.ended != st::BatchOutcome::Ended::Complete) {
    c.err << "tallyfold-cli: the batch stopped after " << Plural(outcome.delivered, "statement") << ": "
          << common::Latin1ToUtf8(outcome.message) << " The last batch date was left as it was.\n";
    return kExitProblems;
  }
  c.out << "Printed " << Plural(outcome.delivered, "statement") << " (" << Plural(output.Pages(), "page") << ") to "
        << *a.pdf << ".\n";
  if (!outcome.batchDateWritten) {
    c.err << "tallyfold-cli: the company's last statement batch date could not be written (engine status "
          << engine::EngineStatus << ").\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
