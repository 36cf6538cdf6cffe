// The whole workload through the std::set reference store: its counts and digests for
// N = 1,000 must be the published golden values, which proves the generator, the phase
// parameters, the index order and the digest together.

#include <gtest/gtest.h>

#include "bench/golden_values.h"
#include "bench/reference_store.h"
#include "bench/workload_runner.h"

namespace tf::bench {
namespace {

TEST(ReferenceGolden, ThousandRecordsMatchTheGoldenValues) {
  auto golden = GoldenValuesFor(1000);
  ASSERT_TRUE(golden);
  auto store = MakeReferenceStore();
  const BenchResult r = RunInvoicesWorkload(*store, {"reference", 1000, 1, true});

  EXPECT_EQ(r.system, "reference");
  EXPECT_EQ(r.lookups, golden->lookups);
  EXPECT_EQ(r.ranges, golden->ranges);
  EXPECT_EQ(r.fullWalk, golden->fullWalk);
  EXPECT_EQ(r.deletes, golden->deletes);
  EXPECT_EQ(r.reopenCount, golden->reopenCount);
  for (double s : r.seconds) EXPECT_GE(s, 0.0);
  EXPECT_GT(r.rssKb, 0);
}

// A different N changes the customers, the lookups and the victims, so nothing may match.
TEST(ReferenceGolden, OtherSizeGivesOtherDigests) {
  auto golden = GoldenValuesFor(1000);
  ASSERT_TRUE(golden);
  auto store = MakeReferenceStore();
  const BenchResult r = RunInvoicesWorkload(*store, {"reference", 1001, 1, true});
  EXPECT_EQ(r.lookups.count, golden->lookups.count);  // every lookup still finds its record
  EXPECT_NE(r.lookups.hash, golden->lookups.hash);
  EXPECT_NE(r.ranges.hash, golden->ranges.hash);
  EXPECT_EQ(r.fullWalk.count, 1001u);
  EXPECT_EQ(r.deletes.count, 100u);
  EXPECT_EQ(r.reopenCount, 901u);
}

}  // namespace
}  // namespace tf::bench
