// Creating, opening, closing and deleting file blocks.

#include <memory>
#include <new>

#include "engine/core/engine.h"
#include "engine/core/engine_internal.h"
#include "engine/core/file_names.h"
#include "engine/core/journal.h"
#include "engine/core/page_pool.h"

namespace tf::engine {
using namespace detail;

namespace {

// Handles are recycled rather than freed, so a stale handle still points at memory whose
// cleared signature the entry check refuses.
std::vector<std::unique_ptr<FileBlock>>& HandleStore() {
  static std::vector<std::unique_ptr<FileBlock>> store;
  return store;
}

FileBlock* NewHandle() {
  for (auto& h : HandleStore())
    if (h->signature == 0 && h->dataFd < 0) {
      *h = FileBlock{};
      return h.get();
    }
  auto h = std::unique_ptr<FileBlock>(new (std::nothrow) FileBlock);
  if (!h) return nullptr;
  HandleStore().push_back(std::move(h));
  return HandleStore().back().get();
}

void CloseQuietly(int& fd) {
  if (fd >= 0) CurrentFileSystem().Close(fd);
  fd = -1;
}

void RemoveQuietly(const std::string& path) { CurrentFileSystem().Remove(path); }

bool OpenFile(const std::string& path, OpenMode mode, int& fd) {
  if (int err = CurrentFileSystem().Open(path, mode, fd)) {
    FailOs(mode == OpenMode::CreateAlways ? FilePrimitive::Create : FilePrimitive::Open, err, path);
    return false;
  }
  return true;
}

bool FileSize(int fd, int64_t& size) {
  if (int err = CurrentFileSystem().Size(fd, size)) {
    FailOs(FilePrimitive::Size, err);
    return false;
  }
  return true;
}

bool CloseFile(int& fd) {
  int err = CurrentFileSystem().Close(fd);
  fd = -1;
  if (err) {
    FailOs(FilePrimitive::Close, err);
    return false;
  }
  return true;
}

bool Truncate(int fd, int64_t size) {
  if (int err = CurrentFileSystem().Truncate(fd, size)) {
    FailOs(FilePrimitive::Truncate, err);
    return false;
  }
  return true;
}

bool SyncDirectory(const std::string& path) {
  if (int err = CurrentFileSystem().SyncDirectoryOf(path)) {
    FailOs(FilePrimitive::Sync, err);
    return false;
  }
  return true;
}

bool ValidKeyLength(int length) { return length >= 1 && length <= kMaxKeyLength; }

bool WriteNewDataFile(const std::string& path, int recordLength, int keyCount) {
  int fd = -1;
  if (!OpenFile(path, OpenMode::CreateAlways, fd)) return false;
  std::vector<uint8_t> slot(size_t(recordLength), 0);
  DataHeader h;
  h.RecordLength = recordLength;
  h.KeyCount = keyCount;
  h.Encode(slot.data());
  bool ok = WriteExact(fd, slot.data(), slot.size(), 0) && SyncFile(fd);
  return CloseFile(fd) && ok;
}

bool WriteNewIndexFile(const std::string& path, const std::vector<uint8_t>& record0) {
  int fd = -1;
  if (!OpenFile(path, OpenMode::CreateAlways, fd)) return false;
  bool ok = WriteExact(fd, record0.data(), record0.size(), 0) && SyncFile(fd);
  return CloseFile(fd) && ok;
}

// Reads and checks the per-key headers from index record 0. The headers are not trusted: a
// header that does not describe a usable tree refuses the open, so that the caller can offer
// a rebuild instead of working on a damaged index.
bool ReadIndexHeaders(FileBlock* fb) {
  int64_t offset = 0;
  uint8_t raw[kIndexHeaderSize];
  for (int i = 1; i <= fb->keyCount; ++i) {
    KeyIndex& k = fb->keys[size_t(i)];
    if (!ReadExact(fb->indexFd, raw, kIndexHeaderSize, offset)) return false;
    k = KeyIndex{};
    static_cast<IndexHeader&>(k) = IndexHeader::Decode(raw);
    k.Unused = 0;  // the close writes the byte back as 0, whatever it held
    const int capacity = StatedPageCapacity(k.PageCapacity);
    // Pages are always laid out for 62 entries; another capacity is not a file of ours.
    if (capacity != kPageCapacity) return Fail(status::kIndexCapacity), false;
    if (k.PageSlotSize < kPageHeaderSize || (k.PageSlotSize - kPageHeaderSize) % capacity != 0)
      return Fail(status::kIndexPageSize), false;
    const int keyLength = static_cast<int>(KeyLengthForSlot(k.PageSlotSize, capacity));
    if (!ValidKeyLength(keyLength)) return Fail(status::kIndexKeyLength), false;
    k.PageCapacity = static_cast<int16_t>(capacity);
    k.KeyLength = keyLength;
    k.Stride = EntrySize(keyLength);
    k.SectionOffset = offset;
    offset += k.PageSlotSize;
  }
  fb->indexRecordSize = offset;
  int64_t size = 0;
  if (!FileSize(fb->indexFd, size)) return false;
  fb->indexRecordCount = size / fb->indexRecordSize;
  for (int i = 1; i <= fb->keyCount; ++i) {
    const KeyIndex& k = fb->keys[size_t(i)];
    bool sane = k.PageCount >= 0 && k.PageCount < fb->indexRecordCount && k.RootPage >= 0 &&
                k.RootPage <= k.PageCount && k.EntryCount >= 0 && k.FreePageCount >= 0 &&
                k.FreePageCount <= k.PageCount && k.AllowDuplicates <= 1 &&
                (k.FirstFreePage == -1 || (k.FirstFreePage >= 1 && k.FirstFreePage <= k.PageCount)) &&
                (k.RootPage == 0) == (k.EntryCount == 0);
    if (!sane) return Fail(status::kIndexDefective), false;
  }
  return true;
}

}  // namespace

void detail::BuildHandleStore() { HandleStore(); }

std::vector<uint8_t> detail::NewIndexRecordZero(std::span<const KeyDescriptor> descriptors, int keyCount) {
  int64_t size = 0;
  for (int i = 0; i < keyCount; ++i) size += PageSlotSizeFor(descriptors[size_t(i)].KeyLength);
  std::vector<uint8_t> record0(size_t(size), 0);
  int64_t section = 0;
  for (int i = 0; i < keyCount; ++i) {
    IndexHeader h;  // an empty tree: no root, no pages, no free chain
    h.PageSlotSize = PageSlotSizeFor(descriptors[size_t(i)].KeyLength);
    h.AllowDuplicates = descriptors[size_t(i)].AllowDuplicates ? 1 : 0;
    h.Encode(record0.data() + section);
    section += h.PageSlotSize;
  }
  return record0;
}

bool detail::SaneDataHeader(const DataHeader& h, int64_t fileSize) {
  if (h.RecordLength < kMinRecordLength || h.KeyCount < 0) return false;
  if (h.RecordCount < 0 || h.DeletedCount < 0 || h.DeletedCount > h.RecordCount) return false;
  if (h.FirstFree != kEndOfChain && (h.FirstFree < 1 || h.FirstFree > h.RecordCount)) return false;
  return fileSize >= DataFileLength(h.RecordCount, h.RecordLength);
}

namespace {

// Releases everything an open (or a failed open) holds. Returns false if a close failed.
bool ReleaseFileBlock(FileBlock* fb) {
  Pool().Forget(fb);
  bool ok = true;
  if (fb->indexFd >= 0) ok = CloseFile(fb->indexFd) && ok;
  if (fb->dataFd >= 0) ok = CloseFile(fb->dataFd) && ok;
  CloseQuietly(fb->journalFd);
  fb->keys.clear();
  fb->keys.shrink_to_fit();
  fb->pending = {};
  fb->blockMap = {};
  ForgetWaitingAppends(fb);
  fb->signature = 0;
  auto& open = OpenFileBlocks();
  std::erase(open, fb);
  return ok;
}

bool WriteChangedIndexHeaders(FileBlock* fb) {
  bool ok = true;
  uint8_t raw[kIndexHeaderSize];
  for (int i = 1; i <= fb->keyCount; ++i) {
    KeyIndex& k = fb->keys[size_t(i)];
    if (!k.headerChanged) continue;
    k.Encode(raw);
    if (WriteExact(fb->indexFd, raw, kIndexHeaderSize, k.SectionOffset))
      k.headerChanged = false;
    else
      ok = false;
  }
  return ok;
}

// Writes everything the file block holds in memory and then, only if all of it reached the
// disk, marks the file block clean. A file block whose close failed keeps UpdateFlag 1 and is
// rebuilt at its next open.
bool WriteBack(FileBlock* fb) {
  bool ok = WritePendingAppends(fb);
  if (fb->keyCount > 0) {
    ok = Pool().Flush(fb) && ok;
    ok = WriteChangedIndexHeaders(fb) && ok;
    if (fb->indexTailDirty && ok) ok = Truncate(fb->indexFd, fb->indexRecordCount * fb->indexRecordSize);
  }
  if (!fb->updateFlagWritten && fb->header.UpdateFlag == 0) return ok;
  const int64_t dataLength = DataFileLength(fb->header.RecordCount, fb->header.RecordLength);
  if (fb->dataTailDirty && ok) ok = Truncate(fb->dataFd, dataLength);
  ok = ok && RepairStaleLink(fb);
  uint8_t raw[kDataHeaderSize];
  fb->header.UpdateFlag = 1;
  fb->header.Encode(raw);
  ok = ok && WriteExact(fb->dataFd, raw, kUpdateFlagOffset, 0);
  if (fb->keyCount > 0) ok = ok && SyncFile(fb->indexFd);
  ok = ok && SyncFile(fb->dataFd);
  if (!ok) return false;
  const uint8_t zero = 0;
  if (!WriteExact(fb->dataFd, &zero, 1, kUpdateFlagOffset) || !SyncFile(fb->dataFd)) return false;
  fb->header.UpdateFlag = 0;
  fb->updateFlagWritten = false;
  return true;
}

}  // namespace

void MakeFileBlock(std::string_view name, int recordLength, int keyCount,
                   std::span<const KeyDescriptor> descriptors) {
  ResetStatus();
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  int32_t refused = 0;
  if (recordLength < kMinRecordLength) refused = status::kRecordLengthTooSmall;
  if (keyCount > kMaxKeys || keyCount < 0) refused = status::kTooManyKeys;
  if (refused) return Fail(refused);

  const std::string dataPath = EngineFileName(name, FileKind::Data);
  const std::string indexPath = EngineFileName(name, FileKind::Index);
  RemoveQuietly(indexPath);
  RemoveQuietly(EngineFileName(name, FileKind::Journal));
  RemoveQuietly(dataPath);

  if (!WriteNewDataFile(dataPath, recordLength, keyCount)) return RemoveQuietly(dataPath);
  if (keyCount > 0) {
    bool lengthsOk = descriptors.size() >= size_t(keyCount);
    for (int i = 0; lengthsOk && i < keyCount; ++i) lengthsOk = ValidKeyLength(descriptors[size_t(i)].KeyLength);
    if (!lengthsOk) {
      RemoveQuietly(dataPath);
      return Fail(status::kBadKeyLength);
    }
    if (!WriteNewIndexFile(indexPath, NewIndexRecordZero(descriptors, keyCount))) {
      RemoveQuietly(indexPath);
      RemoveQuietly(dataPath);
      return;
    }
  }
  SyncDirectory(dataPath);
}

void OpenFileBlock(FileBlock*& handle, std::string_view name, bool readOnly, bool /*sharing*/,
                   bool saveMode, bool forceReadOnly) {
  ResetStatus();
  handle = nullptr;
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  if (forceReadOnly) readOnly = true;
  if (readOnly) saveMode = false;
  const OpenMode mode = readOnly ? OpenMode::ExistingReadOnly : OpenMode::ExistingReadWrite;

  int journalFd = -1;
  const std::string journalPath = EngineFileName(name, FileKind::Journal);
  if (int err = CurrentFileSystem().Open(journalPath, OpenMode::ExistingReadWrite, journalFd)) {
    FailOs(FilePrimitive::Open, err, journalPath);
    if (EngineStatus != status::kFileNotFound) return;
    ResetStatus();
    journalFd = -1;
  }

  FileBlock* fb = NewHandle();
  if (!fb) {
    CloseQuietly(journalFd);
    return Fail(status::kNoMemoryOpening);
  }
  fb->journalFd = journalFd;
  fb->journalName = journalPath;
  fb->dataName = EngineFileName(name, FileKind::Data);
  fb->indexName = EngineFileName(name, FileKind::Index);
  fb->readOnly = readOnly;
  fb->saveMode = saveMode;

  auto fail = [fb]() {
    int32_t s = EngineStatus;
    ReleaseFileBlock(fb);
    Fail(s);
  };

  if (!OpenFile(fb->dataName, mode, fb->dataFd)) return fail();
  uint8_t raw[kDataHeaderSize];
  if (!ReadExact(fb->dataFd, raw, kDataHeaderSize, 0)) return fail();
  fb->header = DataHeader::Decode(raw);
  if (fb->header.KeyCount > kMaxKeys) return Fail(status::kHeaderTooManyKeys), fail();
  int64_t dataSize = 0;
  if (!FileSize(fb->dataFd, dataSize)) return fail();
  if (!SaneDataHeader(fb->header, dataSize)) return Fail(status::kIndexDefective), fail();
  fb->keyCount = fb->header.KeyCount;
  fb->keys.resize(size_t(fb->keyCount) + 1);
  fb->blockRecords = kMaxPageSlotSize / fb->header.RecordLength;

  if (fb->keyCount > 0) {
    if (!OpenFile(fb->indexName, mode, fb->indexFd)) {
      // A FIFO or directory named like the index is reported as it is: a rebuild would only
      // meet it again (or remove what someone put there).
      if (EngineStatus != status::kTooManyOpenFiles && EngineStatus != status::kNotRegularFile)
        Fail(status::kIndexDefective);
      return fail();
    }
    if (!ReadIndexHeaders(fb)) return fail();
  }
  if (fb->header.UpdateFlag != 0) return Fail(status::kIndexDefective), fail();

  OpenFileBlocks().push_back(fb);
  fb->signature = kSignature;

  if (fb->journalFd >= 0) {
    if (!ReplayJournal(fb)) return fail();
    if (fb->keyCount > 0 && !ReadIndexHeaders(fb)) return fail();
    if (!saveMode && !readOnly) {
      CloseQuietly(fb->journalFd);
      RemoveQuietly(fb->journalName);
    }
  }
  handle = fb;
}

void CloseFileBlock(FileBlock*& handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  if (!IsFileBlockOpen(fb)) return Fail(status::kNotOpen);
  bool ok = fb->readOnly || WriteBack(fb);
  ok = ReleaseFileBlock(fb) && ok;
  handle = nullptr;
  if (!ok) Fail(status::kCloseFailed);
}

void DeleteFileBlock(std::string_view name) {
  ResetStatus();
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  RemoveQuietly(EngineFileName(name, FileKind::Index));
  RemoveQuietly(EngineFileName(name, FileKind::Journal));
  const std::string dataPath = EngineFileName(name, FileKind::Data);
  if (int err = CurrentFileSystem().Remove(dataPath)) return FailOs(FilePrimitive::Remove, err, dataPath);
  SyncDirectory(dataPath);
}

}  // namespace tf::engine
