// A failing or crashing file layer at every file call of a rebuild: the records always survive
// in N.DAT or N.SAV, a failed rebuild never leaves an index that opens as if it were whole, and
// the next rebuild on a healthy disk brings everything back.

#include <filesystem>

#include "tests/rebuild/rebuild_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::rebuild_test {
namespace {

using test::FaultFileSystem;
using test::FsCall;
using test::FsEvent;

namespace fs = std::filesystem;

class CrashTest : public RebuildTest {
 protected:
  void SetUp() override {
    RebuildTest::SetUp();
    live_ = MakeCrashedBlock("ORIG", 200);
    original_ = ReadFileBytes(DataPath("ORIG"));
    FaultFileSystem counter;
    Restore();
    {
      ScopedFileSystem use(counter);
      ASSERT_TRUE(RebuildStandard("WORK")) << EngineStatus;
    }
    calls_ = int(counter.Calls());
    ASSERT_GT(calls_, 20);
  }

  // The crashed file block again under the name the rebuilds work on.
  void Restore() {
    for (const char* ext : {".DAT", ".IX", ".SAV", ".MSG", ".DIA"}) fs::remove(Name("WORK") + ext);
    fs::copy_file(DataPath("ORIG"), DataPath("WORK"));
    fs::copy_file(IndexPath("ORIG"), IndexPath("WORK"));
  }

  // The records are whole in N.DAT or in N.SAV; N.SAV is only ever the untouched original. With
  // both there the next rebuild refuses and changes nothing, and the user removes N.DAT.
  void ExpectRecordsSafe() {
    const bool sav = FileExists(Sav("WORK")), dat = FileExists(DataPath("WORK"));
    ASSERT_TRUE(sav || dat) << "no data file left";
    if (!sav) return;
    ASSERT_EQ(ReadFileBytes(Sav("WORK")), original_);
    if (!dat) return;
    const Bytes partial = ReadFileBytes(DataPath("WORK"));
    EXPECT_FALSE(RebuildStandard("WORK"));
    EXPECT_EQ(EngineStatus, status::kRebuildInterrupted);
    EXPECT_EQ(ReadFileBytes(DataPath("WORK")), partial);
    EXPECT_EQ(ReadFileBytes(Sav("WORK")), original_);
    fs::remove(DataPath("WORK"));
  }

  // Whatever a healthy disk finds: if it opens, every record is there; the rebuild then
  // restores everything.
  void ExpectRecoverable() {
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name("WORK"));
    if (EngineOK) {
      FileBlockGuard guard(h);
      ASSERT_EQ(UsedRecords(h), int(live_.size()));
      Bytes r(kRecordLength);
      for (int32_t ref = 1; ref <= int(live_.size()); ++ref) {
        GetRecord(h, ref, r.data());
        ASSERT_EQ(r, live_[size_t(ref - 1)]) << ref;
      }
    }
    ASSERT_TRUE(RebuildStandard("WORK")) << EngineStatus;
    ExpectRebuilt("WORK", live_);
  }

  std::vector<Bytes> live_;
  Bytes original_;
  int calls_ = 0;
};

TEST_P(CrashTest, OneFailingCallAnywhere) {
  for (int i = 0; i < calls_; ++i) {
    SCOPED_TRACE("failing call " + std::to_string(i));
    Restore();
    FaultFileSystem failing;
    failing.FailAt(size_t(i));
    bool ok;
    {
      ScopedFileSystem use(failing);
      ok = RebuildStandard("WORK");
    }
    ASSERT_GT(failing.InjectedCount(), 0u);
    const FsEvent call = failing.Log()[size_t(i)];
    SCOPED_TRACE(call.path);
    // A single failure is always cleaned up: no N.SAV remains.
    EXPECT_FALSE(FileExists(Sav("WORK")));
    if (ok) {
      ExpectRebuilt("WORK", live_);
      continue;
    }
    // The open refuses the file block; or the index pass could not even get hold of the data
    // file, and the compacted records are there without keys (which the next rebuild adds); or
    // only closing the finished file block failed, after everything had reached the disk.
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name("WORK"));
    if (EngineOK) {
      const int keys = KeyCount(h);
      CloseFileBlock(h);
      if (keys > 0) {
        ASSERT_NO_FATAL_FAILURE(ExpectRebuilt("WORK", live_));
        continue;
      }
    } else {
      EXPECT_EQ(EngineStatus, status::kIndexDefective);
    }
    // A failed data pass gives the data file back exactly; a failed index pass leaves the
    // compacted one.
    const Bytes now = ReadFileBytes(DataPath("WORK"));
    if (now.size() == original_.size()) {
      EXPECT_EQ(now, original_);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectRecoverable());
  }
}

TEST_P(CrashTest, CrashAtAnyCall) {
  for (int i = 0; i < calls_; ++i) {
    SCOPED_TRACE("crash at call " + std::to_string(i));
    Restore();
    FaultFileSystem dying;
    dying.CrashAt(size_t(i));
    {
      ScopedFileSystem use(dying);
      EXPECT_FALSE(RebuildStandard("WORK"));
    }
    ASSERT_TRUE(dying.Crashed()) << "the rebuild never reached the call";
    SCOPED_TRACE(dying.Log()[size_t(i)].path);
    ASSERT_NO_FATAL_FAILURE(ExpectRecordsSafe());
    ASSERT_NO_FATAL_FAILURE(ExpectRecoverable());
  }
}

// A failure, and then every clean-up step of one kind failing as well.
TEST_P(CrashTest, FailureWhoseCleanUpFailsToo) {
  for (FsCall later : {FsCall::SyncDirectory, FsCall::Rename, FsCall::Remove, FsCall::Open, FsCall::Close, FsCall::Sync}) {
    for (int i = 0; i < calls_; ++i) {
      SCOPED_TRACE("failing call " + std::to_string(i) + ", then every call of kind " +
                   test::Name(later));
      Restore();
      FaultFileSystem failing;
      failing.FailAt(size_t(i));
      failing.FailFrom(size_t(i + 1), later);
      bool ok;
      {
        ScopedFileSystem use(failing);
        ok = RebuildStandard("WORK");
      }
      ASSERT_GT(failing.InjectedCount(), 0u) << "the rebuild never reached the call";
      if (ok) continue;  // the failures met only steps whose failure is harmless
      ASSERT_NO_FATAL_FAILURE(ExpectRecordsSafe());
      ASSERT_NO_FATAL_FAILURE(ExpectRecoverable());
    }
  }
}

TF_POOL_SIZES(CrashTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
