#pragma once
// The data folder's lock: the windowed program holds an exclusive lock on "tallyfold.lock" in
// its data folder for as long as it runs (it keeps the company record in memory and would later
// write back stale counters over a change made beside it). The command-line tool takes the same
// lock for every command that changes the folder, and refuses when the window holds it.

#include <filesystem>
#include <string>

namespace tf::common {

inline constexpr const char* kFolderLockFile = "tallyfold.lock";

class FolderLock {
 public:
  enum class State { Held, InUse, Failed };

  // Tries once, without waiting, to lock `folder` (creating the lock file when missing).
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  State state() const { return state_; }
  // Why it Failed: the system's words.
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  State state_ = State::Failed;
  std::string error_;
};

}  // namespace tf::common
