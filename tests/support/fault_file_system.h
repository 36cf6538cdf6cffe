#pragma once
// The one file layer tests put under the engine (engine/core/file_system.h) to watch or break
// its file calls. It passes every call to the POSIX layer, numbers it (the directory-exists
// query excepted) and logs it, and fails the calls its armed faults pick:
//   - the nth call of some kinds, once or from then on, the way disks and kernels fail: short
//     transfers (half the bytes really moved), EIO, ENOSPC, EMFILE, or any errno on one kind
//     of call, optionally only on files whose path contains a given part;
//   - the call at a given place in the log, or every call of a kind from a place on;
//   - a crash: from a given call on every call fails with EIO and has no effect, as if the
//     process had died there (a close still releases its descriptor, as the kernel would);
//   - a torn write: the first write to a file that crosses a boundary (a page of the file)
//     reaches the disk up to the boundary only, and the crash follows.
// A crash can instead end the process (ExitOnCrash), for tests that run the work in a child.
//
// Every sweep that fails calls in turn must show that it did: Injected(), InjectedCount() and
// Reached() tell what the faults met, so a sweep whose calls bypass the layer fails instead of
// passing by testing nothing.

#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/file_system.h"

namespace tf::test {

enum class FsCall : uint8_t { Open, Close, Read, Write, Sync, Size, Truncate, Remove, Rename, SyncDirectory };
const char* Name(FsCall call);

// How a kind of fault fails, and which calls it can hit: short reads the reads, short writes
// the writes, EIO every call on an open or opening file, ENOSPC writes, syncs and truncations,
// EMFILE opens.
enum class FaultKind : uint8_t { ShortRead, ShortWrite, Eio, Enospc, Emfile };
const char* Name(FaultKind kind);

// One call through the layer.
struct FsEvent {
  // How many leading bytes of each write the log keeps: enough for every header field.
  static constexpr size_t kHeadBytes = 32;

  size_t index = 0;  // place among the calls since the layer was made or reset
  FsCall call = FsCall::Open;
  std::string path;  // for descriptor calls the file the descriptor was opened on; "from -> to" for a rename
  engine::OpenMode mode = engine::OpenMode::ExistingReadWrite;  // Open
  int64_t offset = 0;  // Read, Write: the position; Truncate: the new length
  size_t size = 0;     // Read, Write: the bytes asked for
  size_t done = 0;     // Read, Write: the bytes moved
  int result = 0;      // what the call returned: 0 or an errno value
  bool injected = false;           // a fault failed, shortened or tore this call
  std::vector<uint8_t> head;       // Write: the first bytes it was given (up to kHeadBytes)

  // A write that went through whole.
  bool Whole() const { return call == FsCall::Write && result == 0 && done == size; }
  // The byte a write was given for `position` of its file, when it is among the kept ones.
  std::optional<uint8_t> ByteAt(int64_t position) const;
};

class FaultFileSystem final : public engine::FileSystem {
 public:
  // --- faults; each counts the calls it applies to from the moment it is armed, and where
  // several apply to one call the first armed decides ---
  // The nth call `kind` applies to fails, and with `persistent` every later one too.
  void Arm(FaultKind kind, int nth, bool persistent = false);
  // The nth call of `call` (on a file whose path contains `pathPart`) fails with `err`.
  void ArmErrno(FsCall call, int err, int nth = 1, bool persistent = false, std::string pathPart = {});
  // The call at place `index` of the log fails with `err`.
  void FailAt(size_t index, int err = EIO);
  // Every call of `call` from place `index` on fails with `err`.
  void FailFrom(size_t index, FsCall call, int err = EIO);
  // The crash at place `index`.
  void CrashAt(size_t index);
  // The first write from now on to a file whose path contains `pathPart` that crosses a
  // multiple of `boundary` is written up to it, and the crash follows.
  void TearWriteAcross(int64_t boundary, std::string pathPart);
  // A crash ends the process with `status` (after the torn part of a write is written).
  void ExitOnCrash(int status) { exitStatus_ = status; }
  // No fault from now on; the log stays.
  void Disarm();
  // No fault, and the log and the numbering start again.
  void Reset();

  // --- what happened ---
  const std::vector<FsEvent>& Log() const { return log_; }
  size_t Calls() const { return log_.size(); }
  // The calls a fault failed, shortened or tore, in order.
  std::vector<FsEvent> Injected() const;
  size_t InjectedCount() const { return injected_; }
  bool Crashed() const { return crashed_; }
  // How many calls the armed faults counted: with one fault armed, the calls it could have hit
  // since it was armed. A sweep that fails the 1st, 2nd ... call of a kind until the operation
  // gets through reaches every one of them when the run that met no fault counted n - 1.
  size_t Reached() const;
  // Descriptors opened through this layer and not closed yet.
  size_t OpenDescriptors() const { return paths_.size(); }

  int Open(const std::string& path, engine::OpenMode mode, int& fd) override;
  int Close(int fd) override;
  int Read(int fd, void* buf, size_t n, int64_t offset, size_t& done) override;
  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override;
  int Sync(int fd) override;
  int Size(int fd, int64_t& size) override;
  int Truncate(int fd, int64_t size) override;
  int Remove(const std::string& path) override;
  int Rename(const std::string& from, const std::string& to) override;
  int SyncDirectoryOf(const std::string& path) override;
  bool DirectoryOfExists(const std::string& path) override { return inner_.DirectoryOfExists(path); }

 private:
  enum class Effect : uint8_t { Fail, Short, Crash, Tear };
  struct Rule {
    unsigned calls = 0;  // bit per FsCall
    std::string pathPart;
    size_t from = 0;  // the first place in the log it counts
    int nth = 1;
    bool persistent = false;
    int err = EIO;
    Effect effect = Effect::Fail;
    int64_t boundary = 0;  // Tear
    size_t seen = 0;
  };
  struct Decision {
    bool fail = false;
    Effect effect = Effect::Fail;
    int err = 0;
    size_t keep = 0;  // Tear: the bytes that reach the disk
  };

  void Add(Rule rule);
  // Logs the call and decides its fate; `event` is the new log entry.
  Decision Gate(FsEvent& event);
  // Marks the layer crashed (ending the process if asked).
  void Crash();
  std::string PathOf(int fd) const;
  FsEvent& Begin(FsCall call, std::string path);
  // A call whose failure has no effect: logged, gated, then `real` unless it fails.
  template <class Real>
  int Pass(FsCall call, std::string path, Real real);

  engine::FileSystem& inner_ = engine::PosixFileSystem();
  std::vector<Rule> rules_;
  std::vector<FsEvent> log_;
  std::map<int, std::string> paths_;
  size_t injected_ = 0;
  bool crashed_ = false;
  std::optional<int> exitStatus_;
};

}  // namespace tf::test
