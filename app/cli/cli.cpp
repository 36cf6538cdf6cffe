#include "app/cli/cli.h"

#include <cstdlib>
#include <new>
#include <optional>
#include <system_error>

#include "app/cli/command_maintenance.h"
#include "app/cli/command_print.h"
#include "app/cli/commands.h"
#include "app/cli/import_kinds.h"
#include "app/cli/rebuild_command.h"
#include "app/cli/report_command.h"
#include "common/data_folder.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;

struct Invocation {
  std::optional<std::string> dataFolder;
  std::string command = "help";
  std::vector<std::string> args;
};

// `--data DIR` (or `--data=DIR`) may stand before or after the command.
bool Parse(const std::vector<std::string>& argv, Invocation& inv, std::string& error) {
  bool haveCommand = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--data") {
      if (i + 1 >= argv.size() || argv[i + 1].empty()) {
        error = "--data needs a folder";
        return false;
      }
      inv.dataFolder = argv[++i];
    } else if (a.rfind("--data=", 0) == 0) {
      inv.dataFolder = a.substr(7);
    } else if (!haveCommand) {
      inv.command = a == "--help" || a == "-h" ? "help" : a == "--version" ? "version" : a;
      haveCommand = true;
    } else {
      inv.args.push_back(a);
    }
  }
  return true;
}

// Restores the working directory the tool was started in.
class WorkingDirectoryGuard {
 public:
  WorkingDirectoryGuard() : previous_(fs::current_path(ec_)) {}
  ~WorkingDirectoryGuard() {
    std::error_code ignored;
    if (!ec_) fs::current_path(previous_, ignored);
  }
  WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
  WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

 private:
  std::error_code ec_;
  fs::path previous_;
};

}  // namespace

int RunCli(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
           const Extensions& extensions) {
  Invocation inv;
  std::string error;
  if (!Parse(argv, inv, error)) {
    err << "tallyfold-cli: " << error << "\n";
    return kExitUsage;
  }
  const Command* command = nullptr;
  for (const Command& c : Commands())
    if (inv.command == c.name) command = &c;
  if (!command) {
    err << "tallyfold-cli: unknown command '" << inv.command << "' (try: tallyfold-cli help)\n";
    return kExitUsage;
  }

  // init names its folder as an argument too: `init DIR`.
  const bool creates = command->folder == FolderUse::Creates;
  fs::path folder;
  if (creates && !inv.args.empty()) folder = inv.args.front();
  else if (inv.dataFolder) folder = *inv.dataFolder;
  else folder = common::DefaultDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (folder.empty()) {
    err << "tallyfold-cli: no data folder: give --data DIR or set HOME\n";
    return kExitUsage;
  }
  std::error_code ec;
  folder = fs::absolute(folder, ec);

  WorkingDirectoryGuard restore;
  CommandContext context{folder, out, err, extensions};
  if (command->folder == FolderUse::MustExist && !EnterDataFolder(context)) return kExitUsage;
  std::vector<std::string> args = inv.args;
  if (creates && !args.empty()) args.erase(args.begin());
  std::optional<common::FolderLock> lock;
  if (command->changes && fs::is_directory(folder, ec) && !LockDataFolder(context, lock)) return kExitUsage;
  // Whatever a command throws ends it with a sentence, never with an abort.
  try {
    return command->run(context, args);
  } catch (const std::bad_alloc&) {
    err << "tallyfold-cli: " << command->name << " stopped: there is not enough memory for it.\n";
  } catch (const std::exception& e) {
    err << "tallyfold-cli: " << command->name << " stopped: " << e.what() << "\n";
  }
  return kExitProblems;
}

bool EnterDataFolder(CommandContext& c) {
  std::error_code ec;
  if (!fs::is_directory(c.dataFolder, ec)) {
    c.err << "tallyfold-cli: the data folder " << c.dataFolder.string()
          << " does not exist (create it with: tallyfold-cli init)\n";
    return false;
  }
  fs::current_path(c.dataFolder, ec);
  if (ec) {
    c.err << "tallyfold-cli: cannot enter " << c.dataFolder.string() << ": " << ec.message() << "\n";
    return false;
  }
  return true;
}

bool LockDataFolder(CommandContext& c, std::optional<common::FolderLock>& lock) {
  lock.emplace(c.dataFolder);
  switch (lock->state()) {
    case common::FolderLock::State::Held:
      return true;
    case common::FolderLock::State::InUse:
      c.err << "tallyfold-cli: the data folder " << c.dataFolder.string()
            << " is in use by the Tallyfold window (or another tallyfold-cli command); close the program and "
               "run this again. Nothing was changed.\n";
      return false;
    case common::FolderLock::State::Failed:
      break;
  }
  c.err << "tallyfold-cli: the data folder " << c.dataFolder.string() << " cannot be locked (" << lock->error()
        << "); nothing was changed.\n";
  return false;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"help", "", "print this help", FolderUse::Optional, RunHelp},
      {"version", "", "print the version of the tool", FolderUse::Optional, RunVersion},
      {"demo", "DIR [--today YYYY-MM-DD]",
       "make a demo company in a new folder: a year of customers, products, invoices and payments to try the program on",
       FolderUse::Creates, RunDemo},  // locks the folder itself once it made it
      {"init", "[DIR]", "create the data folder (DIR, else --data) and its starter files if missing",
       FolderUse::Creates, RunInit, true},
      {"check", "[NAME...]",
       "check every file block of the folder (or the named ones); one line per problem",
       FolderUse::MustExist, RunCheck},
      {"dump", "NAME [--hex]",
       "print a file block: header, records, and each index's entries in order",
       FolderUse::MustExist, RunDump},
      {"rebuild", kRebuildUsage, kRebuildSummary, FolderUse::MustExist, RunRebuild, true},
      // They name a file relative to where the tool starts, so they enter the folder themselves.
      {"import", kImportUsage, kImportSummary, FolderUse::Optional, RunImport, true},
      {"export", kExportUsage, kExportSummary, FolderUse::Optional, RunExport},
      {"company", "show|set FIELD=VALUE... [--company N] | list | add [--number N] FIELD=VALUE... | delete N",
       "show the company's options, or change them as the options screen would", FolderUse::MustExist,
       RunCompany},
      // Names its output file relative to where the tool starts, so it enters the folder itself.
      {"report", kReportUsage, kReportSummary, FolderUse::Optional, RunReport},
      {"aging", kAgingUsage,
       "the aging of a company as of a date (nothing changed; --csv FILE writes it too), or --repair: age it now",
       FolderUse::Optional, RunAgingCommand},
      // They name an archive relative to where the tool starts, so they enter the folder themselves.
      {"backup", kBackupUsage, kBackupSummary, FolderUse::Optional, RunBackup, true},
      {"restore", kRestoreUsage, kRestoreSummary, FolderUse::Optional, RunRestore, true},
      {"purge", kPurgeUsage, kPurgeSummary, FolderUse::MustExist, RunPurge, true},
      {"mail", "test [--company N]",
       "send one message to the company's own address and print the conversation with the mail host",
       FolderUse::MustExist, RunMail},
      {"statements", kStatementsUsage,
       "customer statements to a PDF file or by e-mail: one customer's, or a batch by age and balance (dated as the "
       "window's)",
       FolderUse::Optional, RunStatementsCommand},
      // It names its PDF file relative to where the tool starts, so it enters the folder itself.
      {"print", kPrintUsage, kPrintSummary, FolderUse::Optional, RunPrint},
      {"labels", kLabelsUsage,
       "mailing labels for a record list file or every customer, on the sheets of a label layout, to a PDF file",
       FolderUse::Optional, RunLabelsCommand},
      // It names its files relative to where the tool starts, so it enters the folder itself.
      {"letters", kLettersUsage,
       "a form letter (RTF or text) printed to a PDF file for every customer of a record list (.LST)",
       FolderUse::Optional, RunLettersCommand},
      {"interest", kInterestUsage,
       "interest invoices on overdue balances, as the Interest Wizard makes them (--dry-run: list them only)",
       FolderUse::MustExist, RunInterestCommand},
      {"repeat", kRepeatUsage,
       "invoices from the repeat billing masters due through DATE, as the Repeat Billing Wizard makes them",
       FolderUse::MustExist, RunRepeatCommand},
  };
  return commands;
}

}  // namespace tf::cli
