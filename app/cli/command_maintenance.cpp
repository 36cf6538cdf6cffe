#include "app/cli/command_maintenance.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/record_fields.h"
#include "maintenance/backup.h"
#include "maintenance/passwords.h"
#include "maintenance/purge.h"
#include "maintenance/rebuild_all.h"
#include "maintenance/restore.h"
#include "records/company_record.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;

// The file argument, absolute from where the tool started, and whether --dry-run was given.
bool ArchiveArguments(CommandContext& c, const char* command, const std::vector<std::string>& args, bool allowDryRun,
                      fs::path& archive, bool& dryRun) {
  std::vector<std::string> plain;
  for (const std::string& a : args) {
    if (allowDryRun && a == "--dry-run") dryRun = true;
    else plain.push_back(a);
  }
  if (plain.size() != 1 || plain[0].rfind("--", 0) == 0) {
    c.err << "tallyfold-cli: " << command << " takes one archive file" << (allowDryRun ? " (and --dry-run)" : "")
          << ".\n";
    return false;
  }
  archive = fs::absolute(plain[0]);
  return EnterDataFolder(c);
}

// The company's date format, for reading and showing dates as the program does.
common::DateFormat CompanyDateFormat(CommandContext& c, const std::string& number) {
  common::RecordBuffer record(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, number, record)) return common::DateFormat::MonthFirst;
  return common::DateFormatFromCode(common::ReadText(record, records::company::kDateFormat));
}

std::string ReadHiddenLine(std::istream& in) {
  const bool terminal = &in == &std::cin && ::isatty(STDIN_FILENO);
  struct termios saved {};
  if (terminal && ::tcgetattr(STDIN_FILENO, &saved) == 0) {
    struct termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  std::getline(in, line);
  if (terminal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cerr << "\n";
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

bool CheckToolPassword(CommandContext& c, std::istream& in) {
  maintenance::StoredPassword stored;
  try {
    stored = maintenance::ReadPasswordFile();
  } catch (const std::system_error&) {
    stored.kind = maintenance::StoredPassword::Kind::Damaged;
  }
  switch (stored.kind) {
    case maintenance::StoredPassword::Kind::None: return true;
    case maintenance::StoredPassword::Kind::Damaged:
      c.err << "tallyfold-cli: " << maintenance::kDamagedPasswordFile << " Nothing was changed.\n";
      return false;
    default: break;
  }
  c.err << "Password: " << std::flush;
  if (maintenance::PasswordMatches(stored, ReadHiddenLine(in))) return true;
  c.err << "tallyfold-cli: that is not the password; nothing was changed.\n";
  return false;
}

int RunBackup(CommandContext& c, const std::vector<std::string>& args) {
  fs::path archive;
  bool dryRun = false;
  if (!ArchiveArguments(c, "backup", args, false, archive, dryRun)) return kExitUsage;
  const maintenance::BackupResult result = maintenance::BackupDataFiles(archive);
  if (!result.ok) {
    c.err << "tallyfold-cli: the backup failed: " << result.error << "; " << archive.string()
          << (fs::exists(archive) ? " is as it was before.\n" : " was not written.\n");
    return kExitProblems;
  }
  c.out << "Backed up " << result.files.size() << " files to " << archive.string() << ".\n";
  return kExitOk;
}

int RunRestore(CommandContext& c, const std::vector<std::string>& args) {
  fs::path archive;
  bool dryRun = false;
  if (!ArchiveArguments(c, "restore", args, true, archive, dryRun)) return kExitUsage;
  using maintenance::RestoreAction;
  if (dryRun) {
    // The archive is read through, so a damaged one is refused here already.
    const maintenance::RestorePlan plan = maintenance::PlanRestore(archive, true);
    if (!plan.Acceptable()) {
      c.err << "tallyfold-cli: " << archive.string() << " cannot be restored:\n";
      for (const std::string& refusal : plan.refusals) c.err << "  " << refusal << "\n";
      return kExitProblems;
    }
    for (const std::string& line : maintenance::DescribePlan(plan)) c.out << line << "\n";
    c.out << "A restore would replace " << plan.Count(RestoreAction::Replace) << " files, add "
          << plan.Count(RestoreAction::Add) << ", set aside " << plan.Count(RestoreAction::MoveAside)
          << " and leave " << plan.Count(RestoreAction::Leave) << " as they are. Nothing was changed.\n";
    return kExitOk;
  }
  common::SystemClock clock;
  const maintenance::RestoreResult result = maintenance::RestoreDataFiles(archive, clock);
  if (!result.ok) {
    c.err << "tallyfold-cli: " << archive.string() << " was not restored: " << result.error << "\n";
    return kExitProblems;
  }
  c.out << "Restored " << result.restored << " files from " << archive.string() << ".\n";
  if (!result.setAside.empty())
    c.out << "The files they replaced are in " << (c.dataFolder / result.setAside).string() << ".\n";
  c.out << "Run tallyfold-cli rebuild --all to rebuild the restored files' indexes.\n";
  return kExitOk;
}

int RunRebuildAll(CommandContext& c, const std::vector<std::string>& args) {
  std::optional<std::string> chosen;
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, chosen, rest)) return kExitUsage;
  rest.erase(std::remove(rest.begin(), rest.end(), "--all"), rest.end());
  if (!rest.empty()) {
    c.err << "tallyfold-cli: rebuild --all takes no block names (only --company N).\n";
    return kExitUsage;
  }
  std::string number;
  if (!ChosenCompanyNumber(c, chosen, number)) return kExitUsage;
  EngineScope engine;
  SilentStatus status;
  const maintenance::RebuildAllResult result =
      maintenance::RebuildAllFiles(number, c.extensions.recordKinds, status);
  for (const maintenance::BlockRebuild& b : result.blocks) {
    switch (b.outcome) {
      case maintenance::BlockRebuild::Outcome::Rebuilt:
        c.out << "Rebuilt " << b.name << " (" << b.title << "): " << b.records << " records\n";
        break;
      case maintenance::BlockRebuild::Outcome::NotThere:
        c.out << b.name << " (" << b.title << ") does not exist yet; nothing to rebuild\n";
        break;
      case maintenance::BlockRebuild::Outcome::Failed:
        c.err << "tallyfold-cli: " << b.name << " (" << b.title
              << ") could not be rebuilt (status " << b.status << ")\n";
        break;
    }
  }
  if (!result.Failed().empty()) {
    c.err << "tallyfold-cli: " << result.Failed().size() << " of the data files could not be rebuilt; the others were.\n";
    return kExitProblems;
  }
  c.out << maintenance::kRebuildCompleteText << "\n";
  return kExitOk;
}

int RunPurge(CommandContext& c, const std::vector<std::string>& args) {
  std::optional<std::string> chosen;
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, chosen, rest)) return kExitUsage;
  bool dryRun = false;
  std::optional<std::string> dateText;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == "--dry-run") dryRun = true;
    else if (rest[i] == "--paid-before" && i + 1 < rest.size()) dateText = rest[++i];
    else if (rest[i].rfind("--paid-before=", 0) == 0) dateText = rest[i].substr(14);
    else {
      c.err << "tallyfold-cli: purge takes --paid-before DATE, --dry-run and --company N, not \"" << rest[i]
            << "\".\n";
      return kExitUsage;
    }
  }
  if (!dateText) {
    c.err << "tallyfold-cli: purge needs --paid-before DATE.\n";
    return kExitUsage;
  }
  std::string number;
  if (!ChosenCompanyNumber(c, chosen, number)) return kExitUsage;
  EngineScope engine;
  const common::DateFormat format = CompanyDateFormat(c, number);
  std::string iso = *dateText;
  std::replace(iso.begin(), iso.end(), '-', '/');
  std::optional<std::chrono::year_month_day> cutoff = common::ParseDateKey(iso);
  if (!cutoff) cutoff = common::ParseDate(*dateText, format);
  if (!cutoff) {
    c.err << "tallyfold-cli: \"" << *dateText << "\" is not a date (give yyyy-mm-dd or "
          << common::DatePattern(format) << ").\n";
    return kExitUsage;
  }
  if (!dryRun && !CheckToolPassword(c, std::cin)) return kExitUsage;
  BatchPrompter prompter;
  SilentStatus status;
  const maintenance::PurgeResult result = maintenance::PurgePaidInvoices({number, *cutoff, dryRun}, prompter, status);
  if (!result.error.empty()) {
    c.err << "tallyfold-cli: " << result.error << " Nothing was removed.\n";
    return kExitProblems;
  }
  const std::string shown = common::FormatDate(*cutoff, format);
  for (const maintenance::PurgedInvoice& p : result.removed)
    c.out << (dryRun ? "would remove invoice " : "removed invoice ") << p.number << ": " << p.records
          << (p.records == 1 ? " record, " : " records, ") << p.lines << (p.lines == 1 ? " line" : " lines")
          << (p.memo ? ", its memo" : "") << "\n";
  for (const std::string& failure : result.failures) c.err << "tallyfold-cli: " << failure << "\n";
  if (dryRun) {
    c.out << result.RemovedRecords() << " paid records older than " << shown << " would be removed (invoices "
          << result.removed.size() << ", lines " << result.RemovedLines() << ", memos " << result.RemovedMemos()
          << "). Nothing was changed.\n";
  } else {
    c.out << result.DoneText(shown) << "\n";
  }
  if (result.keptOpen > 0)
    c.out << result.keptOpen << (result.keptOpen == 1 ? " invoice stays" : " invoices stay")
          << " on file: a paid record of it is old enough, but another record of the same number is open or newer.\n";
  return result.failures.empty() ? kExitOk : kExitProblems;
}

}  // namespace tf::cli
