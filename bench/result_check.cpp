#include "bench/result_check.h"

namespace tf::bench {

std::vector<std::string> OutcomeDifferences(const BenchResult& a, const BenchResult& b) {
  std::vector<std::string> differences;
  auto compare = [&](int phase, const Digest& x, const Digest& y, bool withHash) {
    if (x.count != y.count) differences.push_back("phase " + std::to_string(phase) + " count");
    if (withHash && x.hash != y.hash) differences.push_back("phase " + std::to_string(phase) + " digest");
  };
  compare(2, a.lookups, b.lookups, true);
  compare(3, a.ranges, b.ranges, true);
  compare(4, a.fullWalk, b.fullWalk, true);
  compare(5, a.deletes, b.deletes, a.deleteDigest && b.deleteDigest);
  if (a.reopenCount != b.reopenCount) differences.push_back("phase 6 count");
  return differences;
}

std::vector<std::string> GoldenDifferences(const BenchResult& r, const GoldenValues& golden) {
  BenchResult expected;
  expected.n = golden.n;
  expected.lookups = golden.lookups;
  expected.ranges = golden.ranges;
  expected.fullWalk = golden.fullWalk;
  expected.deletes = golden.deletes;
  expected.reopenCount = golden.reopenCount;
  std::vector<std::string> differences;
  if (r.n != golden.n) differences.push_back("record count N");
  for (std::string& d : OutcomeDifferences(r, expected)) differences.push_back(std::move(d));
  return differences;
}

}  // namespace tf::bench
