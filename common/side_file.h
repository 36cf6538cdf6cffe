#pragma once
// Side files that the program rewrites whole ("LastCo.Dat", "VQTERMS.DAT", label layouts, the
// password file) are replaced, never rewritten in place: the new contents go to a temporary
// file in the same folder, are synced, and the temporary file is renamed over the old one, and
// the folder is synced. A crash at any moment leaves either the old file or the new one.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tf::common {

// Throws std::system_error (the run-time's input/output error) on any failure; the old file is
// then unchanged and no temporary file is left behind.
void ReplaceFile(const std::filesystem::path& path, std::string_view contents);

// The same for contents too large to hold in memory: written through stream(), then Commit()
// syncs the new file and renames it over the old one. Destroyed without a Commit (a writer that
// failed half way), the temporary file is removed and the old file is as it was. Throws
// std::system_error like ReplaceFile.
class FileReplacement {
 public:
  explicit FileReplacement(std::filesystem::path path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  std::ostream& stream();
  void Commit();

 private:
  class Buffer;
  std::filesystem::path path_, temp_;
  std::unique_ptr<Buffer> buffer_;
  std::ostream stream_;
  bool committed_ = false;
};

// The whole file; throws std::system_error when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace tf::common
