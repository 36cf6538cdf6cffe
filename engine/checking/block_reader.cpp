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
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) error_ = std::strerror(errno);
  else if (!S_ISREG(st.st_mode)) error_ = "not a regular file";
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
