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
    if (!entry.is_regular_file(ec) || entry.path().extension() != ".DAT") continue;
    std::string file = entry.path().filename().string();
    bool side = std::any_of(sideFiles.begin(), sideFiles.end(),
                            [&](const std::string& s) { return SameIgnoringCase(s, file); });
    // "~NAME" is the stage of a bulk change to NAME, not a block of its own.
    if (!side && file[0] != '~') blocks.push_back(entry.path().stem().string());
  }
  std::sort(blocks.begin(), blocks.end());
  return blocks;
}

}  // namespace tf::records
