#pragma once
// A fresh directory under the system temp folder, removed with everything in it at the end.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace tf::bench::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tf-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  bool empty() const { return std::filesystem::is_empty(path_); }

 private:
  std::string path_;
};

}  // namespace tf::bench::test
