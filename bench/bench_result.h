#pragma once
// What one run of the workload by one system yields, and its one-line text form on stdout
// ("RESULT system=... n=... p1=..."), which the side-by-side mode reads back from its children.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bench/workload.h"

namespace tf::bench {

inline constexpr int kPhaseCount = 6;

struct BenchResult {
  std::string system;
  uint32_t n = 0;
  int rep = 1;
  std::array<double, kPhaseCount> seconds{};  // phase 1..6 at [0..5]
  Digest lookups, ranges, fullWalk, deletes;  // phases 2, 3, 4, 5
  uint64_t reopenCount = 0;                   // phase 6
  uint64_t fileBytes = 0;
  long rssKb = 0;
  // Time spent generating the N records, measured on its own by systems that report it.
  std::optional<double> generateSeconds;
  // False for a system that deletes without reading the record itself: its phase-5 digest
  // holds only the count.
  bool deleteDigest = true;
};

std::string FormatResultLine(const BenchResult& r);
// nullopt unless the line is a complete RESULT line.
std::optional<BenchResult> ParseResultLine(std::string_view line);

// Peak resident set of this process so far, in KiB.
long PeakRssKb();

}  // namespace tf::bench
