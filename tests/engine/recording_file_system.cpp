#include "tests/engine/recording_file_system.h"

#include <gtest/gtest.h>

namespace tf::engine::testing {
namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string RecordingFileSystem::DataPathOf(const std::string& path) {
  auto dot = path.find_last_of('.');
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ".DAT";
}

void RecordingFileSystem::SetOperation(const std::string& op) {
  op_ = op;
  events_.push_back({FsEvent::Marker, op});
}

int RecordingFileSystem::Open(const std::string& path, OpenMode mode, int& fd) {
  int rc = inner_.Open(path, mode, fd);
  if (rc) return rc;
  const bool created = mode == OpenMode::CreateAlways;
  const bool data = EndsWith(path, ".DAT");
  int32_t recordLength = 0;
  if (data && !created) {
    uint8_t raw[4] = {};
    size_t got = 0;
    inner_.Read(fd, raw, 4, 12, got);
    recordLength = int32_t(raw[0] | raw[1] << 8 | raw[2] << 16 | uint32_t(raw[3]) << 24);
    flags_[path] = Flag{};
  }
  files_[fd] = {path, created, data, recordLength};
  events_.push_back({created ? FsEvent::Create : FsEvent::Open, path});
  return 0;
}

int RecordingFileSystem::Close(int fd) {
  events_.push_back({FsEvent::Close, files_[fd].path});
  files_.erase(fd);
  return inner_.Close(fd);
}

void RecordingFileSystem::Check(const OpenFile& f, int64_t offset, size_t n, int flagValue) {
  if (f.created || (!f.data && !EndsWith(f.path, ".IX"))) return;
  if (f.data && flagValue == 1 && offset == 20 && n == 1) return;  // the mark itself
  const bool recordSlot = f.data && offset >= f.recordLength;
  if (recordSlot && op_ == "PutRecord") return;
  if (flags_[DataPathOf(f.path)].durable) return;
  ++violations_;
  ADD_FAILURE() << "during " << op_ << ": " << n << " bytes written at " << offset << " of " << f.path
                << " before UpdateFlag 1 was written and synced";
}

int RecordingFileSystem::Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) {
  const OpenFile& f = files_[fd];
  int flagValue = -1;
  if (f.data && offset <= 20 && offset + int64_t(n) > 20) flagValue = static_cast<const uint8_t*>(buf)[20 - offset];
  Check(f, offset, n, flagValue);
  int rc = inner_.Write(fd, buf, n, offset, done);
  events_.push_back({FsEvent::Write, f.path, offset, n, flagValue});
  if (rc == 0 && done == n && flagValue >= 0 && !f.created) {
    Flag& flag = flags_[f.path];
    flag.writtenNotSynced = flagValue == 1;
    flag.durable = false;
  }
  return rc;
}

int RecordingFileSystem::Sync(int fd) {
  const OpenFile& f = files_[fd];
  int rc = inner_.Sync(fd);
  events_.push_back({FsEvent::Sync, f.path});
  if (rc == 0 && f.data && !f.created) {
    Flag& flag = flags_[f.path];
    if (flag.writtenNotSynced) flag.durable = true;
    flag.writtenNotSynced = false;
  }
  return rc;
}

int RecordingFileSystem::Truncate(int fd, int64_t size) {
  events_.push_back({FsEvent::Truncate, files_[fd].path, size});
  return inner_.Truncate(fd, size);
}

int RecordingFileSystem::SyncDirectoryOf(const std::string& path) {
  events_.push_back({FsEvent::SyncDirectory, path});
  return inner_.SyncDirectoryOf(path);
}

}  // namespace tf::engine::testing
