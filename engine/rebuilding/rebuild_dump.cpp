#include "engine/rebuilding/rebuild_dump.h"

#include <cerrno>

#include "engine/core/engine_internal.h"
#include "engine/rebuilding/rebuild.h"

namespace tf::engine::detail::rebuild {
namespace {

constexpr int kPathNotFound = 3;
constexpr int kTooManyOpenFiles = 4;
constexpr int kAccessDenied = 5;
constexpr int kDiskWriteError = 101;

}  // namespace

int RuntimeIoError(int err, bool creating) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return creating ? kPathNotFound : kDiskWriteError;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
      return kAccessDenied;
    default:
      return kDiskWriteError;
  }
}

bool DumpFile::FailWith(int err, bool creating) {
  if (EngineOsError == 0) {
    EngineOsError = err;
    EngineFailedPrimitive = creating ? FilePrimitive::Create : FilePrimitive::Write;
  }
  Fail(status::kDumpWriteFailed + RuntimeIoError(err, creating));
  return false;
}

bool DumpFile::Append(std::string_view text) {
  FileSystem& fs = CurrentFileSystem();
  if (!created_) {
    if (append_) {
      if (int err = fs.Open(path_, OpenMode::ExistingReadWrite, file_.fd())) return FailWith(err, false);
      if (int err = fs.Size(file_.get(), offset_)) return FailWith(err, false);
    } else if (int err = fs.Open(path_, OpenMode::CreateAlways, file_.fd())) {
      return FailWith(err, true);
    }
    created_ = true;
    if (int err = fs.SyncDirectoryOf(path_)) return FailWith(err, false);
  }
  size_t done = 0;
  if (int err = fs.Write(file_.get(), text.data(), text.size(), offset_, done)) return FailWith(err, false);
  if (done != text.size()) return FailWith(ENOSPC, false);
  offset_ += int64_t(done);
  return true;
}

bool DumpFile::KeyNotAdded(std::string_view key, int keyNr, int32_t ref) {
  std::string line = "Key:<";
  line += key;
  line += "> KeyNr: " + std::to_string(keyNr) + " Ref: " + std::to_string(ref) + " not added\n";
  return Append(line);
}

bool DumpFile::RecordDeleted(std::span<const uint8_t> record) {
  std::string text = "Data record deleted - Dump follows\n";
  text.append(record.begin(), record.end());
  text += "\n\n";
  if (!Append(text)) return false;
  if (int err = CurrentFileSystem().Sync(file_.get())) return FailWith(err, false);
  return true;
}

bool DumpFile::RecordSetAside(int32_t ref, int32_t statusWord, std::span<const uint8_t> record) {
  std::string text = "Data record " + std::to_string(ref) + " not kept: status word " + std::to_string(statusWord) +
                     " is neither 0 nor a link of the free chain - Dump follows\n";
  text.append(record.begin(), record.end());
  text += "\n\n";
  if (!Append(text)) return false;
  if (int err = CurrentFileSystem().Sync(file_.get())) return FailWith(err, false);
  return true;
}

bool DumpFile::Close() {
  if (file_.get() < 0) return true;
  if (int err = CurrentFileSystem().Sync(file_.get())) {
    file_.Close();
    return FailWith(err, false);
  }
  const int fd = file_.get();
  file_.fd() = -1;
  if (int err = CurrentFileSystem().Close(fd)) return FailWith(err, false);
  return true;
}

}  // namespace tf::engine::detail::rebuild
