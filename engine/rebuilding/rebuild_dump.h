#pragma once
// The dump file N.MSG of a rebuild: a text file for the user that lists every key that could
// not be added and, for each record removed because of it or set aside by the data pass, the
// record's raw bytes, the only copy of that record once it is gone. A dump file of an earlier
// rebuild stays until this one dumps something: the first line then replaces it, or, when the
// data pass of the same rebuild wrote it, is added to it. A failure sets the status 9500 + the
// run-time's input/output error code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/rebuilding/rebuild_files.h"

namespace tf::engine::detail::rebuild {

class DumpFile {
 public:
  explicit DumpFile(std::string path, bool append = false) : path_(std::move(path)), append_(append) {}

  // "Key:<key> KeyNr: k Ref: n not added"
  bool KeyNotAdded(std::string_view key, int keyNr, int32_t ref);
  // "Data record deleted - Dump follows", the raw bytes, an empty line; made durable before
  // returning, since the caller deletes the record next.
  bool RecordDeleted(std::span<const uint8_t> record);
  // "Data record n not kept: status word s is neither 0 nor a link of the free chain - Dump
  // follows", the raw bytes, an empty line; durable before returning.
  bool RecordSetAside(int32_t ref, int32_t statusWord, std::span<const uint8_t> record);
  bool Close();
  bool Written() const { return created_; }

 private:
  bool Append(std::string_view text);
  bool FailWith(int err, bool creating);

  std::string path_;
  FileHandle file_;
  int64_t offset_ = 0;
  bool append_ = false;
  bool created_ = false;
};

// The run-time's input/output error code for an errno met on a text file.
int RuntimeIoError(int err, bool creating);

}  // namespace tf::engine::detail::rebuild
