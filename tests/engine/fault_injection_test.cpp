// Every file call an operation makes, failed in turn: the Nth call (N = 1, 2, ... until the
// operation gets through), once or from then on, as a short read, a short write, EIO, ENOSPC
// or EMFILE. The operation must report the failure with its mapped status, and once the fault
// is gone an AddRecord, DeleteRecord, AddKey or DeleteKey that failed must have left the file
// block exactly as it was, in the engine's answers, after a close and after a reopen.
//
// The tree is shaped so that the AddKey splits a page (its sibling is full) and the DeleteKey
// merges two; with the smallest pool the other changed pages are evicted, and written back,
// inside the operation under test.

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::testing {
namespace {

using test::FaultFileSystem;
using test::FaultKind;
using test::FsCall;
using test::FsEvent;

constexpr int kLength = 32;
constexpr int kRecords = 40;
constexpr int kKeys = 800;

enum class Op { Open, Close, AddRecord, PutRecord, DeleteRecord, AddKey, DeleteKey };

const char* OpName(Op op) {
  static const char* const names[] = {"Open", "Close", "AddRecord", "PutRecord", "DeleteRecord", "AddKey", "DeleteKey"};
  return names[int(op)];
}

// What the file block should hold.
struct Model {
  std::set<KeyEntry> keys;
  std::map<int32_t, Bytes> records;
  std::vector<int32_t> freeSlots;  // back() is FirstFree
  int32_t recordCount = 0;
};

// The status the first injected failure must surface as.
int32_t ExpectedStatus(Op op, FaultKind kind, const FsEvent& first) {
  if (op == Op::Close) return status::kCloseFailed;
  switch (kind) {
    case FaultKind::ShortRead: return status::kShortRead;
    case FaultKind::ShortWrite: return status::kShortWrite;
    case FaultKind::Emfile: return status::kTooManyOpenFiles;
    case FaultKind::Eio:
    case FaultKind::Enospc:
      // Any failure to open the index file reads as a defective index.
      if (first.call == FsCall::Open && first.path.ends_with(".IX")) return status::kIndexDefective;
      return status::kOsFailure;
  }
  return -1;
}

int ErrnoOf(FaultKind kind) {
  switch (kind) {
    case FaultKind::Eio: return EIO;
    case FaultKind::Enospc: return ENOSPC;
    case FaultKind::Emfile: return EMFILE;
    default: return 0;
  }
}

class FaultSweepTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!HasFatalFailure()) BuildTemplate();
  }

  // The template file block: records 1..40; 800 keys in a two-level tree whose leaves a and
  // a + 1 are full (so adding to a splits it) and whose leaves b and b + 1 hold 31 each (so
  // deleting from b merges them).
  void BuildTemplate() {
    FileBlock* h = Make("TPL", kLength, {{6, 0}});
    for (int r = 1; r <= kRecords; ++r) {
      int32_t ref = 0;
      Bytes rec = RecordBytes(kLength, "R" + std::to_string(r));
      AddRecord(h, ref, rec.data());
      tpl_.records[ref] = rec;
    }
    tpl_.recordCount = kRecords;
    for (int i = 0; i < kKeys; ++i) {
      AddKey(h, 1, 100 + i, NumberedKey(3 * i));
      tpl_.keys.insert({NumberedKey(3 * i), 100 + i});
    }
    CloseFileBlock(h);
    std::vector<PageImage> leaves = Leaves();
    ASSERT_GE(leaves.size(), 10u);
    const size_t a = 1, b = 4;

    h = Open("TPL");
    for (size_t leaf : {a, a + 1}) {
      int lo = std::stoi(leaves[leaf].entries.front().key.substr(1));
      int hi = std::stoi(leaves[leaf].entries.back().key.substr(1));
      int need = 62 - leaves[leaf].count;
      for (int n = lo + 1; need > 0 && n < hi; n += 3, --need) {
        AddKey(h, 1, 5000 + n, NumberedKey(n));
        tpl_.keys.insert({NumberedKey(n), 5000 + n});
      }
      ASSERT_EQ(need, 0);
      if (leaf == a) splitKey_ = NumberedKey(lo + 2);
    }
    for (size_t leaf : {b, b + 1}) {
      const auto& entries = leaves[leaf].entries;
      for (size_t i = 31; i < entries.size(); ++i) {
        DeleteKey(h, 1, entries[i].ref, entries[i].key);
        tpl_.keys.erase({entries[i].key, entries[i].ref});
      }
    }
    merge_ = {leaves[b].entries.front().key, leaves[b].entries.front().ref};
    // One entry from each of seven other leaves that can lose one without rebalancing: with
    // the root they fill the smallest pool with changed pages.
    for (size_t leaf = 0; leaf < leaves.size() && primeDeletes_.size() < 7; ++leaf) {
      if (leaf >= a && leaf <= b + 1) continue;
      if (leaves[leaf].count > 31) primeDeletes_.push_back({leaves[leaf].entries[5].key, leaves[leaf].entries[5].ref});
    }
    ASSERT_EQ(primeDeletes_.size(), 7u);
    CloseFileBlock(h);
    ASSERT_TRUE(EngineOK);

    leaves = Leaves();
    ASSERT_EQ(leaves[a].count, 62);
    ASSERT_EQ(leaves[a + 1].count, 62);
    ASSERT_EQ(leaves[b].count, 31);
    ASSERT_EQ(leaves[b + 1].count, 31);
    IndexImage image(IndexPath("TPL"), 1);
    tplPages_ = image.Header(1).pageCount;
    tplFreePages_ = image.Header(1).freePageCount;
    if (GetParam() == kMinPageBuffers) {
      ASSERT_GT(tplPages_, GetParam()) << "the tree must not fit in the pool";
    }
  }

  std::vector<PageImage> Leaves() const {
    IndexImage image(IndexPath("TPL"), 1);
    PageImage root = image.Page(1, image.Header(1).rootPage);
    std::vector<PageImage> leaves;
    for (int i = 0; i <= root.count; ++i) leaves.push_back(image.Page(1, root.Child(i)));
    return leaves;
  }

  void CopyTemplate() {
    for (const char* ext : {".DAT", ".IX"})
      std::filesystem::copy_file(dir_ / ("TPL" + std::string(ext)), dir_ / ("RUN" + std::string(ext)),
                                 std::filesystem::copy_options::overwrite_existing);
  }

  // Other changes first, so that the pool holds changed pages and the free chain a slot.
  void Prime(FileBlock* h, Model& m) {
    for (const KeyEntry& e : primeDeletes_) {
      DeleteKey(h, 1, e.second, e.first);
      ASSERT_TRUE(EngineOK);
      m.keys.erase(e);
    }
    for (int32_t r : {10, 20}) {
      DeleteRecord(h, r);
      ASSERT_TRUE(EngineOK);
      m.records.erase(r);
      m.freeSlots.push_back(r);
    }
  }

  void Perform(Op op, FileBlock*& h, int32_t& ref) {
    const Bytes added = RecordBytes(kLength, "added"), put = RecordBytes(kLength, "put");
    switch (op) {
      case Op::Open: OpenFileBlock(h, Name("RUN")); break;
      case Op::Close: CloseFileBlock(h); break;
      case Op::AddRecord: AddRecord(h, ref, added.data()); break;
      case Op::PutRecord: PutRecord(h, 7, put.data()); break;
      case Op::DeleteRecord: DeleteRecord(h, 8); break;
      case Op::AddKey: AddKey(h, 1, 9999, splitKey_); break;
      case Op::DeleteKey: DeleteKey(h, 1, merge_.second, merge_.first); break;
    }
  }

  // The model after a successful operation.
  void Apply(Op op, Model& m, int32_t ref) {
    switch (op) {
      case Op::AddRecord: {
        int32_t want = m.freeSlots.empty() ? m.recordCount + 1 : m.freeSlots.back();
        ASSERT_EQ(ref, want);
        if (m.freeSlots.empty()) ++m.recordCount; else m.freeSlots.pop_back();
        m.records[ref] = RecordBytes(kLength, "added");
        break;
      }
      case Op::PutRecord: m.records[7] = RecordBytes(kLength, "put"); break;
      case Op::DeleteRecord: m.records.erase(8); m.freeSlots.push_back(8); break;
      case Op::AddKey: m.keys.insert({splitKey_, 9999}); break;
      case Op::DeleteKey: m.keys.erase(merge_); break;
      default: break;
    }
  }

  // The engine's answers agree with the model.
  void ExpectAnswers(FileBlock* h, const Model& m) {
    ASSERT_EQ(UsedKeys(h, 1), int(m.keys.size()));
    ASSERT_EQ(WalkKeys(h, 1), std::vector<KeyEntry>(m.keys.begin(), m.keys.end()));
    ASSERT_EQ(UsedRecords(h), int(m.records.size()));
    ASSERT_EQ(FileLength(h), m.recordCount + 1);
    std::vector<int32_t> live;
    for (const auto& [ref, bytes] : m.records) live.push_back(ref);
    ASSERT_EQ(WalkRecords(h), live);
    Bytes rec(kLength);
    for (const auto& [ref, bytes] : m.records) {
      GetRecord(h, ref, rec.data());
      ASSERT_EQ(rec, bytes) << "record " << ref;
    }
  }

  // Answers, then a clean close, the files on disk, a reopen and the answers again.
  void ExpectFileBlock(FileBlock*& h, const Model& m) {
    if (h) {
      ExpectAnswers(h, m);
      CloseFileBlock(h);
      ASSERT_TRUE(EngineOK) << EngineStatus;
    }
    DataHeaderImage d = DataHeaderImage::Read(DataPath("RUN"));
    EXPECT_EQ(d.updateFlag, 0);
    EXPECT_EQ(d.recordCount, m.recordCount);
    EXPECT_EQ(d.deletedCount, int(m.freeSlots.size()));
    EXPECT_EQ(d.firstFree, m.freeSlots.empty() ? -1 : m.freeSlots.back());
    EXPECT_EQ(ReadFileBytes(DataPath("RUN")).size(), size_t(m.recordCount + 1) * kLength);
    TreeReport report = IndexImage(IndexPath("RUN"), 1).Check(1);
    ASSERT_TRUE(report.problems.empty()) << report.Describe();
    ASSERT_EQ(report.entries, std::vector<KeyEntry>(m.keys.begin(), m.keys.end()));
    h = Open("RUN");
    ASSERT_NE(h, nullptr);
    ExpectAnswers(h, m);
    CloseFileBlock(h);
  }

  // One run with the Nth call failing. False when no call failed (the sweep is done); then
  // `reached` is how many calls the fault could have hit in that clean run.
  bool RunOnce(Op op, bool primed, FaultKind kind, int n, bool persistent, size_t& reached) {
    CopyTemplate();
    Model m = tpl_;
    FileBlock* h = nullptr;
    if (op != Op::Open) {
      h = Open("RUN");
      if (primed) Prime(h, m);
    }
    faulty_.Reset();  // the log holds the operation's calls alone
    faulty_.Arm(kind, n, persistent);
    int32_t ref = 0;
    Perform(op, h, ref);
    const std::vector<FsEvent> injected = faulty_.Injected();
    std::vector<FsEvent> writes;
    for (const FsEvent& e : faulty_.Log())
      if (e.Whole() && e.size > 0) writes.push_back(e);
    reached = faulty_.Reached();
    faulty_.Reset();

    if (injected.empty()) {
      EXPECT_TRUE(EngineOK) << EngineStatus;
      Apply(op, m, ref);
      ExpectFileBlock(h, m);
      if (op == Op::AddKey || op == Op::DeleteKey) {
        const std::string index = IndexPath("RUN");
        if (primed && GetParam() == kMinPageBuffers) {
          EXPECT_GE(std::count_if(writes.begin(), writes.end(), [&](const FsEvent& w) { return w.path == index; }), 2)
              << "no changed page was written back inside the operation";
        }
        IndexImage image(index, 1);
        if (op == Op::AddKey) {
          EXPECT_EQ(image.Header(1).pageCount, tplPages_ + 1) << "the AddKey did not split";
        }
        if (op == Op::DeleteKey) {
          EXPECT_EQ(image.Header(1).freePageCount, tplFreePages_ + 1) << "the DeleteKey did not merge";
        }
      }
      return false;
    }

    const FsEvent& first = injected.front();
    SCOPED_TRACE(std::string("first failed call: ") + test::Name(first.call) + " " + first.path);
    EXPECT_FALSE(EngineOK) << "success reported after a failed call";
    EXPECT_EQ(EngineStatus, ExpectedStatus(op, kind, first));
    if (ErrnoOf(kind)) {
      EXPECT_EQ(EngineOsError, ErrnoOf(kind));
    }

    switch (op) {
      case Op::Open:
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(faulty_.OpenDescriptors(), 0u);
        ExpectFileBlock(h, m);
        break;
      case Op::Close: {
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(faulty_.OpenDescriptors(), 0u);
        // UpdateFlag is cleared only when everything before it got through.
        const std::string data = DataPath("RUN");
        auto cleared = std::find_if(writes.begin(), writes.end(), [&](const FsEvent& w) {
          return w.path == data && w.offset == 20 && w.size == 1 && w.ByteAt(20) == 0;
        });
        if (cleared != writes.end()) {
          EXPECT_LT(cleared->index, first.index) << "UpdateFlag cleared after a failure";
        }
        if (primed && cleared == writes.end()) {
          OpenFileBlock(h, Name("RUN"));
          EXPECT_EQ(h, nullptr);
          EXPECT_EQ(EngineStatus, status::kIndexDefective) << "a failed close must leave the block marked";
        } else {
          ExpectFileBlock(h, m);
        }
        break;
      }
      default:
        // Nothing changed (a failed PutRecord may have written part of its record): the same
        // answers; then the operation goes through.
        if (op != Op::PutRecord) ExpectAnswers(h, m);
        if (HasFatalFailure()) return true;
        Perform(op, h, ref);
        EXPECT_TRUE(EngineOK) << "retry: " << EngineStatus;
        Apply(op, m, ref);
        ExpectFileBlock(h, m);
        break;
    }
    return true;
  }

  // Fails every file call the operation makes, in turn, for every kind of fault. The clean
  // run that ends each kind's sweep must have made exactly the calls the sweep failed, and
  // the sweep as a whole must have failed some: an operation whose calls bypass the file
  // layer would otherwise pass untested.
  void Sweep(Op op, bool primed) {
    ScopedFileSystem scoped(faulty_);
    size_t swept = 0;
    for (FaultKind kind : {FaultKind::ShortRead, FaultKind::ShortWrite, FaultKind::Eio, FaultKind::Enospc, FaultKind::Emfile})
      for (bool persistent : {false, true})
        for (int n = 1;; ++n) {
          SCOPED_TRACE(std::string(OpName(op)) + (primed ? " after other changes" : " as the first change") +
                       ", call " + std::to_string(n) + " fails " + (persistent ? "from then on, " : "once, ") +
                       test::Name(kind));
          size_t reached = 0;
          bool failed = RunOnce(op, primed, kind, n, persistent, reached);
          if (HasFailure()) return;
          if (!failed) {
            EXPECT_EQ(reached, size_t(n - 1)) << "the sweep did not fail every call the operation makes";
            swept += reached;
            break;
          }
          ASSERT_LT(n, 100) << "the operation never gets through";
        }
    EXPECT_GT(swept, 0u) << "no fault was injected: the operation's file calls bypass the file layer";
  }

  Model tpl_;
  std::string splitKey_;
  KeyEntry merge_;
  std::vector<KeyEntry> primeDeletes_;
  int tplPages_ = 0;
  int tplFreePages_ = 0;
  FaultFileSystem faulty_;
};

TEST_P(FaultSweepTest, Open) { Sweep(Op::Open, false); }
TEST_P(FaultSweepTest, CloseUnchanged) { Sweep(Op::Close, false); }
TEST_P(FaultSweepTest, CloseChanged) { Sweep(Op::Close, true); }
TEST_P(FaultSweepTest, AddRecordAppending) { Sweep(Op::AddRecord, false); }
TEST_P(FaultSweepTest, AddRecordReusing) { Sweep(Op::AddRecord, true); }
TEST_P(FaultSweepTest, PutRecord) { Sweep(Op::PutRecord, false); }
TEST_P(FaultSweepTest, DeleteRecordFirstChange) { Sweep(Op::DeleteRecord, false); }
TEST_P(FaultSweepTest, DeleteRecord) { Sweep(Op::DeleteRecord, true); }
TEST_P(FaultSweepTest, AddKeySplittingFirstChange) { Sweep(Op::AddKey, false); }
TEST_P(FaultSweepTest, AddKeySplitting) { Sweep(Op::AddKey, true); }
TEST_P(FaultSweepTest, DeleteKeyMergingFirstChange) { Sweep(Op::DeleteKey, false); }
TEST_P(FaultSweepTest, DeleteKeyMerging) { Sweep(Op::DeleteKey, true); }

TF_POOL_SIZES(FaultSweepTest);

}  // namespace
}  // namespace tf::engine::testing
