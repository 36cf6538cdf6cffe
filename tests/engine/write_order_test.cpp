// The order of writes and syncs that lets the next open tell a crashed session from a clean
// one: the mark (UpdateFlag 1, synced) before any record or index byte, and a close that makes
// everything durable before it clears the mark.

#include <gtest/gtest-spi.h>

#include <algorithm>
#include <random>
#include <set>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_file_system.h"

namespace tf::engine::testing {
namespace {

constexpr int kLength = 48;

class WriteOrderTest : public EngineTest {
 protected:
  // Runs `op` with the recorder told its name.
  template <typename F>
  void Do(const std::string& name, F op) {
    rec_.SetOperation(name);
    op();
    ASSERT_TRUE(EngineOK) << name << ": " << EngineStatus;
  }
  size_t Mark() const { return rec_.Events().size(); }
  std::vector<FsEvent> Since(size_t from) const {
    return {rec_.Events().begin() + long(from), rec_.Events().end()};
  }

  // A close of a changed file block: every page and header written, both files synced, then
  // UpdateFlag 0 written and synced, then the files closed.
  void ExpectCleanClose(const std::vector<FsEvent>& events, const std::string& block) {
    const std::string data = DataPath(block), index = IndexPath(block);
    auto find = [&](auto pred, size_t from = 0) {
      for (size_t i = from; i < events.size(); ++i)
        if (pred(events[i])) return i;
      return events.size();
    };
    const size_t clear = find([&](const FsEvent& e) { return e.type == FsEvent::Write && e.path == data && e.flagValue == 0; });
    ASSERT_LT(clear, events.size()) << "the close never cleared UpdateFlag";
    size_t lastIndexWrite = 0, lastDataWrite = 0;
    bool headerWritten = false;
    for (size_t i = 0; i < events.size(); ++i) {
      const FsEvent& e = events[i];
      if (e.type != FsEvent::Write || i == clear) continue;
      EXPECT_LT(i, clear) << "a write to " << e.path << " at " << e.offset << " after UpdateFlag was cleared";
      if (e.path == index) lastIndexWrite = i;
      if (e.path == data) lastDataWrite = i;
      if (e.path == data && e.offset == 0 && e.size >= 20) headerWritten = true;
    }
    EXPECT_TRUE(headerWritten) << "the data header was not written";
    size_t indexSync = find([&](const FsEvent& e) { return e.type == FsEvent::Sync && e.path == index; }, lastIndexWrite);
    size_t dataSync = find([&](const FsEvent& e) { return e.type == FsEvent::Sync && e.path == data; }, lastDataWrite);
    EXPECT_LT(indexSync, clear) << "the index was not synced before UpdateFlag was cleared";
    EXPECT_LT(dataSync, clear) << "the data file was not synced before UpdateFlag was cleared";
    size_t finalSync = find([&](const FsEvent& e) { return e.type == FsEvent::Sync && e.path == data; }, clear);
    size_t dataClose = find([&](const FsEvent& e) { return e.type == FsEvent::Close && e.path == data; }, clear);
    EXPECT_LT(finalSync, dataClose) << "the cleared UpdateFlag was not synced before the close";
    EXPECT_LT(dataClose, events.size());
  }

  RecordingFileSystem rec_;
};

TEST_P(WriteOrderTest, RecordAndIndexBytesFollowTheDurableMark) {
  ScopedFileSystem scoped(rec_);
  const KeyDescriptor keys[] = {{8, 0}, {5, 1}};
  size_t made = Mark();
  Do("MakeFileBlock", [&] { MakeFileBlock(Name("ORDER"), kLength, 2, keys); });

  // Creating: each file written, synced and closed, then the folder entry made durable.
  std::vector<FsEvent> make = Since(made);
  for (const std::string& path : {DataPath("ORDER"), IndexPath("ORDER")}) {
    size_t lastWrite = 0, sync = 0, close = 0;
    for (size_t i = 0; i < make.size(); ++i) {
      if (make[i].path != path) continue;
      if (make[i].type == FsEvent::Write) lastWrite = i;
      if (make[i].type == FsEvent::Sync) sync = i;
      if (make[i].type == FsEvent::Close) close = i;
    }
    EXPECT_GT(lastWrite, 0u) << path;
    EXPECT_GT(sync, lastWrite) << path << " not synced after its last write";
    EXPECT_GT(close, sync) << path;
    auto dirSync = std::find_if(make.begin() + long(close), make.end(),
                                [&](const FsEvent& e) { return e.type == FsEvent::SyncDirectory; });
    EXPECT_NE(dirSync, make.end()) << "the folder was not synced after " << path;
  }

  std::mt19937 rng(3);
  std::set<KeyEntry> model1, model2;
  FileBlock* h = nullptr;
  Do("OpenFileBlock", [&] { OpenFileBlock(h, Name("ORDER")); });
  for (int i = 0; i < 400; ++i) {
    int32_t ref = 0;
    Do("AddRecord", [&] { AddRecord(h, ref, RecordBytes(kLength, std::to_string(i)).data()); });
    KeyEntry k1{NumberedKey(int(rng() % 100000), "U"), ref}, k2{NumberedKey(int(rng() % 300), ""), ref};
    if (model1.insert(k1).second) Do("AddKey", [&] { AddKey(h, 1, ref, k1.first); });
    model2.insert(k2);
    Do("AddKey", [&] { AddKey(h, 2, ref, k2.first); });
  }
  size_t closing = Mark();
  Do("CloseFileBlock", [&] { CloseFileBlock(h); });
  ExpectCleanClose(Since(closing), "ORDER");

  // A second session that starts with PutRecord, then deletes (merges) and adds (splits).
  Do("OpenFileBlock", [&] { OpenFileBlock(h, Name("ORDER")); });
  Do("PutRecord", [&] { PutRecord(h, 5, RecordBytes(kLength, "put first").data()); });
  for (int i = 0; i < 250; ++i) {
    auto it = model2.begin();
    std::advance(it, long(rng() % model2.size()));
    Do("DeleteKey", [&] { DeleteKey(h, 2, it->second, it->first); });
    model2.erase(it);
  }
  for (int32_t r = 300; r < 340; ++r) Do("DeleteRecord", [&] { DeleteRecord(h, r); });
  for (int i = 0; i < 100; ++i) {
    KeyEntry k2{NumberedKey(int(rng() % 300), ""), 1000 + i};
    model2.insert(k2);
    Do("AddKey", [&] { AddKey(h, 2, k2.second, k2.first); });
  }
  closing = Mark();
  Do("CloseFileBlock", [&] { CloseFileBlock(h); });
  ExpectCleanClose(Since(closing), "ORDER");
  EXPECT_EQ(rec_.Violations(), 0u);

  // Every page that was cached reached the disk.
  IndexImage image(IndexPath("ORDER"), 2);
  for (int k = 1; k <= 2; ++k) {
    TreeReport report = image.Check(k);
    EXPECT_TRUE(report.problems.empty()) << report.Describe();
    const std::set<KeyEntry>& model = k == 1 ? model1 : model2;
    EXPECT_EQ(report.entries, std::vector<KeyEntry>(model.begin(), model.end())) << "key " << k;
  }
  DataHeaderImage header = DataHeaderImage::Read(DataPath("ORDER"));
  EXPECT_EQ(header.updateFlag, 0);
  EXPECT_EQ(header.recordCount - header.deletedCount, 360);
}

TEST_P(WriteOrderTest, PutRecordAloneNeitherMarksNorRewritesTheHeader) {
  ScopedFileSystem scoped(rec_);
  FileBlock* h = Make("PUTONLY", kLength, {{4, 0}});
  int32_t ref = 0;
  AddRecord(h, ref, RecordBytes(kLength, "old").data());
  CloseFileBlock(h);
  const DataHeaderImage before = DataHeaderImage::Read(DataPath("PUTONLY"));

  size_t from = Mark();
  Do("OpenFileBlock", [&] { OpenFileBlock(h, Name("PUTONLY")); });
  Do("PutRecord", [&] { PutRecord(h, 1, RecordBytes(kLength, "new").data()); });
  Do("CloseFileBlock", [&] { CloseFileBlock(h); });
  for (const FsEvent& e : Since(from)) {
    if (e.type != FsEvent::Write) continue;
    EXPECT_EQ(e.path, DataPath("PUTONLY"));
    EXPECT_EQ(e.offset, kLength) << "only the record is written";
  }
  EXPECT_EQ(rec_.Violations(), 0u);
  DataHeaderImage after = DataHeaderImage::Read(DataPath("PUTONLY"));
  EXPECT_EQ(after.updateFlag, 0);
  EXPECT_EQ(after.recordCount, before.recordCount);
}

// The recorder itself: a record byte written before the mark is reported.
TEST(RecordingFileSystemRule, FlagsARecordWriteBeforeTheMark) {
  TempFolder dir;
  Bytes header(kLength, 0);
  PutI32(header, 12, kLength);
  WriteFileBytes(dir / "R.DAT", header);
  RecordingFileSystem rec;
  int fd = -1;
  ASSERT_EQ(rec.Open(dir / "R.DAT", OpenMode::ExistingReadWrite, fd), 0);
  rec.SetOperation("AddRecord");
  const uint8_t bytes[4] = {};
  size_t done = 0;
  EXPECT_NONFATAL_FAILURE(rec.Write(fd, bytes, 4, kLength, done), "before UpdateFlag 1");
  const uint8_t one = 1;
  rec.Write(fd, &one, 1, 20, done);
  // Written but not synced yet: still too early.
  EXPECT_NONFATAL_FAILURE(rec.Write(fd, bytes, 4, kLength, done), "before UpdateFlag 1");
  rec.Sync(fd);
  rec.Write(fd, bytes, 4, kLength, done);
  EXPECT_EQ(rec.Violations(), 2u);
  rec.Close(fd);
}

TF_POOL_SIZES(WriteOrderTest);

}  // namespace
}  // namespace tf::engine::testing
