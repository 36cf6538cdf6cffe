#include "tests/crash/crash_log.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tf::crashtest {
namespace {

void Encode(const LogEntry& e, uint8_t* out) {
  out[0] = uint8_t(e.phase);
  out[1] = uint8_t(e.step);
  out[2] = out[3] = 0;
  std::memcpy(out + 4, &e.id, 4);
  std::memcpy(out + 8, &e.group, 4);
  std::memcpy(out + 12, &e.version, 4);
  std::memcpy(out + 16, &e.status, 4);
}

LogEntry Decode(const uint8_t* in) {
  LogEntry e;
  e.phase = Phase(in[0]);
  e.step = Step(in[1]);
  std::memcpy(&e.id, in + 4, 4);
  std::memcpy(&e.group, in + 8, 4);
  std::memcpy(&e.version, in + 12, 4);
  std::memcpy(&e.status, in + 16, 4);
  return e;
}

// Fills in what the operation begun by `begin` would do to `records`; nullopt if it names a
// record that cannot be there.
std::optional<InFlight> Describe(const RecordSet& records, const LogEntry& begin) {
  InFlight f;
  f.step = begin.step;
  f.id = begin.id;
  auto it = records.find(begin.id);
  switch (begin.step) {
    case Step::Open:
    case Step::Close:
      return f;
    case Step::Add:
      if (it != records.end()) return std::nullopt;
      f.after = RecordState{begin.id, begin.group, begin.version};
      f.marksChange = true;
      return f;
    case Step::Put:
      if (it == records.end()) return std::nullopt;
      f.before = it->second;
      f.after = RecordState{begin.id, begin.group, begin.version};
      f.marksChange = f.before->group != f.after->group;  // only the key changes mark the block
      return f;
    case Step::Delete:
      if (it == records.end()) return std::nullopt;
      f.before = it->second;
      f.marksChange = true;
      return f;
    case Step::Failed:
      break;
  }
  return std::nullopt;
}

}  // namespace

bool WriteEntry(int fd, const LogEntry& entry) {
  uint8_t raw[kLogEntrySize];
  Encode(entry, raw);
  ssize_t n;
  do n = ::write(fd, raw, kLogEntrySize);
  while (n < 0 && errno == EINTR);
  return n == ssize_t(kLogEntrySize);
}

std::vector<LogEntry> ParseEntries(std::span<const uint8_t> bytes) {
  std::vector<LogEntry> out;
  for (size_t at = 0; at + kLogEntrySize <= bytes.size(); at += kLogEntrySize) out.push_back(Decode(&bytes[at]));
  return out;
}

std::optional<Expectation> Replay(const RecordSet& start, std::span<const LogEntry> log) {
  Expectation e;
  e.records = start;
  for (const LogEntry& entry : log) {
    if (entry.step == Step::Failed) {
      e.failure = entry.status;
      continue;
    }
    if (entry.phase == Phase::Begin) {
      if (e.inFlight) return std::nullopt;
      e.inFlight = Describe(e.records, entry);
      if (!e.inFlight) return std::nullopt;
      continue;
    }
    if (!e.inFlight || e.inFlight->step != entry.step || e.inFlight->id != entry.id) return std::nullopt;
    const InFlight done = *e.inFlight;
    e.inFlight.reset();
    ++e.completed;
    switch (done.step) {
      case Step::Open:
        e.open = true;
        e.changedSinceOpen = false;
        break;
      case Step::Close:
        e.open = false;
        e.changedSinceOpen = false;
        break;
      case Step::Add:
      case Step::Put:
        e.records[done.id] = *done.after;
        break;
      case Step::Delete:
        e.records.erase(done.id);
        break;
      case Step::Failed:
        break;
    }
    // A change or delete writes the records waiting before it; an open starts with none, a close
    // writes them.
    if (done.step == Step::Add)
      e.waitingAdds.push_back(done.id);
    else
      e.waitingAdds.clear();
    if (done.marksChange) e.changedSinceOpen = true;
  }
  return e;
}

OpenOutcome ExpectedOpen(const Expectation& e) {
  const bool closing = e.inFlight && e.inFlight->step == Step::Close;
  if (e.changedSinceOpen) return closing ? OpenOutcome::Either : OpenOutcome::Defective;
  if (e.open && e.inFlight && e.inFlight->marksChange) return OpenOutcome::Either;
  return OpenOutcome::Clean;
}

}  // namespace tf::crashtest
