#include "tests/rebuild/crash_file_system.h"

namespace tf::engine::rebuild_test {
namespace {

FileSystem& Real() { return PosixFileSystem(); }

}  // namespace

void CrashFileSystem::FailCall(int index, int err) {
  failIndex_ = index;
  failErr_ = err;
}

void CrashFileSystem::CrashAt(int index) { crashIndex_ = index; }

void CrashFileSystem::FailOp(FsOp op, std::string pathPart, int err, int nth) {
  hasOpRule_ = true;
  ruleOp_ = op;
  rulePath_ = std::move(pathPart);
  ruleErr_ = err;
  ruleCountdown_ = nth;
}

void CrashFileSystem::FailOpFrom(int index, FsOp op, int err) {
  fromIndex_ = index;
  fromOp_ = op;
  fromErr_ = err;
}

int CrashFileSystem::Gate(FsOp op, const std::string& path, size_t bytes) {
  const int index = int(log_.size());
  log_.push_back({op, path, bytes});
  if (crashIndex_ >= 0 && index >= crashIndex_) {
    tripped_ = true;
    return EIO;
  }
  if (index == failIndex_) {
    tripped_ = true;
    return failErr_;
  }
  if (fromIndex_ >= 0 && index >= fromIndex_ && op == fromOp_) {
    tripped_ = true;
    return fromErr_;
  }
  if (hasOpRule_ && op == ruleOp_ && path.find(rulePath_) != std::string::npos && --ruleCountdown_ == 0) {
    tripped_ = true;
    return ruleErr_;
  }
  return 0;
}

std::string CrashFileSystem::PathOf(int fd) const {
  auto it = paths_.find(fd);
  return it == paths_.end() ? std::string() : it->second;
}

int CrashFileSystem::Open(const std::string& path, OpenMode mode, int& fd) {
  if (int err = Gate(FsOp::Open, path)) return err;
  int err = Real().Open(path, mode, fd);
  if (err == 0) paths_[fd] = path;
  return err;
}

int CrashFileSystem::Close(int fd) {
  const int err = Gate(FsOp::Close, PathOf(fd));
  paths_.erase(fd);
  const int closed = Real().Close(fd);
  return err ? err : closed;
}

int CrashFileSystem::Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) {
  done = 0;
  if (int err = Gate(FsOp::Read, PathOf(fd), n)) return err;
  return Real().Read(fd, buf, n, offset, done);
}

int CrashFileSystem::Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) {
  done = 0;
  if (int err = Gate(FsOp::Write, PathOf(fd), n)) return err;
  return Real().Write(fd, buf, n, offset, done);
}

int CrashFileSystem::Sync(int fd) {
  if (int err = Gate(FsOp::Sync, PathOf(fd))) return err;
  return Real().Sync(fd);
}

int CrashFileSystem::Size(int fd, int64_t& size) {
  if (int err = Gate(FsOp::Size, PathOf(fd))) return err;
  return Real().Size(fd, size);
}

int CrashFileSystem::Truncate(int fd, int64_t size) {
  if (int err = Gate(FsOp::Truncate, PathOf(fd))) return err;
  return Real().Truncate(fd, size);
}

int CrashFileSystem::Remove(const std::string& path) {
  if (int err = Gate(FsOp::Remove, path)) return err;
  return Real().Remove(path);
}

int CrashFileSystem::Rename(const std::string& from, const std::string& to) {
  if (int err = Gate(FsOp::Rename, from + " -> " + to)) return err;
  return Real().Rename(from, to);
}

int CrashFileSystem::SyncDirectoryOf(const std::string& path) {
  if (int err = Gate(FsOp::SyncDirectory, path)) return err;
  return Real().SyncDirectoryOf(path);
}

bool CrashFileSystem::DirectoryOfExists(const std::string& path) { return Real().DirectoryOfExists(path); }

}  // namespace tf::engine::rebuild_test
