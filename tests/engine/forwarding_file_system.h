#pragma once
// A file layer that passes every call to the POSIX one; test doubles override what they watch
// or break.

#include "engine/core/file_system.h"

namespace tf::engine::testing {

class ForwardingFileSystem : public FileSystem {
 public:
  int Open(const std::string& path, OpenMode mode, int& fd) override { return inner_.Open(path, mode, fd); }
  int Close(int fd) override { return inner_.Close(fd); }
  int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) override {
    return inner_.Read(fd, buf, n, offset, done);
  }
  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override {
    return inner_.Write(fd, buf, n, offset, done);
  }
  int Sync(int fd) override { return inner_.Sync(fd); }
  int Size(int fd, int64_t& size) override { return inner_.Size(fd, size); }
  int Truncate(int fd, int64_t size) override { return inner_.Truncate(fd, size); }
  int Remove(const std::string& path) override { return inner_.Remove(path); }
  int Rename(const std::string& from, const std::string& to) override { return inner_.Rename(from, to); }
  int SyncDirectoryOf(const std::string& path) override { return inner_.SyncDirectoryOf(path); }
  bool DirectoryOfExists(const std::string& path) override { return inner_.DirectoryOfExists(path); }

 protected:
  FileSystem& inner_ = PosixFileSystem();
};

}  // namespace tf::engine::testing
