#include "tests/support/fault_file_system.h"

#include <unistd.h>

#include <algorithm>

namespace tf::test {
namespace {

constexpr unsigned Bit(FsCall call) { return 1u << unsigned(call); }

constexpr unsigned kEveryCall = (1u << (unsigned(FsCall::SyncDirectory) + 1)) - 1;

}  // namespace

const char* Name(FsCall call) {
  static const char* const names[] = {"open", "close", "read",   "write",  "sync",
                                      "size", "truncate", "remove", "rename", "sync-dir"};
  return names[int(call)];
}

const char* Name(FaultKind kind) {
  static const char* const names[] = {"short-read", "short-write", "EIO", "ENOSPC", "EMFILE"};
  return names[int(kind)];
}

std::optional<uint8_t> FsEvent::ByteAt(int64_t position) const {
  if (call != FsCall::Write || position < offset || position - offset >= int64_t(head.size())) return std::nullopt;
  return head[size_t(position - offset)];
}

void FaultFileSystem::Add(Rule rule) {
  rule.from = std::max(rule.from, log_.size());
  rules_.push_back(std::move(rule));
}

void FaultFileSystem::Arm(FaultKind kind, int nth, bool persistent) {
  Rule rule;
  rule.nth = nth;
  rule.persistent = persistent;
  switch (kind) {
    case FaultKind::ShortRead:
      rule.calls = Bit(FsCall::Read);
      rule.effect = Effect::Short;
      break;
    case FaultKind::ShortWrite:
      rule.calls = Bit(FsCall::Write);
      rule.effect = Effect::Short;
      break;
    case FaultKind::Eio:
      rule.calls = Bit(FsCall::Open) | Bit(FsCall::Close) | Bit(FsCall::Read) | Bit(FsCall::Write) |
                   Bit(FsCall::Sync) | Bit(FsCall::Size) | Bit(FsCall::Truncate) | Bit(FsCall::SyncDirectory);
      rule.err = EIO;
      break;
    case FaultKind::Enospc:
      rule.calls = Bit(FsCall::Write) | Bit(FsCall::Sync) | Bit(FsCall::Truncate);
      rule.err = ENOSPC;
      break;
    case FaultKind::Emfile:
      rule.calls = Bit(FsCall::Open);
      rule.err = EMFILE;
      break;
  }
  Add(std::move(rule));
}

void FaultFileSystem::ArmErrno(FsCall call, int err, int nth, bool persistent, std::string pathPart) {
  Rule rule;
  rule.calls = Bit(call);
  rule.err = err;
  rule.nth = nth;
  rule.persistent = persistent;
  rule.pathPart = std::move(pathPart);
  Add(std::move(rule));
}

void FaultFileSystem::FailAt(size_t index, int err) {
  Rule rule;
  rule.calls = kEveryCall;
  rule.from = index;
  rule.err = err;
  Add(std::move(rule));
}

void FaultFileSystem::FailFrom(size_t index, FsCall call, int err) {
  Rule rule;
  rule.calls = Bit(call);
  rule.from = index;
  rule.err = err;
  rule.persistent = true;
  Add(std::move(rule));
}

void FaultFileSystem::CrashAt(size_t index) {
  Rule rule;
  rule.calls = kEveryCall;
  rule.from = index;
  rule.effect = Effect::Crash;
  Add(std::move(rule));
}

void FaultFileSystem::TearWriteAcross(int64_t boundary, std::string pathPart) {
  Rule rule;
  rule.calls = Bit(FsCall::Write);
  rule.pathPart = std::move(pathPart);
  rule.effect = Effect::Tear;
  rule.boundary = boundary;
  Add(std::move(rule));
}

void FaultFileSystem::Disarm() {
  rules_.clear();
  crashed_ = false;
}

void FaultFileSystem::Reset() {
  Disarm();
  log_.clear();
  injected_ = 0;
}

std::vector<FsEvent> FaultFileSystem::Injected() const {
  std::vector<FsEvent> out;
  for (const FsEvent& e : log_)
    if (e.injected) out.push_back(e);
  return out;
}

size_t FaultFileSystem::Reached() const {
  size_t n = 0;
  for (const Rule& r : rules_) n += r.seen;
  return n;
}

FsEvent& FaultFileSystem::Begin(FsCall call, std::string path) {
  FsEvent& e = log_.emplace_back();
  e.index = log_.size() - 1;
  e.call = call;
  e.path = std::move(path);
  return e;
}

void FaultFileSystem::Crash() {
  crashed_ = true;
  if (exitStatus_) ::_exit(*exitStatus_);
}

FaultFileSystem::Decision FaultFileSystem::Gate(FsEvent& e) {
  Decision d;
  if (crashed_) {
    d = {true, Effect::Fail, EIO, 0};
  } else {
    for (Rule& r : rules_) {
      if (!(r.calls & Bit(e.call)) || e.index < r.from) continue;
      if (!r.pathPart.empty() && e.path.find(r.pathPart) == std::string::npos) continue;
      int64_t next = 0;
      if (r.effect == Effect::Tear) {
        next = (e.offset / r.boundary + 1) * r.boundary;
        if (e.offset + int64_t(e.size) <= next) continue;
      }
      ++r.seen;
      const bool trips = r.seen == size_t(r.nth) || (r.persistent && r.seen > size_t(r.nth));
      if (!trips || d.fail) continue;
      d = {true, r.effect, r.effect == Effect::Fail || r.effect == Effect::Short ? r.err : EIO,
           size_t(next - e.offset)};
    }
  }
  if (!d.fail) return d;
  e.injected = true;
  ++injected_;
  if (d.effect == Effect::Crash) {
    Crash();
    d.effect = Effect::Fail;
  }
  return d;
}

std::string FaultFileSystem::PathOf(int fd) const {
  auto it = paths_.find(fd);
  return it == paths_.end() ? std::string() : it->second;
}

template <class Real>
int FaultFileSystem::Pass(FsCall call, std::string path, Real real) {
  FsEvent& e = Begin(call, std::move(path));
  if (const Decision d = Gate(e); d.fail) return e.result = d.err;
  return e.result = real();
}

int FaultFileSystem::Open(const std::string& path, engine::OpenMode mode, int& fd) {
  FsEvent& e = Begin(FsCall::Open, path);
  e.mode = mode;
  if (const Decision d = Gate(e); d.fail) return e.result = d.err;
  e.result = inner_.Open(path, mode, fd);
  if (e.result == 0) paths_[fd] = path;
  return e.result;
}

int FaultFileSystem::Close(int fd) {
  FsEvent& e = Begin(FsCall::Close, PathOf(fd));
  const Decision d = Gate(e);
  paths_.erase(fd);
  const int rc = inner_.Close(fd);  // a failing close still releases the descriptor, as on Linux
  return e.result = d.fail ? d.err : rc;
}

int FaultFileSystem::Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) {
  done = 0;
  FsEvent& e = Begin(FsCall::Read, PathOf(fd));
  e.offset = offset;
  e.size = n;
  const Decision d = Gate(e);
  if (!d.fail)
    e.result = inner_.Read(fd, buf, n, offset, done);
  else if (d.effect == Effect::Short)
    e.result = inner_.Read(fd, buf, n / 2, offset, done);
  else
    e.result = d.err;
  e.done = done;
  return e.result;
}

int FaultFileSystem::Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) {
  done = 0;
  FsEvent& e = Begin(FsCall::Write, PathOf(fd));
  e.offset = offset;
  e.size = n;
  const auto* bytes = static_cast<const uint8_t*>(buf);
  e.head.assign(bytes, bytes + std::min(n, FsEvent::kHeadBytes));
  const Decision d = Gate(e);
  if (!d.fail) {
    e.result = inner_.Write(fd, buf, n, offset, done);
  } else if (d.effect == Effect::Short) {
    e.result = inner_.Write(fd, buf, n / 2, offset, done);
  } else if (d.effect == Effect::Tear) {
    inner_.Write(fd, buf, d.keep, offset, done);
    e.result = EIO;
    e.done = done;
    Crash();
  } else {
    e.result = d.err;
  }
  e.done = done;
  return e.result;
}

int FaultFileSystem::Sync(int fd) {
  return Pass(FsCall::Sync, PathOf(fd), [&] { return inner_.Sync(fd); });
}

int FaultFileSystem::Size(int fd, int64_t& size) {
  return Pass(FsCall::Size, PathOf(fd), [&] { return inner_.Size(fd, size); });
}

int FaultFileSystem::Truncate(int fd, int64_t size) {
  const int rc = Pass(FsCall::Truncate, PathOf(fd), [&] { return inner_.Truncate(fd, size); });
  log_.back().offset = size;
  return rc;
}

int FaultFileSystem::Remove(const std::string& path) {
  return Pass(FsCall::Remove, path, [&] { return inner_.Remove(path); });
}

int FaultFileSystem::Rename(const std::string& from, const std::string& to) {
  return Pass(FsCall::Rename, from + " -> " + to, [&] { return inner_.Rename(from, to); });
}

int FaultFileSystem::SyncDirectoryOf(const std::string& path) {
  return Pass(FsCall::SyncDirectory, path, [&] { return inner_.SyncDirectoryOf(path); });
}

}  // namespace tf::test
