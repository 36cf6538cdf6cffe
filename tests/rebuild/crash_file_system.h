#pragma once
// A file layer for the rebuild's failure tests. It numbers every call (the directory-exists
// query excepted) and can
//   - fail one chosen call, which then has no effect (the others work), or
//   - crash at a chosen call: that call and every later one fail without effect, as if the
//     process had died there (closes still release the descriptor, as the kernel would);
//   - fail the nth call of one kind on a file whose name contains a given part;
//   - fail every call of one kind from a chosen call on (a second fault during the clean-up).
// It also logs every call with its path and byte count.

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "engine/core/file_system.h"

namespace tf::engine::rebuild_test {

enum class FsOp { Open, Close, Read, Write, Sync, Size, Truncate, Remove, Rename, SyncDirectory };

struct FsCallRecord {
  FsOp op;
  std::string path;  // for descriptor calls, the file the descriptor was opened on
  size_t bytes = 0;  // requested by a read or write
};

class CrashFileSystem final : public FileSystem {
 public:
  void FailCall(int index, int err = EIO);
  void CrashAt(int index);
  void FailOp(FsOp op, std::string pathPart, int err, int nth = 1);
  void FailOpFrom(int index, FsOp op, int err = EIO);

  int Calls() const { return int(log_.size()); }
  const std::vector<FsCallRecord>& Log() const { return log_; }
  bool Tripped() const { return tripped_; }

  int Open(const std::string& path, OpenMode mode, int& fd) override;
  int Close(int fd) override;
  int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) override;
  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override;
  int Sync(int fd) override;
  int Size(int fd, int64_t& size) override;
  int Truncate(int fd, int64_t size) override;
  int Remove(const std::string& path) override;
  int Rename(const std::string& from, const std::string& to) override;
  int SyncDirectoryOf(const std::string& path) override;
  bool DirectoryOfExists(const std::string& path) override;

 private:
  // The error this call fails with, or 0 to let it through.
  int Gate(FsOp op, const std::string& path, size_t bytes = 0);
  std::string PathOf(int fd) const;

  std::vector<FsCallRecord> log_;
  std::map<int, std::string> paths_;
  int failIndex_ = -1;
  int failErr_ = 0;
  int crashIndex_ = -1;
  bool hasOpRule_ = false;
  FsOp ruleOp_ = FsOp::Open;
  std::string rulePath_;
  int ruleErr_ = 0;
  int ruleCountdown_ = 0;
  int fromIndex_ = -1;
  FsOp fromOp_ = FsOp::Open;
  int fromErr_ = 0;
  bool tripped_ = false;
};

}  // namespace tf::engine::rebuild_test
