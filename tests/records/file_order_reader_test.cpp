// Reading a list of records in file order: every entry gets its own record whatever the order
// and repeats of the list, nearby slots are read together, and a failing read stops the walk.

#include "records/file_order_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/data_folder_test.h"
#include "tests/support/fault_file_system.h"

namespace tf::records {
namespace {

constexpr int kLength = 40;
constexpr int kRecords = 60'000;  // 2.4 MB: more than one run of reads

class FileOrderReader : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    engine::MakeFileBlock("RUNS", kLength, 0, {});
    engine::OpenFileBlock(block_.handle(), "RUNS");
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
    for (int i = 1; i <= kRecords; ++i) {
      std::int32_t ref = 0;
      engine::AddRecord(block_.get(), ref, Record(i).data());
      ASSERT_TRUE(engine::EngineOK && ref == i) << engine::EngineStatus;
    }
  }
  static std::vector<std::uint8_t> Record(int n) {
    std::vector<std::uint8_t> r(kLength, 0);
    const std::string text = "record " + std::to_string(n);
    std::copy(text.begin(), text.end(), r.begin() + 4);
    return r;
  }
  // Reads `refs` and checks that each position got the record its number names, once.
  void ReadsEachOnce(const std::vector<std::int32_t>& refs) {
    std::vector<int> seen(refs.size(), 0);
    ASSERT_TRUE(ReadInFileOrder(block_.get(), refs, [&](std::size_t at, std::span<const std::uint8_t> record) {
      ASSERT_LT(at, refs.size());
      ++seen[at];
      const std::vector<std::uint8_t> expected = Record(refs[at]);
      EXPECT_TRUE(std::equal(record.begin(), record.end(), expected.begin(), expected.end())) << refs[at];
    })) << engine::EngineStatus;
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
  }
  static std::ptrdiff_t ReadCalls(const test::FaultFileSystem& fs) {
    return std::count_if(fs.Log().begin(), fs.Log().end(),
                         [](const test::FsEvent& e) { return e.call == test::FsCall::Read; });
  }
  engine::FileBlockGuard block_;
};

TEST_F(FileOrderReader, EveryEntryGetsItsRecordInAnyOrderWithRepeats) {
  std::mt19937 random(7);
  std::vector<std::int32_t> all(kRecords);
  for (int i = 0; i < kRecords; ++i) all[std::size_t(i)] = i + 1;
  std::shuffle(all.begin(), all.end(), random);
  struct Case {
    const char* what;
    std::vector<std::int32_t> refs;
  };
  const Case cases[] = {
      {"every record, shuffled", all},
      {"nothing", {}},
      {"one, the last", {kRecords}},
      {"repeats and neighbours", {5, 5, 4, 6, kRecords, 1, 5, kRecords - 1}},
      {"far apart", {1, 30'000, 59'999, 12'345}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReadsEachOnce(c.refs);
  }
}

// A list that covers the file is read in large pieces, not a read per record.
TEST_F(FileOrderReader, ADenseListIsReadInFewLargeReads) {
  test::FaultFileSystem counting;
  engine::ScopedFileSystem scoped(counting);
  std::vector<std::int32_t> refs;
  for (int i = kRecords; i >= 1; i -= 3) refs.push_back(i);  // every third, backwards
  ReadsEachOnce(refs);
  EXPECT_GE(ReadCalls(counting), 2);
  EXPECT_LE(ReadCalls(counting), 4);
}

// A pass over the whole file hands every live record once, in record order, in a few large
// reads, and passes over deleted slots wherever they lie: first, last, in a run, at a piece's
// edge.
TEST_F(FileOrderReader, LiveRecordsComeInRecordOrderWithoutTheDeleted) {
  const std::vector<std::int32_t> deleted{1, 2, 26'214, 26'215, 40'000, kRecords};
  for (std::int32_t ref : deleted) {
    engine::DeleteRecord(block_.get(), ref);
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
  }
  test::FaultFileSystem counting;
  engine::ScopedFileSystem scoped(counting);
  std::vector<std::int32_t> handed;
  ASSERT_TRUE(ReadLiveRecords(block_.get(), [&](std::int32_t ref, std::span<const std::uint8_t> record) {
    handed.push_back(ref);
    const std::vector<std::uint8_t> expected = Record(ref);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), expected.begin(), expected.end())) << ref;
  })) << engine::EngineStatus;
  std::vector<std::int32_t> live;
  for (std::int32_t ref = 1; ref <= kRecords; ++ref)
    if (std::find(deleted.begin(), deleted.end(), ref) == deleted.end()) live.push_back(ref);
  EXPECT_EQ(handed, live);
  EXPECT_GE(ReadCalls(counting), 2);
  EXPECT_LE(ReadCalls(counting), 4);
}

// Either reader stops at a read that fails, with the engine's status, having handed out what it
// read before.
TEST_F(FileOrderReader, AFailingReadStopsEitherReaderWithTheEnginesStatus) {
  std::vector<std::int32_t> refs;
  for (int i = 1; i <= kRecords; ++i) refs.push_back(i);
  const std::pair<const char*, std::function<bool(std::size_t&)>> readers[] = {
      {"a list in file order",
       [&](std::size_t& handed) {
         return ReadInFileOrder(block_.get(), refs, [&](std::size_t, std::span<const std::uint8_t>) { ++handed; });
       }},
      {"a pass over the live records",
       [&](std::size_t& handed) {
         return ReadLiveRecords(block_.get(), [&](std::int32_t, std::span<const std::uint8_t>) { ++handed; });
       }},
  };
  for (const auto& [what, read] : readers) {
    SCOPED_TRACE(what);
    test::FaultFileSystem failing;
    engine::ScopedFileSystem scoped(failing);
    failing.ArmErrno(test::FsCall::Read, EIO, 2);
    std::size_t handed = 0;
    EXPECT_FALSE(read(handed));
    EXPECT_FALSE(engine::EngineOK);
    EXPECT_NE(engine::EngineStatus, 0);
    EXPECT_GT(handed, 0u);
    EXPECT_LT(handed, refs.size());
    EXPECT_EQ(failing.InjectedCount(), 1u);
  }
}

}  // namespace
}  // namespace tf::records
