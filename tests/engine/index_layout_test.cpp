// The index file on disk: headers and pages at their offsets, the exact shape after a root
// split, redistribution to a sibling before splitting, borrowing and merging on delete, the
// free page chain, and page fill under long random change.

#include <algorithm>
#include <random>
#include <set>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

// Key 1 is 10 characters wide and key 2 six, so key 2's pages sit 1184 bytes into each index
// record of 1184 + 936 bytes.
constexpr int kSlot1 = 62 * 10 + 564;
constexpr int kSlot2 = 62 * 6 + 564;
constexpr int kRecordSize = kSlot1 + kSlot2;

class IndexLayoutTest : public EngineTest {
 protected:
  FileBlock* MakeTwoKeys(const std::string& name, uint8_t duplicates2 = 0) {
    return Make(name, 40, {{10, 0}, {6, duplicates2}});
  }
  void Add(FileBlock* h, int keyNr, int32_t ref, const std::string& key) {
    AddKey(h, keyNr, ref, key);
    ASSERT_TRUE(EngineOK) << key << ": " << EngineStatus;
  }
  void Delete(FileBlock* h, int keyNr, int32_t ref, const std::string& key) {
    DeleteKey(h, keyNr, ref, key);
    ASSERT_TRUE(EngineOK) << key << ": " << EngineStatus;
  }
  IndexImage Image(const std::string& name) { return IndexImage(IndexPath(name), 2); }
  static std::vector<std::string> Keys(const PageImage& p) {
    std::vector<std::string> out;
    for (const PageEntryImage& e : p.entries) out.push_back(e.key);
    return out;
  }
  static std::vector<std::string> Numbered(const std::vector<int>& numbers) {
    std::vector<std::string> out;
    for (int n : numbers) out.push_back(NumberedKey(n));
    return out;
  }
  static std::vector<std::string> Slice(const std::vector<std::string>& v, size_t from, size_t n) {
    return {v.begin() + long(from), v.begin() + long(from + n)};
  }
};

TEST_P(IndexLayoutTest, ANewIndexAndItsFirstPage) {
  FileBlock* h = MakeTwoKeys("FIRST", 1);
  CloseFileBlock(h);
  Bytes fresh = ReadFileBytes(IndexPath("FIRST"));
  ASSERT_EQ(fresh.size(), size_t(kRecordSize)) << "index record 0 only";
  Bytes want(kRecordSize, 0);
  for (auto [offset, slot, dup] : {std::tuple{0, kSlot1, 0}, std::tuple{kSlot1, kSlot2, 1}}) {
    PutI32(want, size_t(offset), -1);  // FirstFreePage; FreePageCount, PageCount 0
    PutI32(want, size_t(offset) + 12, slot);
    want[size_t(offset) + 20] = uint8_t(dup);
    PutI16(want, size_t(offset) + 26, 62);
  }
  EXPECT_EQ(fresh, want);

  h = Open("FIRST");
  Add(h, 2, 7, "AB");
  CloseFileBlock(h);
  Bytes one = ReadFileBytes(IndexPath("FIRST"));
  ASSERT_EQ(one.size(), size_t(2 * kRecordSize)) << "the first page appends index record 1";
  PutI32(want, kSlot1 + 8, 1);   // PageCount
  PutI32(want, kSlot1 + 16, 1);  // RootPage
  PutI32(want, kSlot1 + 22, 1);  // EntryCount
  want.resize(2 * kRecordSize, 0);
  const size_t page = kRecordSize + kSlot1;
  PutI16(want, page, 1);      // one entry, LeftChild 0
  PutI32(want, page + 6, 7);  // Ref, then Child 0
  want[page + 14] = 2;
  want[page + 15] = 'A';
  want[page + 16] = 'B';
  EXPECT_EQ(one, want) << "key 1's section of record 1 stays zero";
}

TEST_P(IndexLayoutTest, The63rdAscendingKeySplitsTheRoot) {
  FileBlock* h = MakeTwoKeys("SPLIT");
  for (int i = 0; i < 62; ++i) Add(h, 2, i + 1, NumberedKey(i));
  CloseFileBlock(h);
  IndexImage full = Image("SPLIT");
  EXPECT_EQ(full.Header(2).pageCount, 1);
  EXPECT_EQ(full.Page(2, 1).count, 62);
  const size_t slot1 = size_t(full.PageOffset(2, 1));
  const Bytes fullSlot(full.Raw().begin() + long(slot1), full.Raw().begin() + long(slot1) + kSlot2);

  h = Open("SPLIT");
  Add(h, 2, 63, NumberedKey(62));
  CloseFileBlock(h);
  IndexImage image = Image("SPLIT");
  const IndexHeaderImage& hd = image.Header(2);
  EXPECT_EQ(hd.pageCount, 3);
  EXPECT_EQ(hd.rootPage, 3) << "the new right page is allocated before the new root";
  EXPECT_EQ(hd.entryCount, 63);
  EXPECT_EQ(hd.firstFreePage, -1);
  EXPECT_EQ(image.Header(1).pageCount, 0);

  std::vector<int> low(31), high(31);
  for (int i = 0; i < 31; ++i) low[size_t(i)] = i, high[size_t(i)] = 32 + i;
  PageImage root = image.Page(2, 3), left = image.Page(2, 1), right = image.Page(2, 2);
  EXPECT_EQ(root.count, 1);
  EXPECT_EQ(root.leftChild, 1);
  EXPECT_EQ(root.entries[0], (PageEntryImage{32, 2, NumberedKey(31)}));
  EXPECT_EQ(left.leftChild, 0);
  EXPECT_EQ(Keys(left), Numbered(low));
  EXPECT_EQ(right.leftChild, 0);
  EXPECT_EQ(Keys(right), Numbered(high));
  EXPECT_EQ(right.entries[0].ref, 33);

  // The root page byte for byte: count, LeftChild, then Ref, Child, length byte, characters.
  const Bytes& raw = image.Raw();
  const size_t r = size_t(3 * kRecordSize + kSlot1);
  const Bytes rootBytes(raw.begin() + long(r), raw.begin() + long(r) + 21);
  const Bytes wantRoot = {1, 0, 1, 0, 0, 0, 32, 0, 0, 0, 2, 0, 0, 0, 6, 'K', '0', '0', '0', '3', '1'};
  EXPECT_EQ(rootBytes, wantRoot);
  // Only the used part of a page is written: page 1's slot still holds its old second half.
  const size_t used = 6 + 31 * 15;
  EXPECT_TRUE(std::equal(raw.begin() + long(slot1 + used), raw.begin() + long(slot1) + kSlot2,
                         fullSlot.begin() + long(used)));
  EXPECT_EQ(I32At(raw, slot1 + used), 32) << "the former 32nd entry's ref";
  EXPECT_EQ(ReadFileBytes(IndexPath("SPLIT")).size(), size_t(4 * kRecordSize));
}

// Keys 0, 3, 6, ... 186 ascending: the root split leaves [0..90] | 93 | [96..186], 31 each.
class SiblingTest : public IndexLayoutTest {
 protected:
  void Build(FileBlock* h) {
    for (int i = 0; i < 63; ++i) Add(h, 2, i + 1, NumberedKey(3 * i));
  }
  void AddNumbers(FileBlock* h, int from, int count) {  // from, from + 3, ...
    for (int i = 0; i < count; ++i) Add(h, 2, 1000 + from + 3 * i, NumberedKey(from + 3 * i));
  }
  void DeleteNumber(FileBlock* h, int n) {
    // Refs follow the numbers: built keys have ref i + 1, added ones 1000 + n.
    Delete(h, 2, n % 3 == 0 ? n / 3 + 1 : 1000 + n, NumberedKey(n));
  }
  // Every key of the tree, in order, from the model of what was added and deleted.
  std::vector<std::string> Expect(const std::set<int>& numbers) {
    std::vector<std::string> out;
    for (int n : numbers) out.push_back(NumberedKey(n));
    return out;
  }
};

TEST_P(SiblingTest, AFullPageOverflowsIntoItsRightSiblingBeforeSplitting) {
  FileBlock* h = MakeTwoKeys("REDIST");
  Build(h);
  AddNumbers(h, 1, 31);    // left page: 31 + 31 = 62
  AddNumbers(h, 97, 9);    // right page: 31 + 9 = 40
  AddNumbers(h, 2, 1);     // the left page overflows
  CloseFileBlock(h);
  IndexImage image = Image("REDIST");
  EXPECT_TRUE(image.Check(2).problems.empty()) << image.Check(2).Describe();
  EXPECT_EQ(image.Header(2).pageCount, 3) << "no page was allocated";
  std::set<int> all;
  for (int i = 0; i < 63; ++i) all.insert(3 * i);
  for (int i = 0; i < 31; ++i) all.insert(1 + 3 * i);
  for (int i = 0; i < 9; ++i) all.insert(97 + 3 * i);
  all.insert(2);
  std::vector<std::string> keys = Expect(all);
  ASSERT_EQ(keys.size(), 104u);
  // The overflowing page keeps (40 + 64) / 2 = 52, one goes up, the sibling ends with 51.
  PageImage root = image.Page(2, 3);
  ASSERT_EQ(root.count, 1);
  EXPECT_EQ(Keys(image.Page(2, root.leftChild)), Slice(keys, 0, 52));
  EXPECT_EQ(root.entries[0].key, keys[52]);
  EXPECT_EQ(Keys(image.Page(2, root.entries[0].child)), Slice(keys, 53, 51));
  EXPECT_EQ(root.leftChild, 1);
  EXPECT_EQ(root.entries[0].child, 2);
}

TEST_P(SiblingTest, TheLastChildOverflowsIntoItsLeftSibling) {
  FileBlock* h = MakeTwoKeys("REDISTL");
  Build(h);
  AddNumbers(h, 1, 9);     // left page: 40
  AddNumbers(h, 94, 31);   // right page: 62
  AddNumbers(h, 95, 1);    // the right page, the root's last child, overflows
  CloseFileBlock(h);
  IndexImage image = Image("REDISTL");
  EXPECT_TRUE(image.Check(2).problems.empty()) << image.Check(2).Describe();
  EXPECT_EQ(image.Header(2).pageCount, 3);
  std::set<int> all;
  for (int i = 0; i < 63; ++i) all.insert(3 * i);
  for (int i = 0; i < 9; ++i) all.insert(1 + 3 * i);
  for (int i = 0; i < 31; ++i) all.insert(94 + 3 * i);
  all.insert(95);
  std::vector<std::string> keys = Expect(all);
  PageImage root = image.Page(2, 3);
  ASSERT_EQ(root.count, 1);
  EXPECT_EQ(Keys(image.Page(2, 1)), Slice(keys, 0, 51)) << "the left sibling ends with 40 + 63 - 52";
  EXPECT_EQ(root.entries[0].key, keys[51]);
  EXPECT_EQ(Keys(image.Page(2, 2)), Slice(keys, 52, 52));
}

TEST_P(SiblingTest, APageSplitsWhenItsSiblingIsFullToo) {
  FileBlock* h = MakeTwoKeys("BOTHFULL");
  Build(h);
  AddNumbers(h, 1, 31);
  AddNumbers(h, 94, 31);
  AddNumbers(h, 2, 1);
  CloseFileBlock(h);
  IndexImage image = Image("BOTHFULL");
  EXPECT_TRUE(image.Check(2).problems.empty()) << image.Check(2).Describe();
  EXPECT_EQ(image.Header(2).pageCount, 4);
  PageImage root = image.Page(2, 3);
  ASSERT_EQ(root.count, 2);
  EXPECT_EQ(image.Page(2, 1).count, 31);
  EXPECT_EQ(image.Page(2, root.entries[0].child).count, 31);
  EXPECT_EQ(root.entries[0].child, 4) << "the new page is the right half";
  EXPECT_EQ(image.Page(2, root.entries[1].child).count, 62);
}

TEST_P(SiblingTest, AnUnderfullPageBorrowsFromItsSibling) {
  struct Case {
    const char* name;
    int addFrom;     // nine keys make one side 40
    int deleteNumber;
    int leftAfter, rightAfter;
  } cases[] = {
      {"BORROWR", 97, 6, 35, 35},   // the left page borrows from the right
      {"BORROWL", 1, 99, 35, 35},   // the last child borrows from the left
  };
  for (const Case& c : cases) {
    FileBlock* h = MakeTwoKeys(c.name);
    Build(h);
    AddNumbers(h, c.addFrom, 9);
    DeleteNumber(h, c.deleteNumber);
    CloseFileBlock(h);
    IndexImage image = Image(c.name);
    TreeReport report = image.Check(2);
    EXPECT_TRUE(report.problems.empty()) << c.name << "\n" << report.Describe();
    EXPECT_EQ(report.leafCounts, (std::vector<int>{c.leftAfter, c.rightAfter})) << c.name;
    EXPECT_EQ(image.Header(2).pageCount, 3) << c.name;
    EXPECT_EQ(image.Header(2).freePageCount, 0) << c.name;
  }
}

TEST_P(SiblingTest, TwoHalfPagesMergeAndTheRootShrinks) {
  FileBlock* h = MakeTwoKeys("MERGE");
  Build(h);
  DeleteNumber(h, 30);
  CloseFileBlock(h);
  IndexImage image = Image("MERGE");
  TreeReport report = image.Check(2);
  EXPECT_TRUE(report.problems.empty()) << report.Describe();
  const IndexHeaderImage& hd = image.Header(2);
  EXPECT_EQ(hd.rootPage, 1) << "the merged page becomes the root";
  EXPECT_EQ(hd.entryCount, 62);
  EXPECT_EQ(hd.pageCount, 3);
  EXPECT_EQ(report.freeChain, (std::vector<int32_t>{3, 2})) << "the sibling is freed first, then the old root";
  EXPECT_EQ(image.FreeLink(2, 2), -1);
  EXPECT_EQ(image.Page(2, 1).count, 62);

  // The next split takes its two pages from the free chain.
  h = Open("MERGE");
  Add(h, 2, 500, NumberedKey(500));
  CloseFileBlock(h);
  IndexImage after = Image("MERGE");
  EXPECT_TRUE(after.Check(2).problems.empty()) << after.Check(2).Describe();
  EXPECT_EQ(after.Header(2).pageCount, 3);
  EXPECT_EQ(after.Header(2).freePageCount, 0);
  EXPECT_EQ(after.Header(2).firstFreePage, -1);
  EXPECT_EQ(after.Header(2).rootPage, 2);
}

TEST_P(IndexLayoutTest, DeletingEveryEntryFreesEveryPage) {
  FileBlock* h = MakeTwoKeys("ALLGONE", 1);
  std::vector<KeyEntry> entries;
  std::mt19937 rng(11);
  for (int i = 0; i < 2500; ++i) entries.push_back({NumberedKey(int(rng() % 900)), i + 1});
  for (const KeyEntry& e : entries) Add(h, 2, e.second, e.first);
  std::shuffle(entries.begin(), entries.end(), rng);
  for (const KeyEntry& e : entries) Delete(h, 2, e.second, e.first);
  EXPECT_EQ(UsedKeys(h, 2), 0);
  CloseFileBlock(h);
  IndexImage image = Image("ALLGONE");
  TreeReport report = image.Check(2);
  EXPECT_TRUE(report.problems.empty()) << report.Describe();
  const IndexHeaderImage& hd = image.Header(2);
  EXPECT_EQ(hd.rootPage, 0);
  EXPECT_EQ(hd.entryCount, 0);
  EXPECT_GT(hd.pageCount, 50);
  EXPECT_EQ(hd.freePageCount, hd.pageCount);
  EXPECT_EQ(int(report.freeChain.size()), hd.pageCount);

  h = Open("ALLGONE");
  for (int i = 0; i < 200; ++i) Add(h, 2, i + 1, NumberedKey(i));
  CloseFileBlock(h);
  IndexImage reused = Image("ALLGONE");
  EXPECT_TRUE(reused.Check(2).problems.empty()) << reused.Check(2).Describe();
  EXPECT_EQ(reused.Header(2).pageCount, hd.pageCount) << "new pages come from the free chain";
  EXPECT_LT(reused.Header(2).freePageCount, hd.freePageCount);
}

// Random adds and deletes in phases, the tree checked from disk after each: every page 31..62
// entries (the root 1..62), leaves at one depth, order, counts, pages and free chain.
TEST_P(IndexLayoutTest, EveryPageStaysAtLeastHalfFullUnderRandomChange) {
  FileBlock* h = MakeTwoKeys("CHURN", 1);
  std::set<KeyEntry> model;
  std::mt19937 rng(21);
  int32_t nextRef = 1;
  int tallest = 0;
  auto phase = [&](int adds, int deletes) {
    for (int i = 0; i < adds; ++i) {
      KeyEntry e{NumberedKey(int(rng() % 5000)), nextRef++};
      Add(h, 2, e.second, e.first);
      model.insert(e);
    }
    for (int i = 0; i < deletes && !model.empty(); ++i) {
      auto it = model.begin();
      std::advance(it, long(rng() % model.size()));
      Delete(h, 2, it->second, it->first);
      model.erase(it);
    }
    CloseFileBlock(h);
    IndexImage image = Image("CHURN");
    TreeReport report = image.Check(2);
    EXPECT_TRUE(report.problems.empty()) << report.Describe();
    EXPECT_EQ(report.entries, std::vector<KeyEntry>(model.begin(), model.end()));
    tallest = std::max(tallest, report.height);
    h = Open("CHURN");
  };
  phase(4500, 0);
  phase(500, 2500);
  phase(0, 1900);
  phase(300, 0);
  phase(0, 400);
  EXPECT_EQ(tallest, 3) << "the tree grew to three levels and shrank again";
  EXPECT_EQ(WalkKeys(h, 2), std::vector<KeyEntry>(model.begin(), model.end()));
  CloseFileBlock(h);
}

TF_POOL_SIZES(IndexLayoutTest);
TF_POOL_SIZES(SiblingTest);

}  // namespace
}  // namespace tf::engine::testing
