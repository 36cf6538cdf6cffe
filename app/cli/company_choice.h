#pragma once
// Which company a command works on: `--company N` (a company number, nothing else), else the
// company the program would open, named by "LastCo.Dat" in the data folder.

#include <optional>
#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

// Takes `--company N` / `--company=N` out of `args`, leaving the other arguments in `rest`.
// False, reported, when the value is not a company number.
bool TakeCompanyOption(CommandContext& c, const std::vector<std::string>& args, std::optional<std::string>& company,
                       std::vector<std::string>& rest);

// The company number to work on (run inside the data folder); false, reported, when there is
// no current company and none was given.
bool ChosenCompanyNumber(CommandContext& c, const std::optional<std::string>& company, std::string& number);

}  // namespace tf::cli
