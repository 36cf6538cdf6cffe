// A staged change of one block and of several blocks committed as one: the stages take the
// blocks' places only whole; a change taken back or failing before its commit marker leaves
// every block as it was; a marker cut short while it was written commits nothing; and a crash
// at any file call, from the first copy to the last rename, leaves the blocks all as they were
// or all changed, whichever of them is opened first afterwards.

#include "records/staged_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/key_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "records/record_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/fault_file_system.h"

namespace tf::records::testing {
namespace {

using namespace ::tf::test;
namespace fs = std::filesystem;

using common::RecordBuffer;
using common::TextField;

constexpr int kLength = 24;
constexpr TextField kCode{4, 10};

const RecordFileKind& Kind() {
  static const RecordFileKind kind{"Things", kLength, {{10, 0}}, [](std::span<const std::uint8_t> r, int) {
                                     return common::BuildKey(common::ReadText(r, kCode), 10);
                                   }};
  return kind;
}

const engine::KeyBuilder kKeys = [](std::span<const unsigned char> r) {
  return std::vector<std::string>{Kind().keyRoutine(r, 1)};
};

// Adds `count` records coded prefix + n to an open block.
bool AddThings(engine::FileBlock* handle, const std::string& prefix, int count) {
  common::ScriptedPrompter prompter;
  for (int n = 0; n < count; ++n) {
    RecordBuffer r(kLength);
    common::WriteText(r, kCode, prefix + std::to_string(n));
    std::int32_t ref = 0;
    if (!AddKeyedRecord(handle, Kind(), r, ref, prompter)) return false;
  }
  return true;
}

void MakeBlock(const std::string& name, int count) {
  engine::MakeFileBlock(name, kLength, 1, Kind().keys);
  ASSERT_TRUE(engine::EngineOK);
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), name);
  ASSERT_TRUE(engine::EngineOK);
  ASSERT_TRUE(AddThings(block.get(), "old", count));
}

// The records `name` holds when it is next opened (after the recovery every open runs); -1
// when it does not exist; -2 when it cannot be opened or is not clean.
int CountAfterOpen(const std::string& name) {
  if (!RecoverStagedBlock(name)) return -2;
  if (!fs::exists(name + ".DAT")) return -1;
  if (!Findings(name, kKeys).empty()) return -2;
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), name);
  return engine::EngineOK ? engine::UsedRecords(block.get()) : -2;
}

// Files of a staged change still in the folder.
std::string Leftovers() {
  std::string left;
  for (const auto& entry : fs::directory_iterator(fs::current_path())) {
    const std::string file = entry.path().filename().string();
    if (file.starts_with("~") || file.ends_with(".CMT") || file.ends_with(".GRP")) left += file + " ";
  }
  return left;
}

class StagedBlockTest : public DataFolderTest {};

TEST_F(StagedBlockTest, ACommittedStageTakesTheBlocksPlaceAndAnAbandonedOneLeavesIt) {
  MakeBlock("1A", 4);
  {
    StagedBlock stage;
    ASSERT_TRUE(stage.Begin("1A", kLength, Kind().keys));
    ASSERT_TRUE(AddThings(stage.get(), "new", 6));
    stage.Abandon();
  }
  EXPECT_EQ(CountAfterOpen("1A"), 4);
  {
    StagedBlock stage;
    ASSERT_TRUE(stage.Begin("1A", kLength, Kind().keys));
    ASSERT_TRUE(AddThings(stage.get(), "new", 6));
    ASSERT_TRUE(stage.Commit());
  }
  EXPECT_EQ(CountAfterOpen("1A"), 10);
  EXPECT_EQ(Leftovers(), "");
}

// One change to two existing blocks and one that does not exist yet.
class GroupChange {
 public:
  static constexpr int kAdded = 7;
  bool Run() {
    StagedGroup group;
    for (const char* name : {"1A", "1B", "1N"}) {
      StagedBlock& member = group.Add();
      if (!member.Begin(name, kLength, Kind().keys) || !AddThings(member.get(), "new", kAdded)) return false;
    }
    return group.Commit();
  }
};

class StagedGroupTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    MakeBlock("1A", 5);
    MakeBlock("1B", 3);
  }
  // The counts of 1A, 1B and 1N, opening `first` before the others.
  std::vector<int> Counts(const std::string& first = "1A") {
    std::map<std::string, int> counts;
    counts[first] = CountAfterOpen(first);
    for (const char* name : {"1A", "1B", "1N"})
      if (!counts.count(name)) counts[name] = CountAfterOpen(name);
    return {counts["1A"], counts["1B"], counts["1N"]};
  }
  const std::vector<int> before_{5, 3, -1};
  const std::vector<int> after_{5 + GroupChange::kAdded, 3 + GroupChange::kAdded, GroupChange::kAdded};
};

TEST_F(StagedGroupTest, EveryBlockTakesItsStageOnOneCommit) {
  ASSERT_TRUE(GroupChange().Run()) << engine::EngineStatus;
  EXPECT_EQ(Counts(), after_);
  EXPECT_EQ(Leftovers(), "");
}

TEST_F(StagedGroupTest, AGroupTakenBackLeavesEveryBlockAsItWas) {
  {
    StagedGroup group;
    for (const char* name : {"1A", "1N"}) {
      StagedBlock& member = group.Add();
      ASSERT_TRUE(member.Begin(name, kLength, Kind().keys));
      ASSERT_TRUE(AddThings(member.get(), "new", 2));
    }
  }  // not committed
  EXPECT_EQ(Counts(), before_);
  EXPECT_EQ(Leftovers(), "");
}

// A block whose data file cannot be opened (a failing disk) is not a missing block: staging it
// as an empty one would replace all its records at the commit.
TEST_F(StagedGroupTest, ABlockThatCannotBeOpenedIsNotStagedEmpty) {
  // Which open matching "1A.DAT" (the stage "~1A.DAT" matches too) is the block's own.
  FaultFileSystem watch;
  {
    engine::ScopedFileSystem use(watch);
    StagedBlock stage;
    ASSERT_TRUE(stage.Begin("1A", kLength, Kind().keys));
  }
  int nth = 0;
  for (const FsEvent& e : watch.Log()) {
    if (e.call != FsCall::Open || e.path.find("1A.DAT") == std::string::npos) continue;
    ++nth;
    if (fs::path(e.path).filename() == "1A.DAT") break;
  }
  ASSERT_GT(nth, 0);
  FaultFileSystem failing;
  {
    engine::ScopedFileSystem use(failing);
    StagedBlock stage;
    failing.ArmErrno(FsCall::Open, EIO, nth, false, "1A.DAT");
    EXPECT_FALSE(stage.Begin("1A", kLength, Kind().keys));
    EXPECT_FALSE(engine::EngineOK);
  }
  EXPECT_EQ(failing.InjectedCount(), 1u);
  EXPECT_EQ(Counts(), before_);
  EXPECT_EQ(Leftovers(), "");
}

// After the marker is durable, a stage that cannot be told there stops the switch instead of
// being passed over: the marker finishes it, and no block is left with the old data file and
// the new index.
TEST_F(StagedGroupTest, AStageThatCannotBeProbedDuringTheSwitchIsNotSkipped) {
  FaultFileSystem failing;
  bool ok = true;
  {
    engine::ScopedFileSystem use(failing);
    StagedGroup group;
    for (const char* name : {"1A", "1B", "1N"}) {
      StagedBlock& member = group.Add();
      ASSERT_TRUE(member.Begin(name, kLength, Kind().keys));
      ASSERT_TRUE(AddThings(member.get(), "new", GroupChange::kAdded));
    }
    failing.ArmErrno(FsCall::Open, EIO, 1, false, "~1B.DAT");
    ok = group.Commit();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(group.CommittedOnFailure());
  }
  EXPECT_EQ(failing.InjectedCount(), 1u);
  EXPECT_EQ(Counts("1B"), after_);
  EXPECT_EQ(Leftovers(), "");
}

// A failure of any call of the marker's writing, before it is durable, takes the whole change
// back; the caller learns that nothing was committed.
TEST_F(StagedGroupTest, AFailureBeforeTheMarkerIsDurableChangesNothing) {
  // The marker's open, write and sync, and the directory sync after it.
  for (FsCall call : {FsCall::Open, FsCall::Write, FsCall::Sync, FsCall::SyncDirectory}) {
    SCOPED_TRACE(Name(call));
    FaultFileSystem failing;
    bool ok = true;
    {
      engine::ScopedFileSystem use(failing);
      StagedGroup group;
      for (const char* name : {"1A", "1B", "1N"}) {
        StagedBlock& member = group.Add();
        ASSERT_TRUE(member.Begin(name, kLength, Kind().keys));
        ASSERT_TRUE(AddThings(member.get(), "new", 2));
      }
      failing.ArmErrno(call, ENOSPC, 1, false, CommitMarkerName("1A"));
      ok = group.Commit();
      EXPECT_FALSE(group.CommittedOnFailure());
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(failing.InjectedCount(), 1u);
    EXPECT_EQ(Counts(), before_);
    EXPECT_EQ(Leftovers(), "");
  }
}

// A change cut short before its commit: the open of any block that had joined it drops the
// stages of all of them.
TEST_F(StagedGroupTest, AnyBlockOfAnUncommittedChangeDropsTheWholeChange) {
  for (const char* first : {"1A", "1B", "1N"}) {
    SCOPED_TRACE(first);
    {
      FaultFileSystem dying;
      engine::ScopedFileSystem use(dying);
      StagedGroup group;
      for (const char* name : {"1A", "1B", "1N"}) {
        StagedBlock& member = group.Add();
        ASSERT_TRUE(member.Begin(name, kLength, Kind().keys));
        ASSERT_TRUE(AddThings(member.get(), "new", 2));
      }
      dying.CrashAt(dying.Calls());  // the process dies before the commit and leaves it all
    }
    engine::ExitEngine();
    engine::InitEngine(0, engine::kMinPageBuffers);
    ASSERT_NE(Leftovers(), "");
    EXPECT_EQ(CountAfterOpen(first), std::string(first) == "1N" ? -1 : std::string(first) == "1A" ? 5 : 3);
    EXPECT_EQ(Leftovers(), "");
    EXPECT_EQ(Counts(), before_);
  }
}

TEST_F(StagedGroupTest, AMarkerCutShortWhileWrittenCommitsNothing) {
  // The stages and notes of a change whose marker lost its closing line in a crash.
  for (const char* name : {"1A", "1B"}) {
    StagedBlock stage;
    ASSERT_TRUE(stage.Begin(name, kLength, Kind().keys));
    ASSERT_TRUE(AddThings(stage.get(), "new", 2));
    engine::FileBlock* handle = stage.get();
    engine::CloseFileBlock(handle);
    fs::copy_file(StageName(name) + ".DAT", "keep" + std::string(name) + ".DAT");
    fs::copy_file(StageName(name) + ".IX", "keep" + std::string(name) + ".IX");
  }  // the stages are removed here; put them back as a crash would have left them
  for (const char* name : {"1A", "1B"}) {
    fs::rename("keep" + std::string(name) + ".DAT", StageName(name) + ".DAT");
    fs::rename("keep" + std::string(name) + ".IX", StageName(name) + ".IX");
  }
  common::ReplaceFile(GroupNoteName("1B"), "1A.CMT\n");
  for (const std::string marker : {"~1A\n~1B\n", "~1A\n~1B\nEN", ""}) {
    common::ReplaceFile(CommitMarkerName("1A"), marker);
    EXPECT_FALSE(StagedChangePending("1B")) << marker;
    EXPECT_FALSE(StagedChangePending("1A")) << marker;
  }
  EXPECT_EQ(CountAfterOpen("1B"), 3);  // the note names a marker cut short: its stage goes
  EXPECT_EQ(CountAfterOpen("1A"), 5);
  EXPECT_EQ(Leftovers(), "");
}

TEST_F(StagedGroupTest, AnyBlockOfACommittedChangeFinishesTheWholeSwitch) {
  // The change committed (its marker complete and durable) and nothing switched yet.
  for (const char* name : {"1A", "1B", "1N"}) {
    StagedBlock stage;
    ASSERT_TRUE(stage.Begin(name, kLength, Kind().keys));
    ASSERT_TRUE(AddThings(stage.get(), "new", GroupChange::kAdded));
    engine::FileBlock* handle = stage.get();
    engine::CloseFileBlock(handle);
    for (const char* ext : {".DAT", ".IX"}) fs::copy_file(StageName(name) + ext, "keep" + std::string(name) + ext);
  }
  for (const char* name : {"1A", "1B", "1N"})
    for (const char* ext : {".DAT", ".IX"}) fs::rename("keep" + std::string(name) + ext, StageName(name) + ext);
  common::ReplaceFile(GroupNoteName("1B"), "1A.CMT\n");
  common::ReplaceFile(GroupNoteName("1N"), "1A.CMT\n");
  common::ReplaceFile(CommitMarkerName("1A"), "~1A\n~1B\n~1N\nEND\n");
  for (const char* name : {"1A", "1B", "1N"}) EXPECT_TRUE(StagedChangePending(name)) << name;
  // 1N does not exist yet: its open must still find the change through its note.
  EXPECT_EQ(CountAfterOpen("1N"), GroupChange::kAdded);
  EXPECT_EQ(Leftovers(), "");
  EXPECT_EQ(Counts("1B"), after_);
}

// A crash at every file call of a change, in turn; the next open of each block in turn comes
// first. Everything of a change is whole or absent.
TEST_F(StagedGroupTest, ACrashAnywhereLeavesAllOrNothing) {
  const fs::path pristine =
      fs::path(folder_->path()).parent_path() / (fs::path(folder_->path()).filename().string() + "-pristine");
  fs::create_directories(pristine);
  for (const char* file : {"1A.DAT", "1A.IX", "1B.DAT", "1B.IX"}) fs::copy_file(file, pristine / file);
  std::size_t total = 0;
  {
    FaultFileSystem counting;
    engine::ScopedFileSystem use(counting);
    ASSERT_TRUE(GroupChange().Run());
    total = counting.Calls();
  }
  ASSERT_GT(total, 50u);
  int none = 0, all = 0;
  for (std::size_t at = 0; at < total; ++at) {
    SCOPED_TRACE("crash at call " + std::to_string(at));
    engine::ExitEngine();
    for (const auto& entry : fs::directory_iterator(fs::current_path())) fs::remove(entry.path());
    for (const auto& entry : fs::directory_iterator(pristine)) fs::copy_file(entry.path(), entry.path().filename());
    engine::InitEngine(0, engine::kMinPageBuffers);
    FaultFileSystem dying;
    dying.CrashAt(at);
    {
      engine::ScopedFileSystem use(dying);
      GroupChange().Run();
    }
    ASSERT_TRUE(dying.Crashed());
    engine::ExitEngine();
    engine::InitEngine(0, engine::kMinPageBuffers);
    const std::string first = std::vector<std::string>{"1A", "1B", "1N"}[at % 3];
    // When the change had reached the block opened first (its note whole), that open settles
    // all of it.
    bool joined = fs::exists(CommitMarkerName(first)) ||
                  (fs::exists(GroupNoteName(first)) && common::ReadWholeFile(GroupNoteName(first)).ends_with("\n"));
    for (const char* ext : {".DAT", ".IX"}) joined |= fs::exists(StageName(first) + ext);
    ASSERT_TRUE(RecoverStagedBlock(first));
    if (joined) {
      EXPECT_EQ(Leftovers(), "") << first << " first";
    }
    const std::vector<int> counts = Counts(first);
    EXPECT_TRUE(counts == before_ || counts == after_) << counts[0] << " " << counts[1] << " " << counts[2];
    EXPECT_EQ(Leftovers(), "");
    none += counts == before_;
    all += counts == after_;
  }
  fs::remove_all(pristine);
  EXPECT_GT(none, 0);
  EXPECT_GT(all, 0);
}

}  // namespace
}  // namespace tf::records::testing
