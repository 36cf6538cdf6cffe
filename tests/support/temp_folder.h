#pragma once
// The one temporary folder of the tests: made fresh, removed with everything in it at the end,
// and, when asked, the working directory for its lifetime (the program keeps its files in the
// working directory, so most data-folder tests run inside one).
//
// It lies in memory where the system offers it (/dev/shm): the engine syncs on every change and
// the tests are about the order of its calls, not about the disk. Otherwise under $TMPDIR when
// that is short, else /tmp: the engine cuts file names to 64 characters, so the folder's own
// path must leave room for the block names.

#include <string>

namespace tf::test {

class TempFolder {
 public:
  enum Mode { Stay, Enter };

  // Throws std::runtime_error when no folder can be made.
  explicit TempFolder(Mode mode = Stay);
  // Enters the previous working directory again (when entered), then removes the folder.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // True when nothing is left in the folder.
  bool empty() const;

 private:
  std::string path_;
  std::string previous_;  // the working directory before Enter, empty for Stay
};

}  // namespace tf::test
