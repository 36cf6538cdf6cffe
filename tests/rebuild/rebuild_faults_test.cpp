// A rebuild loses nothing silently and never shows a half-made index: a record that is neither
// live nor deleted goes to the dump file and is named; a blank slot a crash grew the file by is
// not taken for a record; a rebuild that fails (a full disk) leaves the file block as it was;
// the new index takes its name only once complete; and a search that finds nothing says ref 0.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/rebuilding/rebuild.h"
#include "tests/rebuild/rebuild_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::rebuild_test {
namespace {

using test::FaultFileSystem;
using test::FsCall;
using test::FsEvent;

class RebuildFaultsTest : public RebuildTest {
 protected:
  std::vector<Bytes> Numbered(int n) {
    std::vector<Bytes> records;
    for (int i = 1; i <= n; ++i) records.push_back(MakeRecord("C" + std::to_string(100 + i), "N", i));
    return records;
  }
  void SetStatusWord(Bytes& file, int32_t ref, int32_t word) {
    const size_t at = size_t(ref) * kRecordLength;
    for (int i = 0; i < 4; ++i) file[at + size_t(i)] = uint8_t(uint32_t(word) >> (8 * i));
  }
  static std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
  RebuildTarget Target(const std::string& name) {
    return {Name(name), "Tests", kRecordLength, StandardKeys(), StandardKey};
  }
};

// Status words that are neither 0 nor a link of the free chain: out of range, pointing at a live
// record, and two slots linking to each other. A properly deleted record (linking to -1) and a
// chain of two deleted records stay quietly deleted, whatever the header's FirstFree says.
TEST_P(RebuildFaultsTest, ARecordNeitherLiveNorDeletedIsDumpedAndNamed) {
  std::vector<Bytes> records = Numbered(9);
  MakeUnkeyedBlock("ODD", records);
  Bytes file = ReadFileBytes(DataPath("ODD"));
  SetStatusWord(file, 2, 999);  // beyond the file
  SetStatusWord(file, 3, 1);    // to a live record
  SetStatusWord(file, 5, 6);    // 5 -> 6 -> 5: a loop
  SetStatusWord(file, 6, 5);
  SetStatusWord(file, 7, -1);   // deleted, end of a chain
  SetStatusWord(file, 8, 7);    // deleted, leading into it (FirstFree never said so)
  WriteFileBytes(DataPath("ODD"), file);
  const Bytes record2(file.begin() + 2 * kRecordLength, file.begin() + 3 * kRecordLength);

  RecordingStatus status;
  RebuildReport report;
  ASSERT_TRUE(RebuildFileBlock(Target("ODD"), status, report)) << EngineStatus;
  EXPECT_EQ(report.setAside, (std::vector<int32_t>{2, 3, 5, 6}));
  EXPECT_TRUE(report.dumpWritten);
  const std::string dump = Text(ReadFileBytes(Msg("ODD")));
  EXPECT_NE(dump.find("Data record 2 not kept: status word 999 is neither 0 nor a link of the free chain - "
                      "Dump follows\n" + Text(record2) + "\n\n"),
            std::string::npos);
  for (const char* line : {"Data record 3 not kept: status word 1 ", "Data record 5 not kept: status word 6 ",
                           "Data record 6 not kept: status word 5 "})
    EXPECT_NE(dump.find(line), std::string::npos) << line;
  EXPECT_EQ(dump.find("Data record 7"), std::string::npos);
  EXPECT_EQ(dump.find("Data record 8"), std::string::npos);
  ExpectRebuilt("ODD", {records[0], records[3], records[8]});
}

// The dump of the data pass and the duplicates of the index pass land in one dump file.
TEST_P(RebuildFaultsTest, BothPassesDumpIntoTheSameFile) {
  std::vector<Bytes> records = Numbered(4);
  records.push_back(records[0]);  // a duplicate code
  MakeUnkeyedBlock("BOTH", records);
  Bytes file = ReadFileBytes(DataPath("BOTH"));
  SetStatusWord(file, 2, 77);
  WriteFileBytes(DataPath("BOTH"), file);
  WriteFileBytes(Msg("BOTH"), Bytes{'o', 'l', 'd'});
  RecordingStatus status;
  RebuildReport report;
  ASSERT_TRUE(RebuildFileBlock(Target("BOTH"), status, report)) << EngineStatus;
  const std::string dump = Text(ReadFileBytes(Msg("BOTH")));
  EXPECT_EQ(dump.rfind("Data record 2 not kept", 0), 0u) << dump;  // the old dump is replaced
  EXPECT_NE(dump.find("Key:<C101"), std::string::npos) << dump;
  FileBlock* h = Open("BOTH");
  EXPECT_EQ(UsedRecords(h), 3);  // the duplicate went, as its dump says
  CloseFileBlock(h);
  const KeyBuilder keys = StandardKeyBuilder();
  EXPECT_TRUE(CheckFileBlock(Name("BOTH"), &keys).Clean());
}

// A crash after the file grew by a slot but before the record reached it leaves zeros beyond
// the header's RecordCount: no record, so nothing blank comes back.
TEST_P(RebuildFaultsTest, AnAllZeroSlotBeyondTheCountIsNoRecord) {
  std::vector<Bytes> records = Numbered(3);
  MakeUnkeyedBlock("GREW", records);
  Bytes file = ReadFileBytes(DataPath("GREW"));
  file.resize(file.size() + 2 * kRecordLength, 0);  // two slots of zeros past RecordCount 3
  Bytes added = MakeRecord("C999", "N", 99);
  file.insert(file.end(), added.begin(), added.end());  // and a real record written after them
  WriteFileBytes(DataPath("GREW"), file);
  RecordingStatus status;
  RebuildReport report;
  ASSERT_TRUE(RebuildFileBlock(Target("GREW"), status, report)) << EngineStatus;
  EXPECT_EQ(report.blankSlotsDropped, 2);
  EXPECT_TRUE(report.setAside.empty());
  records.push_back(added);
  ExpectRebuilt("GREW", records);
}

// A full disk in the middle of the copy: the data file and its index come back as they were.
TEST_P(RebuildFaultsTest, ADiskFullDuringTheCopyKeepsTheIndex) {
  MakeCrashedBlock("FULL", 300);
  const Bytes data = ReadFileBytes(DataPath("FULL")), index = ReadFileBytes(IndexPath("FULL"));
  FaultFileSystem full;
  full.ArmErrno(FsCall::Write, ENOSPC, 2, false, "FULL.DAT");
  {
    ScopedFileSystem use(full);
    EXPECT_FALSE(RebuildStandard("FULL"));
  }
  ASSERT_EQ(full.InjectedCount(), 1u) << "the disk never filled";
  EXPECT_EQ(ReadFileBytes(DataPath("FULL")), data);
  EXPECT_EQ(ReadFileBytes(IndexPath("FULL")), index);
  EXPECT_FALSE(FileExists(Sav("FULL")));
}

// Every moment of the index pass before the new index is complete shows no N.IX: a crash at any
// file call of the pass leaves a file block that either refuses to open or opens whole.
TEST_P(RebuildFaultsTest, TheNewIndexTakesItsNameOnlyWhenComplete) {
  const std::vector<Bytes> records = Numbered(40);
  MakeUnkeyedBlock("WIN", records);
  const Bytes original = ReadFileBytes(DataPath("WIN"));
  // Each run starts with the data file alone, as the data pass leaves it (and after the first
  // crash, with whatever the crash left under the build name).
  const auto start = [&] {
    WriteFileBytes(DataPath("WIN"), original);
    std::filesystem::remove(IndexPath("WIN"));
  };
  start();
  FaultFileSystem counting;
  {
    ScopedFileSystem use(counting);
    bool dumped = false;
    const auto keys = StandardKeys();
    RebuildIndexFile(Name("WIN"), 2, keys, nullptr, StandardKey, true, nullptr, dumped);
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  bool sawBuildName = false;
  for (const FsEvent& c : counting.Log()) sawBuildName = sawBuildName || c.path.ends_with("WIN~.IX");
  EXPECT_TRUE(sawBuildName);
  for (size_t i = 0; i < counting.Calls(); ++i) {
    SCOPED_TRACE("crash at call " + std::to_string(i));
    start();
    FaultFileSystem dying;
    dying.CrashAt(i);
    {
      ScopedFileSystem use(dying);
      bool dumped = false;
      const auto keys = StandardKeys();
      RebuildIndexFile(Name("WIN"), 2, keys, nullptr, StandardKey, true, nullptr, dumped);
    }
    ASSERT_TRUE(dying.Crashed()) << "the pass never reached the call";
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name("WIN"));
    if (!EngineOK) {
      EXPECT_EQ(EngineStatus, status::kIndexDefective);
      continue;
    }
    EXPECT_EQ(WalkKeys(h, 1), ExpectedEntries(records, 1)) << "an index opened with only some of its keys";
    CloseFileBlock(h);
  }
}

TEST_P(RebuildFaultsTest, ASearchThatFindsNothingGivesRefZero) {
  MakeUnkeyedBlock("S", Numbered(3));
  ASSERT_TRUE(RebuildStandard("S"));
  FileBlock* h = Open("S");
  std::string key = "ZZZ";  // beyond every code
  int32_t ref = 77;
  SearchKey(h, 1, ref, key);
  EXPECT_EQ(EngineStatus, status::kSearchNotFound);
  EXPECT_EQ(ref, 0);
  key = "C102";
  SearchKey(h, 1, ref, key);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(ref, 2);
  CloseFileBlock(h);
}

TF_POOL_SIZES(RebuildFaultsTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
