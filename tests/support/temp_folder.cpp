#include "tests/support/temp_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace tf::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kLongestBase = 32;

std::string Base() {
  if (fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  if (tmp && *tmp && std::string(tmp).size() <= kLongestBase) return tmp;
  return "/tmp";
}

}  // namespace

TempFolder::TempFolder(Mode mode) {
  std::string pattern = Base() + "/tfXXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder under " + Base());
  path_ = pattern;
  if (mode == Enter) {
    previous_ = fs::current_path().string();
    fs::current_path(path_);
  }
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (!previous_.empty()) fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

bool TempFolder::empty() const { return fs::is_empty(path_); }

}  // namespace tf::test
