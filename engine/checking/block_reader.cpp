#include "engine/checking/block_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tf::engine::disk {

RawFile::~RawFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  path_ = path;
  error_.clear();
  notRegular_ = missing_ = false;
  // O_NONBLOCK: a FIFO in the file's place is reported below, not waited on.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    missing_ = errno == ENOENT;
    error_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    notRegular_ = true;
    error_ = S_ISFIFO(st.st_mode)  ? "a FIFO"
             : S_ISDIR(st.st_mode) ? "a directory"
             : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
             : S_ISSOCK(st.st_mode) ? "a socket"
                                    : "not a regular file";
  }
  if (!error_.empty()) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = st.st_size;
  return true;
}

bool RawFile::ReadAt(int64_t offset, int64_t n, unsigned char* out) const {
  if (fd_ < 0 || !Holds(offset, n)) return false;
  int64_t done = 0;
  while (done < n) {
    ssize_t got = ::pread(fd_, out + done, size_t(n - done), off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the file shrank under us
    done += got;
  }
  return true;
}

bool RawFile::ReadAt(int64_t offset, int64_t n, std::vector<unsigned char>& out) const {
  out.clear();
  if (fd_ < 0 || !Holds(offset, n)) return false;
  out.resize(size_t(n));
  if (!ReadAt(offset, n, out.data())) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace tf::engine::disk
