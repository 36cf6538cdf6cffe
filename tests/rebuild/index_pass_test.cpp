// The index pass: one entry per key per live record, the dump file for refused keys, and a
// failed pass that never leaves an index the next open would trust.

#include <filesystem>
#include <map>
#include <set>

#include "tests/rebuild/rebuild_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::rebuild_test {
namespace {

using test::FaultFileSystem;
using test::FsCall;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

class IndexPassTest : public RebuildTest {
 protected:
  // The index pass with the standard keys.
  bool RebuildIndex(const std::string& name, const KeyRoutine& keys = StandardKey,
                    const RebuildProgressCallback& progress = nullptr, bool deleteDuplicates = true) {
    const auto descriptors = StandardKeys();
    bool dumped = false;
    RebuildIndexFile(Name(name), 2, descriptors, nullptr, keys, deleteDuplicates, progress, dumped);
    return dumped;
  }
  void ExpectOpenRefused(const std::string& name) {
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name(name));
    EXPECT_EQ(EngineStatus, status::kIndexDefective);
    EXPECT_EQ(h, nullptr);
  }
  std::vector<Bytes> Numbered(int n) {
    std::vector<Bytes> records;
    for (int i = 1; i <= n; ++i)
      records.push_back(MakeRecord("K" + std::to_string(1000 + i), "N" + std::to_string(i % 4), i));
    return records;
  }
};

TEST_P(IndexPassTest, DuplicatesAreDumpedRemovedWithTheirEarlierKeysAndSkippedLater) {
  // Key 1: the name, duplicates allowed; key 2: the code, unique; key 3: the name, unique.
  const std::vector<KeyDescriptor> descriptors = {{19, 1}, {9, 0}, {19, 0}};
  auto keyOf = [](std::span<const uint8_t> r, int k) { return k == 2 ? CodeOf(r) : NameOf(r); };
  std::vector<Bytes> records = {MakeRecord("A1", "Alpha", 1), MakeRecord("B2", "Beta", 2),
                                MakeRecord("A1", "Gamma", 3),  // repeats code A1: refused by key 2
                                MakeRecord("C3", "Beta", 4),   // repeats name Beta: refused by key 3
                                MakeRecord("D4", "Delta", 5)};
  MakeUnkeyedBlock("DUP", records, descriptors);
  std::set<std::pair<int, int>> asked;  // (serial, key number)
  std::multiset<std::pair<int, int>> askedTwice;
  bool dumped = false;
  RebuildIndexFile(
      Name("DUP"), 3, descriptors, nullptr,
      [&](std::span<const uint8_t> r, int k) {
        if (!asked.insert({SerialOf(r), k}).second) askedTwice.insert({SerialOf(r), k});
        return keyOf(r, k);
      },
      true, nullptr, dumped);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_TRUE(dumped);
  EXPECT_EQ(Text(ReadFileBytes(Msg("DUP"))),
            "Key:<A1> KeyNr: 2 Ref: 3 not added\n"
            "Data record deleted - Dump follows\n" +
                Text(records[2]) + "\n\n" +
                "Key:<Beta> KeyNr: 3 Ref: 4 not added\n"
                "Data record deleted - Dump follows\n" +
                Text(records[3]) + "\n\n");
  // Removing a record's earlier keys asks for them again; a removed record is not asked later.
  EXPECT_EQ(askedTwice, (std::multiset<std::pair<int, int>>{{3, 1}, {4, 1}, {4, 2}}));
  EXPECT_FALSE(asked.contains({3, 3}));

  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("DUP"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  FileBlockGuard guard(h);
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"Alpha", 1}, {"Beta", 2}, {"Delta", 5}}));
  EXPECT_EQ(WalkKeys(h, 2), (std::vector<KeyEntry>{{"A1", 1}, {"B2", 2}, {"D4", 5}}));
  EXPECT_EQ(WalkKeys(h, 3), (std::vector<KeyEntry>{{"Alpha", 1}, {"Beta", 2}, {"Delta", 5}}));
  int32_t ref = 0;
  std::vector<int32_t> live;
  for (NextRecord(h, ref); EngineOK; NextRecord(h, ref)) live.push_back(ref);
  EXPECT_EQ(live, (std::vector<int32_t>{1, 2, 5}));
  guard.Close();
  const KeyBuilder checkerKeys = [&](std::span<const unsigned char> r) {
    return std::vector<std::string>{keyOf(r, 1), keyOf(r, 2), keyOf(r, 3)};
  };
  for (const Finding& f : CheckFileBlock(Name("DUP"), &checkerKeys).findings) ADD_FAILURE() << f.text;
}

TEST_P(IndexPassTest, WithoutDeletionOnlyTheRefusedKeyIsListed) {
  std::vector<Bytes> records = {MakeRecord("X", "One", 1), MakeRecord("X", "Two", 2),
                                MakeRecord("Y", "Two", 3)};
  MakeUnkeyedBlock("KEEP", records);
  EXPECT_TRUE(RebuildIndex("KEEP", StandardKey, nullptr, false));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(Text(ReadFileBytes(Msg("KEEP"))), "Key:<X> KeyNr: 1 Ref: 2 not added\n");
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("KEEP"));
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(UsedRecords(h), 3);
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"X", 1}, {"Y", 3}}));
  EXPECT_EQ(WalkKeys(h, 2), (std::vector<KeyEntry>{{"One", 1}, {"Two", 2}, {"Two", 3}}));
  CloseFileBlock(h);
}

TEST_P(IndexPassTest, SystemRebuildDumpsTheLaterOfTwoEqualCodes) {
  std::vector<Bytes> records = Numbered(80);
  records[59] = MakeRecord("K1012", "Again", 60);  // the code of record 12
  MakeUnkeyedBlock("SYS", records);
  bool dumped = false;
  RecordingStatus status;
  ASSERT_TRUE(RebuildStandard("SYS", status, &dumped)) << EngineStatus;
  EXPECT_TRUE(dumped);
  EXPECT_EQ(Text(ReadFileBytes(Msg("SYS"))),
            "Key:<K1012> KeyNr: 1 Ref: 60 not added\n"
            "Data record deleted - Dump follows\n" +
                Text(records[59]) + "\n\n");
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("SYS"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  FileBlockGuard guard(h);
  EXPECT_EQ(UsedRecords(h), 79);
  std::vector<int32_t> refs;
  std::vector<Bytes> kept;
  for (int32_t i = 1; i <= 80; ++i)
    if (i != 60) {
      refs.push_back(i);
      kept.push_back(records[size_t(i - 1)]);
    }
  EXPECT_EQ(WalkKeys(h, 1), ExpectedEntries(kept, 1, refs));
  EXPECT_EQ(WalkKeys(h, 2), ExpectedEntries(kept, 2, refs));
  guard.Close();
  const KeyBuilder keys = StandardKeyBuilder();
  for (const Finding& f : CheckFileBlock(Name("SYS"), &keys).findings) ADD_FAILURE() << f.text;
}

// The dump of an earlier rebuild may hold the only copy of records it removed: a rebuild that
// dumps nothing leaves it; one that dumps replaces it.
TEST_P(IndexPassTest, EarlierDumpStaysUnlessTheRebuildDumpsSomething) {
  MakeUnkeyedBlock("CLEAN", Numbered(10));
  WriteFileBytes(Msg("CLEAN"), Bytes{'o', 'l', 'd'});
  EXPECT_FALSE(RebuildIndex("CLEAN"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(ReadFileBytes(Msg("CLEAN")), (Bytes{'o', 'l', 'd'}));

  std::vector<Bytes> twice = Numbered(3);
  twice.push_back(twice[0]);
  MakeUnkeyedBlock("DUPS", twice);
  WriteFileBytes(Msg("DUPS"), Bytes{'o', 'l', 'd'});
  EXPECT_TRUE(RebuildIndex("DUPS"));
  const Bytes dump = ReadFileBytes(Msg("DUPS"));
  EXPECT_EQ(std::string(dump.begin(), dump.begin() + 4), "Key:");
}

TEST_P(IndexPassTest, LeftoverJournalIsNotReplayedOntoTheNewIndex) {
  MakeUnkeyedBlock("JRN", Numbered(10));
  WriteFileBytes(Name("JRN.DIA"), Bytes(40, 0x33));
  RebuildIndex("JRN");
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_FALSE(FileExists(Name("JRN.DIA")));
  ExpectRebuilt("JRN", Numbered(10));
}

TEST_P(IndexPassTest, FreshIndexMatchesTheBytesOfANewFileBlock) {
  const std::vector<KeyDescriptor> descriptors = {{9, 0}, {19, 1}, {30, 1}, {1, 0}};
  MakeFileBlock(Name("MADE"), kRecordLength, 4, descriptors);
  MakeFileBlock(Name("REBUILT"), kRecordLength, 0, {});
  bool dumped = true;
  RebuildIndexFile(Name("REBUILT"), 4, descriptors, nullptr, StandardKey, true, nullptr, dumped);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_FALSE(dumped);
  EXPECT_EQ(ReadFileBytes(IndexPath("REBUILT")), ReadFileBytes(IndexPath("MADE")));
  EXPECT_EQ(ReadFileBytes(DataPath("REBUILT")), ReadFileBytes(DataPath("MADE")));
}

TEST_P(IndexPassTest, ProgressReportsEachLiveRecordPerKey) {
  std::vector<Bytes> records = Numbered(6);
  records[2][0] = 0xFF;  // a deleted slot is not read
  MakeUnkeyedBlock("PROG", records);
  std::vector<std::tuple<int, int, int, int32_t>> calls;
  RebuildIndex("PROG", StandardKey, [&](const RebuildProgress& p) {
    EXPECT_EQ(p.recordLength, kRecordLength);
    calls.emplace_back(p.keyNr, p.recordsRead, p.recordsWritten, SerialOf(p.record));
  });
  ASSERT_TRUE(EngineOK) << EngineStatus;
  std::vector<std::tuple<int, int, int, int32_t>> expected;
  const int32_t liveSerials[] = {1, 2, 4, 5, 6};
  for (int k = 1; k <= 2; ++k)
    for (int i = 0; i < 5; ++i) expected.emplace_back(k, i + 1, i + 1, liveSerials[i]);
  EXPECT_EQ(calls, expected);
}

// Failures of the pass: the status, and an index the next open does not trust.
struct FailCase {
  const char* name;
  int32_t status;
  KeyRoutine keys;
  RebuildProgressCallback progress;
};

TEST_P(IndexPassTest, FailedPassLeavesAFileBlockTheOpenRefuses) {
  const FailCase cases[] = {
      {"key routine", status::kKeyRoutineFailed,
       [](std::span<const uint8_t> r, int k) {
         if (k == 2 && SerialOf(r) == 70) EngineOK = false;
         return StandardKey(r, k);
       },
       nullptr},
      {"key routine at the first record", status::kKeyRoutineFailed,
       [](std::span<const uint8_t>, int) {
         EngineOK = false;
         return std::string();
       },
       nullptr},
      {"progress", status::kRebuildStopped, StandardKey,
       [](const RebuildProgress& p) {
         if (p.keyNr == 1 && p.recordsRead == 90) EngineOK = false;
       }},
      {"key too long", status::kKeyTooLong,
       [](std::span<const uint8_t> r, int k) {
         return k == 2 && SerialOf(r) == 5 ? std::string(20, 'L') : StandardKey(r, k);
       },
       nullptr},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.name);
    MakeUnkeyedBlock("FAIL", Numbered(100));
    RebuildIndex("FAIL", c.keys, c.progress);
    EXPECT_FALSE(EngineOK);
    EXPECT_EQ(EngineStatus, c.status);
    EXPECT_FALSE(FileExists(IndexPath("FAIL")));
    ExpectOpenRefused("FAIL");
    RebuildIndex("FAIL");
    ASSERT_TRUE(EngineOK) << EngineStatus;
    ExpectRebuilt("FAIL", Numbered(100));
  }
}

TEST_P(IndexPassTest, DumpWriteFailuresStopWith9500PlusTheIoError) {
  struct Case {
    FsCall op;
    int err;
    int32_t status;
  };
  for (const Case& c :
       {Case{FsCall::Write, ENOSPC, 9601}, Case{FsCall::Open, EACCES, 9505}, Case{FsCall::Sync, EIO, 9601}}) {
    SCOPED_TRACE(c.status);
    std::vector<Bytes> records = Numbered(20);
    records[9] = MakeRecord("K1003", "Same", 10);
    MakeUnkeyedBlock("DUMPF", records);
    FaultFileSystem failing;
    failing.ArmErrno(c.op, c.err, 1, false, "DUMPF.MSG");
    {
      ScopedFileSystem use(failing);
      RebuildIndex("DUMPF");
    }
    EXPECT_GT(failing.InjectedCount(), 0u);
    EXPECT_EQ(EngineStatus, c.status);
    // The record was not deleted: its dump did not reach the disk.
    const Bytes file = ReadFileBytes(DataPath("DUMPF"));
    EXPECT_EQ(Bytes(file.begin() + 10 * kRecordLength, file.begin() + 11 * kRecordLength), records[9]);
    ExpectOpenRefused("DUMPF");
  }
}

TEST_P(IndexPassTest, HeaderThatDisagreesWithTheFileIsAWarningOnly) {
  std::vector<Bytes> records = Numbered(30);
  MakeUnkeyedBlock("SHORT", records);
  Bytes file = ReadFileBytes(DataPath("SHORT"));
  file.resize(file.size() - 5);  // the last record cut short
  WriteFileBytes(DataPath("SHORT"), file);
  RebuildIndex("SHORT");
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(EngineStatus, status::kHeaderSizeMismatch);
  records.pop_back();
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("SHORT"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(UsedRecords(h), 29);
  EXPECT_EQ(WalkKeys(h, 1), ExpectedEntries(records, 1));
  EXPECT_EQ(WalkKeys(h, 2), ExpectedEntries(records, 2));
  CloseFileBlock(h);
}

TEST_P(IndexPassTest, IndexPassAloneOnACrashedCopyIndexesEveryLiveSlot) {
  MakeCrashedBlock("RAW", 150);
  // Its header was last written when the file block was made: no records.
  const Bytes file = ReadFileBytes(DataPath("RAW"));
  std::vector<Bytes> live;
  std::vector<int32_t> refs;
  for (size_t at = kRecordLength; at < file.size(); at += kRecordLength)
    if (file[at] == 0 && file[at + 1] == 0 && file[at + 2] == 0 && file[at + 3] == 0) {
      live.emplace_back(file.begin() + long(at), file.begin() + long(at + kRecordLength));
      refs.push_back(int32_t(at / kRecordLength));
    }
  RebuildIndex("RAW");
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(EngineStatus, status::kHeaderSizeMismatch);
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("RAW"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(FileLength(h), int(file.size() / kRecordLength));
  EXPECT_EQ(WalkKeys(h, 1), ExpectedEntries(live, 1, refs));
  EXPECT_EQ(WalkKeys(h, 2), ExpectedEntries(live, 2, refs));
  CloseFileBlock(h);
}

TEST_P(IndexPassTest, RefusalsBeforeAnythingIsTouched) {
  MakeUnkeyedBlock("REF", Numbered(5));
  const Bytes dat = ReadFileBytes(DataPath("REF")), ix = ReadFileBytes(IndexPath("REF"));
  bool dumped = false;
  const std::vector<KeyDescriptor> tooLong = {{9, 0}, {31, 1}};
  RebuildIndexFile(Name("REF"), 2, tooLong, nullptr, StandardKey, true, nullptr, dumped);
  EXPECT_EQ(EngineStatus, status::kBadKeyLength);
  const std::vector<KeyDescriptor> many(101, KeyDescriptor{5, 0});
  RebuildIndexFile(Name("REF"), 101, many, nullptr, StandardKey, true, nullptr, dumped);
  EXPECT_EQ(EngineStatus, status::kTooManyKeys);
  EXPECT_EQ(ReadFileBytes(DataPath("REF")), dat);
  EXPECT_EQ(ReadFileBytes(IndexPath("REF")), ix);

  RebuildIndex("MISSING");
  EXPECT_EQ(EngineStatus, status::kFileNotFound);

  Bytes huge = dat;
  huge[12] = 0x70;  // RecordLength 70000
  huge[13] = 0x11;
  huge[14] = 0x01;
  WriteFileBytes(DataPath("REF"), huge);
  RebuildIndex("REF");
  EXPECT_EQ(EngineStatus, status::kRebuildRecordTooLong);
  EXPECT_EQ(ReadFileBytes(DataPath("REF")), huge);
}

TF_POOL_SIZES(IndexPassTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
