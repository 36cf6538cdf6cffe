#pragma once
// The tool's words about itself, shared by `tallyfold-cli help` and the manual page so the two
// cannot drift apart: the command table (commands.h) gives each command's usage and summary.

#include <ostream>

#include "app/cli/extensions.h"
#include "app/program_help.h"

namespace tf::cli {

inline constexpr const char* kCliSynopsis = "tallyfold-cli [--data DIR] COMMAND [ARGS]";
inline constexpr const char* kCliPurpose = "headless jobs on a Tallyfold data folder";
inline constexpr const char* kCliDescription =
    "Runs the billing program's batch jobs without a window: creating and checking a data folder, "
    "importing and exporting, reports, statements and invoices printed to PDF, aging, e-mail, backup and "
    "the other maintenance jobs, through the same code as the windows. Commands that change the folder "
    "refuse, and change nothing, while the windowed program has it open.";

inline constexpr app::OptionText kCliOptions[] = {
    {"--data DIR",
     "The data folder (may stand before or after the command); default $XDG_DATA_HOME/tallyfold, else "
     "$HOME/.local/share/tallyfold. Commands run inside it."},
    {"--help", "The same as the help command."},
    {"--version", "The same as the version command."},
};

inline constexpr const char* kCliExitStatus =
    "0 done and clean, 1 problems found, 2 usage or folder error.";

// The manual pages tallyfold(1) and tallyfold-cli(1) in roff, from the texts above, the
// program's own (program_help.h) and the command table.
void WriteProgramManualPage(std::ostream& out);
void WriteCliManualPage(std::ostream& out, const Extensions& extensions);

}  // namespace tf::cli
