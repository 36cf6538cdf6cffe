#include "maintenance/file_mask.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "common/folder_lock.h"

namespace tf::maintenance {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool MatchesBackupMask(std::string_view fileName) {
  if (fileName.empty() || fileName.front() == '.' || fileName.front() == '~') return false;
  if (fileName.find('/') != std::string_view::npos || fileName.find('\0') != std::string_view::npos) return false;
  if (SameNameIgnoringCase(fileName, common::kFolderLockFile)) return false;
  const std::string name(fileName);
  std::string_view mask = kBackupMask;
  while (!mask.empty()) {
    const std::size_t semicolon = mask.find(';');
    const std::string pattern(mask.substr(0, semicolon));
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0) return true;
    mask = semicolon == std::string_view::npos ? std::string_view() : mask.substr(semicolon + 1);
  }
  return false;
}

std::vector<std::string> BackupFileNames() {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(".", ec)) {
    std::error_code typeError;
    if (!entry.is_regular_file(typeError) || entry.is_symlink(typeError)) continue;
    const std::string name = entry.path().filename().string();
    if (MatchesBackupMask(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tf::maintenance
