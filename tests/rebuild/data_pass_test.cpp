// The data pass: a compact N.DAT of the kept records, N.SAV as source and fallback, and the
// statuses for the states an earlier run or the user may have left behind.

#include <algorithm>
#include <filesystem>

#include "tests/rebuild/rebuild_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::rebuild_test {
namespace {

using test::FaultFileSystem;
using test::FsCall;
using test::FsEvent;

namespace fs = std::filesystem;

struct ProgressCall {
  int keyNr, read, written, length;
  int32_t serial;
  bool operator==(const ProgressCall&) const = default;
};

class DataPassTest : public RebuildTest {
 protected:
  // The data pass with the live-record filter.
  void RebuildData(const std::string& name, const RebuildProgressCallback& progress = nullptr) {
    RebuildDataFile(Name(name), kRecordLength, kRecordLength, KeepLiveRecords, nullptr, progress);
  }
  // Records 1..n of a data file, read straight from its bytes.
  static std::vector<Bytes> RecordsIn(const Bytes& file, int recordLength = kRecordLength) {
    std::vector<Bytes> out;
    for (size_t at = size_t(recordLength); at + size_t(recordLength) <= file.size();
         at += size_t(recordLength))
      out.emplace_back(file.begin() + long(at), file.begin() + long(at + size_t(recordLength)));
    return out;
  }
  static int32_t HeaderField(const Bytes& file, size_t offset) {
    return int32_t(uint32_t(file[offset]) | uint32_t(file[offset + 1]) << 8 |
                   uint32_t(file[offset + 2]) << 16 | uint32_t(file[offset + 3]) << 24);
  }
};

TEST_P(DataPassTest, CrashedBlockComesBackWithEveryLiveRecordRenumberedInOrder) {
  const std::vector<Bytes> live = MakeCrashedBlock("CRASH", 300);
  ASSERT_EQ(live.size(), 300u - 42u + 15u);
  ASSERT_TRUE(RebuildStandard("CRASH")) << EngineStatus;
  ExpectRebuilt("CRASH", live);
  EXPECT_FALSE(FileExists(Sav("CRASH")));
  EXPECT_FALSE(FileExists(Msg("CRASH")));
}

TEST_P(DataPassTest, ResultIsCompactWithoutKeysAndReportsEveryRecordRead) {
  const std::vector<Bytes> live = MakeCrashedBlock("CRASH", 200);
  const std::vector<Bytes> slots = RecordsIn(ReadFileBytes(DataPath("CRASH")));
  std::vector<ProgressCall> calls;
  RebuildData("CRASH", [&](const RebuildProgress& p) {
    calls.push_back({p.keyNr, p.recordsRead, p.recordsWritten, p.recordLength, SerialOf(p.record)});
  });
  ASSERT_TRUE(EngineOK) << EngineStatus;

  // One call per slot of the old file, deleted ones included, in slot order.
  ASSERT_EQ(calls.size(), slots.size());
  int written = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (HeaderField(slots[i], 0) == 0) ++written;
    EXPECT_EQ(calls[i], (ProgressCall{0, int(i + 1), written, kRecordLength, SerialOf(slots[i])})) << i;
  }
  EXPECT_EQ(written, int(live.size()));

  const Bytes file = ReadFileBytes(DataPath("CRASH"));
  EXPECT_EQ(HeaderField(file, 0), -1);                // FirstFree
  EXPECT_EQ(HeaderField(file, 4), 0);                 // DeletedCount
  EXPECT_EQ(HeaderField(file, 8), int(live.size()));  // RecordCount
  EXPECT_EQ(HeaderField(file, 12), kRecordLength);
  EXPECT_EQ(HeaderField(file, 16), 0);  // KeyCount
  EXPECT_EQ(file[20], 0);               // UpdateFlag
  EXPECT_EQ(RecordsIn(file), live);
  EXPECT_FALSE(FileExists(IndexPath("CRASH")));
  EXPECT_FALSE(FileExists(Sav("CRASH")));
}

TEST_P(DataPassTest, ReadsAheadAndWritesBehindInBlocksOfAtMost32K) {
  const std::vector<Bytes> live = MakeCrashedBlock("BIG", 1200);
  const size_t slots = ReadFileBytes(DataPath("BIG")).size() / kRecordLength - 1;
  FaultFileSystem watch;
  {
    ScopedFileSystem use(watch);
    RebuildData("BIG");
  }
  ASSERT_TRUE(EngineOK) << EngineStatus;
  const size_t perBlock = 32768 / kRecordLength;
  int sourceReads = 0, blockWrites = 0;
  size_t blockBytes = 0;
  for (const FsEvent& c : watch.Log()) {
    if (c.call == FsCall::Read || c.call == FsCall::Write) {
      EXPECT_LE(c.size, 32768u);
    }
    if (c.call == FsCall::Read && c.path.ends_with(".SAV")) ++sourceReads;
    if (c.call == FsCall::Write && c.path.ends_with(".DAT") && c.size >= 2 * kRecordLength) {
      ++blockWrites;
      blockBytes += c.size;
    }
  }
  EXPECT_LE(sourceReads, int(slots / perBlock) + 1);
  EXPECT_EQ(blockWrites, int((live.size() + perBlock - 1) / perBlock));
  EXPECT_EQ(blockBytes, live.size() * kRecordLength);
  EXPECT_EQ(RecordsIn(ReadFileBytes(DataPath("BIG"))), live);
}

TEST_P(DataPassTest, RecordsAbove16KGoOneByOne) {
  const int length = 20000;
  std::vector<Bytes> records;
  for (int i = 0; i < 5; ++i) records.push_back(MakeRecord("R" + std::to_string(i), "N", i, length));
  records[2][0] = 0xFF;  // deleted
  MakeUnkeyedBlock("HUGE", records, {});
  FaultFileSystem watch;
  {
    ScopedFileSystem use(watch);
    RebuildDataFile(Name("HUGE"), length, length, KeepLiveRecords, nullptr, nullptr);
  }
  ASSERT_TRUE(EngineOK) << EngineStatus;
  size_t recordBytes = 0;
  for (const FsEvent& c : watch.Log()) {
    if (c.call == FsCall::Read && c.path.ends_with(".SAV")) {
      EXPECT_EQ(c.size, size_t(length));
    }
    if (c.call == FsCall::Write && c.path.ends_with(".DAT") && c.size % size_t(length) == 0) recordBytes += c.size;
  }
  // The new header slot, then each kept record once (the engine writes records added at the end
  // together).
  EXPECT_EQ(recordBytes, size_t(1 + 4) * size_t(length));
  records.erase(records.begin() + 2);
  EXPECT_EQ(RecordsIn(ReadFileBytes(DataPath("HUGE")), length), records);
}

TEST_P(DataPassTest, PartialLastRecordIsIgnored) {
  std::vector<Bytes> live = MakeCrashedBlock("CUT", 100);
  // A crash while the last record was being written: its slot is incomplete.
  Bytes file = ReadFileBytes(DataPath("CUT"));
  const Bytes lastSlot(file.end() - kRecordLength, file.end());
  file.erase(file.end() - 10, file.end());
  WriteFileBytes(DataPath("CUT"), file);
  std::erase(live, lastSlot);
  ASSERT_TRUE(RebuildStandard("CUT")) << EngineStatus;
  ExpectRebuilt("CUT", live);
}

TEST_P(DataPassTest, EmptyFileBlockRebuildsEmpty) {
  MakeFileBlock(Name("EMPTY"), kRecordLength, 2, StandardKeys());
  ASSERT_TRUE(RebuildStandard("EMPTY")) << EngineStatus;
  ExpectRebuilt("EMPTY", {});
}

TEST_P(DataPassTest, RecordLengthChangesThroughFilterAndConversion) {
  std::vector<Bytes> records = {MakeRecord("A", "x", 1), MakeRecord("B", "y", 2), MakeRecord("C", "z", 3)};
  records[1][0] = 0x01;  // deleted
  MakeUnkeyedBlock("GROW", records, {});
  int reads = 0, writes = 0;
  auto conversion = [&](std::span<uint8_t> r, ConversionDirection d) {
    if (d == ConversionDirection::Read) {
      EXPECT_EQ(r.size(), size_t(kRecordLength));
      ++reads;
    } else {
      EXPECT_EQ(r.size(), 80u);
      r[79] = 0x5A;  // what the conversion writes reaches the file
      ++writes;
    }
  };
  RebuildDataFile(Name("GROW"), kRecordLength, 80, KeepLiveRecords, conversion, nullptr);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(writes, 2);
  const Bytes file = ReadFileBytes(DataPath("GROW"));
  ASSERT_EQ(file.size(), 3u * 80u);
  EXPECT_EQ(HeaderField(file, 12), 80);
  for (int i : {0, 2}) {
    Bytes expected = records[size_t(i)];
    expected.resize(80, 0);
    expected[79] = 0x5A;
    EXPECT_EQ(RecordsIn(file, 80)[size_t(i / 2)], expected);
  }
}

// Failures that stop the copy: N.DAT is given back exactly as it was, N.SAV is gone.
struct StopCase {
  const char* name;
  int32_t status;
  RecordFilter filter;
  RecordConversion conversion;
  RebuildProgressCallback progress;
};

class DataPassStopTest : public DataPassTest {};

TEST_P(DataPassStopTest, FailedCopyRestoresTheDataFile) {
  auto stopAt = [](int n) {
    return [n](const RebuildProgress& p) {
      if (p.recordsRead == n) EngineOK = false;
    };
  };
  const StopCase cases[] = {
      {"progress", status::kRebuildStopped, KeepLiveRecords, nullptr, stopAt(150)},
      {"progress at the last record", status::kRebuildStopped, KeepLiveRecords, nullptr, stopAt(200)},
      {"filter", status::kRecordCallbackFailed,
       [](std::span<const uint8_t> s, std::span<uint8_t> d) {
         if (SerialOf(s) == 40) EngineOK = false;
         return KeepLiveRecords(s, d);
       },
       nullptr, nullptr},
      {"conversion", status::kRecordCallbackFailed, KeepLiveRecords,
       [](std::span<uint8_t> r, ConversionDirection d) {
         if (d == ConversionDirection::Write && SerialOf(r) == 3) EngineOK = false;
       },
       nullptr},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "STOP";
    const std::vector<Bytes> live = MakeCrashedBlock(name, 200);
    const Bytes before = ReadFileBytes(DataPath(name));
    const Bytes indexBefore = ReadFileBytes(IndexPath(name));
    RebuildDataFile(Name(name), kRecordLength, kRecordLength, c.filter, c.conversion, c.progress);
    EXPECT_FALSE(EngineOK);
    EXPECT_EQ(EngineStatus, c.status);
    EXPECT_EQ(ReadFileBytes(DataPath(name)), before);
    EXPECT_FALSE(FileExists(Sav(name)));
    EXPECT_EQ(ReadFileBytes(IndexPath(name)), indexBefore);  // the file block is as it was
    ASSERT_TRUE(RebuildStandard(name)) << EngineStatus;
    ExpectRebuilt(name, live);
  }
}

TEST_P(DataPassTest, SavAndDatTogetherAreRefusedUntouched) {
  MakeCrashedBlock("BOTH", 50);
  WriteFileBytes(Sav("BOTH"), Bytes(3 * kRecordLength, 7));
  const Bytes dat = ReadFileBytes(DataPath("BOTH")), sav = ReadFileBytes(Sav("BOTH")),
              ix = ReadFileBytes(IndexPath("BOTH"));
  RecordingStatus status;
  EXPECT_FALSE(RebuildStandard("BOTH", status));
  EXPECT_EQ(EngineStatus, status::kRebuildInterrupted);
  EXPECT_EQ(ReadFileBytes(DataPath("BOTH")), dat);
  EXPECT_EQ(ReadFileBytes(Sav("BOTH")), sav);
  EXPECT_EQ(ReadFileBytes(IndexPath("BOTH")), ix);
  EXPECT_EQ(status.events, (std::vector<std::string>{"show Tests", "close"}));
}

TEST_P(DataPassTest, SavAloneIsTheSourceOfTheNextRun) {
  const std::vector<Bytes> live = MakeCrashedBlock("LEFT", 120);
  fs::rename(DataPath("LEFT"), Sav("LEFT"));  // an earlier run stopped right after moving the data aside
  ASSERT_TRUE(RebuildStandard("LEFT")) << EngineStatus;
  ExpectRebuilt("LEFT", live);
  EXPECT_FALSE(FileExists(Sav("LEFT")));
}

TEST_P(DataPassTest, SavLeftByEarlierRunStaysWhenTheCopyFails) {
  MakeCrashedBlock("LEFT", 120);
  fs::rename(DataPath("LEFT"), Sav("LEFT"));
  const Bytes sav = ReadFileBytes(Sav("LEFT"));
  RebuildData("LEFT", [](const RebuildProgress& p) {
    if (p.recordsRead == 60) EngineOK = false;
  });
  EXPECT_EQ(EngineStatus, status::kRebuildStopped);
  EXPECT_EQ(ReadFileBytes(Sav("LEFT")), sav);
  EXPECT_FALSE(FileExists(DataPath("LEFT")));
  EXPECT_FALSE(FileExists(Name("LEFT~.IX")));
}

TEST_P(DataPassTest, NothingToRebuildIsClassOne) {
  RebuildData("NONE");
  EXPECT_FALSE(EngineOK);
  EXPECT_EQ(EngineStatus, status::kNothingToRebuild);
  EXPECT_EQ(EngineErrorClass(), 1);
}

TEST_P(DataPassTest, RecordLengthsAreCheckedBeforeAnythingMoves) {
  MakeCrashedBlock("LEN", 10);
  const Bytes dat = ReadFileBytes(DataPath("LEN"));
  RebuildDataFile(Name("LEN"), kRecordLength, 20, KeepLiveRecords, nullptr, nullptr);
  EXPECT_EQ(EngineStatus, status::kRecordLengthTooSmall);
  RebuildDataFile(Name("LEN"), 70000, kRecordLength, KeepLiveRecords, nullptr, nullptr);
  EXPECT_EQ(EngineStatus, status::kRebuildRecordTooLong);
  EXPECT_EQ(ReadFileBytes(DataPath("LEN")), dat);
  EXPECT_FALSE(FileExists(Sav("LEN")));
}

TEST_P(DataPassTest, RenameFailuresLeaveTheFilesAlone) {
  struct Case {
    int err;
    int32_t status;
    int errorClass;
  };
  for (const Case& c : {Case{EIO, status::kDataRenameFailed, 2}, Case{EACCES, status::kDataRenameFailed, 2},
                        Case{EXDEV, status::kNothingToRebuild, 1}}) {
    SCOPED_TRACE(c.err);
    MakeCrashedBlock("REN", 30);
    const Bytes dat = ReadFileBytes(DataPath("REN")), ix = ReadFileBytes(IndexPath("REN"));
    FaultFileSystem failing;
    failing.ArmErrno(FsCall::Rename, c.err, 1, false, "REN.DAT");
    {
      ScopedFileSystem use(failing);
      RebuildData("REN");
    }
    EXPECT_GT(failing.InjectedCount(), 0u);
    EXPECT_EQ(EngineStatus, c.status);
    EXPECT_EQ(EngineErrorClass(), c.errorClass);
    EXPECT_EQ(ReadFileBytes(DataPath("REN")), dat);
    EXPECT_EQ(ReadFileBytes(IndexPath("REN")), ix);
    EXPECT_FALSE(FileExists(Sav("REN")));
  }
}

TEST_P(DataPassTest, SeparateIndexNameMovesTheDataByCopyWhenRenameIsImpossible) {
  const std::string block = Name("SPLITD") + ";" + Name("SPLITX");
  std::vector<Bytes> records;
  for (int i = 1; i <= 40; ++i) records.push_back(MakeRecord("S" + std::to_string(i), "N", i));
  MakeFileBlock(block, kRecordLength, 2, StandardKeys());
  FileBlock* h = nullptr;
  OpenFileBlock(h, block);
  for (const Bytes& r : records) {
    int32_t ref = 0;
    AddRecord(h, ref, r.data());
  }
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK);

  FaultFileSystem failing;
  failing.ArmErrno(FsCall::Rename, EXDEV, 1, false, "SPLITD.DAT");
  {
    ScopedFileSystem use(failing);
    RebuildDataFile(block, kRecordLength, kRecordLength, KeepLiveRecords, nullptr, nullptr);
  }
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_GT(failing.InjectedCount(), 0u);
  EXPECT_FALSE(FileExists(Name("SPLITX.IX")));
  EXPECT_FALSE(FileExists(Name("SPLITD.SAV")));
  EXPECT_EQ(RecordsIn(ReadFileBytes(Name("SPLITD.DAT"))), records);
}

TEST_P(DataPassTest, OpenFileBlockIsNotMovedAway) {
  std::vector<Bytes> records = {MakeRecord("A", "a", 1), MakeRecord("B", "b", 2)};
  MakeUnkeyedBlock("INUSE", records);
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("INUSE"));
  ASSERT_TRUE(EngineOK);
  RebuildData("INUSE");
  EXPECT_EQ(EngineStatus, status::kDataRenameFailed);
  EXPECT_FALSE(FileExists(Sav("INUSE")));
  Bytes r(kRecordLength);
  GetRecord(h, 2, r.data());
  EXPECT_EQ(r, records[1]);
  CloseFileBlock(h);
  EXPECT_TRUE(EngineOK);
}

TF_POOL_SIZES(DataPassTest);
TF_POOL_SIZES(DataPassStopTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
