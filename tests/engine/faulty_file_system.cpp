#include "tests/engine/faulty_file_system.h"

#include <cerrno>

namespace tf::engine::testing {

const char* Name(FsCall call) {
  static const char* const names[] = {"open", "close", "read", "write", "sync", "size", "truncate", "sync-dir"};
  return names[int(call)];
}

const char* Name(FaultKind kind) {
  static const char* const names[] = {"short-read", "short-write", "EIO", "ENOSPC", "EMFILE"};
  return names[int(kind)];
}

void FaultyFileSystem::Arm(FaultKind kind, int nth, bool persistent) {
  Disarm();
  auto on = [this](std::initializer_list<FsCall> calls) {
    for (FsCall c : calls) appliesTo_[int(c)] = true;
  };
  switch (kind) {
    case FaultKind::ShortRead: on({FsCall::Read}); short_ = true; break;
    case FaultKind::ShortWrite: on({FsCall::Write}); short_ = true; break;
    case FaultKind::Eio:
      on({FsCall::Open, FsCall::Close, FsCall::Read, FsCall::Write, FsCall::Sync, FsCall::Size, FsCall::Truncate,
          FsCall::SyncDirectory});
      err_ = EIO;
      break;
    case FaultKind::Enospc: on({FsCall::Write, FsCall::Sync, FsCall::Truncate}); err_ = ENOSPC; break;
    case FaultKind::Emfile: on({FsCall::Open}); err_ = EMFILE; break;
  }
  armed_ = true;
  nth_ = nth;
  persistent_ = persistent;
}

void FaultyFileSystem::ArmErrno(FsCall call, int err, int nth, bool persistent) {
  Disarm();
  appliesTo_[int(call)] = true;
  err_ = err;
  armed_ = true;
  nth_ = nth;
  persistent_ = persistent;
}

void FaultyFileSystem::Disarm() {
  armed_ = false;
  for (bool& a : appliesTo_) a = false;
  short_ = false;
  err_ = 0;
  seen_ = 0;
  sequence_ = 0;
  injected_.clear();
  writes_.clear();
}

FaultyFileSystem::Decision FaultyFileSystem::Trip(FsCall call, const std::string& path) {
  ++sequence_;
  if (!armed_ || !appliesTo_[int(call)]) return {};
  ++seen_;
  if (seen_ < nth_ || (seen_ > nth_ && !persistent_)) return {};
  injected_.push_back({call, path, sequence_});
  return {true, short_, err_};
}

std::string FaultyFileSystem::PathOf(int fd) const {
  auto it = paths_.find(fd);
  return it == paths_.end() ? std::string() : it->second;
}

int FaultyFileSystem::Open(const std::string& path, OpenMode mode, int& fd) {
  if (Decision d = Trip(FsCall::Open, path); d.fail) return d.err;
  int rc = inner_.Open(path, mode, fd);
  if (rc == 0) paths_[fd] = path;
  return rc;
}

int FaultyFileSystem::Close(int fd) {
  Decision d = Trip(FsCall::Close, PathOf(fd));
  paths_.erase(fd);
  int rc = inner_.Close(fd);  // a failing close still releases the descriptor, as on Linux
  return d.fail ? d.err : rc;
}

int FaultyFileSystem::Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) {
  Decision d = Trip(FsCall::Read, PathOf(fd));
  if (!d.fail) return inner_.Read(fd, buf, n, offset, done);
  done = 0;
  if (d.shortTransfer) return inner_.Read(fd, buf, n / 2, offset, done);
  return d.err;
}

int FaultyFileSystem::Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) {
  Decision d = Trip(FsCall::Write, PathOf(fd));
  if (!d.fail) {
    int rc = inner_.Write(fd, buf, n, offset, done);
    if (rc == 0 && done == n && n > 0)
      writes_.push_back({sequence_, PathOf(fd), offset, n, *static_cast<const uint8_t*>(buf)});
    return rc;
  }
  done = 0;
  if (d.shortTransfer) return inner_.Write(fd, buf, n / 2, offset, done);
  return d.err;
}

int FaultyFileSystem::Sync(int fd) {
  if (Decision d = Trip(FsCall::Sync, PathOf(fd)); d.fail) return d.err;
  return inner_.Sync(fd);
}

int FaultyFileSystem::Size(int fd, int64_t& size) {
  if (Decision d = Trip(FsCall::Size, PathOf(fd)); d.fail) return d.err;
  return inner_.Size(fd, size);
}

int FaultyFileSystem::Truncate(int fd, int64_t size) {
  if (Decision d = Trip(FsCall::Truncate, PathOf(fd)); d.fail) return d.err;
  return inner_.Truncate(fd, size);
}

int FaultyFileSystem::SyncDirectoryOf(const std::string& path) {
  if (Decision d = Trip(FsCall::SyncDirectory, path); d.fail) return d.err;
  return inner_.SyncDirectoryOf(path);
}

}  // namespace tf::engine::testing
