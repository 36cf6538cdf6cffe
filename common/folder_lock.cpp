#include "common/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tf::common {

FolderLock::FolderLock(const std::filesystem::path& folder) {
  const std::string path = (folder / kFolderLockFile).string();
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    state_ = State::Held;
    return;
  }
  state_ = errno == EWOULDBLOCK ? State::InUse : State::Failed;
  error_ = std::strerror(errno);
  ::close(fd_);
  fd_ = -1;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

}  // namespace tf::common
