// The engine doing the whole invoices workload: 1,000 records, six indexes, lookups, range and
// full walks, deletes and a reopen must give exactly the golden counts and digests, with the
// smallest page pool (every index walk evicts and writes back pages), the program's pool, and a
// pool that holds everything.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "bench/engine_store.h"
#include "bench/golden_values.h"
#include "bench/workload_runner.h"
#include "engine/core/engine.h"
#include "tests/support/temp_folder.h"

namespace tf::bench {
namespace {

class EngineGolden : public ::testing::TestWithParam<int> {};

TEST_P(EngineGolden, ThousandRecordsMatchTheGoldenValues) {
  const int buffers = GetParam();
  auto golden = GoldenValuesFor(1000);
  ASSERT_TRUE(golden);
  tf::test::TempFolder dir;
  const auto before = std::filesystem::current_path();
  BenchResult r;
  {
    auto store = MakeEngineStore(dir.path(), buffers);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) / "BENCHI.DAT"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) / "BENCHI.IX"));
    r = RunInvoicesWorkload(*store, {"engine", 1000, 1, true});
  }
  EXPECT_EQ(std::filesystem::current_path(), before) << "working directory not restored";
  EXPECT_TRUE(dir.empty()) << "engine files left behind";
  tf::engine::InitEngine(0, tf::engine::kMinPageBuffers);  // refused if the store left it running
  EXPECT_TRUE(tf::engine::EngineOK) << "status " << tf::engine::EngineStatus;
  tf::engine::ExitEngine();

  EXPECT_EQ(r.lookups, golden->lookups);
  EXPECT_EQ(r.ranges, golden->ranges);
  EXPECT_EQ(r.fullWalk, golden->fullWalk);
  EXPECT_EQ(r.deletes, golden->deletes);
  EXPECT_EQ(r.reopenCount, golden->reopenCount);
  // The data file never shrinks: header slot plus 1,000 record slots, then the index file.
  EXPECT_GT(r.fileBytes, 1001u * kRecordLength);
}

INSTANTIATE_TEST_SUITE_P(PoolSizes, EngineGolden,
                         ::testing::Values(tf::engine::kMinPageBuffers, tf::engine::kProgramPageBuffers, 4096),
                         [](const auto& info) { return "buffers_" + std::to_string(info.param); });

TEST(EngineStore, RefusesAPoolBelowTheMinimum) {
  tf::test::TempFolder dir;
  const auto before = std::filesystem::current_path();
  EXPECT_THROW(MakeEngineStore(dir.path(), tf::engine::kMinPageBuffers - 1), std::runtime_error);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_TRUE(dir.empty());
  // The failed attempt left the engine usable for the next one.
  EXPECT_NO_THROW(MakeEngineStore(dir.path(), tf::engine::kMinPageBuffers));
}

TEST(EngineStore, RefusesAMissingDirectory) {
  tf::test::TempFolder dir;
  EXPECT_THROW(MakeEngineStore(dir.path() + "/missing", tf::engine::kProgramPageBuffers), std::exception);
}

}  // namespace
}  // namespace tf::bench
