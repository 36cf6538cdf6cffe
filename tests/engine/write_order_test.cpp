// The order of writes and syncs that lets the next open tell a crashed session from a clean
// one: the mark (UpdateFlag 1, synced) before any record or index byte, and a close that makes
// everything durable before it clears the mark.

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::engine::testing {
namespace {

using test::FaultFileSystem;
using test::FsCall;
using test::FsEvent;

constexpr int kLength = 48;

// What a test was doing from each place of the log on.
using Operations = std::map<size_t, std::string>;

// The rule that makes a crash detectable, checked over a log of file calls: no byte of a record
// or of an index (a record slot, a page, an index header, the data header) is written before
// UpdateFlag = 1 has been written to offset 20 of the file block's data file and that file has
// been synced. Record writes of PutRecord are exempt (it changes no key and does not mark the
// file block), and so are files being created. One text per write that breaks the rule.
std::vector<std::string> WriteOrderViolations(const std::vector<FsEvent>& log, const Operations& operations) {
  struct OpenFile {
    bool created = false;
    bool data = false;
    int32_t recordLength = 0;
  };
  struct Flag {
    bool writtenNotSynced = false;
    bool durable = false;
  };
  auto dataPathOf = [](const std::string& path) {
    auto dot = path.find_last_of('.');
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ".DAT";
  };
  std::map<std::string, OpenFile> files;  // by path
  std::map<std::string, Flag> flags;      // by data file path
  std::vector<std::string> violations;
  for (const FsEvent& e : log) {
    if (e.result != 0 && e.call == FsCall::Open) continue;
    const OpenFile& f = files[e.path];
    switch (e.call) {
      case FsCall::Open: {
        const bool created = e.mode == OpenMode::CreateAlways, data = e.path.ends_with(".DAT");
        files[e.path] = {created, data, data && !created ? DataHeaderImage::Read(e.path).recordLength : 0};
        if (data && !created) flags[e.path] = Flag{};
        break;
      }
      case FsCall::Write: {
        int flagValue = -1;
        if (f.data && e.offset <= 20 && e.offset + int64_t(e.size) > 20) flagValue = e.ByteAt(20).value_or(-1);
        auto op = operations.upper_bound(e.index);
        const std::string during = op == operations.begin() ? "" : std::prev(op)->second;
        const bool watched = !f.created && (f.data || e.path.ends_with(".IX"));
        const bool mark = f.data && flagValue == 1 && e.offset == 20 && e.size == 1;
        const bool putRecord = f.data && e.offset >= f.recordLength && during == "PutRecord";
        if (watched && !mark && !putRecord && !flags[dataPathOf(e.path)].durable)
          violations.push_back("call " + std::to_string(e.index) + " during " + during + ": " + std::to_string(e.size) +
                               " bytes written at " + std::to_string(e.offset) + " of " + e.path +
                               " before UpdateFlag 1 was written and synced");
        if (e.result == 0 && e.done == e.size && flagValue >= 0 && !f.created)
          flags[e.path] = {flagValue == 1, false};
        break;
      }
      case FsCall::Sync:
        if (e.result == 0 && f.data && !f.created) {
          Flag& flag = flags[e.path];
          if (flag.writtenNotSynced) flag.durable = true;
          flag.writtenNotSynced = false;
        }
        break;
      default:
        break;
    }
  }
  return violations;
}

class WriteOrderTest : public EngineTest {
 protected:
  // Runs `op`, its file calls logged under its name.
  template <typename F>
  void Do(const std::string& name, F op) {
    operations_[rec_.Calls()] = name;
    op();
    ASSERT_TRUE(EngineOK) << name << ": " << EngineStatus;
  }
  size_t Mark() const { return rec_.Calls(); }
  std::vector<FsEvent> Since(size_t from) const { return {rec_.Log().begin() + long(from), rec_.Log().end()}; }
  std::vector<std::string> Violations() const { return WriteOrderViolations(rec_.Log(), operations_); }

  // A close of a changed file block: every page and header written, both files synced, then
  // UpdateFlag 0 written and synced, then the files closed.
  void ExpectCleanClose(const std::vector<FsEvent>& events, const std::string& block) {
    const std::string data = DataPath(block), index = IndexPath(block);
    auto find = [&](auto pred, size_t from = 0) {
      for (size_t i = from; i < events.size(); ++i)
        if (pred(events[i])) return i;
      return events.size();
    };
    const size_t clear = find([&](const FsEvent& e) { return e.call == FsCall::Write && e.path == data && e.offset <= 20 && e.offset + int64_t(e.size) > 20 && e.ByteAt(20) == 0; });
    ASSERT_LT(clear, events.size()) << "the close never cleared UpdateFlag";
    size_t lastIndexWrite = 0, lastDataWrite = 0;
    bool headerWritten = false;
    for (size_t i = 0; i < events.size(); ++i) {
      const FsEvent& e = events[i];
      if (e.call != FsCall::Write || i == clear) continue;
      EXPECT_LT(i, clear) << "a write to " << e.path << " at " << e.offset << " after UpdateFlag was cleared";
      if (e.path == index) lastIndexWrite = i;
      if (e.path == data) lastDataWrite = i;
      if (e.path == data && e.offset == 0 && e.size >= 20) headerWritten = true;
    }
    EXPECT_TRUE(headerWritten) << "the data header was not written";
    size_t indexSync = find([&](const FsEvent& e) { return e.call == FsCall::Sync && e.path == index; }, lastIndexWrite);
    size_t dataSync = find([&](const FsEvent& e) { return e.call == FsCall::Sync && e.path == data; }, lastDataWrite);
    EXPECT_LT(indexSync, clear) << "the index was not synced before UpdateFlag was cleared";
    EXPECT_LT(dataSync, clear) << "the data file was not synced before UpdateFlag was cleared";
    size_t finalSync = find([&](const FsEvent& e) { return e.call == FsCall::Sync && e.path == data; }, clear);
    size_t dataClose = find([&](const FsEvent& e) { return e.call == FsCall::Close && e.path == data; }, clear);
    EXPECT_LT(finalSync, dataClose) << "the cleared UpdateFlag was not synced before the close";
    EXPECT_LT(dataClose, events.size());
  }

  FaultFileSystem rec_;
  Operations operations_;
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
      if (make[i].call == FsCall::Write) lastWrite = i;
      if (make[i].call == FsCall::Sync) sync = i;
      if (make[i].call == FsCall::Close) close = i;
    }
    EXPECT_GT(lastWrite, 0u) << path;
    EXPECT_GT(sync, lastWrite) << path << " not synced after its last write";
    EXPECT_GT(close, sync) << path;
    auto dirSync = std::find_if(make.begin() + long(close), make.end(),
                                [&](const FsEvent& e) { return e.call == FsCall::SyncDirectory; });
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
  EXPECT_EQ(Violations(), std::vector<std::string>{});

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
    if (e.call != FsCall::Write) continue;
    EXPECT_EQ(e.path, DataPath("PUTONLY"));
    EXPECT_EQ(e.offset, kLength) << "only the record is written";
  }
  EXPECT_EQ(Violations(), std::vector<std::string>{});
  DataHeaderImage after = DataHeaderImage::Read(DataPath("PUTONLY"));
  EXPECT_EQ(after.updateFlag, 0);
  EXPECT_EQ(after.recordCount, before.recordCount);
}

// The rule itself: a record byte written before the mark, or after it but before its sync, is
// reported.
TEST(WriteOrderRule, FlagsARecordWriteBeforeTheMark) {
  TempFolder dir;
  Bytes header(kLength, 0);
  PutI32(header, 12, kLength);
  WriteFileBytes(dir / "R.DAT", header);
  FaultFileSystem rec;
  int fd = -1;
  ASSERT_EQ(rec.Open(dir / "R.DAT", OpenMode::ExistingReadWrite, fd), 0);
  const Operations operations = {{rec.Calls(), "AddRecord"}};
  const uint8_t bytes[4] = {};
  size_t done = 0;
  rec.Write(fd, bytes, 4, kLength, done);  // call 1: too early
  const uint8_t one = 1;
  rec.Write(fd, &one, 1, 20, done);
  rec.Write(fd, bytes, 4, kLength, done);  // call 3: written but not synced yet: still too early
  rec.Sync(fd);
  rec.Write(fd, bytes, 4, kLength, done);
  rec.Close(fd);
  auto violation = [&](int call) {
    return "call " + std::to_string(call) + " during AddRecord: 4 bytes written at " + std::to_string(kLength) +
           " of " + (dir / "R.DAT") + " before UpdateFlag 1 was written and synced";
  };
  EXPECT_EQ(WriteOrderViolations(rec.Log(), operations), (std::vector<std::string>{violation(1), violation(3)}));
}

TF_POOL_SIZES(WriteOrderTest);

}  // namespace
}  // namespace tf::engine::testing
