// Data files and record operations: the free chain, sequential scans, record number checks,
// what opening refuses, the bytes on disk, and how a change that was never closed shows.

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::testing {
namespace {

using test::FaultFileSystem;
using test::FaultKind;
using test::FsCall;

constexpr int kLength = 32;

class DataFileTest : public EngineTest {
 protected:
  // A file block without keys holding records 1..n with payloads "R1".."Rn".
  FileBlock* WithRecords(const std::string& name, int n) {
    FileBlock* h = Make(name, kLength, {});
    for (int i = 1; i <= n; ++i) {
      int32_t ref = 0;
      AddRecord(h, ref, RecordBytes(kLength, "R" + std::to_string(i)).data());
      EXPECT_TRUE(EngineOK) << EngineStatus;
      EXPECT_EQ(ref, i);
    }
    return h;
  }
  std::vector<uint8_t> Get(FileBlock* h, int32_t ref) {
    std::vector<uint8_t> r(kLength);
    GetRecord(h, ref, r.data());
    return r;
  }
  // Runs `child` in a forked process that ends without closing anything, as a crash would.
  static void InCrashingChild(const std::function<void()>& child) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      child();
      _exit(EngineOK ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
};

TEST_P(DataFileTest, FreshFileBlockIsEmptyAndFirstRecordIsOne) {
  FileBlock* h = Make("FRESH", kLength, {});
  EXPECT_EQ(UsedRecords(h), 0);
  EXPECT_EQ(FileLength(h), 1);
  EXPECT_EQ(RecordLength(h), kLength);
  EXPECT_EQ(KeyCount(h), 0);
  int32_t ref = 0;
  NextRecord(h, ref);
  EXPECT_EQ(EngineStatus, status::kNoFurtherRecord);
  AddRecord(h, ref, RecordBytes(kLength, "first").data());
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(ref, 1);
  EXPECT_EQ(UsedRecords(h), 1);
  EXPECT_EQ(FileLength(h), 2);
  CloseFileBlock(h);
  EXPECT_TRUE(EngineOK);
}

TEST_P(DataFileTest, LastDeletedSlotIsReusedFirst) {
  FileBlock* h = WithRecords("CHAIN", 6);
  DeleteRecord(h, 3);
  ASSERT_TRUE(EngineOK);
  DeleteRecord(h, 5);
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(UsedRecords(h), 4);
  CloseFileBlock(h);

  // On disk: the chain runs 5 -> 3 -> end, each link in the first four bytes of its slot.
  DataHeaderImage d = DataHeaderImage::Read(DataPath("CHAIN"));
  EXPECT_EQ(d.firstFree, 5);
  EXPECT_EQ(d.deletedCount, 2);
  EXPECT_EQ(d.recordCount, 6);
  Bytes bytes = ReadFileBytes(DataPath("CHAIN"));
  EXPECT_EQ(I32At(bytes, 5 * kLength), 3);
  EXPECT_EQ(I32At(bytes, 3 * kLength), -1);
  EXPECT_EQ(bytes[5 * kLength + 4], 'R') << "a delete writes only the link";

  h = Open("CHAIN");
  int32_t first = 0, second = 0;
  AddRecord(h, first, RecordBytes(kLength, "new A").data());
  AddRecord(h, second, RecordBytes(kLength, "new B").data());
  EXPECT_EQ(first, 5);
  EXPECT_EQ(second, 3);
  EXPECT_EQ(FileLength(h), 7) << "reuse does not grow the file block";
  EXPECT_EQ(Get(h, 5), RecordBytes(kLength, "new A"));
  EXPECT_EQ(Get(h, 3), RecordBytes(kLength, "new B"));
  int32_t third = 0;
  AddRecord(h, third, RecordBytes(kLength, "new C").data());
  EXPECT_EQ(third, 7) << "an empty chain appends";
  CloseFileBlock(h);
  d = DataHeaderImage::Read(DataPath("CHAIN"));
  EXPECT_EQ(d.firstFree, -1);
  EXPECT_EQ(d.deletedCount, 0);
  EXPECT_EQ(d.recordCount, 7);
}

TEST_P(DataFileTest, ScansSkipDeletedSlotsAndEndWithClassOne) {
  FileBlock* h = WithRecords("SCAN", 7);
  for (int32_t r : {1, 4, 7}) DeleteRecord(h, r);
  EXPECT_EQ(WalkRecords(h), (std::vector<int32_t>{2, 3, 5, 6}));
  EXPECT_EQ(EngineErrorClass(), 1);

  std::vector<int32_t> back;
  int32_t ref = FileLength(h);
  for (PrevRecord(h, ref); EngineOK; PrevRecord(h, ref)) back.push_back(ref);
  EXPECT_EQ(EngineStatus, status::kNoFurtherRecord);
  EXPECT_EQ(back, (std::vector<int32_t>{6, 5, 3, 2}));

  ref = 1000;  // far past the end starts at the last slot
  PrevRecord(h, ref);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(ref, 6);
  ref = 6;
  NextRecord(h, ref);
  EXPECT_EQ(EngineStatus, status::kNoFurtherRecord);
  CloseFileBlock(h);
}

// The sized read copies a whole record into a buffer that holds one, and refuses a shorter
// buffer without touching it: a caller's buffer is never written past its end.
TEST_P(DataFileTest, SizedReadRefusesABufferShorterThanARecord) {
  FileBlock* h = WithRecords("SIZED", 3);
  std::vector<uint8_t> exact(kLength, 0xAA);
  GetRecord(h, 2, std::span<uint8_t>(exact));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(exact, Get(h, 2));

  std::vector<uint8_t> larger(kLength + 7, 0xAA);
  GetRecord(h, 2, std::span<uint8_t>(larger));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_TRUE(std::equal(exact.begin(), exact.end(), larger.begin()));
  EXPECT_EQ(larger.back(), 0xAA);  // nothing beyond the record is written

  for (std::size_t shortBy : {std::size_t(1), std::size_t(kLength) - 4, std::size_t(kLength)}) {
    std::vector<uint8_t> small(std::size_t(kLength) - shortBy, 0xAA);
    GetRecord(h, 2, std::span<uint8_t>(small));
    EXPECT_FALSE(EngineOK) << shortBy;
    EXPECT_EQ(EngineStatus, status::kBufferTooSmall) << shortBy;
    EXPECT_EQ(EngineErrorClass(), 4) << shortBy;
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == 0xAA; })) << shortBy;
  }
  CloseFileBlock(h);
}

TEST_P(DataFileTest, RecordNumbersOutsideTheFileBlockAreRefused) {
  FileBlock* h = WithRecords("RANGE", 3);
  const auto rec = RecordBytes(kLength, "x");
  struct Case {
    const char* what;
    std::function<void()> call;
    int32_t status;
  } cases[] = {
      {"PutRecord 0", [&] { PutRecord(h, 0, rec.data()); }, status::kPutRecordZero},
      {"DeleteRecord 0", [&] { DeleteRecord(h, 0); }, status::kDeleteOutOfRange},
      {"DeleteRecord -1", [&] { DeleteRecord(h, -1); }, status::kDeleteOutOfRange},
      {"DeleteRecord RecordCount + 1", [&] { DeleteRecord(h, 4); }, status::kDeleteOutOfRange},
      {"GetRecord past the end", [&] { std::vector<uint8_t> r(kLength); GetRecord(h, 9, r.data()); }, status::kShortRead},
  };
  for (const Case& c : cases) {
    c.call();
    EXPECT_FALSE(EngineOK) << c.what;
    EXPECT_EQ(EngineStatus, c.status) << c.what;
    EXPECT_EQ(EngineErrorClass(), 4) << c.what;
  }
  EXPECT_EQ(UsedRecords(h), 3);
  // Record 0 reads back the header slot: FirstFree -1, DeletedCount 0, RecordCount as on disk.
  std::vector<uint8_t> header = Get(h, 0);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(I32At(header, 0), -1);
  EXPECT_EQ(I32At(header, 12), kLength);
  CloseFileBlock(h);
}

TEST_P(DataFileTest, PutRecordOverwritesInPlace) {
  FileBlock* h = WithRecords("PUT", 3);
  PutRecord(h, 2, RecordBytes(kLength, "changed").data());
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(Get(h, 2), RecordBytes(kLength, "changed"));
  EXPECT_EQ(Get(h, 1), RecordBytes(kLength, "R1"));
  EXPECT_EQ(Get(h, 3), RecordBytes(kLength, "R3"));
  EXPECT_EQ(UsedRecords(h), 3);
  CloseFileBlock(h);
  EXPECT_EQ(ReadFileBytes(DataPath("PUT")).size(), size_t(4 * kLength));
}

TEST_P(DataFileTest, DataFileBytesOnDisk) {
  FileBlock* h = Make("BYTES", kLength, {{5, 0}, {7, 1}});
  CloseFileBlock(h);
  Bytes fresh = ReadFileBytes(DataPath("BYTES"));
  Bytes want(kLength, 0);
  PutI32(want, 0, -1);  // FirstFree
  PutI32(want, 12, kLength);
  PutI32(want, 16, 2);  // KeyCount
  EXPECT_EQ(fresh, want) << "the header slot: 21 header bytes, the rest zero";

  h = Open("BYTES");
  int32_t ref = 0;
  AddRecord(h, ref, RecordBytes(kLength, "one").data());
  EXPECT_EQ(ReadFileBytes(DataPath("BYTES"))[20], 1) << "UpdateFlag is on disk while the change is open";
  AddRecord(h, ref, RecordBytes(kLength, "two").data());
  Bytes during = ReadFileBytes(DataPath("BYTES"));
  EXPECT_EQ(I32At(during, 8), 0) << "RecordCount waits for the close";
  CloseFileBlock(h);

  Bytes closed = ReadFileBytes(DataPath("BYTES"));
  ASSERT_EQ(closed.size(), size_t(3 * kLength));
  PutI32(want, 8, 2);  // RecordCount
  EXPECT_EQ(Bytes(closed.begin(), closed.begin() + kLength), want);
  EXPECT_EQ(Bytes(closed.begin() + kLength, closed.begin() + 2 * kLength), RecordBytes(kLength, "one"));
  EXPECT_EQ(Bytes(closed.begin() + 2 * kLength, closed.end()), RecordBytes(kLength, "two"));
}

TEST_P(DataFileTest, TheDataFileNeverShrinks) {
  FileBlock* h = WithRecords("KEEP", 10);
  for (int32_t r = 10; r >= 1; --r) DeleteRecord(h, r);
  EXPECT_EQ(UsedRecords(h), 0);
  CloseFileBlock(h);
  EXPECT_EQ(ReadFileBytes(DataPath("KEEP")).size(), size_t(11 * kLength));
  h = Open("KEEP");
  EXPECT_EQ(FileLength(h), 11);
  EXPECT_EQ(UsedRecords(h), 0);
  EXPECT_TRUE(WalkRecords(h).empty());
  CloseFileBlock(h);
}

TEST_P(DataFileTest, OpenRefusesWhatCannotBeTrusted) {
  for (const char* name : {"FLAG", "NOIX"}) {
    FileBlock* made = Make(name, kLength, {{4, 0}});
    CloseFileBlock(made);
  }
  struct Case {
    const char* what;
    std::function<void()> damage;
    const char* name;
    int32_t status;
    int errorClass;
  } cases[] = {
      {"UpdateFlag 1", [&] { Bytes b = ReadFileBytes(DataPath("FLAG")); b[20] = 1; WriteFileBytes(DataPath("FLAG"), b); },
       "FLAG", status::kIndexDefective, 4},
      {"index missing", [&] { std::filesystem::remove(IndexPath("NOIX")); }, "NOIX", status::kIndexDefective, 4},
      {"data file missing", [] {}, "ABSENT", status::kFileNotFound, 1},
      {"folder missing", [] {}, "nowhere/ABSENT", status::kPathNotFound, 2},
  };
  for (const Case& c : cases) {
    c.damage();
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name(c.name));
    EXPECT_EQ(h, nullptr) << c.what;
    EXPECT_EQ(EngineStatus, c.status) << c.what;
    EXPECT_EQ(EngineErrorClass(), c.errorClass) << c.what;
  }
}

TEST_P(DataFileTest, MakeFileBlockChecksItsArguments) {
  MakeFileBlock(Name("SHORT"), 20, 0, {});
  EXPECT_EQ(EngineStatus, status::kRecordLengthTooSmall);
  EXPECT_FALSE(FileExists(DataPath("SHORT")));

  const KeyDescriptor tooLong[] = {{4, 0}, {31, 0}};
  MakeFileBlock(Name("LONGKEY"), kLength, 2, tooLong);
  EXPECT_EQ(EngineStatus, status::kBadKeyLength);
  EXPECT_FALSE(FileExists(DataPath("LONGKEY")));
  EXPECT_FALSE(FileExists(IndexPath("LONGKEY")));

  const KeyDescriptor empty[] = {{0, 0}};
  MakeFileBlock(Name("ZEROKEY"), kLength, 1, empty);
  EXPECT_EQ(EngineStatus, status::kBadKeyLength);
  EXPECT_FALSE(FileExists(DataPath("ZEROKEY")));

  std::vector<KeyDescriptor> many(101, KeyDescriptor{4, 0});
  MakeFileBlock(Name("MANY"), kLength, 101, many);
  EXPECT_EQ(EngineStatus, status::kTooManyKeys);
  EXPECT_FALSE(FileExists(DataPath("MANY")));

  // The argument checks come before anything is touched: an existing file block survives.
  FileBlock* h = WithRecords("KEPT", 2);
  CloseFileBlock(h);
  MakeFileBlock(Name("KEPT"), 20, 0, {});
  EXPECT_EQ(EngineStatus, status::kRecordLengthTooSmall);
  h = Open("KEPT");
  EXPECT_EQ(UsedRecords(h), 2);
  CloseFileBlock(h);

  // 21 bytes is the smallest record.
  h = Make("MIN", 21, {});
  int32_t ref = 0;
  std::vector<uint8_t> rec = RecordBytes(21, "0123456789ABCDEF+");
  AddRecord(h, ref, rec.data());
  ASSERT_TRUE(EngineOK);
  std::vector<uint8_t> back(21);
  GetRecord(h, ref, back.data());
  EXPECT_EQ(back, rec);
  CloseFileBlock(h);
  EXPECT_EQ(ReadFileBytes(DataPath("MIN")).size(), 42u);
}

TEST_P(DataFileTest, ClosingTwiceIsRefused) {
  FileBlock* h = Make("TWICE", kLength, {{4, 0}});
  FileBlock* stale = h;
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(h, nullptr);
  CloseFileBlock(h);
  EXPECT_EQ(EngineStatus, status::kInvalidHandle);
  CloseFileBlock(stale);
  EXPECT_FALSE(EngineOK);
  EXPECT_TRUE(EngineStatus == status::kInvalidHandle || EngineStatus == status::kNotOpen) << EngineStatus;
  EXPECT_FALSE(IsFileBlockOpen(stale));
  UsedRecords(stale);
  EXPECT_EQ(EngineStatus, status::kInvalidHandle);
}

TEST_P(DataFileTest, AnOpenFileBlockCannotBeOpenedAgain) {
  FileBlock* first = WithRecords("EXCL", 2);
  FileBlock* second = nullptr;
  OpenFileBlock(second, Name("EXCL"));
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(EngineStatus, status::kOsFailure);
  EXPECT_EQ(EngineErrorClass(), 4);
  OpenFileBlock(second, Name("EXCL"), /*readOnly=*/true);
  EXPECT_EQ(EngineStatus, status::kOsFailure);
  // The refused open changed nothing for the holder.
  EXPECT_TRUE(IsFileBlockOpen(first));
  int32_t ref = 0;
  AddRecord(first, ref, RecordBytes(kLength, "R3").data());
  EXPECT_TRUE(EngineOK);
  CloseFileBlock(first);
  ASSERT_TRUE(EngineOK);
  second = Open("EXCL");
  EXPECT_EQ(UsedRecords(second), 3);
  CloseFileBlock(second);
}

TEST_P(DataFileTest, ReadOnlyFileBlocksRefuseChanges) {
  FileBlock* h = Make("RO", kLength, {{4, 0}});
  int32_t ref = 0;
  AddRecord(h, ref, RecordBytes(kLength, "R1").data());
  AddKey(h, 1, ref, "AAA");
  CloseFileBlock(h);
  const Bytes dataBefore = ReadFileBytes(DataPath("RO"));
  const Bytes indexBefore = ReadFileBytes(IndexPath("RO"));

  h = Open("RO", /*readOnly=*/true);
  const auto rec = RecordBytes(kLength, "x");
  std::pair<const char*, std::function<void()>> changes[] = {
      {"AddRecord", [&] { AddRecord(h, ref, rec.data()); }},
      {"PutRecord", [&] { PutRecord(h, 1, rec.data()); }},
      {"DeleteRecord", [&] { DeleteRecord(h, 1); }},
      {"AddKey", [&] { AddKey(h, 1, 2, "BBB"); }},
      {"DeleteKey", [&] { DeleteKey(h, 1, 1, "AAA"); }},
  };
  for (auto& [what, change] : changes) {
    change();
    EXPECT_EQ(EngineStatus, status::kReadOnly) << what;
    EXPECT_EQ(EngineErrorClass(), 2) << what;
  }
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"AAA", 1}}));
  EXPECT_EQ(WalkRecords(h), (std::vector<int32_t>{1}));
  CloseFileBlock(h);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(ReadFileBytes(DataPath("RO")), dataBefore);
  EXPECT_EQ(ReadFileBytes(IndexPath("RO")), indexBefore);
}

TEST_P(DataFileTest, AnOsFailureOnAReadOnlyFileBlockIsReportedAsSuch) {
  FileBlock* h = WithRecords("ROFAIL", 2);
  CloseFileBlock(h);
  FaultFileSystem faulty;
  ScopedFileSystem scoped(faulty);
  for (bool readOnly : {false, true}) {
    h = Open("ROFAIL", readOnly);
    std::vector<uint8_t> rec(kLength);
    faulty.ArmErrno(FsCall::Read, EIO);
    GetRecord(h, 1, rec.data());
    EXPECT_EQ(EngineStatus, readOnly ? status::kReadOnlyOsFailure : status::kOsFailure) << readOnly;
    EXPECT_EQ(EngineErrorClass(), readOnly ? 2 : 4);
    faulty.ArmErrno(FsCall::Read, EBADF);  // a failure with a code of its own keeps it
    GetRecord(h, 1, rec.data());
    EXPECT_EQ(EngineStatus, status::kInvalidOsHandle);
    faulty.Reset();
    CloseFileBlock(h);
  }
}

// A session that ends without a close, as in a crash: every change but PutRecord leaves the
// mark that makes the next open refuse the file block.
TEST_P(DataFileTest, AChangeThatWasNeverClosedRefusesTheNextOpen) {
  const auto rec = RecordBytes(kLength, "crash");
  struct Case {
    const char* what;
    std::function<void(FileBlock*)> change;
    int32_t openStatus;
  } cases[] = {
      {"AddRecord", [&](FileBlock* c) { int32_t ref = 0; AddRecord(c, ref, rec.data()); }, status::kIndexDefective},
      {"DeleteRecord", [](FileBlock* c) { DeleteRecord(c, 1); }, status::kIndexDefective},
      {"AddKey", [](FileBlock* c) { AddKey(c, 1, 2, "NEW"); }, status::kIndexDefective},
      {"DeleteKey", [](FileBlock* c) { DeleteKey(c, 1, 1, "OLD"); }, status::kIndexDefective},
      {"PutRecord", [&](FileBlock* c) { PutRecord(c, 2, rec.data()); }, 0},
  };
  for (const Case& c : cases) {
    const std::string name = std::string("CRASH") + c.what;
    FileBlock* h = Make(name, kLength, {{4, 0}});
    int32_t ref = 0;
    for (int i = 0; i < 2; ++i) AddRecord(h, ref, RecordBytes(kLength, "R").data());
    AddKey(h, 1, 1, "OLD");
    CloseFileBlock(h);
    InCrashingChild([&] {
      FileBlock* child = nullptr;
      OpenFileBlock(child, Name(name));
      if (EngineOK) c.change(child);
    });
    OpenFileBlock(h, Name(name));
    EXPECT_EQ(EngineStatus, c.openStatus) << c.what;
    if (h) {
      EXPECT_EQ(Get(h, 2), rec) << "the record was written through at once";
      CloseFileBlock(h);
    }
  }
}

TEST_P(DataFileTest, DeleteFileBlockRemovesItsFiles) {
  FileBlock* h = Make("GONE", kLength, {{4, 0}});
  CloseFileBlock(h);
  WriteFileBytes(Name("GONE.DIA"), Bytes{0});
  DeleteFileBlock(Name("GONE"));
  EXPECT_TRUE(EngineOK) << EngineStatus;
  EXPECT_FALSE(FileExists(DataPath("GONE")));
  EXPECT_FALSE(FileExists(IndexPath("GONE")));
  EXPECT_FALSE(FileExists(Name("GONE.DIA")));
  DeleteFileBlock(Name("GONE"));
  EXPECT_EQ(EngineStatus, status::kFileNotFound);
}

// Deferred appends change when records reach the file, never what the file holds: the same
// adds, reads, rewrites, deletes and key changes with and without them leave identical files,
// and what waits in memory reads back as written.
TEST_P(DataFileTest, DeferredAppendsLeaveTheFilesAsPlainAddsDo) {
  const std::vector<KeyDescriptor> keys{{8, 0}};
  // Enough records to pass the append buffer's size more than once.
  constexpr int kRecords = 40'000;
  const auto run = [&](const std::string& name, bool defer) {
    FileBlock* h = Make(name, kLength, keys);
    if (defer) DeferAppends(h);
    ASSERT_TRUE(EngineOK);
    std::vector<int32_t> refs(kRecords + 1);
    for (int i = 1; i <= kRecords; ++i) {
      int32_t& ref = refs[size_t(i)];
      AddRecord(h, ref, RecordBytes(kLength, "R" + std::to_string(i)).data());
      ASSERT_TRUE(EngineOK) << i;
      AddKey(h, 1, ref, NumberedKey(i));
      ASSERT_TRUE(EngineOK) << i;
      if (i % 997 == 0) {  // a record still waiting reads back and takes a rewrite
        ASSERT_EQ(Get(h, ref), RecordBytes(kLength, "R" + std::to_string(i)));
        PutRecord(h, ref, RecordBytes(kLength, "P" + std::to_string(i)).data());
        ASSERT_TRUE(EngineOK);
        ASSERT_EQ(Get(h, ref), RecordBytes(kLength, "P" + std::to_string(i)));
      }
      if (i % 5003 == 0) {  // a delete writes what waits first; the next add reuses the slot
        DeleteRecord(h, refs[size_t(i - 1)]);
        ASSERT_TRUE(EngineOK);
        DeleteKey(h, 1, refs[size_t(i - 1)], NumberedKey(i - 1));
        ASSERT_TRUE(EngineOK);
      }
    }
    EXPECT_EQ(UsedRecords(h), kRecords - kRecords / 5003);
    int32_t ref = 0;
    NextRecord(h, ref);
    EXPECT_EQ(ref, 1) << "a scan sees what waited";
    CloseFileBlock(h);
    ASSERT_TRUE(EngineOK);
  };
  run("PLAIN", false);
  run("DEFER", true);
  EXPECT_EQ(ReadFileBytes(DataPath("DEFER")), ReadFileBytes(DataPath("PLAIN")));
  EXPECT_EQ(ReadFileBytes(IndexPath("DEFER")), ReadFileBytes(IndexPath("PLAIN")));
}

// A copy that cannot write its deferred records fails its close and stays marked for rebuilding,
// so it is never taken for a good file.
TEST_P(DataFileTest, DeferredAppendsThatCannotBeWrittenFailTheClose) {
  FaultFileSystem faulty;
  ScopedFileSystem scoped(faulty);
  FileBlock* h = Make("DEFAIL", kLength, {});
  DeferAppends(h);
  for (int i = 1; i <= 10; ++i) {
    int32_t ref = 0;
    AddRecord(h, ref, RecordBytes(kLength, "R" + std::to_string(i)).data());
    ASSERT_TRUE(EngineOK);
  }
  faulty.ArmErrno(FsCall::Write, ENOSPC, 1, true, "DEFAIL.DAT");
  CloseFileBlock(h);
  EXPECT_FALSE(EngineOK);
  faulty.Reset();
  FileBlock* again = nullptr;
  OpenFileBlock(again, Name("DEFAIL"));
  EXPECT_FALSE(EngineOK) << "the file block was left marked as changed";
  if (again) CloseFileBlock(again);
}

// Reading many slots at once gives every byte GetRecord gives slot by slot: live records,
// deleted slots with their links, and records still waiting in the append buffer, also in a
// read that spans the file and the buffer. A read past the end or into a short buffer fails.
TEST_P(DataFileTest, GetRecordsReadsWhatGetRecordReadsSlotBySlot) {
  FileBlock* h = WithRecords("MANY", 9);
  struct Range {
    int32_t first, count;
  };
  const auto sameAsOneByOne = [&](std::initializer_list<Range> ranges) {
    for (const Range r : ranges) {
      std::vector<uint8_t> many(size_t(r.count) * kLength + 5, 0xAA);
      GetRecords(h, r.first, r.count, std::span<uint8_t>(many));
      ASSERT_TRUE(EngineOK) << r.first << "+" << r.count << ": " << EngineStatus;
      for (int32_t i = 0; i < r.count; ++i) {
        const std::vector<uint8_t> one = Get(h, r.first + i);
        EXPECT_TRUE(std::equal(one.begin(), one.end(), many.begin() + std::ptrdiff_t(i) * kLength)) << r.first + i;
      }
      EXPECT_EQ(many.back(), 0xAA);  // nothing beyond the records asked for
    }
  };
  DeleteRecord(h, 3);
  DeleteRecord(h, 7);
  ASSERT_TRUE(EngineOK);
  sameAsOneByOne({{1, 9}, {0, 1}, {3, 5}, {9, 1}, {6, 0}});
  EXPECT_NE(I32At(Get(h, 7), 0), 0);

  // Appends wait in memory only once the free chain is used up.
  DeferAppends(h);
  int32_t ref = 0;
  for (const char* text : {"W7", "W3", "A10", "A11"}) {
    AddRecord(h, ref, RecordBytes(kLength, text).data());
    ASSERT_TRUE(EngineOK);
  }
  ASSERT_EQ(ref, 11);
  sameAsOneByOne({{1, 11}, {9, 3}, {10, 2}, {11, 1}});

  std::vector<uint8_t> buffer(12 * kLength, 0xAA);
  GetRecords(h, 10, 3, std::span<uint8_t>(buffer));
  EXPECT_EQ(EngineStatus, status::kShortRead);
  CloseFileBlock(h);
  OpenFileBlock(h, Name("MANY"));
  ASSERT_TRUE(EngineOK);
  sameAsOneByOne({{1, 11}});
  GetRecords(h, 11, 2, std::span<uint8_t>(buffer));
  EXPECT_EQ(EngineStatus, status::kShortRead);
  std::vector<uint8_t> small(2 * kLength - 1, 0xAA);
  GetRecords(h, 1, 2, std::span<uint8_t>(small));
  EXPECT_EQ(EngineStatus, status::kBufferTooSmall);
  EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == 0xAA; }));
  CloseFileBlock(h);
}

// A record added at the end waits in memory, reads back from there, and reaches the file before
// any later write to a data file, its own or another file block's; FlushFileBlock and the close
// write it too. So a kill at any moment leaves the files as some earlier moment had them.
TEST_P(DataFileTest, AddedRecordsReachTheFileBeforeAnyLaterWrite) {
  FaultFileSystem recording;
  ScopedFileSystem scoped(recording);
  FileBlock* a = WithRecords("FIRST", 3);
  FileBlock* b = WithRecords("SECOND", 2);  // its first add writes the first block's records
  auto writesTo = [&](const std::string& file, size_t from) {
    std::vector<size_t> at;
    for (const auto& e : recording.Log())
      if (e.index >= from && e.call == FsCall::Write && e.path.ends_with(file) && e.offset >= kLength) at.push_back(e.index);
    return at;
  };
  EXPECT_EQ(ReadFileBytes(DataPath("FIRST")).size(), size_t(4 * kLength)) << "written before the other file block's add";
  EXPECT_EQ(ReadFileBytes(DataPath("SECOND")).size(), size_t(kLength)) << "the second block's records wait";
  EXPECT_EQ(Get(b, 2), RecordBytes(kLength, "R2")) << "a waiting record reads back";

  // A rewrite in the first block: the second block's records reach their file first.
  size_t mark = recording.Calls();
  PutRecord(a, 1, RecordBytes(kLength, "P1").data());
  ASSERT_TRUE(EngineOK);
  ASSERT_EQ(writesTo("SECOND.DAT", mark).size(), 1u);
  ASSERT_EQ(writesTo("FIRST.DAT", mark).size(), 1u);
  EXPECT_LT(writesTo("SECOND.DAT", mark)[0], writesTo("FIRST.DAT", mark)[0]);

  // Records added and then deleted, rewritten or read in order are written first as well.
  struct Case {
    const char* what;
    std::function<void(int32_t added)> after;
  };
  for (const Case& c : {Case{"rewrite of it", [&](int32_t added) { PutRecord(a, added, RecordBytes(kLength, "P").data()); }},
                        Case{"scan", [&](int32_t) { int32_t ref = 0; NextRecord(a, ref); }},
                        Case{"flush", [&](int32_t) { FlushFileBlock(a); }},
                        Case{"delete of another", [&](int32_t) { DeleteRecord(a, 2); }}}) {
    SCOPED_TRACE(c.what);
    int32_t ref = 0;
    AddRecord(a, ref, RecordBytes(kLength, "W").data());
    ASSERT_TRUE(EngineOK);
    const size_t before = ReadFileBytes(DataPath("FIRST")).size();
    EXPECT_LT(before, size_t(ref + 1) * kLength) << "an added record waits";
    c.after(ref);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    EXPECT_EQ(ReadFileBytes(DataPath("FIRST")).size(), size_t(ref + 1) * kLength);
  }
  CloseFileBlock(a);
  CloseFileBlock(b);
  ASSERT_TRUE(EngineOK);
}

// Records read in any order are served from blocks of neighbouring records held in the pool:
// a walk reads each block of the file once, and a second walk reads nothing.
TEST_P(DataFileTest, NeighbouringRecordsShareOneRead) {
  constexpr int kRecords = 200;
  FaultFileSystem recording;
  ScopedFileSystem scoped(recording);
  FileBlock* h = WithRecords("BLOCKS", kRecords);
  FlushFileBlock(h);  // the added records leave memory for the file
  ASSERT_TRUE(EngineOK);
  auto dataReads = [&] {
    size_t n = 0;
    for (const auto& e : recording.Log()) n += e.call == FsCall::Read && e.path.ends_with("BLOCKS.DAT");
    return n;
  };
  const size_t before = dataReads();
  for (int pass = 0; pass < 2; ++pass)
    for (int i = kRecords; i >= 1; --i) ASSERT_EQ(Get(h, i), RecordBytes(kLength, "R" + std::to_string(i))) << i;
  const size_t walks = dataReads() - before;
  EXPECT_GT(walks, 0u) << "the records never came from the file";
  EXPECT_LE(walks, size_t(kRecords / 20)) << "records are read one at a time";
  int32_t ref = 0, live = 0;
  for (NextRecord(h, ref); EngineOK; NextRecord(h, ref)) ++live;
  EXPECT_EQ(live, kRecords);
  EXPECT_EQ(dataReads() - before, walks) << "the scan read slots the pool holds";
  CloseFileBlock(h);
}

// Whatever the pool holds of a record, a read returns what the file holds: after each kind of
// change, and after a write that failed part-way (torn) or entirely.
TEST_P(DataFileTest, ReadsFollowEveryWrite) {
  struct Outcome {
    const char* name;
    bool fails;
    FaultKind fault;
  };
  struct Change {
    const char* name;
    int32_t slot;  // the slot the change writes
    char payload;  // the first payload byte the slot holds after it
    std::function<void(FileBlock*)> run;
  };
  const std::vector<Change> changes{
      {"put", 7, 'P', [](FileBlock* h) { PutRecord(h, 7, RecordBytes(kLength, "P7").data()); }},
      {"delete", 8, 'R', [](FileBlock* h) { DeleteRecord(h, 8); }},
      {"add into the free slot", 30, 'A',
       [](FileBlock* h) { int32_t r = 0; AddRecord(h, r, RecordBytes(kLength, "A").data()); }},
      {"add at the end", 41, 'E',
       [](FileBlock* h) {
         int32_t r = 0;
         AddRecord(h, r, RecordBytes(kLength, "E").data());
         if (EngineOK) FlushFileBlock(h);  // the write of a record added at the end
       }},
  };
  int made = 0;
  for (const Outcome& o : {Outcome{"ok", false, FaultKind::Eio}, Outcome{"torn", true, FaultKind::ShortWrite},
                           Outcome{"refused", true, FaultKind::Enospc}})
    for (const Change& c : changes) {
      SCOPED_TRACE(std::string(o.name) + ", " + c.name);
      const std::string name = "FOLLOW" + std::to_string(++made);
      FileBlock* h = WithRecords(name, 40);
      DeleteRecord(h, 30);
      ASSERT_TRUE(EngineOK);
      if (c.slot == 41) {  // the free slot is taken first, so the add goes to the end
        int32_t r = 0;
        AddRecord(h, r, RecordBytes(kLength, "F").data());
        ASSERT_EQ(r, 30);
      }
      FaultFileSystem faulty;
      ScopedFileSystem scoped(faulty);
      for (int i = 1; i <= 40; ++i) Get(h, i);  // the blocks are in the pool
      if (o.fails) faulty.Arm(o.fault, 1);
      c.run(h);
      EXPECT_EQ(EngineOK, !o.fails) << EngineStatus;
      faulty.Disarm();
      if (o.fails) {
        EXPECT_GT(faulty.InjectedCount(), 0u);
      }
      const Bytes file = ReadFileBytes(DataPath(name));
      const int slots = std::min(41, int(file.size() / kLength) - 1);
      ASSERT_GE(slots, 40);
      for (int i = 1; i <= slots; ++i) {
        Bytes got = Get(h, i), want(file.begin() + i * kLength, file.begin() + (i + 1) * kLength);
        // A slot whose write failed reads with the link the engine keeps for it until it is
        // written again; the rest of it is what the file holds.
        if (o.fails && i == c.slot) std::fill_n(got.begin(), 4, 0), std::fill_n(want.begin(), 4, 0);
        ASSERT_EQ(got, want) << "record " << i;
      }
      if (!o.fails) {
        const Bytes after = Get(h, c.slot);
        EXPECT_EQ(after[4], uint8_t(c.payload));
        EXPECT_EQ(after[0] != 0, c.slot == 8) << "the slot's link";
      }
      CloseFileBlock(h);
    }
}

TF_POOL_SIZES(DataFileTest);

}  // namespace
}  // namespace tf::engine::testing
