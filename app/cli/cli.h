#pragma once
// The command-line tool as a function, so tests run it in-process. Every command works on one
// data folder (`--data DIR`, else the default below) and runs with it as working directory,
// as the program itself does; the previous working directory is restored on return.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/extensions.h"

namespace tf::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;  // the command ran and found damage
inline constexpr int kExitUsage = 2;     // bad arguments, missing folder, unreadable file

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Extensions& extensions = BuiltInExtensions());

}  // namespace tf::cli
