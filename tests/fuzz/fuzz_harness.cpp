#include "tests/fuzz/fuzz_harness.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild.h"
#include "tests/fuzz/fuzz_images.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::fuzz {
namespace {

using namespace tf::engine;

constexpr int kMaxOperations = 64;
constexpr int kMaxWalkSteps = 2048;
const char* const kExtensions[] = {".DAT", ".IX", ".DIA", ".SAV", ".MSG"};

}  // namespace

// A fuzzer runs thousands of inputs a second and every close syncs: the temporary folder lies
// in memory where the system offers it. It is removed when the process ends.
const std::string& FuzzScratchDir() {
  static const test::TempFolder dir;
  return dir.path();
}

namespace {

void RemoveBlockFiles(const std::string& name) {
  for (const char* ext : kExtensions) std::remove((name + ext).c_str());
}

// Index problems that engine operations can never cause on a sound index, whatever keys and
// refs they are given (refs to dead records and records without keys are the caller's doing).
bool IndexStructureProblem(Problem p) {
  switch (p) {
    case Problem::IndexFileUnreadable:
    case Problem::IndexHeaderUnreadable:
    case Problem::PageGeometry:
    case Problem::IndexHeaderField:
    case Problem::IndexFileLength:
    case Problem::PageOutOfRange:
    case Problem::PageReachedTwice:
    case Problem::TreeTooDeep:
    case Problem::PageEntryCount:
    case Problem::PageUnderfilled:
    case Problem::PageShape:
    case Problem::LeafDepth:
    case Problem::KeyTooLong:
    case Problem::KeyOrder:
    case Problem::EntryCount:
    case Problem::PageFreeChainLink:
    case Problem::PageFreeChainCycle:
    case Problem::PageInTreeAndFree:
    case Problem::PageFreeChainLength:
    case Problem::PageLost:
      return true;
    default:
      return false;
  }
}

std::string FirstStructureProblem(const CheckResult& r) {
  for (const Finding& f : r.findings)
    if (IndexStructureProblem(f.problem)) return f.text;
  return {};
}

// The engine operations an input's script asks for, on one file block.
class Session {
 public:
  Session(std::string name, std::span<const uint8_t> script) : name_(std::move(name)), script_(script) {}
  ~Session() {
    if (h_) CloseFileBlock(h_);
  }

  int32_t Open() {
    OpenFileBlock(h_, name_);
    return EngineStatus;
  }

  // What an open vouches for, whatever the files held: a record length of at least 21 and a
  // data file long enough for every record the header counts. Empty when it holds.
  std::string AcceptedHeaderProblem() {
    std::error_code ec;
    const auto size = int64_t(std::filesystem::file_size(name_ + ".DAT", ec));
    const int length = RecordLength(h_), slots = FileLength(h_), used = UsedRecords(h_);
    if (length < kMinRecordLength) return "the open accepted record length " + std::to_string(length);
    if (ec || int64_t(slots) * length > size) return "the open accepted a header counting records past the file's end";
    if (used < 0 || used >= slots) return "the open accepted " + std::to_string(used) + " used records";
    return {};
  }

  int Run() {
    int done = 0;
    while (h_ && at_ < script_.size() && done < kMaxOperations) {
      Step();
      ++done;
    }
    return done;
  }

  // False if the close failed.
  bool Close() {
    if (!h_) return true;
    CloseFileBlock(h_);
    return EngineOK;
  }

 private:
  struct Position {
    int32_t ref = 0;
    std::string key;
  };

  uint8_t Byte() { return at_ < script_.size() ? script_[at_++] : 0; }
  uint16_t Word() { return uint16_t(Byte() | Byte() << 8); }

  // Mostly a valid key number, sometimes 0 or one past the last.
  int KeyNr() { return Byte() % (KeyCount(h_) + 2); }
  Position& Last(int k) { return last_[size_t(std::clamp(k, 0, kMaxKeys + 1))]; }

  // Either the entry a walk of this index met last, or bytes of the script (up to 33, so
  // the cut to 30 is exercised).
  std::string Key(int k) {
    uint8_t sel = Byte();
    if (sel & 1) return Last(k).key;
    std::string key(size_t((sel >> 1) % 34), '\0');
    for (char& c : key) c = char(Byte());
    return key;
  }
  int32_t Ref(int k) {
    uint8_t sel = Byte();
    return sel < 64 ? Last(k).ref : int32_t(sel) - 96;
  }
  void Seen(int k, int32_t ref, const std::string& key) {
    if (EngineOK) Last(k) = {ref, key};
  }
  std::vector<uint8_t> Record() {
    std::vector<uint8_t> r(size_t(std::max(RecordLength(h_), 0)));
    for (uint8_t& b : r) b = Byte();
    if (!r.empty() && (r[0] & 0x80) == 0) std::fill_n(r.begin(), std::min<size_t>(4, r.size()), 0);
    return r;
  }

  void Step() {
    const uint8_t op = Byte();
    const int k = KeyNr();
    Position& last = Last(k);
    switch (op % 18) {
      case 0: {
        Position p{0, Key(k)};
        SearchKey(h_, k, p.ref, p.key);
        Seen(k, p.ref, p.key);
        break;
      }
      case 1:
        for (int n = 1 + Byte() % 8; n > 0; --n) NextKey(h_, k, last.ref, last.key);
        break;
      case 2:
        for (int n = 1 + Byte() % 8; n > 0; --n) PrevKey(h_, k, last.ref, last.key);
        break;
      case 3: {
        ClearKey(h_, k);
        const bool forward = Byte() & 1;
        for (int n = 0; n < kMaxWalkSteps; ++n) {
          forward ? NextKey(h_, k, last.ref, last.key) : PrevKey(h_, k, last.ref, last.key);
          if (!EngineOK) break;
        }
        UsedKeys(h_, k);
        break;
      }
      case 4: {
        Position p{Ref(k), Key(k)};
        FindKeyAndRef(h_, k, p.ref, int(Byte() % 3) - 1, p.key);
        Seen(k, p.ref, p.key);
        break;
      }
      case 5: {
        uint16_t pos = 0;
        int32_t ref = Ref(k);
        std::string key = Key(k);
        KeyPosition(h_, k, pos, ref, key, Word());
        break;
      }
      case 6: {
        Position p;
        uint16_t pos = Word();
        KeyAtPosition(h_, k, pos, p.ref, p.key, Word());
        Seen(k, p.ref, p.key);
        break;
      }
      case 7:
      case 8: {
        const bool forward = op % 16 == 7;
        int32_t ref = forward ? 0 : FileLength(h_);
        std::vector<uint8_t> buffer(size_t(std::max(RecordLength(h_), 0)));
        for (int n = 0; n < kMaxWalkSteps; ++n) {
          forward ? NextRecord(h_, ref) : PrevRecord(h_, ref);
          if (!EngineOK) break;
          GetRecord(h_, ref, buffer.data());
        }
        UsedRecords(h_);
        break;
      }
      case 9: {
        std::vector<uint8_t> buffer(size_t(std::max(RecordLength(h_), 0)));
        GetRecord(h_, Ref(k), buffer.data());
        break;
      }
      case 10:
        AddKey(h_, k, Ref(k), Key(k));
        break;
      case 11:
        DeleteKey(h_, k, Ref(k), Key(k));
        break;
      case 12: {
        // As the application adds: the record, then each key built from it.
        std::vector<uint8_t> r = Record();
        int32_t ref = 0;
        AddRecord(h_, ref, r.data());
        if (!EngineOK) break;
        std::vector<std::string> keys = SampleKeys(r);
        for (int key = 1; key <= std::min(KeyCount(h_), 2); ++key) AddKey(h_, key, ref, keys[size_t(key - 1)]);
        break;
      }
      case 13:
        DeleteRecord(h_, Ref(k));
        break;
      case 14: {
        std::vector<uint8_t> r = Record();
        PutRecord(h_, Ref(k), r.data());
        break;
      }
      case 15:
        CloseFileBlock(h_);
        if (EngineOK) OpenFileBlock(h_, name_);
        break;
      case 16: {
        // Many keys at once, so that full pages split or share with their siblings.
        const std::string base = Key(k).substr(0, 28);
        for (int i = 0, n = 1 + Byte() % 96; i < n; ++i)
          AddKey(h_, k, 1000 + i, base + char('A' + i / 26) + char('A' + i % 26));
        break;
      }
      case 17:
        // Deleting each entry a walk returns, so that pages underflow and merge.
        ClearKey(h_, k);
        for (int i = 0, n = 1 + Byte() % 96; i < n; ++i) {
          NextKey(h_, k, last.ref, last.key);
          if (!EngineOK) break;
          DeleteKey(h_, k, last.ref, last.key);
        }
        break;
    }
  }

  std::string name_;
  std::span<const uint8_t> script_;
  size_t at_ = 0;
  FileBlock* h_ = nullptr;
  std::array<Position, kMaxKeys + 2> last_{};
};

// What a rebuild must make of `data`: its whole 32-byte slots after the header that are live,
// renumbered in order, except all-zero slots beyond the header's RecordCount; a record whose
// unique key an earlier one already holds is removed by DeleteRecord, so it stays in the file
// as a deleted slot at the head of the free chain. The dump file is written for those and for
// every slot whose status word is neither 0 nor a link of a chain of deleted slots ending at -1.
struct RebuildResult {
  Bytes file;
  int records = 0;  // live ones
  bool duplicates = false;  // the dump file is written
};

int32_t LoadWord(const Bytes& data, size_t at) {
  return int32_t(uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
                 uint32_t(data[at + 3]) << 24);
}

// True when some non-live slot's links do not end at -1 through non-live slots (checked by
// walking at most n steps from each slot: a longer walk is a loop).
bool AnyStraySlot(const std::vector<int32_t>& links) {
  const int64_t n = int64_t(links.size());
  for (int64_t start = 0; start < n; ++start) {
    if (links[size_t(start)] == 0) continue;
    int64_t at = start;
    for (int64_t steps = 0;; ++steps) {
      const int32_t link = links[size_t(at)];
      if (link == -1) break;
      if (link < 1 || link > n || links[size_t(link - 1)] == 0 || steps > n) return true;
      at = link - 1;
    }
  }
  return false;
}

RebuildResult ExpectedRebuild(const Bytes& data) {
  RebuildResult r;
  r.file.assign(kRecordLength, 0);
  auto put = [&](size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) r.file[at + size_t(i)] = uint8_t(uint32_t(v) >> (8 * i));
  };
  std::set<std::string> seen;
  int32_t slots = 0, firstFree = -1, deleted = 0;
  const int64_t headerCount = data.size() >= 21 ? LoadWord(data, 8) : INT64_MAX;
  std::vector<int32_t> links;
  for (size_t at = kRecordLength; at + kRecordLength <= data.size(); at += kRecordLength) {
    std::span<const uint8_t> record(&data[at], kRecordLength);
    links.push_back(LoadWord(data, at));
    if (record[0] | record[1] | record[2] | record[3]) continue;
    const int64_t ref = int64_t(at / kRecordLength);
    if (ref > headerCount && std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == 0; })) continue;
    r.file.insert(r.file.end(), record.begin(), record.end());
    ++slots;
    if (seen.insert(SampleKeys(record)[0]).second) continue;
    put(size_t(slots) * kRecordLength, firstFree);
    firstFree = slots;
    ++deleted;
  }
  r.records = slots - deleted;
  r.duplicates = deleted > 0 || AnyStraySlot(links);
  put(0, firstFree);
  put(4, deleted);
  put(8, slots);
  put(12, kRecordLength);
  put(16, 2);
  return r;
}

std::string Describe(const char* what) {
  return std::string(what) + " (status " + std::to_string(EngineStatus) + ")";
}

// Rebuilds the block and checks the result; returns the violation, if any.
std::string RebuildAndVerify(const std::string& name, int& records) {
  const std::optional<Bytes> data = ReadFileBytes(name + ".DAT");
  if (!data) return "the data file disappeared";
  const RebuildResult want = ExpectedRebuild(*data);

  const RebuildTarget target{name, "Fuzz", kRecordLength, SampleKeyDescriptors(),
                             [](std::span<const uint8_t> record, int keyNr) {
                               return SampleKeys(record)[size_t(keyNr - 1)];
                             }};
  test::SilentStatus window;
  bool dumped = false;
  if (!RebuildFileBlock(target, window, &dumped)) return Describe("the rebuild failed");
  if (dumped != want.duplicates) return dumped ? "a dump without duplicate keys" : "duplicate keys not dumped";

  FileBlock* h = nullptr;
  OpenFileBlock(h, name);
  if (!EngineOK) return Describe("the rebuilt block does not open");
  records = UsedRecords(h);
  const bool counts = records == want.records && UsedKeys(h, 1) == want.records && UsedKeys(h, 2) == want.records;
  CloseFileBlock(h);
  if (!counts) return "the rebuilt block's counts are wrong";
  if (!EngineOK) return Describe("closing the rebuilt block failed");

  const KeyBuilder keys = SampleKeys;
  const CheckResult check = CheckFileBlock(name, &keys);
  if (!check.Clean()) return "the rebuilt block has findings: " + check.findings.front().text;
  const Bytes got = ReadFileBytes(name + ".DAT").value_or(Bytes{});
  if (got != want.file) {
    size_t at = 0;
    while (at < got.size() && at < want.file.size() && got[at] == want.file[at]) ++at;
    return "the rebuilt data file is not the live records in order: " + std::to_string(got.size()) +
           " bytes, expected " + std::to_string(want.file.size()) + ", first difference at " + std::to_string(at);
  }
  return {};
}

}  // namespace

FuzzOutcome RunFuzzCase(std::span<const uint8_t> input) {
  const std::string& dir = FuzzScratchDir();
  const DecodedInput in = DecodeInput(input, dir);
  const std::string name = dir + "/F";
  RemoveBlockFiles(name);
  WriteFileBytes(name + ".DAT", in.images.data);
  if (in.images.index) WriteFileBytes(name + ".IX", *in.images.index);
  if (in.images.journal) WriteFileBytes(name + ".DIA", *in.images.journal);

  FuzzOutcome out;
  const KeyBuilder keys = SampleKeys;
  if (!in.images.journal) {
    const CheckResult before = CheckFileBlock(name);
    out.indexSoundBefore = in.images.index && FirstStructureProblem(before).empty();
  }
  InitEngine(0, kMinPageBuffers);
  {
    Session session(name, in.script);
    out.openStatus = session.Open();
    if (out.openStatus == 0) out.violation = session.AcceptedHeaderProblem();
    out.operations = session.Run();
    const bool closed = session.Close();
    if (closed && out.indexSoundBefore && out.openStatus == 0 && out.violation.empty()) {
      std::string broken = FirstStructureProblem(CheckFileBlock(name));
      if (!broken.empty()) out.violation = "engine operations damaged a sound index: " + broken;
    }
  }
  // Every open block is closed before the rebuild, which needs the files to itself.
  ExitEngine();
  CheckFileBlock(name, &keys);  // damage gives findings; the checker must only survive it
  InitEngine(0, kMinPageBuffers);
  if (out.violation.empty()) out.violation = RebuildAndVerify(name, out.recordsAfterRebuild);
  ExitEngine();
  RemoveBlockFiles(name);
  return out;
}

int RunFuzzInput(const uint8_t* data, size_t size) {
  FuzzOutcome out = RunFuzzCase({data, size});
  if (out.violation.empty()) return 0;
  std::fprintf(stderr, "fuzz violation: %s\n", out.violation.c_str());
  return 1;
}

}  // namespace tf::fuzz
