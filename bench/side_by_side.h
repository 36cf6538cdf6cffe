#pragma once
// Runs several systems, each in a child process of its own (so each peak RSS is its own), and
// prints their figures side by side with the ratios of the engine to SQLite and to the floor.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bench/bench_result.h"

namespace tf::bench {

struct SideBySideOptions {
  std::string executable;                // this program, run again for every system
  std::vector<std::string> systems;      // "engine" runs once per entry of engineBuffers
  std::vector<int> engineBuffers;
  uint32_t n = 0;
  std::string dir;
  int repeat = 1;  // runs of each system; each phase shows its median time
  bool quiet = false;
};

struct Column {
  std::string label;   // "engine", "engine-b4096", "sqlite", ...
  std::string system;  // the --system value the child ran
  BenchResult result;
};

// Prints the table and the checks; returns false when a child failed or a count or digest
// differs between systems or from the golden values.
bool RunSideBySide(const SideBySideOptions& options, std::ostream& out);

// The table and check lines for results that are already in.
bool PrintComparison(const std::vector<Column>& columns, uint32_t n, std::ostream& out);

}  // namespace tf::bench
