#pragma once
// The tool's commands. Each runs with the data folder as working directory (init creates it
// first) and returns an exit status from cli.h.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/extensions.h"
#include "common/folder_lock.h"

namespace tf::cli {

struct CommandContext {
  std::filesystem::path dataFolder;  // absolute
  std::ostream& out;
  std::ostream& err;
  const Extensions& extensions;
};

enum class FolderUse {
  Optional,   // runs whether or not the folder exists; the working directory is left alone
  MustExist,  // the command enters the folder; a missing folder is a usage error
  Creates,    // the command creates the folder, named by its first argument or --data
};

struct Command {
  const char* name;
  const char* usage;    // arguments after the name
  const char* summary;  // one line for help
  FolderUse folder;
  int (*run)(CommandContext& context, const std::vector<std::string>& args);
  // Changes the folder: runs only while it holds the data folder's lock (the windowed program
  // holds it while it runs).
  bool changes = false;
};

// Makes the data folder the working directory; false, reported, when it does not exist or cannot
// be entered. For commands that read their own file names first, relative to where they start.
bool EnterDataFolder(CommandContext& context);

// Takes the data folder's lock into `lock`; false, reported, when the windowed program (or
// another changing command) holds it or it cannot be taken.
bool LockDataFolder(CommandContext& context, std::optional<common::FolderLock>& lock);

const std::vector<Command>& Commands();

int RunHelp(CommandContext& context, const std::vector<std::string>& args);
int RunVersion(CommandContext& context, const std::vector<std::string>& args);
int RunInit(CommandContext& context, const std::vector<std::string>& args);
int RunDemo(CommandContext& context, const std::vector<std::string>& args);
int RunCheck(CommandContext& context, const std::vector<std::string>& args);
int RunDump(CommandContext& context, const std::vector<std::string>& args);
int RunCompany(CommandContext& context, const std::vector<std::string>& args);
int RunReport(CommandContext& context, const std::vector<std::string>& args);
// `aging`: the company's aging as of a date (nothing changed), or --repair: the aging run now.
inline constexpr const char* kAgingUsage = "[--as-of DATE] [--csv FILE] [--company N] | --repair [--company N]";
int RunAgingCommand(CommandContext& context, const std::vector<std::string>& args);
int RunMail(CommandContext& context, const std::vector<std::string>& args);
// `statements`: one customer's statement, or a batch by age and balance, printed to a PDF file
// or sent by e-mail.
inline constexpr const char* kStatementsUsage =
    "(--customer NUMBER | --age all|over30|over60|over90 [--min-balance AMOUNT]) (--pdf FILE | --email) [--unpaid | "
    "--all-activity] [--dry-run] [--company N]";
int RunStatementsCommand(CommandContext& context, const std::vector<std::string>& args);
// `labels`: mailing labels for a record list file or every customer, printed to a PDF file.
inline constexpr const char* kLabelsUsage =
    "--layout FILE.LBL (--queue FILE.LST | --all-customers) --pdf FILE [--start N] [--copies N] [--company N]";
int RunLabelsCommand(CommandContext& context, const std::vector<std::string>& args);

// `letters`: a form letter for every customer of a record list file, printed to a PDF file.
inline constexpr const char* kLettersUsage = "--letter FILE.RTF --queue FILE.LST --pdf FILE [--company N]";
int RunLettersCommand(CommandContext& context, const std::vector<std::string>& args);
// `interest` and `repeat`: the interest run and the repeat billing run, as the wizards make them.
inline constexpr const char* kInterestUsage =
    "[--date DATE] [--over DAYS] [--percent RATE] [--minimum AMOUNT] [--flat AMOUNT] [--mark-printed | "
    "--not-printed] [--terms TEXT] [--comment TEXT] [--statement-note TEXT] [--interest-on-interest] [--dry-run] "
    "[--again] [--company N]";
int RunInterestCommand(CommandContext& context, const std::vector<std::string>& args);
inline constexpr const char* kRepeatUsage =
    "--through DATE [--date DATE] [--reference TEXT] [--dry-run] [--again] [--company N]";
int RunRepeatCommand(CommandContext& context, const std::vector<std::string>& args);

}  // namespace tf::cli
