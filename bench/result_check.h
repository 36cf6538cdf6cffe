#pragma once
// Whether two runs read the same records in the same order: their counts and digests agree.

#include <string>
#include <vector>

#include "bench/bench_result.h"
#include "bench/golden_values.h"

namespace tf::bench {

// What differs, one item per phase field ("phase 3 digest"); empty when they agree. A phase-5
// digest is compared only when both sides have one.
std::vector<std::string> OutcomeDifferences(const BenchResult& a, const BenchResult& b);
std::vector<std::string> GoldenDifferences(const BenchResult& r, const GoldenValues& golden);

}  // namespace tf::bench
