#include "common/side_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <system_error>
#include <vector>

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

// Writes all of `size` bytes; false with errno set when a write fails.
bool WriteAll(int fd, const char* p, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::filesystem::path TempPathFor(const std::filesystem::path& path) {
  std::filesystem::path temp = path;
  temp += ".new";
  return temp;
}

// Syncs and closes the written temporary file and renames it over `path`.
void PutInPlace(TempFile& file, const std::filesystem::path& temp, const std::filesystem::path& path) {
  if (::fdatasync(file.fd()) != 0) Fail("cannot sync " + temp.string());
  file.CloseChecked();
  if (::rename(temp.c_str(), path.c_str()) != 0) Fail("cannot replace " + path.string());
  file.Keep();
  SyncFolder(path.parent_path());
}

}  // namespace

void ReplaceFile(const std::filesystem::path& path, std::string_view contents) {
  const std::filesystem::path temp = TempPathFor(path);
  TempFile file(temp);
  if (!WriteAll(file.fd(), contents.data(), contents.size())) Fail("cannot write " + temp.string());
  PutInPlace(file, temp, path);
}

// The stream's buffer: the temporary file, written 64 KiB at a time. The first failed write is
// kept (errno) and reported by the Commit.
class FileReplacement::Buffer : public std::streambuf {
 public:
  explicit Buffer(const std::filesystem::path& temp) : file(temp), space_(1 << 16) {
    setp(space_.data(), space_.data() + space_.size());
  }
  bool Drain() {
    const std::size_t size = std::size_t(pptr() - pbase());
    if (size > 0 && error == 0 && !WriteAll(file.fd(), pbase(), size)) error = errno;
    setp(space_.data(), space_.data() + space_.size());
    return error == 0;
  }
  TempFile file;
  int error = 0;

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  std::vector<char> space_;
};

FileReplacement::FileReplacement(std::filesystem::path path)
    : path_(std::move(path)), temp_(TempPathFor(path_)), buffer_(std::make_unique<Buffer>(temp_)),
      stream_(buffer_.get()) {}

FileReplacement::~FileReplacement() = default;

std::ostream& FileReplacement::stream() { return stream_; }

void FileReplacement::Commit() {
  if (committed_) return;
  if (!buffer_->Drain() || !stream_) {
    errno = buffer_->error != 0 ? buffer_->error : EIO;
    Fail("cannot write " + temp_.string());
  }
  PutInPlace(buffer_->file, temp_, path_);
  committed_ = true;
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
