#pragma once
// A file layer that fails the Nth call of the kinds a fault applies to, once or from then on,
// the way disks and kernels fail: short transfers (half the bytes really moved), EIO, ENOSPC,
// EMFILE, or any errno on one primitive.

#include <map>
#include <string>
#include <vector>

#include "tests/engine/forwarding_file_system.h"

namespace tf::engine::testing {

enum class FsCall { Open, Close, Read, Write, Sync, Size, Truncate, SyncDirectory };
enum class FaultKind { ShortRead, ShortWrite, Eio, Enospc, Emfile };

const char* Name(FsCall call);
const char* Name(FaultKind kind);

struct InjectedFault {
  FsCall call;
  std::string path;  // the file the call was about
  size_t sequence;   // place among all calls since Arm
};

// A write that went through whole.
struct CompletedWrite {
  size_t sequence;
  std::string path;
  int64_t offset;
  size_t size;
  uint8_t firstByte;
};

class FaultyFileSystem : public ForwardingFileSystem {
 public:
  // Counting from now, fails the nth call the kind applies to (short reads: reads; short
  // writes: writes; EIO: every call that touches a file; ENOSPC: writes, syncs, truncations;
  // EMFILE: opens). With `persistent` every later such call fails too.
  void Arm(FaultKind kind, int nth, bool persistent);
  // Fails the nth call of one primitive with `err`.
  void ArmErrno(FsCall call, int err, int nth = 1, bool persistent = false);
  void Disarm();

  const std::vector<InjectedFault>& Injected() const { return injected_; }
  const std::vector<CompletedWrite>& Writes() const { return writes_; }
  // Descriptors opened through this layer and not closed yet.
  size_t OpenDescriptors() const { return paths_.size(); }

  int Open(const std::string& path, OpenMode mode, int& fd) override;
  int Close(int fd) override;
  int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) override;
  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override;
  int Sync(int fd) override;
  int Size(int fd, int64_t& size) override;
  int Truncate(int fd, int64_t size) override;
  int SyncDirectoryOf(const std::string& path) override;

 private:
  struct Decision {
    bool fail = false;
    bool shortTransfer = false;
    int err = 0;
  };
  Decision Trip(FsCall call, const std::string& path);
  std::string PathOf(int fd) const;

  bool armed_ = false;
  bool appliesTo_[8] = {};
  bool short_ = false;
  int err_ = 0;
  int nth_ = 0;
  bool persistent_ = false;
  int seen_ = 0;
  size_t sequence_ = 0;
  std::vector<InjectedFault> injected_;
  std::vector<CompletedWrite> writes_;
  std::map<int, std::string> paths_;
};

}  // namespace tf::engine::testing
