#pragma once
// `rebuild NAME [--record-length L --key LEN:DUP[:FIELD] ...]`: rebuilds one file block as the
// program does after "Index file is defective.  Rebuild?", printing its progress on one line.
// `rebuild --all [--company N]` rebuilds every file block of the company and the company file.
// Without the shape arguments the block's record kind gives record length, keys and titles
// (`rebuild Company`, `rebuild 1C`).
//
// Each --key gives, in key-number order, the key length (1..30) and whether duplicates are
// allowed (0 or 1). The key strings come from FIELD, the byte offset of a length-prefixed text
// field built into a key as the program builds its keys (trimmed, padded to LEN, upper-cased),
// or, for a key without FIELD, from the record kind registered for the block.

#include <string>
#include <vector>

#include "app/cli/commands.h"

namespace tf::cli {

inline constexpr const char* kRebuildUsage = "NAME [--record-length L --key LEN:DUP[:FIELD]...] | --all [--company N]";
inline constexpr const char* kRebuildSummary =
    "rebuild a file block: compact its records, rebuild its keys (refused keys go to NAME.MSG)";

int RunRebuild(CommandContext& context, const std::vector<std::string>& args);

}  // namespace tf::cli
