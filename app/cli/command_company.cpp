// `company show` and `company set FIELD=VALUE ...`: a company's options by field name, so a new
// user can set the company up from the tool. A change goes through the same company record
// update as the program's own and is checked as the options screen checks it; the windowed
// program picks it up at its next start.

#include <ostream>

#include "app/cli/failure_words.h"
#include "app/cli/cli.h"
#include "app/cli/command_companies.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "app/cli/mail_settings_change.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_fields.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/company_settings.h"

namespace tf::cli {
namespace {

namespace company = records::company;

int Show(CommandContext& c, const std::string& number) {
  common::RecordBuffer record(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, record)) return kExitUsage;
  for (const company::NamedField& f : company::CompanyFields())
    c.out << f.name << ": " << common::Latin1ToUtf8(company::CompanyFieldValue(record, f)) << "\n";
  if (!ShowMailSettings(c, number)) return kExitProblems;
  return kExitOk;
}

int Set(CommandContext& c, const std::string& number, const std::vector<std::string>& allPairs) {
  MailSettingsChange mail(c, number);
  const std::vector<std::string> pairs = mail.Take(allPairs);
  if (!mail.Ok()) return kExitProblems;
  if (pairs.empty() && mail.Any()) return mail.Save();
  std::vector<shell::CompanySetting> settings;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos || eq == 0) {
      c.err << "tallyfold-cli: \"" << pair << "\" is not FIELD=VALUE.\n";
      return kExitUsage;
    }
    settings.push_back({pair.substr(0, eq), pair.substr(eq + 1)});
  }
  if (settings.empty()) {
    c.err << "tallyfold-cli: company set needs at least one FIELD=VALUE.\n";
    return kExitUsage;
  }
  common::RecordBuffer record(company::kCompanyRecordLength);
  if (!ReadCompany(c, number, record)) return kExitUsage;
  std::vector<std::string> problems = shell::ApplyCompanySettings(record, settings);
  if (problems.empty()) problems = shell::CheckCompanyOptions(record);
  if (!problems.empty()) {
    for (const std::string& p : problems) c.err << p << "\n";
    c.err << "tallyfold-cli: nothing was changed.\n";
    return kExitProblems;
  }

  // The record is changed as stored now (read again under the update), not as read above.
  records::CompanyBook book;
  std::copy(record.begin(), record.end(), book.Current().begin());
  BatchPrompter prompter;
  SilentStatus status;
  if (!book.UpdateCurrentCompany([&](std::span<std::uint8_t> work) { shell::ApplyCompanySettings(work, settings); },
                                 prompter, status)) {
    c.err << "tallyfold-cli: the company file could not be changed: " << WhyItFailed() << "; nothing was changed.\n";
    return kExitProblems;
  }
  // The program starts with the company "LastCo.Dat" holds: keep that copy in step.
  std::string startupNumber;
  if (ChosenCompanyNumber(c, std::nullopt, startupNumber) && startupNumber == common::TrimBoth(number)) {
    try {
      book.SaveStartupFile();
    } catch (const std::system_error& e) {
      c.err << "tallyfold-cli: the company was changed, but " << company::kStartupFile
            << " could not be written (" << e.what() << "); the program reads the change from the company file.\n";
      return kExitProblems;
    }
  }
  if (mail.Any() && mail.Save() != kExitOk) return kExitProblems;
  c.out << "Changed " << settings.size() << " setting" << (settings.size() == 1 ? "" : "s") << " of company "
        << number << ".\n";
  return kExitOk;
}

}  // namespace

int RunCompany(CommandContext& c, const std::vector<std::string>& args) {
  if (!args.empty() && IsCompanyBookCommand(args[0])) return RunCompanyBook(c, args);
  std::optional<std::string> chosen;
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, chosen, rest)) return kExitUsage;
  if (rest.empty() || (rest[0] != "show" && rest[0] != "set") || (rest[0] == "show" && rest.size() != 1)) {
    c.err << "tallyfold-cli: company takes show, or set FIELD=VALUE ... (and --company N).\n";
    return kExitUsage;
  }
  std::string number;
  if (!ChosenCompanyNumber(c, chosen, number)) return kExitUsage;
  std::optional<common::FolderLock> lock;
  if (rest[0] == "set" && !LockDataFolder(c, lock)) return kExitUsage;
  EngineScope engine;
  if (rest[0] == "show") return Show(c, number);
  return Set(c, number, std::vector<std::string>(rest.begin() + 1, rest.end()));
}

}  // namespace tf::cli
