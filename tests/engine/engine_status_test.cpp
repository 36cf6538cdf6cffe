// The engine as a whole: initialisation, the entry check every operation starts with, the
// error classes callers decide by, how operating-system errors become statuses, and how file
// block names become file names.

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "engine/core/file_names.h"
#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::testing {
namespace {

using test::FaultFileSystem;
using test::FsCall;

// Starts the engine with its exit handler, leaves a file block open with a record added, and
// ends the process through exit().
[[noreturn]] void ExitWithEngineRunning(const std::string& name) {
  InstallEngineExit();
  InitEngine(0, kMinPageBuffers);
  const KeyDescriptor keys[] = {{4, 0}};
  MakeFileBlock(name, 32, 1, keys);
  FileBlock* h = nullptr;
  OpenFileBlock(h, name);
  std::vector<uint8_t> rec(32, 0);
  int32_t ref = 0;
  AddRecord(h, ref, rec.data());
  std::exit(EngineOK ? 0 : 3);
}

// A program that ends through exit() while the engine runs (the window that cannot open its
// file block ends the program that way) ends cleanly instead of crashing in the exit handler. Run in a fresh
// process, so that the engine's statics are first built after the exit handler is installed,
// as in the program.
TEST(EngineLifecycleDeathTest, ExitWithTheEngineRunningEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFolder dir;
  const std::string name = dir / "EXIT";
  EXPECT_EXIT(ExitWithEngineRunning(name), ::testing::ExitedWithCode(0), "");
}

TEST(EngineLifecycle, EveryOperationBeforeInitEngineFails) {
  EngineReady();
  ASSERT_EQ(EngineStatus, status::kNotInitialised) << "another test left the engine initialised";
  TempFolder dir;
  FileBlock* h = nullptr;
  int32_t ref = 0;
  std::string key = "A";
  uint16_t pos = 0;
  std::vector<uint8_t> rec(32, 0);
  const KeyDescriptor keys[] = {{4, 0}};
  std::pair<const char*, std::function<void()>> ops[] = {
      {"MakeFileBlock", [&] { MakeFileBlock(dir / "X", 32, 1, keys); }},
      {"OpenFileBlock", [&] { OpenFileBlock(h, dir / "X"); }},
      {"CloseFileBlock", [&] { CloseFileBlock(h); }},
      {"DeleteFileBlock", [&] { DeleteFileBlock(dir / "X"); }},
      {"GetRecord", [&] { GetRecord(h, 1, rec.data()); }},
      {"AddRecord", [&] { AddRecord(h, ref, rec.data()); }},
      {"UsedRecords", [&] { UsedRecords(h); }},
      {"NextRecord", [&] { NextRecord(h, ref); }},
      {"AddKey", [&] { AddKey(h, 1, 1, "A"); }},
      {"SearchKey", [&] { SearchKey(h, 1, ref, key); }},
      {"KeyPosition", [&] { KeyPosition(h, 1, pos, 1, "A", 100); }},
      {"LockFileBlock", [&] { LockFileBlock(h); }},
      {"EngineReady", [&] { EXPECT_TRUE(EngineReady()); }},
      {"ExitEngine", [&] { ExitEngine(); }},
  };
  for (auto& [what, op] : ops) {
    EngineOK = true;
    EngineStatus = 0;
    op();
    EXPECT_FALSE(EngineOK) << what;
    EXPECT_EQ(EngineStatus, status::kNotInitialised) << what;
  }
  EXPECT_FALSE(FileExists(dir / "X.DAT"));
}

TEST(EngineLifecycle, InitEngineNeedsEightBuffersAndRunsOnce) {
  InitEngine(0, 7);
  EXPECT_EQ(EngineStatus, status::kTooFewBuffers);
  EngineReady();
  EXPECT_EQ(EngineStatus, status::kNotInitialised) << "a refused InitEngine leaves the engine down";
  InitEngine(0, 8);
  ASSERT_TRUE(EngineOK);
  EXPECT_TRUE(EngineReady());
  EXPECT_TRUE(EngineOK);
  InitEngine(0, 30);
  EXPECT_EQ(EngineStatus, status::kAlreadyInitialised);
  ExitEngine();
  EXPECT_TRUE(EngineOK);
  EXPECT_FALSE(IsSharedMode());
}

class EngineStatusTest : public EngineTest {};

TEST_P(EngineStatusTest, ExitEngineClosesEveryOpenFileBlock) {
  FileBlock* a = Make("EXITA", 32, {{6, 0}});
  FileBlock* b = Make("EXITB", 32, {});
  int32_t ref = 0;
  AddRecord(a, ref, RecordBytes(32, "a").data());
  AddKey(a, 1, ref, "KEYA");
  AddRecord(b, ref, RecordBytes(32, "b").data());
  ExitEngine();
  EXPECT_TRUE(EngineOK) << EngineStatus;
  EXPECT_FALSE(IsFileBlockOpen(a));
  UsedRecords(a);
  EXPECT_EQ(EngineStatus, status::kNotInitialised);

  InitEngine(0, GetParam());
  a = Open("EXITA");
  b = Open("EXITB");
  EXPECT_EQ(WalkKeys(a, 1), (std::vector<KeyEntry>{{"KEYA", 1}}));
  EXPECT_EQ(UsedRecords(b), 1);
  CloseFileBlock(a);
  CloseFileBlock(b);
}

TEST_P(EngineStatusTest, EntryChecksComeInTheirOrder) {
  FileBlock* rw = Make("RW", 32, {{4, 0}, {4, 1}});
  FileBlock* ro = Make("RO", 32, {{4, 0}});
  CloseFileBlock(ro);
  ro = Open("RO", /*readOnly=*/true);
  FileBlock* closed = Make("CLOSED", 32, {{4, 0}});
  FileBlock* stale = closed;
  CloseFileBlock(closed);

  int32_t ref = 0;
  std::string key = "A";
  struct Case {
    const char* what;
    std::function<void()> call;
    int32_t status;
  } cases[] = {
      {"null handle, bad key number", [&] { AddKey(nullptr, 0, 1, "A"); }, status::kInvalidHandle},
      {"closed handle, bad key number", [&] { AddKey(stale, 0, 1, "A"); }, status::kInvalidHandle},
      {"read-only, change, bad key number", [&] { AddKey(ro, 0, 1, "A"); }, status::kReadOnly},
      {"read-only DeleteKey, bad key number", [&] { DeleteKey(ro, 9, 1, "A"); }, status::kReadOnly},
      {"read-only, search, bad key number", [&] { SearchKey(ro, 0, ref, key); }, status::kKeyNumberOutOfRange},
      {"key number 0", [&] { AddKey(rw, 0, 1, "A"); }, status::kKeyNumberOutOfRange},
      {"key number KeyCount + 1", [&] { AddKey(rw, 3, 1, "A"); }, status::kKeyNumberOutOfRange},
      {"NextKey key number 3", [&] { NextKey(rw, 3, ref, key); }, status::kKeyNumberOutOfRange},
      {"UsedKeys key number -1", [&] { UsedKeys(rw, -1); }, status::kKeyNumberOutOfRange},
      {"ClearKey key number 3", [&] { ClearKey(rw, 3); }, status::kKeyNumberOutOfRange},
  };
  for (const Case& c : cases) {
    c.call();
    EXPECT_FALSE(EngineOK) << c.what;
    EXPECT_EQ(EngineStatus, c.status) << c.what;
  }
  // A successful call resets the status left by a failed one.
  EXPECT_EQ(UsedKeys(rw, 2), 0);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(EngineStatus, 0);
  LockFileBlock(rw);
  EXPECT_TRUE(EngineOK);
  UnlockFileBlock(stale);
  EXPECT_EQ(EngineStatus, status::kInvalidHandle);
  CloseFileBlock(rw);
  CloseFileBlock(ro);
}

TEST(EngineErrorClassTable, FoldsEveryStatusIntoItsClass) {
  const std::pair<int32_t, int> table[] = {
      {0, 0},
      {9903, 1}, {10200, 1}, {10210, 1}, {10220, 1}, {10250, 1}, {10275, 1}, {10299, 1}, {10410, 1},
      {9900, 2}, {10065, 2}, {10110, 2}, {10306, 2}, {10330, 2}, {10332, 2}, {10335, 2}, {10355, 2},
      {10360, 2}, {10390, 2}, {10397, 2}, {10399, 2},
      {10001, 3}, {10004, 3}, {10009, 3},
      {9901, 4}, {9904, 4}, {9908, 4}, {10000, 4}, {10010, 4}, {10070, 4}, {10075, 4}, {10140, 4},
      {10160, 4}, {10170, 4}, {10180, 4}, {10199, 4}, {10300, 4}, {10400, 4}, {10411, 4}, {10445, 4},
      {10455, 4}, {-1, 4},
  };
  for (auto [code, cls] : table) {
    EngineStatus = code;
    EXPECT_EQ(EngineErrorClass(), cls) << code;
  }
  EngineStatus = 0;
}

// How each kind of operating-system failure reaches the caller.
TEST_P(EngineStatusTest, OperatingSystemErrorsMapToStatuses) {
  FileBlock* made = Make("MAP", 32, {{4, 0}});
  int32_t ref = 0;
  AddRecord(made, ref, RecordBytes(32, "r").data());
  CloseFileBlock(made);

  enum class Op { Open, Make, Get, Put };
  struct Case {
    const char* what;
    Op op;
    FsCall call;
    int err;
    int nth;
    int32_t status;
  } cases[] = {
      {"journal open denied", Op::Open, FsCall::Open, EACCES, 1, status::kAccessDenied},
      {"data open denied", Op::Open, FsCall::Open, EACCES, 2, status::kAccessDenied},
      {"data open, too many files", Op::Open, FsCall::Open, EMFILE, 2, status::kTooManyOpenFiles},
      {"data open, system table full", Op::Open, FsCall::Open, ENFILE, 2, status::kTooManyOpenFiles},
      {"data open, path through a file", Op::Open, FsCall::Open, ENOTDIR, 2, status::kPathNotFound},
      {"data open, I/O error", Op::Open, FsCall::Open, EIO, 2, status::kOsFailure},
      {"data open, lock held", Op::Open, FsCall::Open, EWOULDBLOCK, 2, status::kOsFailure},
      {"index open, too many files", Op::Open, FsCall::Open, EMFILE, 3, status::kTooManyOpenFiles},
      {"index open denied", Op::Open, FsCall::Open, EACCES, 3, status::kIndexDefective},
      {"create, too many files", Op::Make, FsCall::Open, EMFILE, 1, status::kTooManyOpenFiles},
      {"create, folder missing", Op::Make, FsCall::Open, ENOENT, 1, status::kPathNotFound},
      {"create, disk full", Op::Make, FsCall::Write, ENOSPC, 1, status::kOsFailure},
      {"read, bad descriptor", Op::Get, FsCall::Read, EBADF, 1, status::kInvalidOsHandle},
      {"read, I/O error", Op::Get, FsCall::Read, EIO, 1, status::kOsFailure},
      {"write, bad descriptor", Op::Put, FsCall::Write, EBADF, 1, status::kInvalidOsHandle},
      {"write, disk full", Op::Put, FsCall::Write, ENOSPC, 1, status::kOsFailure},
  };
  FaultFileSystem faulty;
  ScopedFileSystem scoped(faulty);
  const KeyDescriptor keys[] = {{4, 0}};
  for (const Case& c : cases) {
    FileBlock* h = nullptr;
    if (c.op == Op::Get || c.op == Op::Put) h = Open("MAP");
    faulty.ArmErrno(c.call, c.err, c.nth);
    std::vector<uint8_t> rec = RecordBytes(32, "p");
    switch (c.op) {
      case Op::Open: OpenFileBlock(h, Name("MAP")); break;
      case Op::Make: MakeFileBlock(Name("NEW"), 32, 1, keys); break;
      case Op::Get: GetRecord(h, 1, rec.data()); break;
      case Op::Put: PutRecord(h, 1, rec.data()); break;
    }
    EXPECT_EQ(faulty.Injected().size(), 1u) << c.what;
    faulty.Reset();
    EXPECT_FALSE(EngineOK) << c.what;
    EXPECT_EQ(EngineStatus, c.status) << c.what;
    EXPECT_EQ(EngineOsError, c.err) << c.what;
    if (c.op == Op::Open) {
      EXPECT_EQ(h, nullptr) << c.what;
    }
    if (h) CloseFileBlock(h);
    EXPECT_EQ(faulty.OpenDescriptors(), 0u) << c.what << ": descriptors left open";
    if (c.op == Op::Make) {
      EXPECT_FALSE(FileExists(DataPath("NEW"))) << c.what;
      EXPECT_FALSE(FileExists(IndexPath("NEW"))) << c.what;
    }
  }
  DeleteFileBlock(Name("nowhere/MAP"));
  EXPECT_EQ(EngineStatus, status::kPathNotFound);
}

TF_POOL_SIZES(EngineStatusTest);

TEST(FileNames, BlockNamesBecomeFileNames) {
  const std::string x60(60, 'X'), x61(61, 'X'), x70(70, 'X');
  struct Case {
    std::string block;
    FileKind kind;
    std::string file;
  } cases[] = {
      {"AB1P", FileKind::Data, "AB1P.DAT"},
      {"AB1P", FileKind::Index, "AB1P.IX"},
      {"AB1P", FileKind::Journal, "AB1P.DIA"},
      {"AB1P", FileKind::Saved, "AB1P.SAV"},
      {"AB1P", FileKind::Message, "AB1P.MSG"},
      {"AB1P;XIDX", FileKind::Data, "AB1P.DAT"},
      {"AB1P;XIDX", FileKind::Index, "XIDX.IX"},
      {"AB1P;XIDX", FileKind::Journal, "AB1P.DIA"},
      {" A B1 P ", FileKind::Data, "AB1P.DAT"},
      {"AB 1P ; X IDX", FileKind::Index, "XIDX.IX"},
      {"AB1P.OLD", FileKind::Data, "AB1P.DAT"},
      {"AB1P.OLD", FileKind::Index, "AB1P.IX"},
      {"A.B.C", FileKind::Data, "A.B.DAT"},
      {"DIR.X\\AB1P", FileKind::Data, "DIR.X\\AB1P.DAT"},
      {"dir.x/AB1P", FileKind::Index, "dir.x/AB1P.IX"},
      {x60, FileKind::Data, x60 + ".DAT"},
      {x61, FileKind::Data, x61 + ".DA"},
      {x70, FileKind::Index, std::string(64, 'X')},
  };
  for (const Case& c : cases) EXPECT_EQ(EngineFileName(c.block, c.kind), c.file) << c.block;
}

TEST_P(EngineStatusTest, ASemicolonNamesTheIndexFileSeparately) {
  const std::string block = Name("AB1P") + ";" + Name("XIDX");
  const KeyDescriptor keys[] = {{6, 0}};
  MakeFileBlock(block, 32, 1, keys);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_TRUE(FileExists(DataPath("AB1P")));
  EXPECT_TRUE(FileExists(IndexPath("XIDX")));
  EXPECT_FALSE(FileExists(IndexPath("AB1P")));
  FileBlock* h = nullptr;
  OpenFileBlock(h, block);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  AddKey(h, 1, 1, "INXIDX");
  CloseFileBlock(h);
  IndexImage image(IndexPath("XIDX"), 1);
  EXPECT_EQ(image.Header(1).entryCount, 1);
  DeleteFileBlock(block);
  EXPECT_TRUE(EngineOK);
  EXPECT_FALSE(FileExists(IndexPath("XIDX")));
  EXPECT_FALSE(FileExists(DataPath("AB1P")));
}

}  // namespace
}  // namespace tf::engine::testing
