// Engine-wide state, the entry check, OS error mapping and the checked file primitives.

#include <cerrno>
#include <cstdlib>

#include "engine/core/engine_internal.h"
#include "engine/core/page_pool.h"

namespace tf::engine::detail {
namespace {
bool g_initialised = false;
}  // namespace

bool EngineInitialised() { return g_initialised; }
void SetEngineInitialised(bool on) { g_initialised = on; }

std::vector<FileBlock*>& OpenFileBlocks() {
  static std::vector<FileBlock*> open;
  return open;
}

int32_t MapOsError(FilePrimitive primitive, int err, const std::string& path) {
  const bool missing = err == ENOENT;
  if (err == ENODEV) return status::kNotRegularFile;  // what the file layer says of a non-file
  switch (primitive) {
    case FilePrimitive::Open:
      if (missing) return CurrentFileSystem().DirectoryOfExists(path) ? status::kFileNotFound : status::kPathNotFound;
      if (err == ENOTDIR) return status::kPathNotFound;
      if (err == EMFILE || err == ENFILE) return status::kTooManyOpenFiles;
      if (err == EACCES || err == EPERM) return status::kAccessDenied;
      return status::kOsFailure;
    case FilePrimitive::Create:
      if (missing || err == ENOTDIR) return status::kPathNotFound;
      if (err == EMFILE || err == ENFILE) return status::kTooManyOpenFiles;
      return status::kOsFailure;
    case FilePrimitive::Remove:
    case FilePrimitive::Rename:
      if (missing) return CurrentFileSystem().DirectoryOfExists(path) ? status::kFileNotFound : status::kPathNotFound;
      if (err == ENOTDIR || err == EXDEV) return status::kPathNotFound;
      return status::kOsFailure;
    default:
      if (err == EBADF) return status::kInvalidOsHandle;
      return status::kOsFailure;
  }
}

void FailOs(FilePrimitive primitive, int err, const std::string& path) {
  if (EngineOsError == 0) {
    EngineOsError = err;
    EngineFailedPrimitive = primitive;
  }
  Fail(MapOsError(primitive, err, path));
}

bool ReadExact(int fd, void* buf, size_t n, int64_t offset) {
  size_t done = 0;
  if (int err = CurrentFileSystem().Read(fd, buf, n, offset, done)) {
    FailOs(FilePrimitive::Read, err);
    return false;
  }
  if (done != n) {
    Fail(status::kShortRead);
    return false;
  }
  return true;
}

bool WriteExact(int fd, const void* buf, size_t n, int64_t offset) {
  size_t done = 0;
  if (int err = CurrentFileSystem().Write(fd, buf, n, offset, done)) {
    FailOs(FilePrimitive::Write, err);
    return false;
  }
  if (done != n) {
    Fail(status::kShortWrite);
    return false;
  }
  return true;
}

bool SyncFile(int fd) {
  if (int err = CurrentFileSystem().Sync(fd)) {
    FailOs(FilePrimitive::Sync, err);
    return false;
  }
  return true;
}

FileBlock* EnterOperation(FileBlock* handle, Access access) {
  ResetStatus();
  if (!g_initialised) {
    Fail(status::kNotInitialised);
    return nullptr;
  }
  if (!handle || handle->signature != kSignature) {
    Fail(status::kInvalidHandle);
    return nullptr;
  }
  if (access == Access::Change && handle->readOnly) {
    Fail(status::kReadOnly);
    return nullptr;
  }
  return handle;
}

FileBlock* EnterKeyOperation(FileBlock* handle, int keyNr, Access access) {
  FileBlock* fb = EnterOperation(handle, access);
  if (fb && (keyNr < 1 || keyNr > fb->keyCount)) {
    Fail(status::kKeyNumberOutOfRange);
    return nullptr;
  }
  return fb;
}

void LeaveOperation(const FileBlock* fb) {
  if (fb && !EngineOK && EngineStatus == status::kOsFailure && fb->readOnly)
    EngineStatus = status::kReadOnlyOsFailure;
}

bool MarkFirstChange(FileBlock* fb) {
  if (fb->updateFlagWritten) return true;
  // From the first attempt on the mark may be on disk (the byte can land and its sync still
  // fail), so the close must clear it even if no change ever went through.
  fb->header.UpdateFlag = 1;
  const uint8_t one = 1;
  if (!WriteExact(fb->dataFd, &one, 1, kUpdateFlagOffset) || !SyncFile(fb->dataFd)) return false;
  fb->updateFlagWritten = true;
  return true;
}

}  // namespace tf::engine::detail

namespace tf::engine {
using namespace detail;

void InitEngine(int /*reserved*/, int pageBuffers) {
  ResetStatus();
  if (EngineInitialised()) return Fail(status::kAlreadyInitialised);
  if (pageBuffers < kMinPageBuffers) return Fail(status::kTooFewBuffers);
  if (Pool().Allocate(pageBuffers) < kMinPageBuffers) {
    Pool().Release();
    return Fail(status::kNoBuffers);
  }
  OpenFileBlocks().clear();
  detail::SetEngineInitialised(true);
}

void ExitEngine() {
  ResetStatus();
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  int32_t first = 0;
  while (!OpenFileBlocks().empty()) {
    FileBlock* fb = OpenFileBlocks().front();
    CloseFileBlock(fb);
    if (!EngineOK && first == 0) first = EngineStatus;
    if (fb) OpenFileBlocks().erase(OpenFileBlocks().begin());  // a close that could not even unlist it
  }
  Pool().Release();
  detail::SetEngineInitialised(false);
  ResetStatus();
  if (first) Fail(first);
}

void InstallEngineExit() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // The handler uses the page pool, the list of open file blocks, the handles themselves and
  // the file layer: all must be built before it is registered, so that they are destroyed
  // after it runs, not before (a program ending through exit() with the engine up would
  // otherwise close freed handles through a destroyed file layer and free the pool twice).
  Pool();
  OpenFileBlocks();
  BuildHandleStore();
  CurrentFileSystem();
  std::atexit([] {
    if (EngineInitialised()) ExitEngine();
  });
}

void ResetEngineScratch() {}  // the variable-length record extension is not used

bool EngineReady() {
  ResetStatus();
  if (!EngineInitialised()) Fail(status::kNotInitialised);
  return true;
}

bool IsSharedMode() { return false; }

bool IsFileBlockOpen(const FileBlock* handle) {
  for (FileBlock* fb : OpenFileBlocks())
    if (fb == handle) return true;
  return false;
}

void LockFileBlock(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
}

void UnlockFileBlock(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
}

int KeyCount(FileBlock* handle) {
  return handle && handle->signature == kSignature ? handle->keyCount : 0;
}

}  // namespace tf::engine
