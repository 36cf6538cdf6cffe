// Each case damages one field or a few bytes of the hand-built sample and expects the checker
// to name exactly that damage.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "engine/checking/checker.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using engine::Problem;

struct Files {
  const HandBuiltBlock& block;
  Bytes data;
  Bytes index;

  int64_t IndexHeader(int keyNr) const { return block.SectionOffset(keyNr); }
  int64_t Entry(int keyNr, int32_t page, int entry) const { return block.EntryOffset(keyNr, page, entry); }
  void SetEntryKey(int keyNr, int32_t page, int entry, const std::string& key) {
    int64_t at = Entry(keyNr, page, entry) + 8;
    index[size_t(at)] = static_cast<unsigned char>(key.size());
    std::copy(key.begin(), key.end(), index.begin() + at + 1);
  }
};

struct Damage {
  const char* name;
  std::function<void(Files&)> apply;
  Problem expected;
  int keyNr;
  const char* text;
};

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

std::string Describe(const engine::CheckResult& r) {
  std::string s;
  for (const auto& f : r.findings) s += "  " + std::string(engine::ProblemName(f.problem)) + ": " + f.text + "\n";
  return s;
}

// Sample facts the cases rely on: 70 records of 32 bytes, free chain 5 -> 40 -> 3; key 1 (length
// 8) root page 4 over leaves 1 (31 entries) and 3 (35), page 2 free; key 2 (length 4,
// duplicates) root page 1 over leaves 2 and 3 (33 each); five index records.
const Damage kDamages[] = {
    // data header and file
    {"DeletedCount lies", [](Files& f) { PutInt32(f.data, data_field::kDeletedCount, 4); },
     Problem::FreeChainLength, 0, "free chain holds 3 records but DeletedCount is 4"},
    {"UpdateFlag set", [](Files& f) { f.data[data_field::kUpdateFlag] = 1; },
     Problem::UpdateFlagSet, 0, "not closed"},
    {"truncated data file", [](Files& f) { f.data.resize(f.data.size() - 10); },
     Problem::DataFileLength, 0, "not a whole number of records"},
    {"RecordCount beyond the file", [](Files& f) { PutInt32(f.data, data_field::kRecordCount, 80); },
     Problem::DataFileLength, 0, "RecordCount 80 and RecordLength 32 make 2592"},
    {"huge RecordLength", [](Files& f) { PutInt32(f.data, data_field::kRecordLength, 0x7fffffff); },
     Problem::DataFileLength, 0, "RecordLength 2147483647"},
    {"RecordLength 0", [](Files& f) { PutInt32(f.data, data_field::kRecordLength, 0); },
     Problem::RecordLengthInvalid, 0, "RecordLength 0 is below 21"},
    {"RecordLength 20", [](Files& f) { PutInt32(f.data, data_field::kRecordLength, 20); },
     Problem::RecordLengthInvalid, 0, "RecordLength 20 is below 21"},
    {"negative RecordCount", [](Files& f) { PutInt32(f.data, data_field::kRecordCount, -1); },
     Problem::RecordCountInvalid, 0, "RecordCount -1"},
    {"KeyCount 101", [](Files& f) { PutInt32(f.data, data_field::kKeyCount, 101); },
     Problem::KeyCountInvalid, 0, "KeyCount 101 is not 0..100"},
    {"non-zero header padding", [](Files& f) { f.data[25] = 7; },
     Problem::HeaderPadding, 0, "offset 25"},
    {"data file shorter than its header", [](Files& f) { f.data.resize(10); },
     Problem::DataHeaderShort, 0, "10 bytes"},
    // free chain of records
    {"free chain cycle", [](Files& f) { PutInt32(f.data, 3 * 32, 5); },
     Problem::FreeChainCycle, 0, "record 5 is reached twice"},
    {"free chain link out of range", [](Files& f) { PutInt32(f.data, 40 * 32, 71); },
     Problem::FreeChainLink, 0, "record 40 links to 71, outside 1..70"},
    {"FirstFree 0", [](Files& f) { PutInt32(f.data, data_field::kFirstFree, 0); },
     Problem::FreeChainLink, 0, "FirstFree links to 0"},
    {"FirstFree beyond a short file",
     [](Files& f) { PutInt32(f.data, data_field::kFirstFree, 70); f.data.resize(60 * 32); },
     Problem::FreeChainLink, 0, "beyond the end of the data file"},
    {"chained slot looks live", [](Files& f) { PutInt32(f.data, 40 * 32, 0); },
     Problem::FreeChainLiveSlot, 0, "record 40"},
    {"deleted slot outside the chain", [](Files& f) { PutInt32(f.data, 10 * 32, -1); },
     Problem::DeletedSlotNotChained, 0, "record 10 is marked deleted"},
    // index headers and file
    {"PageCount beyond the index file",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(1) + index_field::kPageCount, 9); },
     Problem::IndexFileLength, 1, "PageCount 9 needs 10 index records; the file holds 5"},
    {"index file not whole records", [](Files& f) { f.index.resize(f.index.size() + 3); },
     Problem::IndexFileLength, 0, "not a whole number of 1872-byte index records"},
    {"index file cut short", [](Files& f) { f.index.resize(4 * 1872); },
     Problem::PageOutOfRange, 1, "RootPage is page 4, beyond the end of the index file"},
    {"PageSlotSize not whole entries",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(1) + index_field::kPageSlotSize, 1061); },
     Problem::PageGeometry, 1, "PageSlotSize 1061 is not a whole number of 62 entries"},
    {"PageSlotSize gives key length 31",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(2) + index_field::kPageSlotSize, 62 * 31 + 564); },
     Problem::PageGeometry, 2, "key length 31, outside 1..30"},
    {"PageCapacity 63",
     [](Files& f) { PutInt16(f.index, f.IndexHeader(1) + index_field::kPageCapacity, 63); },
     Problem::PageGeometry, 1, "PageCapacity 63 is not 0..62"},
    {"PageCapacity 31 fits the slot of another key length",
     [](Files& f) { PutInt16(f.index, f.IndexHeader(1) + index_field::kPageCapacity, 31); },
     Problem::PageGeometry, 1, "PageCapacity 31 with PageSlotSize 1060 differs from 62-entry pages"},
    {"AllowDuplicates 2",
     [](Files& f) { f.index[size_t(f.IndexHeader(1) + index_field::kAllowDuplicates)] = 2; },
     Problem::IndexHeaderField, 1, "AllowDuplicates is 2"},
    {"index record 0 padding", [](Files& f) { f.index[size_t(f.IndexHeader(2) + 100)] = 1; },
     Problem::IndexHeaderField, 0, "offset 1160 outside the key headers"},
    {"EntryCount wrong",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(2) + index_field::kEntryCount, 66); },
     Problem::EntryCount, 2, "EntryCount is 66 but the tree holds 67 entries"},
    {"RootPage 0 with entries",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(2) + index_field::kRootPage, 0); },
     Problem::EntryCount, 2, "EntryCount is 67 but the tree holds 0 entries"},
    {"RootPage beyond PageCount",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(2) + index_field::kRootPage, 4); },
     Problem::PageOutOfRange, 2, "RootPage is page 4, outside 1..3"},
    // tree shape
    {"child page out of range", [](Files& f) { PutInt32(f.index, f.Entry(1, 4, 1) + 4, 77); },
     Problem::PageOutOfRange, 1, "child of entry 1 in page 4 is page 77, outside 1..4"},
    {"page reached twice", [](Files& f) { PutInt32(f.index, f.Entry(1, 4, 1) + 4, 1); },
     Problem::PageReachedTwice, 1, "child of entry 1 in page 4 is page 1"},
    {"leaf entry with a child", [](Files& f) { PutInt32(f.index, f.Entry(1, 1, 3) + 4, 2); },
     Problem::PageShape, 1, "page 1 mixes leaf entries"},
    {"non-root page under 31 entries", [](Files& f) { PutInt16(f.index, f.block.PageOffset(1, 1), 30); },
     Problem::PageUnderfilled, 1, "page 1 holds 30 entries; a non-root page needs at least 31"},
    {"page count above 62", [](Files& f) { PutInt16(f.index, f.block.PageOffset(1, 3), 63); },
     Problem::PageEntryCount, 1, "page 3 holds 63 entries, not 1..62"},
    {"root page with no entries", [](Files& f) { PutInt16(f.index, f.block.PageOffset(2, 1), 0); },
     Problem::PageEntryCount, 2, "page 1 holds 0 entries"},
    {"negative page count", [](Files& f) { PutInt16(f.index, f.block.PageOffset(2, 3), -5); },
     Problem::PageEntryCount, 2, "page 3 holds -5 entries"},
    // keys and refs
    {"keys out of order in a leaf",
     [](Files& f) {
       Bytes a(f.index.begin() + f.Entry(1, 1, 5) + 8, f.index.begin() + f.Entry(1, 1, 5) + 17);
       std::copy(f.index.begin() + f.Entry(1, 1, 6) + 8, f.index.begin() + f.Entry(1, 1, 6) + 17,
                 f.index.begin() + f.Entry(1, 1, 5) + 8);
       std::copy(a.begin(), a.end(), f.index.begin() + f.Entry(1, 1, 6) + 8);
     },
     Problem::KeyOrder, 1, "page 1 entry 6"},
    {"separator below its left subtree", [](Files& f) { f.SetEntryKey(1, 4, 1, "A"); },
     Problem::KeyOrder, 1, "page 4 entry 1 \"A\""},
    {"shorter key sorts first", [](Files& f) { f.SetEntryKey(1, 3, 2, "CODE"); },
     Problem::KeyOrder, 1, "page 3 entry 2 \"CODE\""},
    {"repeated key in a unique index",
     [](Files& f) {
       std::copy(f.index.begin() + f.Entry(1, 3, 1) + 8, f.index.begin() + f.Entry(1, 3, 1) + 17,
                 f.index.begin() + f.Entry(1, 3, 2) + 8);
     },
     Problem::KeyOrder, 1, "page 3 entry 2"},
    {"duplicates out of ref order",
     [](Files& f) {
       PutInt32(f.index, f.Entry(2, 2, 1), 8);
       PutInt32(f.index, f.Entry(2, 2, 2), 4);
     },
     Problem::KeyOrder, 2, "page 2 entry 2 \"GRP0\" (ref 4) does not follow \"GRP0\" (ref 8)"},
    {"key longer than the key length", [](Files& f) { f.index[size_t(f.Entry(1, 1, 2) + 8)] = 9; },
     Problem::KeyTooLong, 1, "page 1 entry 2 has a key of 9 characters; the key length is 8"},
    {"entry refers to a deleted record", [](Files& f) { PutInt32(f.index, f.Entry(1, 1, 1), 3); },
     Problem::EntryRef, 1, "page 1 entry 1 refers to deleted record 3"},
    {"entry refers past RecordCount", [](Files& f) { PutInt32(f.index, f.Entry(2, 3, 4), 71); },
     Problem::EntryRef, 2, "page 3 entry 4 refers to record 71, outside 1..70"},
    // free page chain
    {"page in the tree and in the free chain",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(1) + index_field::kFirstFreePage, 3); },
     Problem::PageInTreeAndFree, 1, "page 3 is both in the tree and in the free page chain"},
    {"page neither in the tree nor free",
     [](Files& f) {
       PutInt32(f.index, f.IndexHeader(1) + index_field::kFirstFreePage, -1);
       PutInt32(f.index, f.IndexHeader(1) + index_field::kFreePageCount, 0);
     },
     Problem::PageLost, 1, "page 2 is neither in the tree nor in the free chain"},
    {"free page chain loops", [](Files& f) { PutInt32(f.index, f.block.PageOffset(1, 2), 2); },
     Problem::PageFreeChainCycle, 1, "page 2 is reached twice"},
    {"free page link out of range", [](Files& f) { PutInt32(f.index, f.block.PageOffset(1, 2), 5); },
     Problem::PageFreeChainLink, 1, "page 2 links to 5, outside 1..4"},
    {"FreePageCount lies",
     [](Files& f) { PutInt32(f.index, f.IndexHeader(1) + index_field::kFreePageCount, 2); },
     Problem::PageFreeChainLength, 1, "free page chain holds 1 pages but FreePageCount is 2"},
};

class CheckerDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(CheckerDamageTest, NamesTheDamage) {
  const Damage& damage = GetParam();
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SampleBlock();
  Files files{block, block.DataBytes(), block.IndexBytes()};
  damage.apply(files);
  WriteBlockFiles("SAMPLE", files.data, &files.index);

  engine::KeyBuilder keys = SampleKeys;
  const engine::KeyBuilder* builders[] = {nullptr, &keys};
  for (const engine::KeyBuilder* builder : builders) {
    auto result = engine::CheckFileBlock("SAMPLE", builder);
    bool found = false;
    for (const auto& f : result.findings)
      found |= f.problem == damage.expected && f.keyNr == damage.keyNr &&
               f.text.find(damage.text) != std::string::npos;
    EXPECT_TRUE(found) << "expected " << engine::ProblemName(damage.expected) << " on key "
                       << damage.keyNr << " with \"" << damage.text << "\"; got\n"
                       << Describe(result);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CheckerDamageTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                           std::string name;
                           for (char c : std::string(info.param.name))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// The ones a table cannot express in one field.

TEST(CheckerDamageTest, MissingIndexFile) {
  TempFolder dir{TempFolder::Enter};
  WriteBlockFiles("SAMPLE", SampleBlock().DataBytes(), nullptr);
  auto result = engine::CheckFileBlock("SAMPLE");
  ASSERT_EQ(result.findings.size(), 1u) << Describe(result);
  EXPECT_EQ(result.findings[0].problem, Problem::IndexFileUnreadable);
  EXPECT_NE(result.findings[0].text.find("SAMPLE.IX"), std::string::npos);
}

TEST(CheckerDamageTest, MissingDataFile) {
  TempFolder dir{TempFolder::Enter};
  auto result = engine::CheckFileBlock("NOTHERE");
  ASSERT_EQ(result.findings.size(), 1u);
  EXPECT_EQ(result.findings[0].problem, Problem::DataFileUnreadable);
  EXPECT_NE(result.findings[0].text.find("NOTHERE.DAT"), std::string::npos);
}

// A root over one leaf and over an inner page with two leaves below it.
TEST(CheckerDamageTest, LeavesAtDifferentDepths) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block;
  block.recordLength = 21;
  auto key = [](int i) { return "K" + std::to_string(100 + i); };
  for (int i = 0; i < 96; ++i) block.records.push_back(Bytes(21, 0));
  HandKey& k = block.keys.emplace_back();
  k.keyLength = 4;
  auto leaf = [&](int first, int count) {
    HandPage p;
    for (int i = first; i < first + count; ++i) p.entries.push_back({key(i), i + 1, 0});
    return p;
  };
  k.pages[2] = leaf(0, 31);                                      // depth 2
  k.pages[1] = {2, {{key(31), 32, 3}}};                          // root
  k.pages[3] = {4, {{key(63), 64, 5}}};                          // inner, 1 entry
  k.pages[4] = leaf(32, 31);                                     // depth 3
  k.pages[5] = leaf(64, 31);                                     // depth 3
  k.rootPage = 1;
  k.pageCount = 5;
  k.entryCount = 95;
  WriteBlock("DEPTH", block);
  auto result = engine::CheckFileBlock("DEPTH");
  EXPECT_TRUE(result.Has(Problem::LeafDepth)) << Describe(result);
  EXPECT_TRUE(result.Has(Problem::PageUnderfilled)) << Describe(result);
  EXPECT_FALSE(result.Has(Problem::KeyOrder)) << Describe(result);
}

// A chain of ten one-entry pages: deeper than the engine can follow.
TEST(CheckerDamageTest, TreeDeeperThanEightLevels) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block;
  block.recordLength = 21;
  for (int i = 0; i < 10; ++i) block.records.push_back(Bytes(21, 0));
  HandKey& k = block.keys.emplace_back();
  k.keyLength = 2;
  for (int page = 1; page <= 10; ++page)
    k.pages[page] = {page < 10 ? page + 1 : 0, {{std::to_string(10 + page), page, 0}}};
  k.rootPage = 1;
  k.pageCount = 10;
  k.entryCount = 10;
  WriteBlock("DEEP", block);
  auto result = engine::CheckFileBlock("DEEP");
  EXPECT_TRUE(result.Has(Problem::TreeTooDeep)) << Describe(result);
}

TEST(CheckerDamageTest, FindingsOfOneKindAreCapped) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SampleBlock();
  Files files{block, block.DataBytes(), block.IndexBytes()};
  for (int e = 1; e <= 31; ++e) PutInt32(files.index, files.Entry(1, 1, e), 3);  // all -> deleted record
  WriteBlockFiles("SAMPLE", files.data, &files.index);
  auto result = engine::CheckFileBlock("SAMPLE");
  int refFindings = 0;
  for (const auto& f : result.findings) refFindings += f.problem == Problem::EntryRef;
  EXPECT_EQ(refFindings, 13) << Describe(result);  // 12 shown + one "and 19 more"
  EXPECT_NE(Describe(result).find("key 1: ... and 19 more EntryRef findings"), std::string::npos);
}

// --- records against their keys ----------------------------------------------------------

TEST(CheckerRecordKeysTest, ChangedRecordShowsMissingAndUnexpectedEntries) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SampleBlock();
  std::string old = SampleKeys(block.records[9])[0];
  std::copy_n("ZZZZZZZZ", 8, block.records[9].begin() + 4);  // record 10's code, index unchanged
  WriteBlock("SAMPLE", block);
  engine::KeyBuilder keys = SampleKeys;
  EXPECT_TRUE(engine::CheckFileBlock("SAMPLE").Clean());
  auto result = engine::CheckFileBlock("SAMPLE", &keys);
  std::vector<std::string> lines;
  for (const auto& f : result.findings) lines.push_back(f.text);
  EXPECT_THAT(lines, ::testing::UnorderedElementsAre(
                         "key 1: record 10 has no entry \"ZZZZZZZZ\"",
                         "key 1: entry \"" + old + "\" -> record 10 is not a key of that record"));
}

TEST(CheckerRecordKeysTest, TwoRecordsWithOneUniqueKeyLeaveOneMissing) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SampleBlock();
  std::copy_n(block.records[10].begin() + 4, 8, block.records[9].begin() + 4);  // 10 copies 11's code
  WriteBlock("SAMPLE", block);
  engine::KeyBuilder keys = SampleKeys;
  auto result = engine::CheckFileBlock("SAMPLE", &keys);
  EXPECT_TRUE(result.Has(Problem::KeyMissing)) << Describe(result);
  EXPECT_TRUE(result.Has(Problem::KeyUnexpected)) << Describe(result);  // 10's old code
}

TEST(CheckerRecordKeysTest, KeyBuilderGivingTooFewKeysIsReported) {
  TempFolder dir{TempFolder::Enter};
  WriteBlock("SAMPLE", SampleBlock());
  engine::KeyBuilder oneKey = [](std::span<const unsigned char> r) {
    return std::vector<std::string>{SampleKeys(r)[0]};
  };
  auto result = engine::CheckFileBlock("SAMPLE", &oneKey);
  EXPECT_TRUE(result.Has(Problem::KeyBuilderResult)) << Describe(result);
  EXPECT_NE(Describe(result).find("gave 1 keys for KeyCount 2"), std::string::npos);
}

TEST(CheckerRecordKeysTest, KeysAreCutToThirtyCharactersAsTheEngineCutsThem) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SmallBlock();
  WriteBlock("SMALL", block);
  engine::KeyBuilder padded = [](std::span<const unsigned char> r) {
    std::string name(reinterpret_cast<const char*>(r.data() + 4));
    return std::vector<std::string>{name + std::string(40, ' ')};
  };
  auto result = engine::CheckFileBlock("SMALL", &padded);
  // Cut to 30 the keys are still longer than the index's 6 characters: each one is missing.
  EXPECT_TRUE(result.Has(Problem::KeyMissing));
  EXPECT_NE(Describe(result).find("(longer than the key length 6)"), std::string::npos);
}

}  // namespace
}  // namespace tf::test
