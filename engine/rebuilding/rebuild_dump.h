#pragma once
// The dump file N.MSG of an index rebuild: a text file for the user that lists every key that
// could not be added and, for each record removed because of it, the record's raw bytes, the
// only copy of that record once it is deleted. Created on first use; a failure sets the
// status 9500 + the run-time's input/output error code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/rebuilding/rebuild_files.h"

namespace tf::engine::detail::rebuild {

class DumpFile {
 public:
  explicit DumpFile(std::string path) : path_(std::move(path)) {}

  // "Key:<key> KeyNr: k Ref: n not added"
  bool KeyNotAdded(std::string_view key, int keyNr, int32_t ref);
  // "Data record deleted - Dump follows", the raw bytes, an empty line; made durable before
  // returning, since the caller deletes the record next.
  bool RecordDeleted(std::span<const uint8_t> record);
  bool Close();
  bool Written() const { return created_; }

 private:
  bool Append(std::string_view text);
  bool FailWith(int err, bool creating);

  std::string path_;
  FileHandle file_;
  int64_t offset_ = 0;
  bool created_ = false;
};

// The run-time's input/output error code for an errno met on a text file.
int RuntimeIoError(int err, bool creating);

}  // namespace tf::engine::detail::rebuild
