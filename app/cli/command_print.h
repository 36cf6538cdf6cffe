#pragma once
// `print`: invoices to a PDF file, or by e-mail through the company's mail host, through the
// same document procedure the Invoice Manager prints and e-mails with, marking them printed
// (and e-mailed) as the window does once the file is written or the server took the message.
//
//   print invoice NUMBER [--packing-slip] [--copies N] (--pdf FILE | --email) [--company N]
//   print invoices --unprinted (--pdf FILE | --email) [--dry-run] [--company N]

#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

inline constexpr const char* kPrintUsage =
    "invoice NUMBER [--packing-slip] [--copies N] (--pdf FILE | --email) | invoices --unprinted (--pdf FILE | "
    "--email) [--dry-run] [--company N]";
inline constexpr const char* kPrintSummary =
    "print one invoice, or every invoice not yet printed, to a PDF file or by e-mail, and mark them printed";

int RunPrint(CommandContext& context, const std::vector<std::string>& args);

}  // namespace tf::cli
