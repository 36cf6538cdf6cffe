// Key operations as callers see them: ordering, unique and duplicate indexes, searching,
// stepping past either end, finding an exact entry, deleting while iterating, and keys that
// are too long.

#include <algorithm>
#include <random>

#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

class IndexTest : public EngineTest {
 protected:
  // A file block with a unique index (key 1, length 8) and a duplicates index (key 2,
  // length 8).
  void SetUp() override {
    EngineTest::SetUp();
    h_ = Make("KEYS", 32, {{8, 0}, {8, 1}});
  }
  void TearDown() override {
    if (h_) CloseFileBlock(h_);
    EngineTest::TearDown();
  }
  void Add(int keyNr, int32_t ref, const std::string& key) {
    AddKey(h_, keyNr, ref, key);
    ASSERT_TRUE(EngineOK) << key << ": " << EngineStatus;
  }
  void Reopen() {
    CloseFileBlock(h_);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    h_ = Open("KEYS");
  }

  FileBlock* h_ = nullptr;
  int32_t ref_ = 0;
  std::string key_;
};

TEST_P(IndexTest, KeysSortAsUnsignedBytesShorterFirst) {
  const std::vector<std::string> ascending = {"", "A", "AB", "ABC", "ABZZZ", "B", "Z", "a", "\x7f", "\x80", "\xff", "\xff\xff"};
  std::vector<std::string> shuffled = ascending;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  for (size_t i = 0; i < shuffled.size(); ++i) Add(1, int32_t(i + 1), shuffled[i]);
  std::vector<std::string> walked;
  for (const KeyEntry& e : WalkKeys(h_, 1)) walked.push_back(e.first);
  EXPECT_EQ(walked, ascending);
  Reopen();
  std::vector<std::string> back;
  for (const KeyEntry& e : WalkKeysBackward(h_, 1)) back.push_back(e.first);
  EXPECT_EQ(back, ascending);
}

TEST_P(IndexTest, UniqueIndexRefusesAKeyTwiceDuplicatesOrderByRef) {
  Add(1, 9, "SAME");
  AddKey(h_, 1, 4, "SAME");
  EXPECT_EQ(EngineStatus, status::kDuplicateKey);
  EXPECT_EQ(EngineErrorClass(), 1);
  EXPECT_EQ(UsedKeys(h_, 1), 1);

  Add(2, 9, "SAME");
  Add(2, 4, "SAME");
  Add(2, -3, "SAME");
  Add(2, 5, "SAMF");
  AddKey(h_, 2, 4, "SAME");
  EXPECT_EQ(EngineStatus, status::kDuplicateKey) << "the same key and ref twice";
  EXPECT_EQ(UsedKeys(h_, 2), 4);
  const std::vector<KeyEntry> want = {{"SAME", -3}, {"SAME", 4}, {"SAME", 9}, {"SAMF", 5}};
  EXPECT_EQ(WalkKeys(h_, 2), want);
  EXPECT_EQ(WalkKeys(h_, 1), (std::vector<KeyEntry>{{"SAME", 9}}));
  Reopen();
  EXPECT_EQ(WalkKeys(h_, 2), want);
}

TEST_P(IndexTest, SearchKeyFindsTheFirstEntryAtOrAfterTheKey) {
  Add(1, 11, "K");
  Add(1, 14, "N");
  Add(2, 7, "N");
  Add(2, 3, "N");

  key_ = "M";
  SearchKey(h_, 1, ref_, key_);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(key_, "N") << "the key argument is replaced by the entry's key";
  EXPECT_EQ(ref_, 14);

  key_ = "K";
  SearchKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry("K", 11));

  key_ = "N";
  SearchKey(h_, 2, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry("N", 3)) << "with duplicates, the smallest ref";

  key_ = "NA";
  ref_ = 99;
  SearchKey(h_, 1, ref_, key_);
  EXPECT_EQ(EngineStatus, status::kSearchNotFound);
  EXPECT_EQ(EngineErrorClass(), 1);

  // After a miss there is no position: NextKey starts from the first entry.
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry("K", 11));

  // After a hit, NextKey continues from it.
  key_ = "A";
  SearchKey(h_, 1, ref_, key_);
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry("N", 14));

  // An empty index finds nothing.
  FileBlock* empty = Make("EMPTY", 32, {{4, 0}});
  key_ = "";
  SearchKey(empty, 1, ref_, key_);
  EXPECT_EQ(EngineStatus, status::kSearchNotFound);
  CloseFileBlock(empty);
}

TEST_P(IndexTest, SteppingPastEitherEndFailsThenStartsOver) {
  for (int i = 0; i < 150; ++i) Add(1, i + 1, NumberedKey(i));  // several pages
  key_ = NumberedKey(149);
  SearchKey(h_, 1, ref_, key_);
  ASSERT_TRUE(EngineOK);
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(EngineStatus, status::kNextPastEnd);
  EXPECT_EQ(EngineErrorClass(), 1);
  NextKey(h_, 1, ref_, key_);
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(0), 1)) << "past the end, NextKey starts again";

  PrevKey(h_, 1, ref_, key_);
  EXPECT_EQ(EngineStatus, status::kPrevPastStart);
  PrevKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(149), 150)) << "past the start, PrevKey starts at the end";

  // ClearKey forgets the position.
  PrevKey(h_, 1, ref_, key_);
  ClearKey(h_, 1);
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(0), 1));
  ClearKey(h_, 1);
  PrevKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(149), 150));
}

TEST_P(IndexTest, DeletingEachEntryWhileIteratingVisitsEveryEntryOnce) {
  std::vector<KeyEntry> all;
  std::mt19937 rng(5);
  for (int i = 0; i < 700; ++i) all.push_back({NumberedKey(int(rng() % 400)), i + 1});
  for (const KeyEntry& e : all) Add(2, e.second, e.first);
  std::sort(all.begin(), all.end());

  std::vector<KeyEntry> visited;
  ClearKey(h_, 2);
  for (NextKey(h_, 2, ref_, key_); EngineOK; NextKey(h_, 2, ref_, key_)) {
    visited.push_back({key_, ref_});
    DeleteKey(h_, 2, ref_, key_);
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  EXPECT_EQ(EngineStatus, status::kNextPastEnd);
  EXPECT_EQ(visited, all);
  EXPECT_EQ(UsedKeys(h_, 2), 0);

  // The same backwards, deleting every other entry.
  for (const KeyEntry& e : all) Add(2, e.second, e.first);
  std::vector<KeyEntry> kept, back;
  bool drop = true;
  ClearKey(h_, 2);
  for (PrevKey(h_, 2, ref_, key_); EngineOK; PrevKey(h_, 2, ref_, key_)) {
    back.insert(back.begin(), {key_, ref_});
    if (drop) DeleteKey(h_, 2, ref_, key_);
    else kept.insert(kept.begin(), {key_, ref_});
    drop = !drop;
  }
  EXPECT_EQ(back, all);
  EXPECT_EQ(WalkKeys(h_, 2), kept);
}

TEST_P(IndexTest, ChangingOneIndexLeavesTheOthersPositionAlone) {
  for (int i = 0; i < 100; ++i) Add(1, i + 1, NumberedKey(i));
  std::vector<KeyEntry> walked;
  ClearKey(h_, 1);
  for (NextKey(h_, 1, ref_, key_); EngineOK; NextKey(h_, 1, ref_, key_)) {
    walked.push_back({key_, ref_});
    std::string other = NumberedKey(int(walked.size()), "D");
    AddKey(h_, 2, ref_, other);  // splits and redistributes key 2's pages meanwhile
    ASSERT_TRUE(EngineOK);
  }
  EXPECT_EQ(walked.size(), 100u);
  EXPECT_EQ(UsedKeys(h_, 2), 100);

  // A new entry ahead of the position is met; one behind it is not.
  key_ = NumberedKey(50);
  SearchKey(h_, 1, ref_, key_);
  Add(1, 1000, NumberedKey(50) + "A");
  Add(1, 1001, NumberedKey(49) + "A");
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(50) + "A", 1000));
  // The current entry deleted under the position: both directions go on from where it was.
  DeleteKey(h_, 1, ref_, key_);
  PrevKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(50), 51));
  DeleteKey(h_, 1, ref_, key_);
  NextKey(h_, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(NumberedKey(51), 52));
}

TEST_P(IndexTest, DeleteKeyOfAnAbsentEntryChangesNothing) {
  Add(1, 1, "ALPHA");
  Add(1, 2, "BETA");
  Add(2, 1, "ALPHA");
  struct Case {
    int keyNr;
    int32_t ref;
    const char* key;
  } absent[] = {{1, 1, "ALPH"}, {1, 1, "GAMMA"}, {1, 1, ""}, {2, 2, "ALPHA"}, {2, 1, "BETA"}};
  for (const Case& c : absent) {
    DeleteKey(h_, c.keyNr, c.ref, c.key);
    EXPECT_EQ(EngineStatus, status::kDeleteKeyNotFound) << c.key;
    EXPECT_EQ(EngineErrorClass(), 1);
  }
  EXPECT_EQ(UsedKeys(h_, 1), 2);
  EXPECT_EQ(UsedKeys(h_, 2), 1);
  // In a unique index the key alone names the entry.
  DeleteKey(h_, 1, 777, "BETA");
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(WalkKeys(h_, 1), (std::vector<KeyEntry>{{"ALPHA", 1}}));
  FileBlock* empty = Make("EMPTY", 32, {{4, 0}});
  DeleteKey(empty, 1, 1, "X");
  EXPECT_EQ(EngineStatus, status::kDeleteKeyNotFound);
  CloseFileBlock(empty);
}

TEST_P(IndexTest, KeyLengthsAreCheckedAfterCuttingTo30) {
  FileBlock* wide = Make("WIDE", 32, {{30, 0}, {4, 0}});
  const std::string k31 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
  ASSERT_EQ(k31.size(), 31u);
  AddKey(wide, 1, 1, k31);
  EXPECT_TRUE(EngineOK) << EngineStatus;
  key_ = k31;
  SearchKey(wide, 1, ref_, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry(k31.substr(0, 30), 1));
  AddKey(wide, 1, 2, k31.substr(0, 30) + "#");
  EXPECT_EQ(EngineStatus, status::kDuplicateKey) << "cut to the same 30 characters";
  DeleteKey(wide, 1, 1, k31 + "more");
  EXPECT_TRUE(EngineOK) << "DeleteKey cuts its key too";

  AddKey(wide, 2, 1, "ABCDE");
  EXPECT_EQ(EngineStatus, status::kKeyTooLong);
  EXPECT_EQ(EngineErrorClass(), 4);
  EXPECT_EQ(UsedKeys(wide, 2), 0);
  AddKey(wide, 2, 1, "ABCD");
  EXPECT_TRUE(EngineOK);
  CloseFileBlock(wide);
}

TEST_P(IndexTest, FindKeyAndRefInEveryDirection) {
  Add(2, 5, "B");
  Add(2, 8, "B");
  Add(2, 2, "D");
  struct Case {
    const char* key;
    int32_t ref;
    int direction;
    int32_t status;
    KeyEntry found;
  } cases[] = {
      {"B", 8, 0, 0, {"B", 8}},
      {"B", 8, 1, 0, {"B", 8}},
      {"B", 8, -1, 0, {"B", 8}},
      {"B", 6, 0, status::kFindNotFound, {}},
      {"B", 6, 1, 0, {"B", 8}},
      {"B", 6, -1, 0, {"B", 5}},
      {"C", 0, 1, 0, {"D", 2}},
      {"C", 0, -1, 0, {"B", 8}},
      {"A", 0, -1, status::kPrevPastStart, {}},
      {"A", 0, 1, 0, {"B", 5}},
      {"E", 0, 1, status::kNextPastEnd, {}},
      {"E", 0, -1, 0, {"D", 2}},
  };
  for (const Case& c : cases) {
    key_ = c.key;
    ref_ = c.ref;
    FindKeyAndRef(h_, 2, ref_, c.direction, key_);
    const std::string what = std::string(c.key) + "/" + std::to_string(c.ref) + " dir " + std::to_string(c.direction);
    EXPECT_EQ(EngineStatus, c.status) << what;
    if (c.status == 0) {
      EXPECT_EQ(KeyEntry(key_, ref_), c.found) << what;
      // The entry found is the position NextKey goes on from.
      NextKey(h_, 2, ref_, key_);
      auto all = std::vector<KeyEntry>{{"B", 5}, {"B", 8}, {"D", 2}};
      auto at = std::find(all.begin(), all.end(), c.found);
      if (at + 1 == all.end()) {
        EXPECT_EQ(EngineStatus, status::kNextPastEnd) << what;
      } else {
        EXPECT_EQ(KeyEntry(key_, ref_), *(at + 1)) << what;
      }
    }
  }
  // In a unique index the ref does not take part.
  Add(1, 3, "U");
  key_ = "U";
  ref_ = 999;
  FindKeyAndRef(h_, 1, ref_, 0, key_);
  EXPECT_EQ(KeyEntry(key_, ref_), KeyEntry("U", 3));
}

TF_POOL_SIZES(IndexTest);

}  // namespace
}  // namespace tf::engine::testing
