// Reading rows for the index browser: the record of each entry goes into the window's buffer
// and the window formats the row. Every walk starts from a row's (key, ref) rather than from
// the index's current position, which the window's own lookups on the same index move.

#include "browse/browse_source.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>

#include "engine/core/key_compare.h"

namespace tf::browse {

namespace {

std::string Cut(std::string_view key) { return std::string(key.substr(0, engine::kMaxKeyLength)); }

std::string_view Prefix(std::string_view key, std::size_t n) { return key.substr(0, std::min(n, key.size())); }

// The smallest probe above every key that starts with `high` (or above every key at all).
void ProbeAbove(const std::string& high, std::string& key, int32_t& ref) {
  std::string p = high;
  while (!p.empty() && static_cast<unsigned char>(p.back()) == 0xFF) p.pop_back();
  if (p.empty()) {
    key.assign(engine::kMaxKeyLength, '\xFF');
    ref = INT32_MAX;
    return;
  }
  p.back() = static_cast<char>(static_cast<unsigned char>(p.back()) + 1);
  key = p;
  ref = INT32_MIN;
}

// Tells the window while the filter skips entries, and lets it give up.
class FilterProgress {
 public:
  explicit FilterProgress(const BrowseEvents& events) : events_(events) {}
  // One more entry was rejected; false when the window gives up.
  bool Rejected() {
    ++rejected_;
    bool giveUp = false;
    if (events_.OnShowFilterWorking) events_.OnShowFilterWorking(rejected_ == 1 ? 1 : 2, giveUp);
    return !giveUp;
  }
  void End() {
    if (rejected_ && events_.OnShowFilterWorking) {
      bool ignored = false;
      events_.OnShowFilterWorking(0, ignored);
    }
    rejected_ = 0;
  }

 private:
  const BrowseEvents& events_;
  int rejected_ = 0;
};

std::string ErrorText(int errorClass, int32_t status) {
  return "Class " + std::to_string(errorClass) + " error.  Isam Error " + std::to_string(status);
}

}  // namespace

BrowseError::BrowseError(int errorClass, int32_t status)
    : std::runtime_error(ErrorText(errorClass, status)), errorClass_(errorClass), status_(status) {}

BrowseSource::BrowseSource(engine::FileBlock* file, int keyNr, void* recordBuffer, std::size_t bufferSize,
                           std::string_view lowBound, std::string_view highBound, int rowBuffers)
    : sleep([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }),
      file_(file),
      keyNr_(keyNr),
      buffer_(static_cast<uint8_t*>(recordBuffer), recordBuffer ? bufferSize : 0),
      low_(Cut(lowBound)),
      high_(Cut(highBound)),
      rowBuffers_(std::clamp(rowBuffers, 1, kBrowseRowBuffers)),
      calls_(&DirectBrowseEngineCalls()) {
  // Every read writes a whole record into the buffer, and the deleted test looks at 4 bytes.
  const int recordLength = RecordLength(file);
  if (!recordBuffer || bufferSize < std::size_t(std::max(recordLength, 4)))
    throw std::invalid_argument("browse source: record buffer smaller than a record");
}

bool BrowseSource::InRange(std::string_view key) const {
  if (engine::CompareKeys(key, low_) < 0) return false;  // same as comparing the first len(low) characters
  return !AboveRange(key);
}

bool BrowseSource::AboveRange(std::string_view key) const {
  return !high_.empty() && engine::CompareKeys(Prefix(key, high_.size()), high_) > 0;
}

template <class Call>
void BrowseSource::RetryWhileBusy(Call call) {
  call();
  for (int retry = 0; retry < kBusyRetries && !engine::EngineOK && engine::EngineErrorClass() == 2; ++retry) {
    if (sleep) sleep(kBusyPause);
    call();
  }
}

template <class Call>
bool BrowseSource::KeyCall(Call call) {
  RetryWhileBusy(call);
  if (engine::EngineOK) return true;
  const int errorClass = engine::EngineErrorClass();
  if (errorClass >= 2) throw BrowseError(errorClass, engine::EngineStatus);
  return false;
}

// Moves (key, ref) to the neighbouring entry. The entry itself may be gone by now; then the
// neighbour is the next greater (smaller) entry. A failed step leaves the index without a
// position, so a busy retry repeats the whole step, the re-finding included.
bool BrowseSource::Neighbour(std::string& key, int32_t& ref, int direction) {
  std::string k;
  int32_t r = 0;
  const bool reached = KeyCall([&] {
    k = key;
    r = ref;
    calls_->FindKeyAndRef(file_, keyNr_, r, 0, k);
    if (engine::EngineOK) {
      if (direction > 0)
        calls_->NextKey(file_, keyNr_, r, k);
      else
        calls_->PrevKey(file_, keyNr_, r, k);
      return;
    }
    if (engine::EngineErrorClass() != 1) return;
    k = key;
    r = ref;
    calls_->FindKeyAndRef(file_, keyNr_, r, direction, k);
  });
  if (!reached) return false;
  key = std::move(k);
  ref = r;
  return true;
}

// The first entry from (key, ref) in `direction` that lies in the range and passes the
// filter, the start itself included when `includeStart`.
bool BrowseSource::Scan(std::string key, int32_t ref, int direction, bool includeStart, RowRec& out) {
  FilterProgress progress(events);
  bool atStart = includeStart;
  for (;;) {
    if (!atStart && !Neighbour(key, ref, direction)) break;
    atStart = false;
    if (!InRange(key)) break;
    RowRec row;
    row.Key = key;
    row.Ref = ref;
    if (Accept(row)) {
      progress.End();
      out = std::move(row);
      return true;
    }
    if (!progress.Rejected()) break;
  }
  progress.End();
  return false;
}

bool BrowseSource::First(RowRec& out) { return AtOrAfter(low_, INT32_MIN, out); }

bool BrowseSource::Last(RowRec& out) {
  std::string probe;
  int32_t probeRef = 0;
  ProbeAbove(high_, probe, probeRef);
  std::string key;
  int32_t ref = 0;
  if (!KeyCall([&] {
        key = probe;
        ref = probeRef;
        calls_->FindKeyAndRef(file_, keyNr_, ref, -1, key);
      }))
    return false;
  // Only an entry equal to the probe itself can lie above the range; the one before it cannot.
  if (AboveRange(key) && !Neighbour(key, ref, -1)) return false;
  return Scan(key, ref, -1, true, out);
}

bool BrowseSource::AtOrAfter(std::string_view key, int32_t ref, RowRec& out) {
  std::string probe = Cut(key);
  int32_t probeRef = ref;
  if (engine::CompareKeys(probe, low_) < 0) {
    probe = low_;
    probeRef = INT32_MIN;
  }
  std::string found;
  int32_t foundRef = 0;
  if (!KeyCall([&] {
        found = probe;
        foundRef = probeRef;
        calls_->FindKeyAndRef(file_, keyNr_, foundRef, 1, found);
      }))
    return false;
  return Scan(found, foundRef, 1, true, out);
}

bool BrowseSource::After(const RowRec& from, RowRec& out) { return Scan(from.Key, from.Ref, 1, false, out); }

bool BrowseSource::Before(const RowRec& from, RowRec& out) { return Scan(from.Key, from.Ref, -1, false, out); }

int BrowseSource::Load(RowRec& row) {
  RetryWhileBusy([&] { calls_->GetRecord(file_, row.Ref, buffer_); });
  int outcome = 0;
  if (!engine::EngineOK) {
    outcome = engine::EngineErrorClass();
  } else {
    // A live record starts with four zero bytes; a deleted one holds its free-chain link there.
    static constexpr unsigned char kLive[4] = {0, 0, 0, 0};
    if (std::memcmp(buffer_.data(), kLive, 4) != 0) outcome = 1;
  }
  row.Status = outcome == 0 ? 0 : -1;
  row.Row.clear();
  if (events.OnBuildRow)
    events.OnBuildRow(row);
  else
    MissingBuildRow(row);
  if (row.Row.size() > kMaxRowText) row.Row.resize(kMaxRowText);
  row.Valid = true;
  return outcome;
}

bool BrowseSource::Accept(RowRec& row) {
  Load(row);
  if (!filterEnabled_ || !events.OnPerformFilter) return true;
  bool useIt = true;
  events.OnPerformFilter(row, useIt);
  return useIt;
}

int BrowseSource::Reread(RowRec& row) { return Load(row); }

uint16_t BrowseSource::PositionOf(const RowRec& row, uint16_t scale) {
  uint16_t pos = 0;
  if (!KeyCall([&] {
        pos = 0;
        calls_->KeyPosition(file_, keyNr_, pos, row.Ref, row.Key, scale);
      }))
    return 0;
  return std::min(pos, scale);
}

bool BrowseSource::EntryAt(uint16_t pos, uint16_t scale, std::string& key, int32_t& ref) {
  return KeyCall([&] {
    key.clear();
    ref = 0;
    calls_->KeyAtPosition(file_, keyNr_, pos, ref, key, scale);
  });
}

void BrowseSource::PageFillStarts() {
  if (events.OnPreCompletePage) events.OnPreCompletePage();
}

void BrowseSource::PageFillEnds() {
  if (events.OnPostCompletePage) events.OnPostCompletePage();
}

int BrowseSource::MissingBuildRow(RowRec& rr) {
  rr.Row = kNoBuildRowText;
  return 0;
}

}  // namespace tf::browse
