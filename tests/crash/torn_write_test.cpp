// A process killed while it writes a record can leave the write cut at a page boundary of the
// file: the kernel copies a write page by page and stops between pages once the kill is
// pending. These tests cut record writes exactly there (a file layer that writes up to the
// boundary and then ends the process) at every interesting place in the slot, and check what
// a rebuild finds afterwards.
//
// An AddRecord into a freed slot must leave the slot either still deleted or holding the whole
// new record: never a live mix of the new record and the deleted one, never the deleted record
// brought back to life (a cut inside the first four bytes can zero what is left of the link).
// A PutRecord cut short leaves its record torn between the two versions; the crash recovery
// test accepts that for the change in flight.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "engine/core/engine.h"
#include "engine/core/file_system.h"
#include "engine/rebuilding/rebuild.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_folder.h"

namespace tf::crashtest {
namespace {

using namespace tf::engine;

constexpr int kPage = 4096;
constexpr int kLength = 51;  // odd, so that a page boundary can fall at any byte of some slot
constexpr int kCutExit = 9;

using Bytes = std::vector<uint8_t>;

Bytes Record(int serial) {
  Bytes r(kLength, 0);
  for (int i = 4; i < kLength; ++i) r[size_t(i)] = uint8_t('A' + (serial * 7 + i) % 26);
  r[4] = uint8_t(serial);
  r[5] = uint8_t(serial >> 8);
  return r;
}

std::string Hex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : bytes) s += {digits[b >> 4], digits[b & 15]};
  return s;
}

// The slot whose bytes [cut, ...) start a page: (slot * kLength + cut) % kPage == 0.
int32_t SlotCutAt(int cut) {
  for (int32_t slot = 2;; ++slot)
    if ((int64_t(slot) * kLength + cut) % kPage == 0) return slot;
}

// Where the page boundary falls in the slot, and whether a write crosses it there: the engine
// writes a reused slot's fields first and its link last, as two writes, so at the link's end
// (byte 4) no write crosses the boundary; that case ends the process after the whole change,
// before the close.
struct Cut {
  int at;
  bool torn;
};

struct TornWriteTest : ::testing::TestWithParam<Cut> {
  void SetUp() override {
    block = dir.path() + "/TORN";
    InitEngine(0, kMinPageBuffers);
  }
  void TearDown() override { ExitEngine(); }

  // Runs `change` on the open block in a child process whose first write to the data file that
  // crosses a page boundary is cut there, the process ending with it, or else right after the
  // change, before the block is closed. `torn` says which must happen: a case meant to cut a
  // write that cut none would test nothing.
  void RunCut(const std::function<void(FileBlock*)>& change, bool torn) {
    ExitEngine();
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      static test::FaultFileSystem tearing;
      SetFileSystem(&tearing);
      InitEngine(0, kMinPageBuffers);
      FileBlock* h = nullptr;
      OpenFileBlock(h, block);
      if (!EngineOK) ::_exit(2);
      tearing.ExitOnCrash(kCutExit);
      tearing.TearWriteAcross(kPage, ".DAT");
      change(h);
      ::_exit(0);  // no write crossed a page boundary: the process still ends without a close
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    InitEngine(0, kMinPageBuffers);
    ASSERT_TRUE(WIFEXITED(status)) << "the change failed: " << status;
    ASSERT_EQ(WEXITSTATUS(status), torn ? kCutExit : 0)
        << (torn ? "no write crossed the page boundary: nothing was cut" : "the change failed or was cut");
  }

  // The live records after a rebuild of the data file.
  std::vector<Bytes> RebuiltRecords() {
    RebuildDataFile(block, kLength, kLength, KeepLiveRecords, nullptr, nullptr);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    FileBlockGuard g;
    OpenFileBlock(g.handle(), block);
    EXPECT_TRUE(EngineOK) << EngineStatus;
    std::vector<Bytes> out;
    Bytes r(kLength);
    for (int32_t ref = 0;;) {
      NextRecord(g.get(), ref);
      if (!EngineOK) break;
      GetRecord(g.get(), ref, r.data());
      out.push_back(r);
    }
    return out;
  }

  test::TempFolder dir;
  std::string block;
};

TEST_P(TornWriteTest, AddRecordIntoAFreedSlotIsWholeOrAbsent) {
  const int cut = GetParam().at;
  const int32_t slot = SlotCutAt(cut);
  // Records 1..slot+1; record 1 is deleted first, then `slot`, so the freed slot's link is 1
  // (three zero bytes after the cut in any of the link's first bytes).
  MakeFileBlock(block, kLength, 0, {});
  FileBlock* h = nullptr;
  OpenFileBlock(h, block);
  ASSERT_TRUE(EngineOK);
  std::set<Bytes> kept;
  for (int i = 1; i <= slot + 1; ++i) {
    int32_t ref = 0;
    AddRecord(h, ref, Record(i).data());
    ASSERT_EQ(ref, i);
    if (i != 1 && i != slot) kept.insert(Record(i));
  }
  DeleteRecord(h, 1);
  DeleteRecord(h, slot);
  ASSERT_TRUE(EngineOK);
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK);

  const Bytes added = Record(60000);
  RunCut([&](FileBlock* fb) {
    int32_t ref = 0;
    AddRecord(fb, ref, added.data());
  }, GetParam().torn);
  if (HasFatalFailure()) return;

  std::vector<Bytes> live = RebuiltRecords();
  std::set<Bytes> seen(live.begin(), live.end());
  EXPECT_FALSE(seen.contains(Record(slot))) << "the deleted record came back";
  seen.erase(added);  // the add was in flight: it may be there, whole
  for (const Bytes& r : seen)
    EXPECT_TRUE(kept.contains(r) || r == Record(slot)) << "a live record no operation wrote: " << Hex(r);
  for (const Bytes& r : kept) EXPECT_TRUE(seen.contains(r)) << "a record is lost: " << Hex(r);
}

// Cuts inside the link (1..3), at its end, inside the record's fields and at its last byte.
INSTANTIATE_TEST_SUITE_P(Cuts, TornWriteTest,
                         ::testing::Values(Cut{1, true}, Cut{2, true}, Cut{3, true}, Cut{4, false}, Cut{5, true},
                                           Cut{12, true}, Cut{30, true}, Cut{kLength - 1, true}),
                         [](const ::testing::TestParamInfo<Cut>& info) { return "cut" + std::to_string(info.param.at); });

}  // namespace
}  // namespace tf::crashtest
