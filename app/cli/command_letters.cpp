// `letters`: a form letter printed to a PDF file for every customer of a record list file
// (".LST", as the Label Wizard saves the print queue), through the same procedure as the Form
// Letter Wizard's Print: each entry's customer found by its exact number (an entry whose
// customer is gone is skipped and named), the keywords replaced in one pass, one letter per
// entry on pages of its own. Nothing in the data folder is changed.

#include <filesystem>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"
#include "common/record_buffer.h"
#include "common/stored_text.h"
#include "correspondence/label_list_file.h"
#include "letters/form_letters.h"
#include "letters/letter_file.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;

struct LetterArguments {
  std::optional<std::string> company, letter, queue, pdf;
};

bool Refuse(CommandContext& c, const std::string& why) {
  c.err << "tallyfold-cli: " << why << " (" << kLettersUsage << ").\n";
  return false;
}

bool ParseArguments(CommandContext& c, const std::vector<std::string>& args, LetterArguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    std::optional<std::string>* into = nullptr;
    std::string name = arg, value;
    const std::size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    if (name == "--letter") into = &a.letter;
    else if (name == "--queue") into = &a.queue;
    else if (name == "--pdf") into = &a.pdf;
    else return Refuse(c, "letters does not know \"" + arg + "\"");
    if (eq == std::string::npos || arg.rfind("--", 0) != 0) {
      if (i + 1 >= rest.size()) return Refuse(c, arg + " needs a file");
      value = rest[++i];
    }
    if (value.empty()) return Refuse(c, name + " needs a file");
    *into = value;
  }
  if (!a.letter) return Refuse(c, "--letter FILE names the letter to print");
  if (!a.queue) return Refuse(c, "--queue FILE names the record list of the customers to write to");
  if (!a.pdf) return Refuse(c, "--pdf FILE names the file the letters are printed to");
  // Named relative to where the tool starts, before it enters the data folder.
  a.letter = fs::absolute(*a.letter).string();
  a.queue = fs::absolute(*a.queue).string();
  a.pdf = fs::absolute(*a.pdf).string();
  return true;
}

// Gives up at once on a file another program holds, and neither creates nor rebuilds a customer
// file: printing letters changes nothing in the folder.
class ReadOnlyPrompter : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    if (m.text.find("Abort?") != std::string::npos) return common::PromptAnswer::Yes;
    return m.buttons == common::PromptButtons::YesNo ? common::PromptAnswer::No : common::PromptAnswer::Cancel;
  }
};

std::string Plural(std::size_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

}  // namespace

int RunLettersCommand(CommandContext& c, const std::vector<std::string>& args) {
  LetterArguments a;
  if (!ParseArguments(c, args, a)) return kExitUsage;
  if (!c.extensions.pdfCanvas) {
    c.err << "tallyfold-cli: this tallyfold-cli was built without PDF output; nothing was printed.\n";
    return kExitUsage;
  }
  const letters::LetterFileResult letter = letters::ReadLetterFile(*a.letter);
  if (!letter.letter) {
    c.err << "tallyfold-cli: " << letter.problem << " Nothing was printed.\n";
    return kExitProblems;
  }
  correspondence::LabelQueue queue;
  if (std::optional<std::string> problem = correspondence::LoadLabelList(*a.queue, queue)) {
    c.err << "tallyfold-cli: " << common::Latin1ToUtf8(*problem) << " Nothing was printed.\n";
    return kExitProblems;
  }
  if (std::string refusal = letters::LetterRefusal(queue, *letter.letter); !refusal.empty()) {
    c.err << "tallyfold-cli: " << refusal << " Nothing was printed.\n";
    return kExitProblems;
  }

  if (!EnterDataFolder(c)) return kExitUsage;
  std::string number;
  if (!ChosenCompanyNumber(c, a.company, number)) return kExitUsage;
  EngineScope engine;
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, number, company)) return kExitUsage;
  ReadOnlyPrompter prompter;
  SilentStatus status;
  engine::FileBlock* customers = nullptr;
  if (!records::customer::OpenCustomerFile(customers, number, prompter, status)) {
    ReportOpenFailure(c, records::customer::CustomerFileName(number), "customer file");
    return kExitProblems;
  }
  engine::FileBlockGuard guard(customers);

  std::unique_ptr<common::PrintCanvas> canvas = c.extensions.pdfCanvas(*a.pdf);
  const letters::LetterRunOutcome out = letters::PrintFormLetters(
      *letter.letter, queue, {customers, company}, *canvas, fs::path(*a.letter).filename().string());
  if (out.failed) {
    c.err << "tallyfold-cli: " << out.message << " No letters were printed.\n";
    return kExitProblems;
  }
  if (out.printed > 0)
    c.out << "Printed " << Plural(static_cast<std::size_t>(out.printed), "letter") << " ("
          << Plural(static_cast<std::size_t>(out.pages), "page") << ") to " << *a.pdf << ".\n";
  if (!out.missing.empty()) {
    c.err << "tallyfold-cli: " << out.MissingText() << "\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace tf::cli
