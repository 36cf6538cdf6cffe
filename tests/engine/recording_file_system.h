#pragma once
// A file layer that logs every open, write, sync, truncation and close, and checks on every
// write the rule that makes a crash detectable: no byte of a record or of an index (a record
// slot, a page, an index header, the data header) is written before UpdateFlag = 1 has been
// written to offset 20 of the file block's data file and that file has been synced. Record
// writes of PutRecord are exempt (it changes no key and does not mark the file block), and so
// are files being created.

#include <map>
#include <string>
#include <vector>

#include "tests/engine/forwarding_file_system.h"

namespace tf::engine::testing {

struct FsEvent {
  enum Type { Open, Create, Write, Sync, Truncate, Close, SyncDirectory, Marker } type;
  std::string path;
  int64_t offset = 0;
  size_t size = 0;
  int flagValue = -1;  // a write covering offset 20 of a data file: the byte written there
};

class RecordingFileSystem : public ForwardingFileSystem {
 public:
  // Names what the test is doing; record writes are allowed without the flag only inside
  // "PutRecord".
  void SetOperation(const std::string& op);
  const std::vector<FsEvent>& Events() const { return events_; }
  size_t Violations() const { return violations_; }

  int Open(const std::string& path, OpenMode mode, int& fd) override;
  int Close(int fd) override;
  int Write(int fd, const void* buf, size_t n, int64_t offset, size_t& done) override;
  int Sync(int fd) override;
  int Truncate(int fd, int64_t size) override;
  int SyncDirectoryOf(const std::string& path) override;

 private:
  struct OpenFile {
    std::string path;
    bool created;
    bool data;
    int32_t recordLength;
  };
  struct Flag {
    bool writtenNotSynced = false;
    bool durable = false;
  };
  static std::string DataPathOf(const std::string& path);
  void Check(const OpenFile& f, int64_t offset, size_t n, int flagValue);

  std::map<int, OpenFile> files_;
  std::map<std::string, Flag> flags_;  // by data file path
  std::vector<FsEvent> events_;
  std::string op_;
  size_t violations_ = 0;
};

}  // namespace tf::engine::testing
