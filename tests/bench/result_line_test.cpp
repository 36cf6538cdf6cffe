// The RESULT line is how the side-by-side mode learns a child's figures: what is printed must
// read back unchanged, and anything malformed must be refused rather than half-read.

#include <gtest/gtest.h>

#include <string>

#include "bench/bench_result.h"
#include "bench/result_check.h"

namespace tf::bench {
namespace {

BenchResult Sample() {
  BenchResult r;
  r.system = "engine";
  r.n = 100000;
  r.rep = 3;
  r.seconds = {1.5, 0.25, 0.125, 0.0625, 2.0, 0.000125};
  r.lookups = {100000, 0xf441e44e5ba60c82};
  r.ranges = {1640386, 0xa6087b59b0f67cac};
  r.fullWalk = {100000, 0x04715624f0d9351a};
  r.deletes = {10000, 0x3f9f74088cb717c8};
  r.reopenCount = 90000;
  r.fileBytes = 123456789;
  r.rssKb = 4321;
  return r;
}

void ExpectSame(const BenchResult& a, const BenchResult& b) {
  EXPECT_EQ(a.system, b.system);
  EXPECT_EQ(a.n, b.n);
  EXPECT_EQ(a.rep, b.rep);
  for (int p = 0; p < kPhaseCount; ++p) EXPECT_NEAR(a.seconds[p], b.seconds[p], 1e-6) << "phase " << p + 1;
  EXPECT_EQ(a.lookups, b.lookups);
  EXPECT_EQ(a.ranges, b.ranges);
  EXPECT_EQ(a.fullWalk, b.fullWalk);
  EXPECT_EQ(a.deletes.count, b.deletes.count);
  EXPECT_EQ(a.deleteDigest, b.deleteDigest);
  if (a.deleteDigest) {
    EXPECT_EQ(a.deletes.hash, b.deletes.hash);
  }
  EXPECT_EQ(a.reopenCount, b.reopenCount);
  EXPECT_EQ(a.fileBytes, b.fileBytes);
  EXPECT_EQ(a.rssKb, b.rssKb);
  EXPECT_EQ(a.generateSeconds.has_value(), b.generateSeconds.has_value());
}

TEST(ResultLine, PrintsTheFieldsInOrder) {
  const std::string line = FormatResultLine(Sample());
  EXPECT_EQ(line,
            "RESULT system=engine n=100000 rep=3 p1=1.500000 p2=0.250000 p3=0.125000 p4=0.062500 "
            "p5=2.000000 p6=0.000125 c2=100000 h2=f441e44e5ba60c82 c3=1640386 h3=a6087b59b0f67cac "
            "c4=100000 h4=04715624f0d9351a c5=10000 h5=3f9f74088cb717c8 c6=90000 file_bytes=123456789 "
            "rss_kb=4321");
}

TEST(ResultLine, ReadsBackWhatItPrints) {
  BenchResult sqlite = Sample();
  sqlite.system = "sqlite";
  sqlite.deleteDigest = false;
  BenchResult floor = Sample();
  floor.system = "floor";
  floor.generateSeconds = 0.75;

  for (const BenchResult& original : {Sample(), sqlite, floor}) {
    const auto parsed = ParseResultLine(FormatResultLine(original) + "\n");
    ASSERT_TRUE(parsed) << original.system;
    ExpectSame(original, *parsed);
  }
  EXPECT_NEAR(*ParseResultLine(FormatResultLine(floor))->generateSeconds, 0.75, 1e-9);
}

TEST(ResultLine, RefusesMalformedLines) {
  const std::string good = FormatResultLine(Sample());
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::string cases[] = {
      "",
      "progress: phase 1",
      good.substr(7),                                         // no RESULT tag
      replaced(" c6=90000", ""),                              // a field missing
      replaced("h3=a6087b59b0f67cac", "h3=a6087b59b0f67ca"),  // 15 hex digits
      replaced("h3=a6087b59b0f67cac", "h3=a6087b59b0f67cxz"),
      replaced("h2=f441e44e5ba60c82", "h2=-"),                // only phase 5 may lack a digest
      replaced("p2=0.250000", "p2=fast"),
      replaced("p2=0.250000", "p2=-0.25"),
      replaced("n=100000", "n=100000 n=5"),                   // a field twice
      replaced("rss_kb=4321", "rss_kb"),
  };
  for (const std::string& line : cases) EXPECT_FALSE(ParseResultLine(line)) << line;
}

TEST(OutcomeDifferences, NamesEachDifferingField) {
  const BenchResult a = Sample();
  EXPECT_TRUE(OutcomeDifferences(a, a).empty());

  BenchResult b = a;
  b.ranges.hash ^= 1;
  b.reopenCount -= 1;
  b.seconds[0] = 99;  // times and sizes are not outcomes
  b.fileBytes = 1;
  EXPECT_EQ(OutcomeDifferences(a, b), (std::vector<std::string>{"phase 3 digest", "phase 6 count"}));

  BenchResult sqlite = a;
  sqlite.deleteDigest = false;
  sqlite.deletes.hash = 0;
  EXPECT_TRUE(OutcomeDifferences(a, sqlite).empty());
  sqlite.deletes.count += 1;
  EXPECT_EQ(OutcomeDifferences(sqlite, a), (std::vector<std::string>{"phase 5 count"}));
}

TEST(OutcomeDifferences, AgainstGoldenValuesChecksTheSize) {
  const BenchResult r = Sample();
  auto golden = GoldenValuesFor(100000);
  ASSERT_TRUE(golden);
  EXPECT_TRUE(GoldenDifferences(r, *golden).empty());
  EXPECT_EQ(GoldenDifferences(r, *GoldenValuesFor(1000)).front(), "record count N");
  EXPECT_FALSE(GoldenValuesFor(12345));
}

}  // namespace
}  // namespace tf::bench
