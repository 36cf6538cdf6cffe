#pragma once
// The workload a child process runs until it is killed: a long deterministic mix of adds,
// changes and deletes of records with both their keys, with the file block closed and reopened
// now and then, every operation logged (crash_log.h) once it has returned.

#include <cstdint>
#include <string>

namespace tf::crashtest {

struct WorkloadPlan {
  std::string blockName;
  uint64_t seed = 0;
  int maxOperations = 0;   // after these the block is closed and the process ends normally
  int pageBuffers = 8;
  int targetRecords = 0;   // the number of live records the mix hovers around
};

// Opens the block (which must open cleanly), learns its records, then works on it, writing the
// log to logFd. Never returns: exits 0 after a complete run, 2 after an engine failure (which
// is logged first), 3 when the log cannot be written.
[[noreturn]] void RunWorkload(const WorkloadPlan& plan, int logFd);

}  // namespace tf::crashtest
