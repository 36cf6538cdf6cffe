#include "engine/rebuilding/rebuild_files.h"

#include <cerrno>
#include <memory>
#include <new>

#include "engine/core/engine_internal.h"
#include "engine/core/file_names.h"
#include "engine/rebuilding/rebuild.h"

namespace tf::engine::detail::rebuild {
namespace {

std::string DirectoryPart(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string WithoutExtension(const std::string& path) {
  auto dot = path.find_last_of('.');
  auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

bool CopyContents(int from, int to) {
  auto buffer = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kRebuildBlockBytes]);
  if (!buffer) return Fail(status::kRebuildNoMemory), false;
  FileSystem& fs = CurrentFileSystem();
  for (int64_t offset = 0;;) {
    size_t done = 0;
    if (int err = fs.Read(from, buffer.get(), kRebuildBlockBytes, offset, done))
      return FailOs(FilePrimitive::Read, err), false;
    if (done == 0) return SyncFile(to);
    if (!WriteExact(to, buffer.get(), done, offset)) return false;
    offset += int64_t(done);
  }
}

}  // namespace

int ProbeFile(const std::string& path) {
  int fd = -1;
  int err = CurrentFileSystem().Open(path, OpenMode::ExistingReadOnly, fd);
  if (err == 0) CurrentFileSystem().Close(fd);
  return err;
}

bool IsMissingFileError(int err) { return err == ENOENT || err == ENOTDIR; }

bool IsNotRegularFileError(int err) { return err == ENODEV; }

bool SyncDirectory(const std::string& path) {
  if (int err = CurrentFileSystem().SyncDirectoryOf(path)) return FailOs(FilePrimitive::Sync, err), false;
  return true;
}

bool RenameFile(const std::string& from, const std::string& to) {
  if (int err = CurrentFileSystem().Rename(from, to)) return FailOs(FilePrimitive::Rename, err, from), false;
  CurrentFileSystem().SyncDirectoryOf(to);
  if (DirectoryPart(from) != DirectoryPart(to)) CurrentFileSystem().SyncDirectoryOf(from);
  return true;
}

bool CopyFile(const std::string& from, const std::string& to) {
  FileHandle source, target;
  FileSystem& fs = CurrentFileSystem();
  if (int err = fs.Open(from, OpenMode::ExistingReadOnly, source.fd()))
    return FailOs(FilePrimitive::Open, err, from), false;
  if (int err = fs.Open(to, OpenMode::CreateAlways, target.fd()))
    return FailOs(FilePrimitive::Create, err, to), false;
  if (CopyContents(source.get(), target.get()) && target.Close() && SyncDirectory(to)) return true;
  SavedStatus failure;
  target.Close();
  RemoveQuietly(to);
  failure.Restore();
  return false;
}

bool RemoveFile(const std::string& path) {
  if (int err = CurrentFileSystem().Remove(path)) return FailOs(FilePrimitive::Remove, err, path), false;
  CurrentFileSystem().SyncDirectoryOf(path);
  return true;
}

void RemoveQuietly(const std::string& path) {
  SavedStatus keep;
  RemoveFile(path);
  keep.Restore();
}

std::string WithTemporaryIndex(std::string_view blockName) {
  const std::string_view dataPart = blockName.substr(0, blockName.find(';'));
  std::string index = EngineFileName(blockName, FileKind::Index);
  if (index.size() > 3 && index.ends_with(".IX")) index.resize(index.size() - 3);
  return std::string(dataPart) + ";" + index + "~";
}

bool DataAndIndexNamesDiffer(const std::string& dataPath, const std::string& indexPath) {
  return WithoutExtension(dataPath) != WithoutExtension(indexPath);
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) CurrentFileSystem().Close(fd_);
}

bool FileHandle::Close() {
  if (fd_ < 0) return true;
  int err = CurrentFileSystem().Close(fd_);
  fd_ = -1;
  if (err) return FailOs(FilePrimitive::Close, err), false;
  return true;
}

}  // namespace tf::engine::detail::rebuild
