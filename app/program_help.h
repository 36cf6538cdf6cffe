#pragma once
// The windowed program's own words about how it is started: its --help prints them and its
// manual page is written from them, so the two cannot say different things.

namespace tf::app {

struct OptionText {
  const char* name;  // as typed, with its argument
  const char* text;  // one sentence or two
};

inline constexpr const char* kProgramSynopsis = "tallyfold [--data DIR]";
inline constexpr const char* kProgramPurpose = "billing and accounts receivable for small businesses";
inline constexpr const char* kProgramDescription =
    "Starts the billing program on a data folder: customers, products, invoices, payments, aging, "
    "statements, reports, labels, letters and e-mail for one or more companies. One copy runs per data "
    "folder; starting it again brings the running window forward. Create a data folder with "
    "`tallyfold-cli init DIR`.";

inline constexpr OptionText kProgramOptions[] = {
    {"--data DIR",
     "The data folder, which becomes the working directory (default $XDG_DATA_HOME/tallyfold, that is "
     "~/.local/share/tallyfold)."},
    {"--help", "Print how to start the program and stop."},
    {"--version", "Print the program's version and stop."},
};

}  // namespace tf::app
