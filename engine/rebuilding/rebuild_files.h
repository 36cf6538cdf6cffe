#pragma once
// File steps of a rebuild that work on whole files rather than on records: probing, renaming,
// copying and removing, each made durable (the directory is synced after every entry it
// changes) so that a crash leaves the records in N.DAT or N.SAV. All go through the current
// file layer and set the engine status on failure.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/rebuilding/rebuild_outcome.h"

namespace tf::engine::detail::rebuild {

// The errno of an exclusive read-only open of `path`: 0 when it exists and nobody holds it.
int ProbeFile(const std::string& path);
bool IsMissingFileError(int err);
// The file layer's answer for a FIFO, directory or device where a file belongs.
bool IsNotRegularFileError(int err);

// Each returns false with the engine status set.
bool SyncDirectory(const std::string& path);
// Copies `from` to a new `to` and makes the copy durable; a partial copy is removed.
bool CopyFile(const std::string& from, const std::string& to);
// Rename and removal, followed by a sync of the directories involved. They fail only when the
// entry itself could not be changed: a sync failing afterwards cannot undo the change, so the
// caller must not go on as if the file were still where it was.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Removal whose failure the caller can live with (the file may not even exist).
void RemoveQuietly(const std::string& path);

// The block name that opens N's data file with the index file a rebuild builds before it
// takes N.IX's place: N~.IX (a "DATA;INDEX" name whose index part is N~).
std::string WithTemporaryIndex(std::string_view blockName);

// True when a "DATA;INDEX" block name gives the data and the index file different names.
bool DataAndIndexNamesDiffer(const std::string& dataPath, const std::string& indexPath);

// Closes a descriptor on every path out of a scope (errors ignored; Close() reports them).
class FileHandle {
 public:
  FileHandle() = default;
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int& fd() { return fd_; }
  int get() const { return fd_; }
  bool Close();  // false with the status set

 private:
  int fd_ = -1;
};

}  // namespace tf::engine::detail::rebuild
