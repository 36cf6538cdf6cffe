#pragma once
// `print`: invoices to a PDF file through the same document procedure the Invoice Manager
// prints with, marking them printed as the window does once the file is written.
//
//   print invoice NUMBER [--packing-slip] [--copies N] --pdf FILE [--company N]
//   print invoices --unprinted --pdf FILE [--dry-run] [--company N]

#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

inline constexpr const char* kPrintUsage =
    "invoice NUMBER [--packing-slip] [--copies N] --pdf FILE | invoices --unprinted --pdf FILE [--dry-run] "
    "[--company N]";
inline constexpr const char* kPrintSummary =
    "print one invoice, or every invoice not yet printed, to a PDF file and mark them printed";

int RunPrint(CommandContext& context, const std::vector<std::string>& args);

}  // namespace tf::cli
