#include "common/side_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tf::common {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Closes the descriptor and removes the temporary file unless the rename took it over.
class TempFile {
 public:
  explicit TempFile(std::filesystem::path path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) Fail("cannot create " + path_.string());
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  int fd() const { return fd_; }
  void CloseChecked() {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("cannot close " + path_.string());
  }
  void Keep() { kept_ = true; }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  bool kept_ = false;
};

void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open folder " + folder.string());
  int rc = ::fsync(fd);
  int saved = errno;
  ::close(fd);
  errno = saved;
  if (rc != 0) Fail("cannot sync folder " + folder.string());
}

}  // namespace

void ReplaceFile(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path temp = path;
  temp += ".new";
  TempFile file(temp);
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    ssize_t n = ::write(file.fd(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write " + temp.string());
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fdatasync(file.fd()) != 0) Fail("cannot sync " + temp.string());
  file.CloseChecked();
  if (::rename(temp.c_str(), path.c_str()) != 0) Fail("cannot replace " + path.string());
  file.Keep();
  SyncFolder(path.parent_path());
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path.string());
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      errno = saved;
      Fail("cannot read " + path.string());
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return out;
}

}  // namespace tf::common
