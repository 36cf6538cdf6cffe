// Valid file blocks, laid out by hand, check clean; the layout reader returns what was written.

#include <gtest/gtest.h>

#include <functional>

#include "engine/checking/checker.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using engine::CheckFileBlock;
using engine::KeyBuilder;

std::string Describe(const engine::CheckResult& r) {
  std::string s;
  for (const auto& f : r.findings) s += f.text + "\n";
  return s;
}

TEST(CheckerCleanTest, SampleBlockIsCleanWithAndWithoutRecordKeys) {
  TempFolder dir{TempFolder::Enter};
  WriteBlock("SAMPLE", SampleBlock());
  KeyBuilder keys = SampleKeys;
  auto plain = CheckFileBlock("SAMPLE");
  auto withKeys = CheckFileBlock("SAMPLE", &keys);
  EXPECT_TRUE(plain.Clean()) << Describe(plain);
  EXPECT_TRUE(withKeys.Clean()) << Describe(withKeys);
}

TEST(CheckerCleanTest, SingleLeafBlockIsClean) {
  TempFolder dir{TempFolder::Enter};
  WriteBlock("SMALL", SmallBlock());
  KeyBuilder keys = [](std::span<const unsigned char> r) {
    std::string name(reinterpret_cast<const char*>(r.data() + 4), 20);
    return std::vector<std::string>{name.substr(0, name.find('\0'))};
  };
  auto result = CheckFileBlock("SMALL", &keys);
  EXPECT_TRUE(result.Clean()) << Describe(result);
}

// Valid variants the formats allow, each written by hand and expected to check clean.
struct ValidVariant {
  const char* name;
  std::function<void()> write;  // writes the block "VALID"
};

void PrintTo(const ValidVariant& v, std::ostream* os) { *os << v.name; }

const ValidVariant kValidVariants[] = {
    {"fresh empty block with three empty trees",
     [] {
       HandBuiltBlock empty;
       empty.recordLength = 21;
       empty.keys.resize(3);  // RootPage 0, no pages
       WriteBlock("VALID", empty);
     }},
    {"block without keys needs no index file",
     [] {
       HandBuiltBlock block = SmallBlock();
       block.keys.clear();
       block.Delete(2);
       WriteBlock("VALID", block);
     }},
    {"page capacity 0 reads as 62",
     [] {
       HandBuiltBlock block = SmallBlock();
       Bytes index = block.IndexBytes();
       PutInt16(index, index_field::kPageCapacity, 0);
       WriteBlockFiles("VALID", block.DataBytes(), &index);
     }},
    {"every record deleted, empty tree with every page free",
     [] {
       HandBuiltBlock block = SmallBlock();
       for (int ref = 1; ref <= 5; ++ref) block.Delete(ref);
       HandKey& key = block.keys[0];
       key.pages.clear();
       key.rootPage = 0;
       key.entryCount = 0;
       key.pageCount = 2;
       key.freeLinks = {{1, -1}, {2, 1}};
       key.firstFreePage = 2;
       key.freePageCount = 2;
       WriteBlock("VALID", block);
     }},
};

class CheckerValidVariantTest : public ::testing::TestWithParam<ValidVariant> {};

TEST_P(CheckerValidVariantTest, ChecksClean) {
  TempFolder dir{TempFolder::Enter};
  GetParam().write();
  auto result = CheckFileBlock("VALID");
  EXPECT_TRUE(result.Clean()) << Describe(result);
}

INSTANTIATE_TEST_SUITE_P(Table, CheckerValidVariantTest, ::testing::ValuesIn(kValidVariants),
                         [](const ::testing::TestParamInfo<ValidVariant>& info) {
                           std::string name;
                           for (char c : std::string(info.param.name))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(CheckerCleanTest, BlockNameFollowsEngineNaming) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SmallBlock();
  Bytes data = block.DataBytes(), index = block.IndexBytes();
  WriteBlockFiles("AB1P", data, nullptr);
  WriteBlockFiles("XIDX", data, &index);
  // "AB1P;XIDX" names AB1P.DAT and XIDX.IX; spaces in the name are dropped.
  auto result = CheckFileBlock("AB1 P;XIDX");
  EXPECT_TRUE(result.Clean()) << Describe(result);
  EXPECT_TRUE(CheckFileBlock("AB1P").Has(engine::Problem::IndexFileUnreadable));
}

TEST(CheckerLayoutTest, ReadsHeaderRecordsAndEntriesInOrder) {
  TempFolder dir{TempFolder::Enter};
  HandBuiltBlock block = SampleBlock();
  WriteBlock("SAMPLE", block);
  auto layout = engine::ReadFileBlockLayout("SAMPLE");
  EXPECT_TRUE(layout.findings.empty());
  ASSERT_TRUE(layout.headerRead);
  EXPECT_EQ(layout.header.RecordCount, 70);
  EXPECT_EQ(layout.header.FirstFree, 5);
  EXPECT_EQ(layout.header.DeletedCount, 3);
  ASSERT_EQ(layout.records.size(), 70u);
  EXPECT_FALSE(layout.records[2].live);  // record 3
  EXPECT_TRUE(layout.records[3].live);
  EXPECT_EQ(layout.records[69].bytes, block.records[69]);

  ASSERT_EQ(layout.indexes.size(), 2u);
  const auto& codes = layout.indexes[0];
  EXPECT_EQ(codes.keyLength, 8);
  ASSERT_EQ(codes.entries.size(), 67u);
  for (size_t i = 1; i < codes.entries.size(); ++i)
    EXPECT_LT(codes.entries[i - 1].key, codes.entries[i].key);
  const auto& groups = layout.indexes[1];
  EXPECT_EQ(groups.keyLength, 4);
  EXPECT_EQ(groups.header.AllowDuplicates, 1);
  ASSERT_EQ(groups.entries.size(), 67u);
  // Duplicates come in ref order: GRP0 holds records 4, 8, 12, ...
  EXPECT_EQ(groups.entries[0].key, "GRP0");
  EXPECT_EQ(groups.entries[0].ref, 4);
  EXPECT_EQ(groups.entries[1].ref, 8);
}

}  // namespace
}  // namespace tf::test
