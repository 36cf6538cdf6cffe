#include "app/cli/command_print.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/company_choice.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"
#include "app/cli/mail_tool.h"
#include "common/record_buffer.h"
#include "common/text.h"
#include "invoicing/documents/document_output.h"
#include "mail/documents/document_mail.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/staged_block.h"

namespace tf::cli {
namespace {

namespace docs = invoicing::documents;
namespace inv = records::invoice;

struct PrintArguments {
  bool batch = false;
  std::string number;
  bool packingSlip = false;
  std::optional<int> copies;
  std::string pdf;
  bool email = false;  // through the company's mail host instead of into a PDF file
  bool dryRun = false;
  std::optional<std::string> company;
};

bool Refuse(CommandContext& c, const std::string& why) {
  c.err << "tallyfold-cli: print " << why << "\n";
  return false;
}

bool Parse(CommandContext& c, const std::vector<std::string>& args, PrintArguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  if (rest.empty() || (rest[0] != "invoice" && rest[0] != "invoices"))
    return Refuse(c, "takes \"invoice NUMBER\" or \"invoices --unprinted\" (see tallyfold-cli help).");
  a.batch = rest[0] == "invoices";
  bool unprinted = false;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    if (arg == "--pdf") {
      if (i + 1 >= rest.size() || rest[i + 1].empty()) return Refuse(c, "needs a file name after --pdf.");
      a.pdf = rest[++i];
    } else if (arg == "--email") {
      a.email = true;
    } else if (arg == "--packing-slip" && !a.batch) {
      a.packingSlip = true;
    } else if (arg == "--copies" && !a.batch) {
      const std::string n = i + 1 < rest.size() ? rest[++i] : std::string();
      if (n.empty() || n.size() > 1 || n[0] < '0' || n[0] > '9')
        return Refuse(c, "takes a number of file copies from 0 to 9 after --copies, not \"" + n + "\".");
      a.copies = n[0] - '0';
    } else if (arg == "--unprinted" && a.batch) {
      unprinted = true;
    } else if (arg == "--dry-run" && a.batch) {
      a.dryRun = true;
    } else if (!a.batch && a.number.empty() && !arg.starts_with("--")) {
      a.number = common::UpperCase(common::TrimBoth(arg));
    } else {
      return Refuse(c, std::string(a.batch ? "invoices" : "invoice") + " does not take \"" + arg + "\".");
    }
  }
  if (!a.batch && a.number.empty()) return Refuse(c, "invoice needs the invoice number.");
  if (a.batch && !unprinted) return Refuse(c, "invoices prints the invoices not yet printed: give --unprinted.");
  if (a.email) {
    if (!a.pdf.empty()) return Refuse(c, "sends by e-mail or writes a PDF file, not both: give --email or --pdf FILE.");
    // E-mail carries the invoice alone, as the window sends it.
    if (a.packingSlip || a.copies)
      return Refuse(c, "invoice --email sends the invoice alone: packing slips and copies are printed only.");
    return true;
  }
  if (a.pdf.empty()) return Refuse(c, "writes a PDF file or sends by e-mail: give --pdf FILE or --email.");
  // A relative name is the user's, from where the tool was started.
  a.pdf = std::filesystem::absolute(a.pdf).string();
  return true;
}

// The company's block `name`, or nothing (reported) when it cannot be opened. A missing line,
// memo or customer file is no failure: the documents then have no lines, memo text or address.
bool OpenBlock(CommandContext& c, const std::string& name, const records::RecordFileKind& kind, const char* what,
               bool mayBeMissing, engine::FileBlockGuard& block) {
  if (records::RecoverStagedBlock(name)) {
    engine::OpenFileBlock(block.handle(), name);
    if (engine::EngineOK && records::KeepIfOfKind(block.handle(), kind)) return true;
  }
  if (mayBeMissing && engine::EngineStatus == engine::status::kFileNotFound) return true;
  ReportOpenFailure(c, name, what);
  return false;
}

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

int PrintOne(CommandContext& c, const PrintArguments& a, docs::DocumentRun& run) {
  const docs::DocumentOutcome outcome = run.Output(a.number);
  if (outcome.result == docs::DocumentResult::NotPrintable) {
    c.err << "tallyfold-cli: " << a.number << " is a deposit record: deposits have no printed form. Nothing was printed.\n";
    return kExitProblems;
  }
  if (outcome.result == docs::DocumentResult::Failed && !outcome.outputFailed) {
    c.err << "tallyfold-cli: " << outcome.message << " Nothing was printed.\n";
    return kExitProblems;
  }
  if (outcome.result != docs::DocumentResult::Printed || !run.Finish()) {
    c.err << "tallyfold-cli: the PDF file " << a.pdf << " could not be written; invoice " << a.number
          << " was not marked as printed.\n";
    return kExitProblems;
  }
  for (const std::string& problem : run.Problems()) c.err << "tallyfold-cli: " << problem << "\n";
  c.out << "Invoice " << a.number << " printed to " << a.pdf << " (" << Plural(outcome.pages, "page", "pages") << ")"
        << (run.Tally().marked     ? " and marked printed.\n"
            : outcome.repeatMaster ? "; a repeat master's set-up sheet is not marked printed.\n"
            : outcome.reprint      ? "; it was marked printed before.\n"
                                   : ".\n");
  return run.Problems().empty() ? kExitOk : kExitProblems;
}

int PrintBatch(CommandContext& c, const PrintArguments& a, const std::vector<std::string>& numbers,
               docs::DocumentRun& run) {
  std::vector<std::string> failures;
  for (const std::string& number : numbers) {
    const docs::DocumentOutcome outcome = run.Output(number);
    if (outcome.result != docs::DocumentResult::Printed) failures.push_back(outcome.message);
  }
  const bool written = run.Finish();
  const docs::OutputTally& tally = run.Tally();
  if (!written) {
    c.err << "tallyfold-cli: the PDF file " << a.pdf << " could not be written; no invoice was marked as printed.\n";
    return kExitProblems;
  }
  for (const std::string& problem : run.Problems()) c.err << "tallyfold-cli: " << problem << "\n";
  c.out << "Printed " << Plural(tally.printed, "invoice", "invoices") << " (" << Plural(tally.pages, "page", "pages")
        << ") to " << a.pdf << " and marked " << Plural(tally.marked, "invoice", "invoices") << " printed.\n";
  if (!failures.empty()) {
    c.err << "tallyfold-cli: " << Plural(int(failures.size()), "invoice was", "invoices were")
          << " not printed and stay unprinted:\n";
    for (const std::string& f : failures) c.err << "  " << f << "\n";
  }
  return failures.empty() && run.Problems().empty() ? kExitOk : kExitProblems;
}

// --- e-mail ----------------------------------------------------------------------------------

// Where each message of a run went, as the sender was asked to send it.
struct SentTo {
  std::string to;
  std::string subject;
};

std::string Utf8(const std::string& latin1) { return common::Latin1ToUtf8(latin1); }

// One line on what became of invoice `number` (the address from `sent`, when it was sent).
std::string MailLine(const std::string& number, const docs::DocumentOutcome& outcome, const SentTo& sent) {
  switch (outcome.result) {
    case docs::DocumentResult::Sent:
      return "Invoice " + number + " sent by e-mail to " + Utf8(sent.to) + ".";
    case docs::DocumentResult::Redirected:
      return "Invoice " + number + " sent by e-mail to the company's own address " + Utf8(sent.to) + " under \"" +
             Utf8(sent.subject) + "\": the customer has no usable e-mail address.";
    case docs::DocumentResult::NoAddress:
      return "Invoice " + number + " was not sent: the customer has no e-mail address.";
    default:
      return Utf8(outcome.message);
  }
}

// What a dry run would send: each invoice's route, from its document, nothing sent.
int DryMail(CommandContext& c, const std::vector<std::string>& numbers, const docs::DocumentFiles& files,
            std::span<const std::uint8_t> company) {
  const docs::LayoutOptions options = docs::LayoutOptions::FromCompany(company);
  c.out << "Would e-mail " << Plural(int(numbers.size()), "invoice", "invoices") << ":\n";
  for (const std::string& number : numbers) {
    const docs::CollectOutcome collected = docs::CollectDocument(files, number, company);
    if (!collected.document) {
      c.out << "  " << number << ": " << Utf8(collected.error) << "\n";
      continue;
    }
    const docs::InvoiceEmail mail = docs::BuildInvoiceEmail(*collected.document, options);
    switch (mail.route) {
      case docs::InvoiceEmail::Route::Customer:
        c.out << "  " << number << " to " << Utf8(mail.to) << "\n";
        break;
      case docs::InvoiceEmail::Route::CompanyAddress:
        c.out << "  " << number << " to the company's own address " << Utf8(mail.to) << " (no usable customer address)\n";
        break;
      case docs::InvoiceEmail::Route::NotSent:
        c.out << "  " << number << " not sent: the customer has no e-mail address\n";
        break;
    }
  }
  c.out << "Nothing was sent or marked.\n";
  return kExitOk;
}

int MailOne(CommandContext& c, const PrintArguments& a, docs::DocumentRun& run, const SentTo& sent) {
  const docs::DocumentOutcome outcome = run.Output(a.number);
  for (const std::string& problem : run.Problems()) c.err << "tallyfold-cli: " << problem << "\n";
  switch (outcome.result) {
    case docs::DocumentResult::Sent:
    case docs::DocumentResult::Redirected:
      c.out << MailLine(a.number, outcome, sent)
            << (run.Tally().marked ? " It is marked e-mailed.\n" : outcome.reprint ? " It was marked printed before.\n" : "\n");
      return run.Problems().empty() ? kExitOk : kExitProblems;
    case docs::DocumentResult::NoAddress:
      c.out << MailLine(a.number, outcome, sent) << "\n";
      return kExitOk;
    case docs::DocumentResult::NotPrintable:
      c.err << "tallyfold-cli: "
            << (outcome.message == docs::kDepositNotPrinted ? a.number + " is a deposit record: deposits have no printed form."
                                                             : Utf8(outcome.message))
            << " Nothing was sent.\n";
      return kExitProblems;
    default:
      // A lost connection the sender has already reported; a refusal carries the server's reply.
      c.err << "tallyfold-cli: " << Utf8(outcome.message) << (outcome.message.ends_with(".") ? "" : ".")
            << " It stays unsent.\n";
      return kExitProblems;
  }
}

int MailBatch(CommandContext& c, const std::vector<std::string>& numbers, docs::DocumentRun& run, const SentTo& sent) {
  int refused = 0;
  std::size_t done = 0;
  bool lost = false;
  for (const std::string& number : numbers) {
    const docs::DocumentOutcome outcome = run.Output(number);
    ++done;
    if (outcome.result == docs::DocumentResult::Failed) {
      ++refused;
      c.err << "tallyfold-cli: " << Utf8(outcome.message) << "\n";
    } else {
      c.out << "  " << MailLine(number, outcome, sent) << "\n";
    }
    if (outcome.outputFailed) {
      lost = true;
      break;
    }
  }
  for (const std::string& problem : run.Problems()) c.err << "tallyfold-cli: " << problem << "\n";
  const docs::OutputTally& t = run.Tally();
  c.out << "E-mailed " << Plural(t.sent + t.redirected, "invoice", "invoices");
  if (t.redirected) c.out << " (" << t.redirected << " to the company's own address)";
  c.out << " and marked " << Plural(t.marked, "invoice", "invoices") << " e-mailed";
  if (t.noAddress) c.out << "; " << Plural(t.noAddress, "invoice was", "invoices were") << " not sent for want of an address";
  if (refused) c.out << "; " << Plural(refused, "invoice was", "invoices were") << " not sent";
  c.out << ".\n";
  if (lost)
    c.err << "tallyfold-cli: the connection to the mail server was lost; "
          << Plural(int(numbers.size() - done), "invoice was", "invoices were")
          << " not tried and stay unsent for the next run.\n";
  return refused == 0 && !lost && run.Problems().empty() ? kExitOk : kExitProblems;
}

}  // namespace

int RunPrint(CommandContext& c, const std::vector<std::string>& args) {
  PrintArguments a;
  if (!Parse(c, args, a)) return kExitUsage;
  if (!a.email && !a.dryRun && !c.extensions.pdfCanvas) {
    c.err << "tallyfold-cli: printing to PDF is not available in this build of the tool.\n";
    return kExitUsage;
  }
  if (!EnterDataFolder(c)) return kExitUsage;
  // Printing marks invoices: the folder is ours alone while it runs, as for any change.
  std::optional<common::FolderLock> lock;
  if (!a.dryRun && !LockDataFolder(c, lock)) return kExitUsage;
  std::string companyNumber;
  if (!ChosenCompanyNumber(c, a.company, companyNumber)) return kExitUsage;

  EngineScope engine;
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, companyNumber, company)) return kExitUsage;
  engine::FileBlockGuard invoices, lines, memos, customers;
  if (!OpenBlock(c, inv::InvoiceFileName(companyNumber), inv::InvoiceFileKind(), "invoice file", false, invoices) ||
      !OpenBlock(c, inv::LineFileName(companyNumber), inv::LineFileKind(), "line file", true, lines) ||
      !OpenBlock(c, inv::MemoFileName(companyNumber), inv::MemoFileKind(), "memo file", true, memos) ||
      !OpenBlock(c, records::customer::CustomerFileName(companyNumber), records::customer::CustomerFileKind(),
                 "customer file", true, customers))
    return engine::EngineStatus == engine::status::kFileNotFound ? kExitUsage : kExitProblems;

  std::vector<std::string> numbers;
  if (a.batch) {
    const auto unprinted = docs::UnprintedInvoices(invoices.get());
    if (!unprinted) {
      c.err << "tallyfold-cli: the invoice file could not be read: " << WhyItFailed() << "\n";
      return kExitProblems;
    }
    numbers = *unprinted;
    if (numbers.empty()) {
      c.out << "There are no invoices to print.\n";
      return kExitOk;
    }
    if (a.dryRun && a.email)
      return DryMail(c, numbers, {invoices.get(), lines.get(), memos.get(), customers.get()}, company);
    if (a.dryRun) {
      c.out << "Would print " << Plural(int(numbers.size()), "invoice", "invoices") << " to " << a.pdf << ":\n";
      for (const std::string& n : numbers) c.out << "  " << n << "\n";
      c.out << "Nothing was printed or marked.\n";
      return kExitOk;
    }
  }

  if (a.email) {
    BatchPrompter prompter;
    common::SystemClock clock;
    ToolMailSender sender(c.err, companyNumber, company);
    if (!sender->CheckMailReady()) return kExitProblems;
    SentTo sent;
    const docs::SendMail send = mail::InvoiceMail(*sender);
    docs::DocumentServices services{{invoices.get(), lines.get(), memos.get(), customers.get()}, company, prompter,
                                    clock, nullptr,
                                    [&](const docs::MailMessage& m) {
                                      sent = {m.to, m.subject};
                                      return send(m);
                                    }};
    docs::DocumentRun run(services, docs::OutputChoice::EMail, {}, nullptr, a.batch);
    const int status = a.batch ? MailBatch(c, numbers, run, sent) : MailOne(c, a, run, sent);
    sender->CloseMail();
    return status;
  }

  std::unique_ptr<common::PrintCanvas> canvas = c.extensions.pdfCanvas(a.pdf);
  if (!canvas) {
    c.err << "tallyfold-cli: the PDF file " << a.pdf << " cannot be written.\n";
    return kExitUsage;
  }
  docs::SingleDocumentJobs jobs(*canvas, a.batch ? "Invoices" : docs::JobTitle(docs::CopyKind::Invoice, a.number));
  BatchPrompter prompter;
  common::SystemClock clock;
  docs::DocumentServices services{{invoices.get(), lines.get(), memos.get(), customers.get()}, company, prompter,
                                  clock, nullptr, {}};
  docs::CopyPlan plan = docs::CopyPlan::FromOptions(docs::LayoutOptions::FromCompany(company));
  if (a.packingSlip) plan.packingSlip = true;
  if (a.copies) plan.fileCopies = *a.copies;
  docs::DocumentRun run(services, docs::OutputChoice::Printer, plan, &jobs, a.batch);
  return a.batch ? PrintBatch(c, a, numbers, run) : PrintOne(c, a, run);
}

}  // namespace tf::cli
