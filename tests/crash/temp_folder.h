#pragma once
// A fresh folder for one test's file blocks, removed with everything in it at the end. Under
// $TMPDIR when that is short enough: the engine cuts file names to 64 characters.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tf::crashtest {

class TempFolder {
 public:
  TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base && std::string(base).size() <= 32 ? base : "/tmp";
    std::string tmpl = root + "/tfcrashXXXXXX";
    if (mkdtemp(tmpl.data())) path_ = tmpl;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tf::crashtest
