#include "tests/crash/crash_workload.h"

#include <unistd.h>

#include <random>
#include <unordered_map>
#include <vector>

#include "engine/core/engine.h"
#include "tests/crash/crash_block.h"
#include "tests/crash/crash_log.h"

namespace tf::crashtest {
namespace {

using namespace tf::engine;

constexpr int kExitOk = 0, kExitEngineFailure = 2, kExitLogFailure = 3;
// A record image the workload did not write: reported like an engine failure.
constexpr int32_t kForeignRecord = -1;

struct LiveRecord {
  int32_t ref;
  RecordState state;
  size_t slot;  // position in `ids_`
};

class Workload {
 public:
  Workload(const WorkloadPlan& plan, int logFd) : plan_(plan), fd_(logFd), rng_(plan.seed) {}

  int Run() {
    InitEngine(0, plan_.pageBuffers);
    if (!EngineOK) return Failed(EngineStatus);
    if (int rc = Open(true)) return rc;
    for (int i = 0; i < plan_.maxOperations; ++i)
      if (int rc = Next()) return rc;
    return Close();
  }

 private:
  int Begin(Step step, int32_t id = 0, const RecordState* after = nullptr) {
    LogEntry e{Phase::Begin, step, id};
    if (after) e.group = after->group, e.version = after->version;
    return WriteEntry(fd_, e) ? kExitOk : kExitLogFailure;
  }
  int End(Step step, int32_t id = 0) {
    return WriteEntry(fd_, LogEntry{Phase::End, step, id}) ? kExitOk : kExitLogFailure;
  }
  int Failed(int32_t status) {
    LogEntry e{Phase::Begin, Step::Failed};
    e.status = status;
    WriteEntry(fd_, e);
    return kExitEngineFailure;
  }
  // Checks the status of the engine call just made.
  int Check() { return EngineOK ? kExitOk : Failed(EngineStatus); }

  int Open(bool learnRecords) {
    if (int rc = Begin(Step::Open)) return rc;
    OpenFileBlock(handle_, plan_.blockName);
    if (int rc = Check()) return rc;
    if (learnRecords)
      if (int rc = LearnRecords()) return rc;
    return End(Step::Open);
  }

  int Close() {
    if (int rc = Begin(Step::Close)) return rc;
    CloseFileBlock(handle_);
    if (int rc = Check()) return rc;
    return End(Step::Close);
  }

  int LearnRecords() {
    std::vector<uint8_t> buffer(kRecordLength);
    int32_t ref = 0;
    for (;;) {
      NextRecord(handle_, ref);
      if (!EngineOK) return EngineStatus == status::kNoFurtherRecord ? kExitOk : Failed(EngineStatus);
      GetRecord(handle_, ref, buffer.data());
      if (int rc = Check()) return rc;
      std::optional<RecordState> r = ParseRecord(buffer);
      if (!r || live_.contains(r->id)) return Failed(kForeignRecord);
      Remember(ref, *r);
      if (r->id >= nextId_) nextId_ = r->id + 1;
    }
  }

  void Remember(int32_t ref, const RecordState& r) {
    live_[r.id] = LiveRecord{ref, r, ids_.size()};
    ids_.push_back(r.id);
  }
  void Forget(int32_t id) {
    size_t slot = live_.at(id).slot;
    ids_[slot] = ids_.back();
    live_.at(ids_[slot]).slot = slot;
    ids_.pop_back();
    live_.erase(id);
  }

  int Next() {
    uint32_t r = uint32_t(rng_() % 100);
    if (r < 2) {
      if (int rc = Close()) return rc;
      return Open(false);
    }
    const bool grow = int(live_.size()) < plan_.targetRecords;
    const uint32_t addUpTo = grow ? 57 : 35, putUpTo = grow ? 85 : 65;
    if (ids_.empty() || r < addUpTo) return Add();
    LiveRecord& victim = live_.at(ids_[rng_() % ids_.size()]);
    return r < putUpTo ? Change(victim) : Delete(victim);
  }

  int Add() {
    RecordState r{nextId_++, int32_t(rng_() % kGroups), 1};
    if (int rc = Begin(Step::Add, r.id, &r)) return rc;
    int32_t ref = 0;
    AddRecord(handle_, ref, RecordBytes(r).data());
    if (int rc = Check()) return rc;
    AddKey(handle_, 1, ref, IdKey(r.id));
    if (int rc = Check()) return rc;
    AddKey(handle_, 2, ref, GroupKey(r.group));
    if (int rc = Check()) return rc;
    Remember(ref, r);
    return End(Step::Add, r.id);
  }

  // A change as the application makes it: the changed key first (new entry, then the old one
  // removed), then the record. Half of the changes leave the group, and so the keys, alone.
  int Change(LiveRecord& victim) {
    RecordState r = victim.state;
    ++r.version;
    if (rng_() % 2) r.group = int32_t(rng_() % kGroups);
    if (int rc = Begin(Step::Put, r.id, &r)) return rc;
    if (r.group != victim.state.group) {
      AddKey(handle_, 2, victim.ref, GroupKey(r.group));
      if (int rc = Check()) return rc;
      DeleteKey(handle_, 2, victim.ref, GroupKey(victim.state.group));
      if (int rc = Check()) return rc;
    }
    PutRecord(handle_, victim.ref, RecordBytes(r).data());
    if (int rc = Check()) return rc;
    victim.state = r;
    return End(Step::Put, r.id);
  }

  int Delete(LiveRecord& victim) {
    const int32_t id = victim.state.id;
    if (int rc = Begin(Step::Delete, id)) return rc;
    DeleteKey(handle_, 1, victim.ref, IdKey(id));
    if (int rc = Check()) return rc;
    DeleteKey(handle_, 2, victim.ref, GroupKey(victim.state.group));
    if (int rc = Check()) return rc;
    DeleteRecord(handle_, victim.ref);
    if (int rc = Check()) return rc;
    Forget(id);
    return End(Step::Delete, id);
  }

  const WorkloadPlan& plan_;
  int fd_;
  std::mt19937_64 rng_;
  FileBlock* handle_ = nullptr;
  std::unordered_map<int32_t, LiveRecord> live_;
  std::vector<int32_t> ids_;
  int32_t nextId_ = 1;
};

}  // namespace

void RunWorkload(const WorkloadPlan& plan, int logFd) {
  Workload w(plan, logFd);
  ::_exit(w.Run());
}

}  // namespace tf::crashtest
