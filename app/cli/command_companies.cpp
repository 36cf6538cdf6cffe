#include "app/cli/command_companies.h"

#include <iostream>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/command_maintenance.h"
#include "app/cli/company_choice.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "companies/company_files.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/record_file.h"
#include "shell/company_settings.h"

namespace tf::cli {
namespace {

namespace company = records::company;
using common::PadRight;

// The company file, opened for the command; false, reported, when it cannot be.
bool OpenCompanies(CommandContext& c, engine::FileBlockGuard& block) {
  BatchPrompter prompter;
  SilentStatus status;
  if (records::OpenCompanyFile(block.handle(), prompter, status)) return true;
  c.err << "tallyfold-cli: the company file cannot be opened: " << WhyItFailed() << "\n";
  return false;
}

std::string CurrentNumber(CommandContext& c) {
  std::string number;
  std::ostringstream quiet;
  CommandContext silent{c.dataFolder, c.out, quiet, c.extensions};
  return ChosenCompanyNumber(silent, std::nullopt, number) ? number : std::string();
}

int List(CommandContext& c) {
  engine::FileBlockGuard block;
  if (!OpenCompanies(c, block)) return kExitProblems;
  const std::string current = companies::NormalisedCompanyNumber(CurrentNumber(c)).value_or("");
  common::RecordBuffer record(company::kCompanyRecordLength);
  std::string key;
  std::int32_t ref = 0;
  c.out << PadRight("Number", 7) << PadRight("Company Name", 36) << common::AlignRight("Balance", 14) << "\n";
  for (engine::SearchKey(block.get(), company::kNumberKey, ref, key); engine::EngineOK && ref != 0;
       engine::NextKey(block.get(), company::kNumberKey, ref, key)) {
    engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) break;
    const std::string number = common::TrimBoth(common::ReadText(record, company::kCompanyNumber));
    const std::string balance = common::FormatComma0_00(
        common::ParseAmount(common::ReadText(record, company::kCompanyBalance)).value_or(common::Money{}));
    c.out << PadRight(number, 7) << PadRight(common::Latin1ToUtf8(company::ShownCompanyName(record)), 36)
          << common::AlignRight(balance, 14)
          << (companies::NormalisedCompanyNumber(number) == current ? "  (current)" : "") << "\n";
  }
  return kExitOk;
}

int Add(CommandContext& c, const std::vector<std::string>& args) {
  std::optional<std::string> wanted;
  std::vector<shell::CompanySetting> settings;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--number" && i + 1 < args.size()) {
      wanted = args[++i];
    } else if (args[i].rfind("--number=", 0) == 0) {
      wanted = args[i].substr(9);
    } else if (const std::size_t eq = args[i].find('='); eq != std::string::npos && eq > 0) {
      settings.push_back({args[i].substr(0, eq), args[i].substr(eq + 1)});
    } else {
      c.err << "tallyfold-cli: company add takes --number N and FIELD=VALUE ..., not \"" << args[i] << "\".\n";
      return kExitUsage;
    }
  }
  engine::FileBlockGuard block;
  if (!OpenCompanies(c, block)) return kExitProblems;
  // A new company starts from the current one, as the Company Manager's does.
  common::RecordBuffer current(company::kCompanyRecordLength);
  const std::string currentNumber = CurrentNumber(c);
  if (const std::int32_t ref = companies::FindCompanyNumber(block.get(), currentNumber); ref != 0)
    engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(current));
  common::RecordBuffer record =
      company::NewCompanyRecord(current, engine::UsedKeys(block.get(), company::kNumberKey), {});
  if (wanted) {
    const std::optional<std::string> number = companies::NormalisedCompanyNumber(*wanted);
    if (!number || number->size() > 5) {
      c.err << "tallyfold-cli: \"" << *wanted << "\" is not a company number (1 to 32000).\n";
      return kExitUsage;
    }
    common::WriteText(record, company::kCompanyNumber, *number);
  }
  std::vector<std::string> problems = shell::ApplyCompanySettings(record, settings);
  if (problems.empty()) problems = shell::CheckCompanyOptions(record);
  const std::string number = common::TrimBoth(common::ReadText(record, company::kCompanyNumber));
  if (problems.empty() && companies::FindCompanyNumber(block.get(), number) != 0)
    problems.push_back("Company " + number + " already exists; give another number with --number N.");
  if (problems.empty() && !companies::CompanyFiles(number).empty()) {
    std::string files;
    for (const std::string& f : companies::CompanyFiles(number)) files += " " + f;
    problems.push_back("Files of a company " + number + " are already in the data folder (" + files.substr(1) +
                       "); remove them, or give another number with --number N.");
  }
  if (!problems.empty()) {
    for (const std::string& p : problems) c.err << p << "\n";
    c.err << "tallyfold-cli: no company was added.\n";
    return kExitProblems;
  }
  BatchPrompter prompter;
  std::int32_t ref = 0;
  if (!records::AddKeyedRecord(block.get(), company::CompanyFileKind(), record, ref, prompter)) {
    c.err << "tallyfold-cli: the company could not be added: " << WhyItFailed() << "\n";
    return kExitProblems;
  }
  c.out << "Added company " << number << " ("
        << common::Latin1ToUtf8(common::ReadText(record, company::kCompanyName)) << ").\n";
  return kExitOk;
}

int Delete(CommandContext& c, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    c.err << "tallyfold-cli: company delete takes one company number.\n";
    return kExitUsage;
  }
  const std::optional<std::string> number = companies::NormalisedCompanyNumber(args[0]);
  if (!number) {
    c.err << "tallyfold-cli: \"" << args[0] << "\" is not a company number.\n";
    return kExitUsage;
  }
  if (companies::NormalisedCompanyNumber(CurrentNumber(c)) == number) {
    c.err << "tallyfold-cli: company " << *number
          << " is the current company, which cannot be deleted; choose another one in the program first.\n";
    return kExitProblems;
  }
  engine::FileBlockGuard block;
  if (!OpenCompanies(c, block)) return kExitProblems;
  const std::int32_t ref = companies::FindCompanyNumber(block.get(), *number);
  if (ref == 0) {
    c.err << "tallyfold-cli: there is no company " << *number << ".\n";
    return kExitProblems;
  }
  if (!CheckToolPassword(c, std::cin)) return kExitUsage;
  common::RecordBuffer record(company::kCompanyRecordLength);
  engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
  BatchPrompter prompter;
  if (!engine::EngineOK ||
      !records::DeleteKeyedRecord(block.get(), company::CompanyFileKind(), ref, record, prompter)) {
    c.err << "tallyfold-cli: company " << *number << " could not be deleted: " << WhyItFailed() << "\n";
    return kExitProblems;
  }
  block.Close();
  const std::string stored = common::TrimBoth(common::ReadText(record, company::kCompanyNumber));
  const companies::FileRemoval removal = companies::RemoveCompanyFiles(stored);
  c.out << "Deleted company " << stored << " and its " << removal.removed.size()
        << (removal.removed.size() == 1 ? " file" : " files");
  for (const std::string& f : removal.removed) c.out << (&f == &removal.removed.front() ? ": " : ", ") << f;
  c.out << ".\n";
  if (!removal.failed.empty()) {
    c.err << "tallyfold-cli: these files of company " << stored << " could not be removed:";
    for (const std::string& f : removal.failed) c.err << " " << f;
    c.err << "\n";
    return kExitProblems;
  }
  return kExitOk;
}

}  // namespace

bool IsCompanyBookCommand(const std::string& word) { return word == "list" || word == "add" || word == "delete"; }

int RunCompanyBook(CommandContext& c, const std::vector<std::string>& args) {
  std::optional<common::FolderLock> lock;
  if (args[0] != "list" && !LockDataFolder(c, lock)) return kExitUsage;
  EngineScope engine;
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "list") {
    if (!rest.empty()) {
      c.err << "tallyfold-cli: company list takes no arguments.\n";
      return kExitUsage;
    }
    return List(c);
  }
  return args[0] == "add" ? Add(c, rest) : Delete(c, rest);
}

}  // namespace tf::cli
