#pragma once
// The books check of `check`: for every company of the folder, the invariants between its
// invoice, line, memo and customer file blocks and its company balance.

#include "app/cli/commands.h"

namespace tf::cli {

// Reports each break as "books of company N: ..." on the output stream; the number of breaks.
int CheckAllBooks(CommandContext& c);

}  // namespace tf::cli
