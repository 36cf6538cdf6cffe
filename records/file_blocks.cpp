#include "records/file_blocks.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace tf::records {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

const std::vector<std::string>& SideFiles() {
  static const std::vector<std::string> files = {"VQTERMS.DAT", "Lastlbl.DAT", "LastCo.Dat"};
  return files;
}

std::vector<std::string> ListFileBlocks(const std::vector<std::string>& sideFiles) {
  namespace fs = std::filesystem;
  std::vector<std::string> blocks;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(".", ec)) {
    // Whatever carries a block's name is listed, a FIFO or directory "X.DAT" and an index file
    // whose data file is gone included: the check reports them instead of passing them over.
    const fs::path extension = entry.path().extension();
    if (extension != ".DAT" && extension != ".IX") continue;
    std::string file = entry.path().filename().string();
    bool side = std::any_of(sideFiles.begin(), sideFiles.end(),
                            [&](const std::string& s) { return SameIgnoringCase(s, file); });
    // "~NAME" is the stage of a bulk change to NAME, not a block of its own.
    if (!side && file[0] != '~') blocks.push_back(entry.path().stem().string());
  }
  std::sort(blocks.begin(), blocks.end());
  blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
  return blocks;
}

}  // namespace tf::records
