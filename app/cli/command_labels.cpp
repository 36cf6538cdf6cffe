// `labels`: mailing labels printed to a PDF file through the same code as the Label Wizard's
// "&Print Labels": the customers of a record list file (or the whole customer file, every
// customer with a name) on the sheets a label layout file describes, from a start label on and
// in as many copies as asked. It reads only; a customer no longer in the file is named and
// skipped, never replaced by the next one.

#include <filesystem>
#include <optional>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"
#include "app/cli/option_value.h"
#include "common/record_buffer.h"
#include "correspondence/label_fill.h"
#include "correspondence/label_layout.h"
#include "correspondence/label_list_file.h"
#include "correspondence/label_sheet.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "records/staged_block.h"

namespace tf::cli {
namespace {

namespace cr = correspondence;

struct LabelArguments {
  std::optional<std::string> company, layout, queue, pdf, start, copies;
  bool allCustomers = false;
};

bool Refuse(CommandContext& c, const std::string& why) {
  c.err << "tallyfold-cli: labels: " << why << " (" << kLabelsUsage << ").\n";
  return false;
}

// "1" .. "999"; what the window's masked fields allow.
std::optional<int> Count(const std::string& text) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int n = std::stoi(text);
  return n >= 1 ? std::optional<int>(n) : std::nullopt;
}

bool ParseArguments(CommandContext& c, const std::vector<std::string>& args, LabelArguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    OptionValue found = OptionValue::Other;
    for (auto [name, into] : {std::pair{"--layout", &a.layout}, {"--queue", &a.queue}, {"--pdf", &a.pdf},
                              {"--start", &a.start}, {"--copies", &a.copies}})
      if (found == OptionValue::Other) found = TakeOptionValue(rest, i, name, *into);
    if (arg == "--all-customers") {
      a.allCustomers = true;
    } else if (found == OptionValue::Missing) {
      return Refuse(c, arg + " needs a value");
    } else if (found == OptionValue::Other) {
      return Refuse(c, "it does not know \"" + arg + "\"");
    }
  }
  if (!a.layout) return Refuse(c, "--layout FILE.LBL names the label layout");
  if (a.queue.has_value() == a.allCustomers) return Refuse(c, "give either --queue FILE.LST or --all-customers");
  if (!a.pdf) return Refuse(c, "--pdf FILE names the file the labels are printed to");
  if (a.start && !Count(*a.start)) return Refuse(c, "--start takes a label number from 1, not \"" + *a.start + "\"");
  if (a.copies && !Count(*a.copies))
    return Refuse(c, "--copies takes a number of copies from 1 to 999, not \"" + *a.copies + "\"");
  // Names are the user's, from where the tool was started.
  for (std::optional<std::string>* path : {&a.layout, &a.queue, &a.pdf})
    if (*path) **path = std::filesystem::absolute(**path).string();
  return true;
}

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

int RunLabelsCommand(CommandContext& c, const std::vector<std::string>& args) {
  LabelArguments a;
  if (!ParseArguments(c, args, a)) return kExitUsage;
  if (!c.extensions.pdfCanvas) {
    c.err << "tallyfold-cli: printing to PDF is not available in this build of the tool.\n";
    return kExitUsage;
  }
  const cr::OpenedLayout layout = cr::ReadLabelLayoutFile(*a.layout);
  if (!layout.layout) {
    c.err << "tallyfold-cli: " << layout.problem << "\n";
    return kExitUsage;
  }
  if (auto problem = cr::GeometryProblem(*layout.layout, "Nothing was printed.")) {
    c.err << "tallyfold-cli: " << *a.layout << ": " << *problem << "\n";
    return kExitUsage;
  }
  const int start = a.start ? *Count(*a.start) : 1;
  if (auto problem = cr::StartLabelProblem(cr::Geometry(*layout.layout), start)) {
    c.err << "tallyfold-cli: " << *problem << "\n";
    return kExitUsage;
  }
  cr::LabelQueue queue;
  if (a.queue) {
    if (auto problem = cr::LoadLabelList(*a.queue, queue)) {
      c.err << "tallyfold-cli: " << *problem << "\n";
      return kExitUsage;
    }
    if (queue.Size() == 0) {
      c.err << "tallyfold-cli: the record list " << *a.queue << " holds no customers. Nothing was printed.\n";
      return kExitUsage;
    }
  }

  if (!EnterDataFolder(c)) return kExitUsage;
  std::string companyNumber;
  if (!ChosenCompanyNumber(c, a.company, companyNumber)) return kExitUsage;
  EngineScope engine;
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, companyNumber, company)) return kExitUsage;
  const std::string name = records::customer::CustomerFileName(companyNumber);
  engine::FileBlockGuard customers;
  if (records::RecoverStagedBlock(name)) engine::OpenFileBlock(customers.handle(), name);
  if (!engine::EngineOK || !records::KeepIfOfKind(customers.handle(), records::customer::CustomerFileKind())) {
    ReportOpenFailure(c, name, "customer file");
    return engine::EngineStatus == engine::status::kFileNotFound ? kExitUsage : kExitProblems;
  }
  if (a.allCustomers) {
    const auto all = cr::AllCustomers(customers.get());
    if (!all) {
      c.err << "tallyfold-cli: the customer file could not be read: " << WhyItFailed() << "\n";
      return kExitProblems;
    }
    if (all->empty()) {
      c.out << "The customer file holds no customers with a name. Nothing was printed.\n";
      return kExitOk;
    }
    for (const cr::LabelQueueEntry& e : *all) queue.Add(e);
  }

  std::unique_ptr<common::PrintCanvas> canvas = c.extensions.pdfCanvas(*a.pdf);
  if (!canvas) {
    c.err << "tallyfold-cli: the PDF file " << *a.pdf << " cannot be written.\n";
    return kExitUsage;
  }
  cr::CustomerFileLookup lookup(customers.get());
  const cr::LabelPrintOutcome outcome = cr::PrintLabels(
      *canvas, {*layout.layout, start, a.copies ? *Count(*a.copies) : 1, company}, queue.Entries(), lookup);
  if (!outcome.missing.empty()) c.err << "tallyfold-cli: " << cr::MissingCustomersText(outcome.missing) << "\n";
  switch (outcome.result) {
    case cr::LabelPrintOutcome::Result::Printed:
      c.out << "Printed " << Plural(outcome.labels, "label", "labels") << " ("
            << Plural(outcome.pages, "page", "pages") << ") to " << *a.pdf << ".\n";
      return outcome.missing.empty() ? kExitOk : kExitProblems;
    case cr::LabelPrintOutcome::Result::Refused:
      c.err << "tallyfold-cli: " << outcome.message << "\n";
      return kExitUsage;
    case cr::LabelPrintOutcome::Result::NoneFound:
      c.err << "tallyfold-cli: " << outcome.message << "\n";
      return kExitProblems;
    case cr::LabelPrintOutcome::Result::Failed:
      break;
  }
  if (outcome.message == common::kPrintingFailedText)
    c.err << "tallyfold-cli: the PDF file " << *a.pdf << " could not be written.\n";
  else
    c.err << "tallyfold-cli: " << outcome.message << "\n";
  return kExitProblems;
}

}  // namespace tf::cli
