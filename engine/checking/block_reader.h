#pragma once
// Read-only access to one file of a file block that may be damaged. Every read is checked
// against the file's real size before anything is allocated or read, so no value read from the
// file can make a reader run past its end or allocate more than the file holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tf::engine::disk {

class RawFile {
 public:
  RawFile() = default;
  ~RawFile();
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  // Opens for reading only (no lock: a check never blocks or disturbs a writer). False when the
  // file cannot be opened; Error() says why.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }
  // After a failed Open: the path exists but names no regular file (Error() says what it is);
  // false when it could not be opened at all (missing, no permission).
  bool NotRegular() const { return notRegular_; }
  bool Missing() const { return missing_; }
  int64_t Size() const { return size_; }

  // True when [offset, offset + n) lies inside the file.
  bool Holds(int64_t offset, int64_t n) const {
    return offset >= 0 && n >= 0 && offset <= size_ && n <= size_ - offset;
  }
  // Reads exactly n bytes at offset into out (resized to n). False, with out empty, when the
  // range is not inside the file or the read fails.
  bool ReadAt(int64_t offset, int64_t n, std::vector<unsigned char>& out) const;
  bool ReadAt(int64_t offset, int64_t n, unsigned char* out) const;

 private:
  int fd_ = -1;
  int64_t size_ = 0;
  std::string path_;
  std::string error_;
  bool notRegular_ = false;
  bool missing_ = false;
};

}  // namespace tf::engine::disk
