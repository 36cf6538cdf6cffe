#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/core/file_system.h"

namespace tf::engine {
namespace {

std::string DirectoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Moves a descriptor that landed on 0..2 above them, so a stray write to stdout or stderr can
// never reach a data file.
int KeepAboveStdio(int fd) {
  if (fd > 2) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  int err = errno;
  ::close(fd);
  if (moved < 0) {
    errno = err;
    return -1;
  }
  return moved;
}

class Posix final : public FileSystem {
 public:
  int Open(const std::string& path, OpenMode mode, int& fd) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case OpenMode::ExistingReadWrite: flags |= O_RDWR; break;
      case OpenMode::ExistingReadOnly: flags |= O_RDONLY; break;
      case OpenMode::CreateAlways: flags |= O_RDWR | O_CREAT; break;
    }
    // O_NONBLOCK: a FIFO in a data or index file's place must not hold the open until some
    // writer appears. Only a regular file is one of ours; a FIFO, device or directory is
    // refused (ENODEV stands for "not a regular file" through the whole file layer). Regular
    // files ignore the flag, and it is cleared again below.
    int f = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY, 0644);
    if (f < 0) return errno == EISDIR ? ENODEV : errno;
    struct stat st {};
    int err = ::fstat(f, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : ENODEV);
    if (err) {
      ::close(f);
      return err;
    }
    ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
    f = KeepAboveStdio(f);
    if (f < 0) return errno;
    if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
      int err = errno;
      ::close(f);
      return err;
    }
    // Truncate only once the lock is ours: never cut a file another opener is using.
    if (mode == OpenMode::CreateAlways && ::ftruncate(f, 0) != 0) {
      int err = errno;
      ::close(f);
      return err;
    }
    fd = f;
    return 0;
  }

  int Close(int fd) override { return ::close(fd) == 0 ? 0 : errno; }

  int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) override {
    done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
      ssize_t r = ::pread(fd, p + done, n - done, offset + static_cast<int64_t>(done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    return 0;
  }

  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override {
    done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
      ssize_t r = ::pwrite(fd, p + done, n - done, offset + static_cast<int64_t>(done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    return 0;
  }

  int Sync(int fd) override { return ::fdatasync(fd) == 0 ? 0 : errno; }

  int Size(int fd, int64_t& size) override {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    size = st.st_size;
    return 0;
  }

  int Truncate(int fd, int64_t size) override { return ::ftruncate(fd, size) == 0 ? 0 : errno; }

  int Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  int SyncDirectoryOf(const std::string& path) override {
    int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int rc = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return rc;
  }

  bool DirectoryOfExists(const std::string& path) override {
    struct stat st {};
    return ::stat(DirectoryOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
};

FileSystem* g_current = nullptr;

}  // namespace

FileSystem& PosixFileSystem() {
  static Posix posix;
  return posix;
}

FileSystem& CurrentFileSystem() { return g_current ? *g_current : PosixFileSystem(); }

void SetFileSystem(FileSystem* fs) { g_current = (fs == &PosixFileSystem()) ? nullptr : fs; }

}  // namespace tf::engine
