#pragma once
// The log a workload process writes for the process that kills it: one fixed-size entry when
// an operation begins and one when it has returned successfully, each written with write()
// before the next operation starts, so that whatever the killer reads afterwards is exactly
// what had happened. Replaying a log tells what the file block must hold after the kill.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "tests/crash/crash_block.h"

namespace tf::crashtest {

enum class Step : uint8_t { Open = 1, Close, Add, Put, Delete, Failed };
enum class Phase : uint8_t { Begin = 1, End };

struct LogEntry {
  Phase phase = Phase::Begin;
  Step step = Step::Open;
  int32_t id = 0;
  int32_t group = 0;       // Add, Put: the record's group afterwards
  uint32_t version = 0;    // Add, Put: the record's version afterwards
  int32_t status = 0;      // Failed: the engine status
};

inline constexpr size_t kLogEntrySize = 20;

// Writes one entry whole (entries are far below PIPE_BUF, so a pipe never splits them).
// False if the write failed.
bool WriteEntry(int fd, const LogEntry& entry);
// Splits raw log bytes into entries; a trailing partial entry is ignored.
std::vector<LogEntry> ParseEntries(std::span<const uint8_t> bytes);

using RecordSet = std::map<int32_t, RecordState>;  // by id

struct InFlight {
  Step step = Step::Open;
  int32_t id = 0;
  std::optional<RecordState> before;  // Put, Delete: the record as it was
  std::optional<RecordState> after;   // Add, Put: the record as it would be
  bool marksChange = false;           // the operation sets the file block's update flag
};

struct Expectation {
  RecordSet records;                  // after every completed operation
  std::optional<InFlight> inFlight;   // begun, not completed
  bool open = false;                  // the block was open when the log ended
  bool changedSinceOpen = false;      // a completed operation set the update flag
  std::optional<int32_t> failure;     // the workload reported an engine failure
  int completed = 0;                  // operations completed, opens and closes included
  // Records added (in this order) since the last completed change, delete, open or close: the
  // engine may still hold them in memory, so a kill may lose them, but only the last ones (a
  // record found there means every one added before it is found as well).
  std::vector<int32_t> waitingAdds;
};

// Applies `log` to the records the workload started from. Fails (returns nullopt) when the log
// is not a well-formed sequence or names records that do not exist.
std::optional<Expectation> Replay(const RecordSet& start, std::span<const LogEntry> log);

enum class OpenOutcome { Clean, Defective, Either };
// What the next open must report: 10010 once a completed change may have left cached pages
// and headers unwritten; a clean open if nothing had been changed since the last open (or the
// last close had completed); either when the kill hit the change or close that decides it.
OpenOutcome ExpectedOpen(const Expectation& e);

}  // namespace tf::crashtest
