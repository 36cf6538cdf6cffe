// The systems the engine is measured against must do the same work: their counts and digests
// must be the golden values, and they must leave nothing behind in their directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "bench/floor_store.h"
#include "bench/golden_values.h"
#include "bench/lmdb_store.h"
#include "bench/sqlite_store.h"
#include "bench/workload_runner.h"
#include "tests/support/temp_folder.h"

namespace tf::bench {
namespace {

struct PeerCase {
  const char* system;
  uint32_t n;
  std::function<std::unique_ptr<InvoiceStore>(const std::string& dir, uint32_t n)> make;
};

class PeerGolden : public ::testing::TestWithParam<PeerCase> {};

TEST_P(PeerGolden, MatchesTheGoldenValuesAndCleansUp) {
  const PeerCase& c = GetParam();
  auto golden = GoldenValuesFor(c.n);
  ASSERT_TRUE(golden);
  tf::test::TempFolder dir;
  BenchResult r;
  {
    auto store = c.make(dir.path(), c.n);
    EXPECT_FALSE(dir.empty()) << "the store keeps its files in its directory";
    r = RunInvoicesWorkload(*store, {c.system, c.n, 1, true});
  }
  EXPECT_TRUE(dir.empty()) << "files left behind";

  EXPECT_EQ(r.lookups, golden->lookups);
  EXPECT_EQ(r.ranges, golden->ranges);
  EXPECT_EQ(r.fullWalk, golden->fullWalk);
  EXPECT_EQ(r.deletes.count, golden->deletes.count);
  if (r.deleteDigest) {
    EXPECT_EQ(r.deletes.hash, golden->deletes.hash);
  }
  EXPECT_EQ(r.reopenCount, golden->reopenCount);
  // Every record is on disk once at least.
  EXPECT_GE(r.fileBytes, uint64_t{c.n} * kRecordLength);
}

std::unique_ptr<InvoiceStore> Floor(const std::string& dir, uint32_t n) { return MakeFloorStore(dir, n); }
std::unique_ptr<InvoiceStore> Lmdb(const std::string& dir, uint32_t n) { return MakeLmdbStore(dir, n); }
std::unique_ptr<InvoiceStore> Sqlite(const std::string& dir, uint32_t) {
  return MakeSqliteStore(dir, SqliteMode::Transaction);
}
std::unique_ptr<InvoiceStore> SqliteAuto(const std::string& dir, uint32_t) {
  return MakeSqliteStore(dir, SqliteMode::Autocommit);
}
std::unique_ptr<InvoiceStore> SqliteNormal(const std::string& dir, uint32_t) {
  return MakeSqliteStore(dir, SqliteMode::TransactionNormal);
}

INSTANTIATE_TEST_SUITE_P(Systems, PeerGolden,
                         ::testing::Values(PeerCase{"floor", 1000, Floor}, PeerCase{"floor", 100000, Floor},
                                           PeerCase{"lmdb", 1000, Lmdb}, PeerCase{"lmdb", 100000, Lmdb},
                                           PeerCase{"sqlite", 1000, Sqlite}, PeerCase{"sqlite-auto", 1000, SqliteAuto},
                                           PeerCase{"sqlite-txn-normal", 1000, SqliteNormal}),
                         [](const auto& info) {
                           std::string name = std::string(info.param.system) + "_" + std::to_string(info.param.n);
                           for (char& ch : name)
                             if (ch == '-') ch = '_';
                           return name;
                         });

TEST(FloorFile, KeepsTheDataFileLayout) {
  // Slot 0 is the header, record n sits at n x 360; after the deletes and the reopen the file
  // still holds every slot (deleted ones are chained, not removed).
  tf::test::TempFolder dir;
  auto store = MakeFloorStore(dir.path(), 1000);
  const BenchResult r = RunInvoicesWorkload(*store, {"floor", 1000, 1, true});
  EXPECT_EQ(r.fileBytes, 1001u * kRecordLength);
  ASSERT_TRUE(r.generateSeconds);
  EXPECT_GE(*r.generateSeconds, 0.0);
}

TEST(SqliteStore, ReportsDeletesByCountOnly) {
  tf::test::TempFolder dir;
  auto store = MakeSqliteStore(dir.path(), SqliteMode::Transaction);
  EXPECT_FALSE(store->DigestsDeletes());
}

}  // namespace
}  // namespace tf::bench
