#pragma once
// The file blocks of a data folder: every "*.DAT" file (the engine always writes that
// extension in capitals) except the side files that share it.

#include <string>
#include <vector>

namespace tf::cli {

// Block names (file stems), sorted, of the working directory.
std::vector<std::string> ListFileBlocks(const std::vector<std::string>& sideFiles);

}  // namespace tf::cli
