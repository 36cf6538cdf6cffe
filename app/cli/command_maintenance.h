#pragma once
// The data-maintenance commands of the tool, running the program's own maintenance code:
//
//   backup FILE.zip                 every data file of the folder into a ZIP archive, written
//                                   aside, read back and only then put in the place of FILE
//   restore FILE.zip [--dry-run]    the data files from an archive, vetted and verified first;
//                                   --dry-run lists what would be replaced, added and left
//   rebuild --all [--company N]     every file block of the company and the company file
//   purge --paid-before DATE [--dry-run] [--company N]
//                                   removes the settled invoices dated before DATE
//
// FILE is relative to where the tool was started. While a password is set, purge reads it from
// standard input (without echo at a terminal).

#include <istream>
#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

inline constexpr const char* kBackupUsage = "FILE.zip";
inline constexpr const char* kBackupSummary =
    "write every data file of the folder into a ZIP archive (the previous FILE is kept until the new one "
    "is whole)";
inline constexpr const char* kRestoreUsage = "FILE.zip [--dry-run]";
inline constexpr const char* kRestoreSummary =
    "restore the data files from a backup archive, setting the replaced ones aside; --dry-run lists what "
    "would change";
inline constexpr const char* kPurgeUsage = "--paid-before DATE [--dry-run] [--company N]";
inline constexpr const char* kPurgeSummary =
    "remove the settled invoices dated before DATE (yyyy-mm-dd, or the company's date format) with their "
    "lines and memos";

int RunBackup(CommandContext& context, const std::vector<std::string>& args);
int RunRestore(CommandContext& context, const std::vector<std::string>& args);
int RunPurge(CommandContext& context, const std::vector<std::string>& args);
// `rebuild --all`, called by `rebuild` when it is given --all.
int RunRebuildAll(CommandContext& context, const std::vector<std::string>& args);

// The password check of the tool: true when no password is set or the line read from `in` is
// the password; otherwise reported on the error stream.
bool CheckToolPassword(CommandContext& context, std::istream& in);

}  // namespace tf::cli
