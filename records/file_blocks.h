#pragma once
// The file blocks of a data folder: every "*.DAT" or "*.IX" name (the engine always writes
// those extensions in capitals), whatever kind of file carries it, except the side files that
// share the extension.

#include <string>
#include <vector>

namespace tf::records {

// Plain side files that carry a ".DAT" name without being file blocks: the payment terms list,
// the remembered label layout path and the start-up company record.
const std::vector<std::string>& SideFiles();

// Block names (file stems), sorted, of the working directory; `sideFiles` are compared without
// regard to case.
std::vector<std::string> ListFileBlocks(const std::vector<std::string>& sideFiles = SideFiles());

}  // namespace tf::records
