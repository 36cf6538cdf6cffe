// The guarded maintenance of keyed records, on a three-key record kind (keys 1 and 3 unique,
// key 2 with duplicates): results, prompts, the lock rules, and that a failure at any file call
// leaves the file block as it was.

#include "records/record_file.h"

#include <gtest/gtest.h>

#include <map>

#include "common/key_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/print_lines.h"
#include "tests/support/record_print.h"

namespace tf::records::testing {
namespace {

using namespace ::tf::test;

using common::PromptAnswer;
using common::RecordBuffer;
using common::ScriptedPrompter;
using common::TextField;
using engine::EngineOK;
using engine::EngineStatus;
using engine::FileBlock;

constexpr int kLength = 64;
constexpr TextField kCode{4, 10};
constexpr TextField kGroup{15, 10};
constexpr TextField kTag{26, 10};
constexpr TextField kNote{37, 20};  // in no key
const std::string kBlock = "Things";

const RecordFileKind& Kind() {
  static const RecordFileKind kind{
      "Things",
      kLength,
      {{10, 0}, {10, 1}, {10, 0}},
      [](std::span<const std::uint8_t> r, int keyNr) -> std::string {
        switch (keyNr) {
          case 1: return common::BuildKey(common::ReadText(r, kCode), 10);
          case 2: return common::BuildKey(common::ReadText(r, kGroup), 10);
          case 3: return common::BuildKey(common::ReadText(r, kTag), 10);
        }
        return {};
      }};
  return kind;
}

const engine::KeyBuilder kKeys = [](std::span<const unsigned char> r) {
  return std::vector<std::string>{Kind().keyRoutine(r, 1), Kind().keyRoutine(r, 2), Kind().keyRoutine(r, 3)};
};

RecordBuffer Thing(std::string_view code, std::string_view group, std::string_view tag, std::string_view note = "") {
  RecordBuffer r(kLength);
  common::WriteText(r, kCode, code);
  common::WriteText(r, kGroup, group);
  common::WriteText(r, kTag, tag);
  common::WriteText(r, kNote, note);
  return r;
}

// What the engine answers about the file block: every index in order and every live record.
struct BlockState {
  std::vector<std::vector<engine::testing::KeyEntry>> keys;
  std::map<std::int32_t, std::vector<std::uint8_t>> records;
  bool operator==(const BlockState&) const = default;
};

// One line per index entry and per record, so that a failed EXPECT_EQ shows the difference.
void PrintTo(const BlockState& s, std::ostream* os) {
  std::vector<std::string> lines;
  for (size_t k = 0; k < s.keys.size(); ++k)
    for (const auto& [key, ref] : s.keys[k])
      lines.push_back("key " + std::to_string(k + 1) + " " + key + " -> " + std::to_string(ref));
  for (const auto& [ref, bytes] : s.records) lines.push_back("record " + std::to_string(ref) + " " + BytesText(bytes));
  PrintLines(lines, os);
}

BlockState Snapshot(FileBlock* h) {
  BlockState s;
  for (int k = 1; k <= 3; ++k) s.keys.push_back(engine::testing::WalkKeys(h, k));
  for (std::int32_t ref : engine::testing::WalkRecords(h)) {
    std::vector<std::uint8_t> bytes(kLength);
    engine::GetRecord(h, ref, bytes.data());
    s.records[ref] = bytes;
  }
  return s;
}

// The ref whose key `keyNr` is exactly `key`, or 0.
std::int32_t Find(FileBlock* h, int keyNr, std::string_view field, std::size_t keyLength = 10) {
  std::string key = common::BuildKey(field, keyLength), wanted = key;
  std::int32_t ref = 0;
  engine::SearchKey(h, keyNr, ref, key);
  return EngineOK && key == wanted ? ref : 0;
}

// Seed() adds A1, B2 and C3 in this order to a fresh file block.
constexpr std::int32_t kSeededB2 = 2;
constexpr std::int32_t kSeededC3 = 3;
constexpr int kFiller = 400;

class RecordFileTest : public DataFolderTest {
 protected:
  // A fresh file block holding A1, B2, C3 and `filler` more things; returns it open. With
  // filler the indexes outgrow the smallest pool, so pages are written back inside operations.
  FileBlock* Seed(int filler = 0) {
    engine::DeleteFileBlock(kBlock);
    engine::MakeFileBlock(kBlock, kLength, 3, Kind().keys);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    FileBlock* h = nullptr;
    engine::OpenFileBlock(h, kBlock);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    ScriptedPrompter quiet;
    std::int32_t ref = 0;
    for (const RecordBuffer& r : {Thing("A1", "G", "T1"), Thing("B2", "G", "T2"), Thing("C3", "H", "T3")})
      EXPECT_TRUE(AddKeyedRecord(h, Kind(), r, ref, quiet)) << EngineStatus;
    for (int i = 0; i < filler; ++i) {
      const std::string n = std::to_string(1000 + i);
      EXPECT_TRUE(AddKeyedRecord(h, Kind(), Thing("F" + n, "G" + n.substr(0, 2), "X" + n), ref, quiet));
    }
    return h;
  }

  // Closes the file block and runs the checker over it.
  void CloseAndCheck(FileBlock*& h) {
    engine::CloseFileBlock(h);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    EXPECT_EQ(Findings(kBlock, kKeys), "");
  }

  RecordBuffer Stored(FileBlock* h, std::int32_t ref) {
    RecordBuffer r(kLength);
    engine::GetRecord(h, ref, r.data());
    EXPECT_TRUE(EngineOK) << EngineStatus;
    return r;
  }

  // Runs `op` (which touches nothing but the operation under test) on a freshly seeded file block with the nth file call failing (EIO, once), for
  // n = 1, 2, ... until the operation gets through without meeting the fault. A failed run
  // must leave the file block exactly as it was, with the failure's status reported; the run
  // that gets through must satisfy `succeeded`. Every run ends with the checker.
  template <class Op, class Check>
  void SweepFaults(Op op, Check succeeded) {
    int failures = 0;
    for (int nth = 1; nth < 500; ++nth) {
      FileBlock* h = Seed(kFiller);
      const BlockState before = Snapshot(h);
      ScriptedPrompter prompter;
      FaultFileSystem faulty;
      bool ok = false, faultMet = false;
      size_t reached = 0;
      {
        engine::ScopedFileSystem scoped(faulty);
        faulty.Arm(FaultKind::Eio, nth, false);
        ok = op(h, prompter);
        faultMet = faulty.InjectedCount() > 0;
        reached = faulty.Reached();
        faulty.Disarm();
      }
      EXPECT_TRUE(prompter.Shown().empty()) << "fault " << nth << ": " << prompter.Shown().front().text;
      if (ok) {
        succeeded(h);
      } else {
        ++failures;
        EXPECT_TRUE(faultMet) << "fault " << nth;
        EXPECT_NE(EngineStatus, 0) << "fault " << nth;
        EXPECT_EQ(Snapshot(h), before) << "fault at file call " << nth << " changed the file block";
      }
      CloseAndCheck(h);
      if (!faultMet || ::testing::Test::HasFailure()) {
        EXPECT_GT(failures, 2) << "the sweep never reached the operation";
        if (!faultMet) {
          EXPECT_EQ(reached, std::size_t(nth - 1)) << "the sweep did not fail every file call of the operation";
        }
        return;
      }
    }
    FAIL() << "the operation never got through";
  }
};

// --- add -----------------------------------------------------------------------------------

TEST_F(RecordFileTest, AddStoresTheRecordUnderEveryKey) {
  FileBlock* h = Seed();
  ScriptedPrompter prompter;
  std::int32_t ref = 0;
  const RecordBuffer d = Thing("d4", "g", "t4", "note");
  ASSERT_TRUE(AddKeyedRecord(h, Kind(), d, ref, prompter)) << EngineStatus;
  EXPECT_GT(ref, 0);
  EXPECT_EQ(Find(h, 1, "D4"), ref);
  EXPECT_EQ(Find(h, 3, "T4"), ref);
  EXPECT_EQ(engine::UsedKeys(h, 2), 4);
  EXPECT_EQ(Stored(h, ref), d);
  EXPECT_TRUE(prompter.Shown().empty());
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, AddRefusedByAUniqueKeyTakesBackTheRecordAndEarlierKeys) {
  struct Case {
    const char* what;
    RecordBuffer record;
  };
  const Case cases[] = {
      {"key 1 taken", Thing("A1", "Z", "T9")},
      {"key 3 taken, after keys 1 and 2 were added", Thing("Z9", "Z", "T2")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FileBlock* h = Seed();
    const BlockState before = Snapshot(h);
    ScriptedPrompter prompter;
    std::int32_t ref = -7;
    EXPECT_FALSE(AddKeyedRecord(h, Kind(), c.record, ref, prompter));
    EXPECT_FALSE(EngineOK);
    EXPECT_EQ(EngineStatus, engine::status::kDuplicateKey);
    EXPECT_EQ(ref, -7) << "no reference is handed out for a record that was taken back";
    EXPECT_EQ(Snapshot(h), before);
    CloseAndCheck(h);
  }
}

TEST_F(RecordFileTest, AddFailingAtAnyFileCallLeavesTheFileBlockAsItWas) {
  std::int32_t ref = 0;
  SweepFaults([&](FileBlock* h, ScriptedPrompter& p) { return AddKeyedRecord(h, Kind(), Thing("D4", "G", "T4"), ref, p); },
              [&](FileBlock* h) {
                EXPECT_EQ(Find(h, 1, "D4"), ref);
                EXPECT_EQ(Find(h, 3, "T4"), ref);
                EXPECT_EQ(engine::UsedRecords(h), 3 + kFiller + 1);
              });
}

TEST_F(RecordFileTest, AddingABatchStoresEveryRecordInOrder) {
  FileBlock* h = Seed();
  const std::vector<RecordBuffer> batch = {Thing("D4", "G", "T4"), Thing("E5", "H", "T5")};
  ScriptedPrompter prompter;
  ASSERT_TRUE(AddKeyedRecords(h, Kind(), batch, prompter)) << EngineStatus;
  EXPECT_EQ(Stored(h, Find(h, 1, "D4")), batch[0]);
  EXPECT_EQ(Stored(h, Find(h, 3, "T5")), batch[1]);
  EXPECT_EQ(engine::UsedRecords(h), 5);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, ABatchRefusedAtALaterRecordTakesBackTheRecordsAddedBeforeIt) {
  FileBlock* h = Seed();
  const BlockState before = Snapshot(h);
  // The third repeats the first's tag: refused after D4 and E5 went in.
  const std::vector<RecordBuffer> batch = {Thing("D4", "G", "T4"), Thing("E5", "H", "T5"), Thing("F6", "H", "T4")};
  ScriptedPrompter prompter;
  EXPECT_FALSE(AddKeyedRecords(h, Kind(), batch, prompter));
  EXPECT_FALSE(EngineOK);
  EXPECT_EQ(EngineStatus, engine::status::kDuplicateKey) << "the refusal, not the take-back, is reported";
  EXPECT_EQ(Snapshot(h), before);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, ABatchFailingAtAnyFileCallLeavesTheFileBlockAsItWas) {
  // A fault in the second add also tests taking back the first.
  const std::vector<RecordBuffer> batch = {Thing("D4", "G", "T4"), Thing("E5", "H", "T5")};
  SweepFaults([&](FileBlock* h, ScriptedPrompter& p) { return AddKeyedRecords(h, Kind(), batch, p); },
              [&](FileBlock* h) {
                EXPECT_GT(Find(h, 1, "D4"), 0);
                EXPECT_GT(Find(h, 3, "T5"), 0);
                EXPECT_EQ(engine::UsedRecords(h), 3 + kFiller + 2);
              });
}

// --- the lock rules --------------------------------------------------------------------------

TEST_F(RecordFileTest, LockRefusedAsksWhetherToAbortUntilYes) {
  ScriptedPrompter prompter{PromptAnswer::No, PromptAnswer::No, PromptAnswer::Yes};
  std::int32_t ref = 0;
  const RecordBuffer r = Thing("A1", "G", "T1");
  EXPECT_FALSE(AddKeyedRecord(nullptr, Kind(), r, ref, prompter));
  EXPECT_FALSE(EngineOK);
  ASSERT_EQ(prompter.Shown().size(), 3u);
  for (const auto& m : prompter.Shown()) {
    EXPECT_EQ(m.text, "The files are in use.  Abort?");
    EXPECT_EQ(m.caption, "QZ Tallyfold PRO");
    EXPECT_EQ(m.buttons, common::PromptButtons::YesNo);
  }
  prompter.Clear();
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_FALSE(DeleteKeyedRecord(nullptr, Kind(), 1, r, prompter));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"The files are in use.  Abort?"});
}

TEST_F(RecordFileTest, LockStatusIsRetriedWhileTheUserAnswersNo) {
  // A read-only file block refuses every change with a lock-class status (10065).
  FileBlock* h = Seed();
  engine::CloseFileBlock(h);
  engine::OpenFileBlock(h, kBlock, /*readOnly=*/true);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  const BlockState before = Snapshot(h);
  ScriptedPrompter prompter{PromptAnswer::No, PromptAnswer::No, PromptAnswer::Yes};
  std::int32_t ref = 0;
  EXPECT_FALSE(AddKeyedRecord(h, Kind(), Thing("D4", "G", "T4"), ref, prompter));
  EXPECT_EQ(EngineStatus, engine::status::kReadOnly);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>(3, "Cannot get a lock.  Abort?"));
  EXPECT_EQ(prompter.Shown().front().caption, "QZ Tallyfold PRO");
  EXPECT_EQ(Snapshot(h), before);

  // Delete: the first DeleteKey meets the lock status; Yes abandons it.
  prompter.Clear();
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_FALSE(DeleteKeyedRecord(h, Kind(), Find(h, 1, "A1"), Thing("A1", "G", "T1"), prompter));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Cannot get a lock.  Abort?"});
  EXPECT_EQ(Snapshot(h), before);
  engine::CloseFileBlock(h);
  EXPECT_EQ(Findings(kBlock, kKeys), "");
}

// --- modify ----------------------------------------------------------------------------------

TEST_F(RecordFileTest, UnchangedRecordSucceedsWithoutTouchingTheFileBlock) {
  // No file block at all: any engine call, the lock included, would fail and ask.
  ScriptedPrompter prompter;
  const RecordBuffer r = Thing("A1", "G", "T1");
  EXPECT_TRUE(ModifyKeyedRecord(nullptr, Kind(), 1, r, r, prompter));
  EXPECT_TRUE(EngineOK);
  EXPECT_TRUE(prompter.Shown().empty());
}

TEST_F(RecordFileTest, ModifyReplacesOnlyTheChangedKeys) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "B2");
  const RecordBuffer old = Stored(h, ref);
  RecordBuffer edited = old;
  common::WriteText(edited, kCode, "b5");
  common::WriteText(edited, kTag, "T7");
  common::WriteText(edited, kNote, "changed");
  ScriptedPrompter prompter;
  ASSERT_TRUE(ModifyKeyedRecord(h, Kind(), ref, edited, old, prompter)) << EngineStatus;
  EXPECT_EQ(Find(h, 1, "B5"), ref);
  EXPECT_EQ(Find(h, 1, "B2"), 0);
  EXPECT_EQ(Find(h, 3, "T7"), ref);
  EXPECT_EQ(Find(h, 3, "T2"), 0);
  EXPECT_EQ(engine::UsedKeys(h, 2), 3);
  EXPECT_EQ(Stored(h, ref), edited);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, ModifyRefusedByALaterKeyChangesEarlierKeysBack) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "B2");
  const RecordBuffer old = Stored(h, ref);
  RecordBuffer edited = old;
  common::WriteText(edited, kCode, "B5");   // key 1 free: replaced first
  common::WriteText(edited, kGroup, "K");   // key 2 replaced too
  common::WriteText(edited, kTag, "T3");    // key 3 taken by C3: refused
  const BlockState before = Snapshot(h);
  ScriptedPrompter prompter;
  EXPECT_FALSE(ModifyKeyedRecord(h, Kind(), ref, edited, old, prompter));
  EXPECT_EQ(EngineStatus, engine::status::kDuplicateKey);
  EXPECT_EQ(Snapshot(h), before);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, RecordChangedInTheMeantimeIsNotOverwritten) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "C3");
  const RecordBuffer old = Stored(h, ref);
  RecordBuffer other = old;  // another window saved first
  common::WriteText(other, kNote, "theirs");
  ScriptedPrompter quiet;
  ASSERT_TRUE(ModifyKeyedRecord(h, Kind(), ref, other, old, quiet));
  const BlockState before = Snapshot(h);

  RecordBuffer mine = old;
  common::WriteText(mine, kCode, "C9");
  common::WriteText(mine, kNote, "mine");
  ScriptedPrompter prompter;
  EXPECT_FALSE(ModifyKeyedRecord(h, Kind(), ref, mine, old, prompter));
  EXPECT_FALSE(EngineOK);
  ASSERT_EQ(prompter.Shown().size(), 1u);
  EXPECT_EQ(prompter.Shown()[0].text, "The record has changed in the meantime.");
  EXPECT_EQ(prompter.Shown()[0].buttons, common::PromptButtons::OK);
  EXPECT_EQ(Snapshot(h), before);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, ModifyOfADeletedRecordFailsQuietly) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "A1");
  const RecordBuffer old = Stored(h, ref);
  ScriptedPrompter prompter;
  ASSERT_TRUE(DeleteKeyedRecord(h, Kind(), ref, old, prompter));
  RecordBuffer edited = old;
  common::WriteText(edited, kNote, "late");
  EXPECT_FALSE(ModifyKeyedRecord(h, Kind(), ref, edited, old, prompter));
  EXPECT_TRUE(prompter.Shown().empty());
  EXPECT_EQ(engine::UsedRecords(h), 2);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, ModifyFailingAtAnyFileCallLeavesTheFileBlockAsItWas) {
  RecordBuffer edited = Thing("B5", "K", "T8", "edited");
  SweepFaults(
      [&](FileBlock* h, ScriptedPrompter& p) {
        return ModifyKeyedRecord(h, Kind(), kSeededB2, edited, Thing("B2", "G", "T2"), p);
      },
      [&](FileBlock* h) {
        const std::int32_t ref = Find(h, 1, "B5");
        ASSERT_NE(ref, 0);
        EXPECT_EQ(Stored(h, ref), edited);
        EXPECT_EQ(Find(h, 1, "B2"), 0);
        EXPECT_EQ(Find(h, 3, "T8"), ref);
      });
}

// --- delete ----------------------------------------------------------------------------------

TEST_F(RecordFileTest, DeleteRemovesTheRecordAndEveryKey) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "B2");
  ScriptedPrompter prompter;
  ASSERT_TRUE(DeleteKeyedRecord(h, Kind(), ref, Stored(h, ref), prompter)) << EngineStatus;
  EXPECT_EQ(Find(h, 1, "B2"), 0);
  EXPECT_EQ(Find(h, 3, "T2"), 0);
  EXPECT_EQ(engine::UsedKeys(h, 2), 2);
  EXPECT_EQ(engine::UsedRecords(h), 2);
  CloseAndCheck(h);
}

// A record that has lost a key in its index can still be deleted: the other steps are made.
TEST_F(RecordFileTest, DeleteOfARecordThatLostAKeyRemovesEverythingElse) {
  for (int lost = 1; lost <= 3; ++lost) {
    SCOPED_TRACE(lost);
    FileBlock* h = Seed();
    const std::int32_t ref = Find(h, 1, "B2");
    const RecordBuffer record = Stored(h, ref);
    engine::DeleteKey(h, lost, ref, Kind().keyRoutine(record, lost));
    ASSERT_TRUE(EngineOK);
    ScriptedPrompter prompter;
    EXPECT_TRUE(DeleteKeyedRecord(h, Kind(), ref, record, prompter));
    EXPECT_EQ(EngineStatus, engine::status::kDeleteKeyNotFound);  // told, as a warning
    EXPECT_EQ(Find(h, 1, "B2"), 0);
    EXPECT_EQ(Find(h, 3, "T2"), 0);
    EXPECT_EQ(engine::UsedKeys(h, 2), 2);
    EXPECT_EQ(engine::UsedRecords(h), 2);
    EXPECT_TRUE(prompter.Shown().empty());
    CloseAndCheck(h);  // nothing is left
  }
}

// An index holding the record under another text: the record goes, and the checker shows the
// entry left behind.
TEST_F(RecordFileTest, DeleteLeavesAKeyItCannotFindForTheCheckerToShow) {
  FileBlock* h = Seed();
  const std::int32_t ref = Find(h, 1, "B2");
  const RecordBuffer record = Stored(h, ref);
  engine::DeleteKey(h, 3, ref, Kind().keyRoutine(record, 3));
  engine::AddKey(h, 3, ref, common::BuildKey("OLD TAG", 10));
  ASSERT_TRUE(EngineOK);
  ScriptedPrompter prompter;
  EXPECT_TRUE(DeleteKeyedRecord(h, Kind(), ref, record, prompter));
  EXPECT_EQ(engine::UsedRecords(h), 2);
  EXPECT_EQ(Find(h, 1, "B2"), 0);
  engine::CloseFileBlock(h);
  const std::string findings = Findings(kBlock, kKeys);
  EXPECT_NE(findings.find("key 3:"), std::string::npos) << findings;
  EXPECT_NE(findings.find("record " + std::to_string(ref)), std::string::npos) << findings;
}

TEST_F(RecordFileTest, DeleteFailingAtAnyFileCallLeavesTheFileBlockAsItWas) {
  SweepFaults(
      [&](FileBlock* h, ScriptedPrompter& p) {
        return DeleteKeyedRecord(h, Kind(), kSeededC3, Thing("C3", "H", "T3"), p);
      },
      [&](FileBlock* h) {
        EXPECT_EQ(Find(h, 1, "C3"), 0);
        EXPECT_EQ(engine::UsedRecords(h), 2 + kFiller);
        EXPECT_EQ(engine::UsedKeys(h, 3), 2 + kFiller);
      });
}

TEST_F(RecordFileTest, WrongRecordSizeIsRefused) {
  ScriptedPrompter prompter;
  RecordBuffer shortRecord(kLength - 1);
  std::int32_t ref = 0;
  EXPECT_THROW(AddKeyedRecord(nullptr, Kind(), shortRecord, ref, prompter), std::invalid_argument);
  EXPECT_TRUE(prompter.Shown().empty());
}

// --- open ------------------------------------------------------------------------------------

TEST_F(RecordFileTest, OpenCreatesAMissingFileBlockSilentlyWithoutANotice) {
  RecordingStatus status;
  ScriptedPrompter prompter;
  FileBlock* h = nullptr;
  ASSERT_TRUE(OpenRecordFile(h, kBlock, Kind(), CreateNotice{}, prompter, status)) << EngineStatus;
  EXPECT_TRUE(prompter.Shown().empty());
  EXPECT_EQ(engine::UsedRecords(h), 0);
  EXPECT_EQ(engine::KeyCount(h), 3);
  EXPECT_EQ(engine::RecordLength(h), kLength);
  CloseAndCheck(h);
}

TEST_F(RecordFileTest, OpenRebuildsADefectiveIndexOnYesAndGivesUpOnNo) {
  FileBlock* h = Seed();
  const BlockState seeded = Snapshot(h);
  engine::CloseFileBlock(h);
  std::filesystem::remove(kBlock + ".IX");

  RecordingStatus status;
  ScriptedPrompter no{PromptAnswer::No};
  EXPECT_FALSE(OpenRecordFile(h, kBlock, Kind(), CreateNotice{}, no, status));
  EXPECT_EQ(EngineStatus, engine::status::kIndexDefective);
  EXPECT_EQ(no.Texts(), std::vector<std::string>{"Index file is defective.  Rebuild?"});
  EXPECT_TRUE(status.titles.empty());

  ScriptedPrompter yes{PromptAnswer::Yes};
  ASSERT_TRUE(OpenRecordFile(h, kBlock, Kind(), CreateNotice{}, yes, status)) << EngineStatus;
  EXPECT_EQ(status.titles, std::vector<std::string>{"Things"});
  EXPECT_EQ(Snapshot(h), seeded);
  CloseAndCheck(h);
}

// A file block of another layout under the kind's name (a stray or foreign file): its records
// must never be read into the kind's buffers, nor cut down by a rebuild to the kind's length.
TEST_F(RecordFileTest, OpenRefusesAFileBlockOfAnotherShapeAndLeavesItAlone) {
  const std::vector<engine::KeyDescriptor> oneKey{{10, 0}};
  for (const auto& [length, keys] : {std::pair{kLength + 16, Kind().keys}, std::pair{kLength, oneKey}}) {
    engine::DeleteFileBlock(kBlock);
    engine::MakeFileBlock(kBlock, length, int(keys.size()), keys);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    const std::string data = common::ReadWholeFile(kBlock + ".DAT");
    const std::string index = common::ReadWholeFile(kBlock + ".IX");

    RecordingStatus status;
    ScriptedPrompter prompter;
    FileBlock* h = nullptr;
    EXPECT_FALSE(OpenRecordFile(h, kBlock, Kind(), CreateNotice{"create?", "New", common::PromptButtons::OK},
                                prompter, status));
    EXPECT_EQ(EngineStatus, kNotThisKindOfFile);
    EXPECT_EQ(h, nullptr);
    EXPECT_TRUE(prompter.Shown().empty());
    EXPECT_TRUE(status.titles.empty());
    EXPECT_EQ(common::ReadWholeFile(kBlock + ".DAT"), data);
    EXPECT_EQ(common::ReadWholeFile(kBlock + ".IX"), index);
  }
}

}  // namespace
}  // namespace tf::records::testing
