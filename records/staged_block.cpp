#include "records/staged_block.h"

#include <cerrno>
#include <memory>

#include "engine/core/engine_status.h"
#include "engine/core/file_names.h"
#include "engine/core/file_system.h"

namespace tf::records {
namespace {

using engine::CurrentFileSystem;
using engine::FileKind;

constexpr std::size_t kCopyChunk = 1 << 20;

// Every file an engine block may have on disk while it is closed or was cut short.
constexpr FileKind kBlockFiles[] = {FileKind::Data, FileKind::Index, FileKind::Journal};

bool Fail(int error, int& osError) {
  osError = error;
  engine::EngineOK = false;
  engine::EngineStatus = error == ENOENT ? engine::status::kFileNotFound : engine::status::kOsFailure;
  return false;
}

bool Exists(const std::string& path) {
  int fd = -1;
  if (CurrentFileSystem().Open(path, engine::OpenMode::ExistingReadOnly, fd) != 0) return false;
  CurrentFileSystem().Close(fd);
  return true;
}

// Copies `from` to `to` and makes the copy durable. 0 or an errno value.
int CopyFile(const std::string& from, const std::string& to) {
  engine::FileSystem& fs = CurrentFileSystem();
  int in = -1, out = -1;
  if (int e = fs.Open(from, engine::OpenMode::ExistingReadOnly, in)) return e;
  int error = fs.Open(to, engine::OpenMode::CreateAlways, out);
  if (error == 0) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyChunk]);
    if (!buffer) error = ENOMEM;
    for (std::int64_t offset = 0; error == 0;) {
      std::size_t got = 0, put = 0;
      error = fs.Read(in, buffer.get(), kCopyChunk, offset, got);
      if (error || got == 0) break;
      error = fs.Write(out, buffer.get(), got, offset, put);
      if (!error && put != got) error = ENOSPC;
      offset += std::int64_t(got);
    }
    if (!error) error = fs.Sync(out);
    if (int e = fs.Close(out); !error) error = e;
  }
  fs.Close(in);
  return error;
}

// Removes the files of block `name` that exist. 0 or the first errno value.
int RemoveBlockFiles(const std::string& name) {
  for (FileKind kind : kBlockFiles) {
    const std::string file = engine::EngineFileName(name, kind);
    if (Exists(file))
      if (int e = CurrentFileSystem().Remove(file)) return e;
  }
  return 0;
}

}  // namespace

std::string StageName(const std::string& name) { return "~" + name; }
std::string CommitMarkerName(const std::string& name) { return name + ".CMT"; }

bool StagedChangePending(const std::string& name) { return Exists(CommitMarkerName(name)); }

bool RecoverStagedBlock(const std::string& name) {
  engine::FileSystem& fs = CurrentFileSystem();
  int osError = 0;
  const std::string marker = CommitMarkerName(name);
  const std::string stage = StageName(name);
  if (Exists(marker)) {
    // Committed: whatever of the stage is still there replaces the block's file.
    for (FileKind kind : {FileKind::Data, FileKind::Index}) {
      const std::string from = engine::EngineFileName(stage, kind);
      if (Exists(from))
        if (int e = fs.Rename(from, engine::EngineFileName(name, kind))) return Fail(e, osError);
    }
    if (int e = fs.SyncDirectoryOf(marker)) return Fail(e, osError);
    if (int e = fs.Remove(marker)) return Fail(e, osError);
  } else if (int e = RemoveBlockFiles(stage)) {
    return Fail(e, osError);
  }
  if (int e = fs.SyncDirectoryOf(marker)) return Fail(e, osError);
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return true;
}

StagedBlock::~StagedBlock() {
  if (begun_ && !committed_) Abandon();
}

bool StagedBlock::Begin(const std::string& name, int recordLength, std::span<const engine::KeyDescriptor> keys) {
  name_ = name;
  begun_ = true;
  committed_ = false;
  if (!RecoverStagedBlock(name)) return false;
  const std::string stage = StageName(name);
  const std::string data = engine::EngineFileName(name, FileKind::Data);
  if (Exists(data)) {
    for (FileKind kind : {FileKind::Data, FileKind::Index})
      if (int e = CopyFile(engine::EngineFileName(name, kind), engine::EngineFileName(stage, kind))) {
        Abandon();
        return Fail(e, osError_);
      }
  } else {
    engine::MakeFileBlock(stage, recordLength, int(keys.size()), keys);
    if (!engine::EngineOK) {
      Abandon();  // keeps EngineOK / EngineStatus
      return false;
    }
  }
  if (int e = CurrentFileSystem().SyncDirectoryOf(data)) {
    Abandon();
    return Fail(e, osError_);
  }
  engine::OpenFileBlock(stage_, stage);
  if (!engine::EngineOK) {
    Abandon();  // keeps EngineOK / EngineStatus
    return false;
  }
  return true;
}

bool StagedBlock::Commit() {
  engine::FileSystem& fs = CurrentFileSystem();
  if (!stage_) return Fail(EBADF, osError_);
  engine::CloseFileBlock(stage_);
  stage_ = nullptr;
  if (!engine::EngineOK) {
    Abandon();  // keeps EngineOK / EngineStatus
    return false;
  }
  // The marker first, durable, then the switch: from here on the change is done.
  const std::string marker = CommitMarkerName(name_);
  int fd = -1;
  int error = fs.Open(marker, engine::OpenMode::CreateAlways, fd);
  if (!error) {
    const std::string text = StageName(name_) + "\n";
    std::size_t done = 0;
    error = fs.Write(fd, text.data(), text.size(), 0, done);
    if (!error && done != text.size()) error = ENOSPC;
    if (!error) error = fs.Sync(fd);
    if (int e = fs.Close(fd); !error) error = e;
  }
  if (!error) error = fs.SyncDirectoryOf(marker);
  if (error) {
    fs.Remove(marker);
    Abandon();
    return Fail(error, osError_);
  }
  committed_ = true;
  if (!RecoverStagedBlock(name_)) {
    osError_ = engine::EngineStatus;
    return false;
  }
  return true;
}

void StagedBlock::Abandon() {
  const bool ok = engine::EngineOK;
  const int status = engine::EngineStatus;
  if (stage_) engine::CloseFileBlock(stage_);
  stage_ = nullptr;
  RemoveBlockFiles(StageName(name_));
  CurrentFileSystem().SyncDirectoryOf(CommitMarkerName(name_));
  begun_ = false;
  engine::EngineOK = ok;
  engine::EngineStatus = status;
}

}  // namespace tf::records
