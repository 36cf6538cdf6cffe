// Kills a process that is working on a file block at many points, from its start-up to
// thousands of operations in, and checks what the engine promises after a crash: the next
// open reports 10010 if a change was made since the last open, a rebuild brings the block
// back intact (the checker finds nothing, every key matches its record), and every record
// whose PutRecord had returned is there with its bytes, every record whose DeleteRecord had
// returned is gone, every record whose AddRecord had returned is there unless it was among the
// last ones added since the last change, delete or close (they may still have waited in the
// process's memory; then the kill loses the last of them, never one without those after it). The block carries over from round to round, so later
// kills hit a larger block that has itself been rebuilt many times.
//
// TF_CRASH_SEED=n replays another sequence of kill points.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <random>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild.h"
#include "tests/crash/crash_block.h"
#include "tests/crash/crash_log.h"
#include "tests/crash/crash_workload.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::crashtest {
namespace {

using namespace tf::engine;

constexpr int kRounds = 64;
constexpr int kLatestKillEntries = 5000;  // log entries (two per operation)
constexpr int kTargetRecords = 1500;
constexpr int kChildTimeoutMs = 30000;

uint64_t TestSeed() {
  const char* s = std::getenv("TF_CRASH_SEED");
  return s ? std::strtoull(s, nullptr, 10) : 20240917;
}

KeyBuilder CheckerKeys() {
  return [](std::span<const unsigned char> record) { return KeysOfRecord(record); };
}

RebuildTarget Target(const std::string& block) {
  return {block, "Crash", kRecordLength, BlockKeys(),
          [](std::span<const uint8_t> record, int keyNr) { return KeysOfRecord(record)[size_t(keyNr - 1)]; }};
}

std::string Findings(const CheckResult& r) {
  std::string s;
  for (const Finding& f : r.findings) s += "\n  " + f.text;
  return s;
}

struct KillPoint {
  int entries = 0;                  // kill once the log holds this many entries (0: at once)
  std::optional<Step> onBegin;      // or once this operation has begun for the n-th time
  int occurrence = 0;
  int extraMicros = 0;              // then wait this long, so the kill lands inside an operation

  std::string Describe() const {
    std::string when = onBegin ? "begin " + std::to_string(occurrence) + " of " +
                                     (*onBegin == Step::Close ? "close" : "open")
                               : std::to_string(entries) + " log entries";
    return "kill at " + when + " + " + std::to_string(extraMicros) + " us";
  }
};

// Kill points for the rounds: a few at once (during start-up and the first open), a few as a
// close or a reopen begins, and the rest after a number of log entries stratified over a
// logarithmic scale up to kLatestKillEntries, so that the first operations and long runs are
// all hit; in a shuffled order.
std::vector<KillPoint> PlanKillPoints(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<KillPoint> points;
  for (int i = 0; i < 3; ++i) points.push_back({0, {}, 0, int(rng() % 300)});
  for (int i = 0; i < 8; ++i) points.push_back({0, Step::Close, 1 + i % 4, int(rng() % 40)});
  for (int i = 0; i < 4; ++i) points.push_back({0, Step::Open, 2 + i % 2, int(rng() % 40)});
  const int byCount = kRounds - int(points.size());
  for (int i = 0; i < byCount; ++i) {
    double u = (i + unit(rng)) / byCount;
    points.push_back({std::max(1, int(std::exp(u * std::log(double(kLatestKillEntries))))), {}, 0, int(rng() % 300)});
  }
  std::shuffle(points.begin(), points.end(), rng);
  return points;
}

struct RoundLog {
  std::vector<LogEntry> entries;
  int waitStatus = 0;
  bool timedOut = false;
};

// Runs the workload in a child process and kills it with SIGKILL at `kill`; then reads the
// rest of the log (everything the child wrote before it died).
void RunAndKill(const WorkloadPlan& plan, const KillPoint& kill, RoundLog& out) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(fds[0]);
    RunWorkload(plan, fds[1]);
  }
  ::close(fds[1]);
  std::vector<uint8_t> bytes;
  bool killed = false;
  int begins = 0;
  auto killNow = [&] {
    auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(kill.extraMicros);
    while (std::chrono::steady_clock::now() < until) {
    }
    ::kill(pid, SIGKILL);
    killed = true;
  };
  if (kill.entries == 0 && !kill.onBegin) killNow();
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    if (::poll(&p, 1, kChildTimeoutMs) == 0) {
      out.timedOut = true;
      ::kill(pid, SIGKILL);
      killed = true;
    }
    uint8_t chunk[4096];
    ssize_t n = ::read(fds[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const size_t seen = bytes.size() / kLogEntrySize;
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (killed) continue;
    const std::vector<LogEntry> fresh = ParseEntries(std::span(bytes).subspan(seen * kLogEntrySize));
    if (kill.onBegin) {
      for (const LogEntry& e : fresh) begins += e.phase == Phase::Begin && e.step == *kill.onBegin;
      if (begins >= kill.occurrence) killNow();
    } else if (bytes.size() / kLogEntrySize >= size_t(kill.entries)) {
      killNow();
    }
  }
  ::close(fds[0]);
  ::waitpid(pid, &out.waitStatus, 0);
  out.entries = ParseEntries(bytes);
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string s;
  char b[4];
  for (uint8_t c : bytes) {
    std::snprintf(b, sizeof b, "%02x", c);
    s += b;
  }
  return s;
}

std::string InFlightText(const Expectation& e) {
  if (!e.inFlight) return "; no operation in flight";
  const InFlight& f = *e.inFlight;
  std::string s = "; in flight: step " + std::to_string(int(f.step)) + " id " + std::to_string(f.id);
  if (f.before) s += " before " + Hex(RecordBytes(*f.before));
  if (f.after) s += " after " + Hex(RecordBytes(*f.after));
  return s;
}

struct Counts {
  int defectiveOpens = 0;
  int cleanOpens = 0;
  int tornChanges = 0;
  size_t lostAdds = 0;  // completed adds a kill took while they waited in memory
  std::map<Step, int> killedInside;  // by the operation in flight
  size_t largestBlock = 0;
};

// A write cut short by the kill stops at a page boundary of the file: the slot then holds the
// new image up to some byte and the old one after it (either whole image included).
bool TornBetween(std::span<const uint8_t> got, const std::vector<uint8_t>& newer, const std::vector<uint8_t>& older) {
  size_t cut = 0;
  while (cut < got.size() && got[cut] == newer[cut]) ++cut;
  return std::equal(got.begin() + long(cut), got.end(), older.begin() + long(cut));
}

struct FoundRecord {
  int32_t ref;
  std::vector<uint8_t> bytes;
};

// Reads every record of the (openable) block and compares it with what the log says must be
// there; checks that both indexes lead to exactly those records. `survivors` receives the
// records found, the starting point of the next round. A change whose PutRecord was cut short
// by the kill is completed here, as the user would redo it.
void VerifyRecords(const std::string& block, const Expectation& e, bool cleanOpen, RecordSet& survivors,
                   Counts& counts) {
  FileBlockGuard guard;
  OpenFileBlock(guard.handle(), block);
  ASSERT_TRUE(EngineOK) << "open after recovery: " << EngineStatus;
  FileBlock* h = guard.get();

  std::map<int32_t, FoundRecord> found;  // by id
  std::vector<uint8_t> buffer(kRecordLength);
  for (int32_t ref = 0;;) {
    NextRecord(h, ref);
    if (!EngineOK) {
      ASSERT_EQ(EngineStatus, status::kNoFurtherRecord);
      break;
    }
    GetRecord(h, ref, buffer.data());
    ASSERT_TRUE(EngineOK) << EngineStatus;
    std::optional<int32_t> id = RecordId(buffer);
    ASSERT_TRUE(id) << "record " << ref << " holds bytes no operation wrote: " << Hex(buffer) << InFlightText(e);
    ASSERT_FALSE(found.contains(*id)) << "id " << *id << " twice";
    found[*id] = {ref, buffer};
  }

  const std::optional<InFlight>& f = e.inFlight;
  const int32_t uncertainId = f && f->step != Step::Open && f->step != Step::Close ? f->id : -1;
  // Records added at the end may still have waited in the process's memory: a kill loses the
  // last of them, never an earlier one without the later ones, and a clean open (the close went
  // through) none of them.
  std::vector<int32_t> waiting = e.waitingAdds;
  if (f && f->step == Step::Add) waiting.push_back(f->id);
  size_t kept = 0;
  while (kept < waiting.size() && found.contains(waiting[kept])) ++kept;
  for (size_t i = kept; i < waiting.size(); ++i)
    ASSERT_FALSE(found.contains(waiting[i])) << "record " << waiting[i] << " is there, but record " << waiting[kept]
                                             << " added before it is lost" << InFlightText(e);
  if (cleanOpen) {
    ASSERT_EQ(kept, e.waitingAdds.size()) << "a cleanly closed block lost added records";
  }
  const std::set<int32_t> lost(waiting.begin() + long(kept), waiting.end());
  counts.lostAdds += lost.size() - (f && f->step == Step::Add && lost.contains(f->id));
  for (const auto& [id, want] : e.records) {
    if (id == uncertainId || lost.contains(id)) continue;
    auto it = found.find(id);
    ASSERT_NE(it, found.end()) << "completed record " << id << " is lost";
    ASSERT_EQ(Hex(it->second.bytes), Hex(RecordBytes(want))) << "record " << id << " is not as last written";
  }
  for (const auto& [id, got] : found) {
    if (id == uncertainId) continue;
    ASSERT_TRUE(e.records.contains(id)) << "record " << id << " was deleted (or never added) yet is there: "
                                        << Hex(got.bytes) << InFlightText(e);
  }
  bool torn = false;
  if (uncertainId >= 0) {
    auto it = found.find(uncertainId);
    if (it == found.end()) {
      ASSERT_TRUE(f->step == Step::Add || f->step == Step::Delete || lost.contains(uncertainId))
          << "record " << uncertainId << " vanished during a change";
    } else if (f->step == Step::Put) {
      const std::vector<uint8_t> after = RecordBytes(*f->after), before = RecordBytes(*f->before);
      ASSERT_TRUE(TornBetween(it->second.bytes, after, before))
          << "record " << uncertainId << " is neither before nor after its change: " << Hex(it->second.bytes)
          << InFlightText(e);
      torn = it->second.bytes != after && it->second.bytes != before;
    } else {
      const RecordState& want = f->step == Step::Add ? *f->after : *f->before;
      ASSERT_EQ(Hex(it->second.bytes), Hex(RecordBytes(want)))
          << "record " << uncertainId << " is not as before or after its interrupted operation" << InFlightText(e);
    }
  }

  for (const auto& [id, record] : found) {
    int32_t hit = 0;
    std::string key = IdKey(id);
    SearchKey(h, 1, hit, key);
    ASSERT_TRUE(EngineOK && key == IdKey(id) && hit == record.ref) << "key 1 of record " << id << ": " << EngineStatus;
    int32_t dupRef = record.ref;
    std::string group = KeysOfRecord(record.bytes)[1];
    FindKeyAndRef(h, 2, dupRef, 0, group);
    ASSERT_TRUE(EngineOK) << "key 2 of record " << id << ": " << EngineStatus;
  }
  ASSERT_EQ(UsedRecords(h), int(found.size()));
  ASSERT_EQ(UsedKeys(h, 1), int(found.size()));
  ASSERT_EQ(UsedKeys(h, 2), int(found.size()));

  if (torn) {
    ++counts.tornChanges;
    const FoundRecord& record = found[uncertainId];
    const std::string tornGroup = KeysOfRecord(record.bytes)[1], group = GroupKey(f->after->group);
    if (tornGroup != group) {
      AddKey(h, 2, record.ref, group);
      ASSERT_TRUE(EngineOK) << EngineStatus;
      DeleteKey(h, 2, record.ref, tornGroup);
      ASSERT_TRUE(EngineOK) << EngineStatus;
    }
    PutRecord(h, record.ref, RecordBytes(*f->after).data());
    ASSERT_TRUE(EngineOK) << EngineStatus;
    found[uncertainId].bytes = RecordBytes(*f->after);
  }
  guard.Close();
  ASSERT_TRUE(EngineOK) << EngineStatus;

  survivors.clear();
  for (const auto& [id, record] : found) survivors[id] = *ParseRecord(record.bytes);
}

// After a kill: the open reports what the log implies, the block is rebuilt and checked, and
// its records are compared with the log.
void Recover(const std::string& block, const Expectation& e, RecordSet& survivors, Counts& counts) {
  const KeyBuilder keys = CheckerKeys();
  const OpenOutcome want = ExpectedOpen(e);
  FileBlock* h = nullptr;
  OpenFileBlock(h, block);
  if (EngineOK) {
    ++counts.cleanOpens;
    CloseFileBlock(h);
    ASSERT_TRUE(EngineOK) << EngineStatus;
    ASSERT_TRUE(want != OpenOutcome::Defective) << "the block opened cleanly after a change since its open";
    // Nothing was left unwritten: the block must be whole even before a rebuild.
    CheckResult check = CheckFileBlock(block, &keys);
    ASSERT_TRUE(check.Clean()) << "cleanly opened block:" << Findings(check);
    VerifyRecords(block, e, true, survivors, counts);
    if (::testing::Test::HasFatalFailure()) return;
  } else {
    ++counts.defectiveOpens;
    ASSERT_EQ(EngineStatus, status::kIndexDefective);
    ASSERT_TRUE(want != OpenOutcome::Clean) << "open refused although nothing had been changed";
  }

  test::SilentStatus statusWindow;
  bool dumped = false;
  ASSERT_TRUE(RebuildFileBlock(Target(block), statusWindow, &dumped)) << "rebuild: " << EngineStatus;
  ASSERT_FALSE(dumped) << "the rebuild found duplicate keys";
  CheckResult check = CheckFileBlock(block, &keys);
  ASSERT_TRUE(check.Clean()) << "rebuilt block:" << Findings(check);
  VerifyRecords(block, e, false, survivors, counts);
}

TEST(CrashRecoveryTest, ReturnedChangesSurviveAKillAtAnyPoint) {
  const uint64_t seed = TestSeed();
  SCOPED_TRACE("TF_CRASH_SEED=" + std::to_string(seed));
  test::TempFolder dir;
  const std::string block = dir.path() + "/CRASH";
  InitEngine(0, kMinPageBuffers);
  MakeFileBlock(block, kRecordLength, 2, BlockKeys());
  ASSERT_TRUE(EngineOK) << EngineStatus;
  ExitEngine();

  std::mt19937_64 rng(seed);
  const std::vector<KillPoint> kills = PlanKillPoints(rng);
  RecordSet records;
  Counts counts;
  for (int round = 0; round < kRounds; ++round) {
    const KillPoint& kill = kills[size_t(round)];
    SCOPED_TRACE("round " + std::to_string(round) + ": " + kill.Describe());
    WorkloadPlan plan{block, seed * 1000 + uint64_t(round), kill.entries / 2 + 2000,
                      round % 2 ? kMinPageBuffers : kProgramPageBuffers, kTargetRecords};
    RoundLog log;
    RunAndKill(plan, kill, log);
    if (HasFatalFailure()) return;
    ASSERT_FALSE(log.timedOut) << "the workload stopped writing its log";
    const bool killed = WIFSIGNALED(log.waitStatus) && WTERMSIG(log.waitStatus) == SIGKILL;
    const bool finished = WIFEXITED(log.waitStatus) && WEXITSTATUS(log.waitStatus) == 0;
    ASSERT_TRUE(killed || finished) << "workload ended with wait status " << log.waitStatus;

    std::optional<Expectation> e = Replay(records, log.entries);
    ASSERT_TRUE(e) << "the log is not a sequence of operations on the block";
    ASSERT_FALSE(e->failure) << "the workload met engine status " << e->failure.value_or(0);
    if (e->inFlight) ++counts.killedInside[e->inFlight->step];

    InitEngine(0, kProgramPageBuffers);
    Recover(block, *e, records, counts);
    ExitEngine();
    if (HasFatalFailure()) return;
    counts.largestBlock = std::max(counts.largestBlock, records.size());
  }
  auto inside = [&](Step s) { return counts.killedInside[s]; };
  std::printf("crash rounds: %d; opens refused %d, clean %d; killed inside open %d, close %d, add %d, "
              "change %d (record torn %d), delete %d; completed adds lost while waiting %zu; largest block %zu records\n",
              kRounds, counts.defectiveOpens, counts.cleanOpens, inside(Step::Open), inside(Step::Close),
              inside(Step::Add), inside(Step::Put), counts.tornChanges, inside(Step::Delete), counts.lostAdds,
              counts.largestBlock);
  // The rounds must have hit both kinds of state, kills inside changes and closes, and blocks
  // large enough for multi-level trees.
  EXPECT_GT(counts.defectiveOpens, kRounds / 2);
  EXPECT_GT(counts.cleanOpens, 0);
  EXPECT_GT(inside(Step::Add) + inside(Step::Put) + inside(Step::Delete), 0);
  EXPECT_GT(inside(Step::Close), 0);
  EXPECT_GT(counts.largestBlock, size_t(62 * 10));
}

}  // namespace
}  // namespace tf::crashtest
