// A journal file left next to a file block is dealt with when it opens: an empty one is
// deleted, a valid one rolled forward into the files, an unreadable one refused before any of
// it is written.

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

constexpr int kLength = 32;
constexpr int kSlot = 62 * 6 + 564;  // one key of six characters

void AppendI16(Bytes& b, int16_t v) {
  b.push_back(uint8_t(uint16_t(v)));
  b.push_back(uint8_t(uint16_t(v) >> 8));
}
void AppendI32(Bytes& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}
void Append(Bytes& b, const Bytes& more, size_t from, size_t n) {
  b.insert(b.end(), more.begin() + long(from), more.begin() + long(from + n));
}

class JournalTest : public EngineTest {
 protected:
  std::string JournalPath() const { return dir_ / "JRNL.DIA"; }

  // State A on disk: records 1 and 2, key AAA -> 1. Returns the journal that turns it into
  // state B (record 3 counted, keys BBB -> 2 and CCC -> 3 added) by rolling forward page 1 and
  // the headers, the way a session in save mode would have left it.
  Bytes PrepareStateAAndJournalToB() {
    FileBlock* h = Make("JRNL", kLength, {{6, 0}});
    int32_t ref = 0;
    for (const char* p : {"one", "two"}) AddRecord(h, ref, RecordBytes(kLength, p).data());
    AddKey(h, 1, 1, "AAA");
    CloseFileBlock(h);
    const Bytes indexA = ReadFileBytes(IndexPath("JRNL"));
    const Bytes dataA = ReadFileBytes(DataPath("JRNL"));

    h = Open("JRNL");
    AddRecord(h, ref, RecordBytes(kLength, "three").data());
    AddKey(h, 1, 2, "BBB");
    AddKey(h, 1, 3, "CCC");
    CloseFileBlock(h);
    EXPECT_TRUE(EngineOK);
    const Bytes indexB = ReadFileBytes(IndexPath("JRNL"));
    const Bytes dataB = ReadFileBytes(DataPath("JRNL"));

    // Back to A: the old index and data header; record 3's slot stays past RecordCount.
    WriteFileBytes(IndexPath("JRNL"), indexA);
    Bytes data = dataB;
    std::copy(dataA.begin(), dataA.begin() + 21, data.begin());
    WriteFileBytes(DataPath("JRNL"), data);

    Bytes j = {0x01};
    AppendI16(j, 1);  // a page image of key 1
    AppendI32(j, 1);
    Append(j, indexB, kSlot, kSlot);
    AppendI16(j, 1000);  // the data header and index record 0
    Append(j, dataB, 0, 21);
    Append(j, indexB, 0, kSlot);
    AppendI16(j, 2000);
    return j;
  }
};

TEST_P(JournalTest, AValidJournalIsRolledForwardAndDeleted) {
  WriteFileBytes(JournalPath(), PrepareStateAAndJournalToB());
  FileBlock* h = Open("JRNL");
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(FileExists(JournalPath()));
  EXPECT_EQ(UsedRecords(h), 3);
  EXPECT_EQ(UsedKeys(h, 1), 3);
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"AAA", 1}, {"BBB", 2}, {"CCC", 3}}));
  std::vector<uint8_t> rec(kLength);
  GetRecord(h, 3, rec.data());
  EXPECT_EQ(rec, RecordBytes(kLength, "three"));
  AddKey(h, 1, 4, "DDD");
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK);
  h = Open("JRNL");
  EXPECT_EQ(UsedKeys(h, 1), 4);
  CloseFileBlock(h);
}

TEST_P(JournalTest, AnEmptyJournalIsDeleted) {
  FileBlock* h = Make("JRNL", kLength, {{6, 0}});
  AddKey(h, 1, 1, "AAA");
  CloseFileBlock(h);
  const Bytes index = ReadFileBytes(IndexPath("JRNL"));
  WriteFileBytes(JournalPath(), Bytes{0x01});
  h = Open("JRNL");
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(FileExists(JournalPath()));
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"AAA", 1}}));
  CloseFileBlock(h);
  EXPECT_EQ(ReadFileBytes(IndexPath("JRNL")), index);
}

TEST_P(JournalTest, AnUnreadableJournalIsRefusedBeforeAnyOfItIsWritten) {
  const Bytes valid = PrepareStateAAndJournalToB();
  const Bytes index = ReadFileBytes(IndexPath("JRNL"));
  const Bytes data = ReadFileBytes(DataPath("JRNL"));
  Bytes unknownTag = {0x01};
  AppendI16(unknownTag, 77);
  AppendI32(unknownTag, 1);
  Bytes cutShort(valid.begin(), valid.end() - 40);  // the page applies, the header is cut off
  Bytes noEnd(valid.begin(), valid.end() - 2);
  Bytes pageZero = valid;
  PutI32(pageZero, 3, 0);
  const std::pair<const char*, Bytes> journals[] = {
      {"garbage", Bytes{0x01, 0xde, 0xad, 0xbe, 0xef, 0x00}},
      {"unknown tag", unknownTag},
      {"cut short", cutShort},
      {"no end", noEnd},
      {"page 0", pageZero},
  };
  for (const auto& [what, journal] : journals) {
    WriteFileBytes(JournalPath(), journal);
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name("JRNL"));
    EXPECT_EQ(h, nullptr) << what;
    EXPECT_EQ(EngineStatus, status::kJournalReplayFailed) << what;
    EXPECT_EQ(ReadFileBytes(IndexPath("JRNL")), index) << what;
    EXPECT_EQ(ReadFileBytes(DataPath("JRNL")), data) << what;
  }
  // A read-only open cannot roll the journal forward.
  WriteFileBytes(JournalPath(), valid);
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("JRNL"), /*readOnly=*/true);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(EngineStatus, status::kJournalReadOnly);
  EXPECT_TRUE(FileExists(JournalPath()));
}

TF_POOL_SIZES(JournalTest);

}  // namespace
}  // namespace tf::engine::testing
