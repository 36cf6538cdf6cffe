#pragma once
// How `dump` writes a file block as text: the data header, each record (its fields when its
// record kind knows them, else hex and ASCII), each index's header and its entries in order.

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "records/record_kinds.h"
#include "engine/checking/checker.h"

namespace tf::cli {

// "0010  43 4f 44 45 ...  |CODE....|": 16 bytes a line, offsets in hex.
std::vector<std::string> HexLines(std::span<const unsigned char> bytes);

void PrintLayout(std::ostream& out, const std::string& blockName, const engine::FileBlockLayout& layout,
                 const records::RecordKind* kind, bool hex);

}  // namespace tf::cli
