#include "common/data_folder.h"

namespace tf::common {

std::filesystem::path DefaultDataFolder(const char* xdgDataHome, const char* home) {
  namespace fs = std::filesystem;
  if (xdgDataHome && *xdgDataHome) return fs::path(xdgDataHome) / "tallyfold";
  if (home && *home) return fs::path(home) / ".local" / "share" / "tallyfold";
  return {};
}

}  // namespace tf::common
