#pragma once
// The file blocks of a data folder: every "*.DAT" file (the engine always writes that
// extension in capitals) except the side files that share the extension.

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
