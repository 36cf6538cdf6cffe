// The index pass of a rebuild: a fresh index file filled with the keys the application builds
// for every live record, one full pass over the data file per key.
//
// Until the pass has finished, the file block must not open as if its index were whole. So the
// old index file goes first, the new one is built under a temporary name (N~.IX, opened with
// the data file as the block "N;N~") and takes the name N.IX only once it is complete and
// closed: at every moment before that an open finds no index and fails with 10010, and the
// rebuild is offered again. A failed pass removes the temporary index.

#include <algorithm>
#include <vector>

#include "engine/core/engine_internal.h"
#include "engine/core/file_names.h"
#include "engine/rebuilding/rebuild.h"
#include "engine/rebuilding/rebuild_blocks.h"
#include "engine/rebuilding/rebuild_dump.h"
#include "engine/rebuilding/rebuild_files.h"

namespace tf::engine {
using namespace detail;
using namespace detail::rebuild;

namespace {

struct IndexPaths {
  std::string name;
  std::string data, index, dump, journal;
  std::string buildBlock, buildIndex;  // the block opened while building, and its index file
};

bool ValidDescriptors(int keyCount, std::span<const KeyDescriptor> descriptors) {
  if (descriptors.size() < size_t(keyCount)) return false;
  return std::all_of(descriptors.begin(), descriptors.begin() + keyCount,
                     [](const KeyDescriptor& d) { return d.KeyLength >= 1 && d.KeyLength <= kMaxKeyLength; });
}

// Checks the data header against the file, clears what belongs to the old index (index and
// journal; a dump file of an earlier rebuild stays for the user until this one dumps anything)
// and writes the new key count with UpdateFlag 0. A header
// that disagrees with the file size is corrected to the whole records the file holds, so that
// every key added refers to a record of the file block; `sizeMismatch` then reports it.
bool PrepareDataFile(const IndexPaths& p, int keyCount, int& recordLength, bool& sizeMismatch) {
  FileHandle data;
  FileSystem& fs = CurrentFileSystem();
  if (int err = fs.Open(p.data, OpenMode::ExistingReadWrite, data.fd()))
    return FailOs(FilePrimitive::Open, err, p.data), false;
  uint8_t raw[kDataHeaderSize];
  if (!ReadExact(data.get(), raw, kDataHeaderSize, 0)) return false;
  DataHeader h = DataHeader::Decode(raw);
  if (h.RecordLength > kMaxRebuildRecordLength) return Fail(status::kRebuildRecordTooLong), false;
  if (h.RecordLength < kMinRecordLength) return Fail(status::kRecordLengthTooSmall), false;
  int64_t size = 0;
  if (int err = fs.Size(data.get(), size)) return FailOs(FilePrimitive::Size, err), false;

  recordLength = h.RecordLength;
  const int64_t wholeRecords = std::max<int64_t>(0, size / h.RecordLength - 1);
  sizeMismatch = size % h.RecordLength != 0 || size != DataFileLength(h.RecordCount, h.RecordLength);
  if (sizeMismatch) {
    h.RecordCount = int32_t(std::min<int64_t>(wholeRecords, INT32_MAX));
    if (h.FirstFree > h.RecordCount || h.DeletedCount > h.RecordCount) {
      // The free chain reaches past the records that exist; its slots stay deleted (the scans
      // skip them) until the next data pass compacts the file.
      h.FirstFree = kEndOfChain;
      h.DeletedCount = 0;
    }
  }

  // The old index must be gone before the header below says the file block is whole again.
  if (int err = fs.Remove(p.index); err && !IsMissingFileError(err))
    return FailOs(FilePrimitive::Remove, err, p.index), false;
  if (!SyncDirectory(p.index)) return false;
  RemoveQuietly(p.journal);  // a leftover journal would be replayed onto the new index
  h.KeyCount = keyCount;
  h.UpdateFlag = 0;
  h.Encode(raw);
  return WriteExact(data.get(), raw, kDataHeaderSize, 0) && SyncFile(data.get()) && data.Close();
}

// An index file with an empty tree per key, laid out exactly as a new file block's.
bool CreateEmptyIndex(const std::string& path, int keyCount, std::span<const KeyDescriptor> descriptors) {
  if (keyCount == 0) return true;
  const std::vector<uint8_t> record0 = NewIndexRecordZero(descriptors, keyCount);

  FileHandle index;
  if (int err = CurrentFileSystem().Open(path, OpenMode::CreateAlways, index.fd()))
    return FailOs(FilePrimitive::Create, err, path), false;
  if (WriteExact(index.get(), record0.data(), record0.size(), 0) && SyncFile(index.get()) && index.Close() &&
      SyncDirectory(path))
    return true;
  SavedStatus failure;
  index.Close();
  RemoveQuietly(path);
  failure.Restore();
  return false;
}

struct KeyPass {
  FileBlock* fb;
  int recordLength;
  const RecordConversion& conversion;
  const KeyRoutine& keyRoutine;
  bool deleteDuplicates;
  DumpFile& dump;

  bool BuildKey(std::span<const uint8_t> record, int keyNr, std::string& key) const {
    if (!CallbackSucceeded([&] { key = keyRoutine(record, keyNr); }))
      return Fail(status::kKeyRoutineFailed), false;
    return true;
  }

  // A key the unique index refused: listed in the dump and, with deleteDuplicates, the record
  // is dumped and goes with its keys so far. `raw` is the record in the read-ahead buffer.
  bool Duplicate(uint8_t* raw, std::span<const uint8_t> record, int keyNr, int32_t ref,
                 const std::string& key) const {
    if (!dump.KeyNotAdded(key, keyNr, ref)) return false;
    if (!deleteDuplicates) return true;
    if (!dump.RecordDeleted({raw, size_t(recordLength)})) return false;
    for (int earlier = 1; earlier < keyNr; ++earlier) {
      std::string earlierKey;
      if (!BuildKey(record, earlier, earlierKey)) return false;
      DeleteKey(fb, earlier, ref, earlierKey);
      if (!EngineOK) return false;
    }
    DeleteRecord(fb, ref);
    if (!EngineOK) return false;
    SetDeletedLink(raw, kEndOfChain);  // the later passes skip it like any deleted record
    return true;
  }

  bool Run(int keyNr, RecordBlockReader& reader, std::vector<uint8_t>& record,
           const RebuildProgressCallback& progress) const {
    reader.Restart();
    RebuildProgress report{keyNr, 0, 0, recordLength, record};
    for (;;) {
      uint8_t* raw = nullptr;
      int32_t ref = 0;
      if (!reader.Next(raw, ref)) return false;
      if (!raw) return true;
      if (!IsLiveRecord(raw)) continue;
      ++report.recordsRead;
      std::copy_n(raw, recordLength, record.begin());
      if (conversion && !CallbackSucceeded([&] { conversion(record, ConversionDirection::Read); }))
        return Fail(status::kRecordCallbackFailed), false;
      std::string key;
      if (!BuildKey(record, keyNr, key)) return false;
      AddKey(fb, keyNr, ref, key);
      if (EngineOK)
        ++report.recordsWritten;
      else if (EngineStatus != status::kDuplicateKey || !Duplicate(raw, record, keyNr, ref, key))
        return false;
      if (progress && !CallbackSucceeded([&] { progress(report); }))
        return Fail(status::kRebuildStopped), false;
    }
  }
};

bool AddAllKeys(const KeyPass& pass, int keyCount, const RebuildProgressCallback& progress) {
  RecordBlockReader reader;
  if (!reader.Allocate(pass.fb->dataFd, pass.recordLength)) return false;
  std::vector<uint8_t> record(static_cast<size_t>(pass.recordLength));
  for (int keyNr = 1; keyNr <= keyCount; ++keyNr)
    if (!pass.Run(keyNr, reader, record, progress)) return false;
  return true;
}

// A failed pass must not leave an index that opens as if it were whole: N.IX is not there, so
// the next open fails with 10010 and the rebuild is offered again; the temporary index goes.
void AbandonIndex(const IndexPaths& p, FileBlock*& fb) {
  SavedStatus failure;
  CloseFileBlock(fb);
  RemoveQuietly(p.buildIndex);
  failure.Restore();
}

}  // namespace

void RebuildIndexFile(std::string_view name, int keyCount, std::span<const KeyDescriptor> descriptors,
                      const RecordConversion& conversion, const KeyRoutine& keyRoutine, bool deleteDuplicates,
                      const RebuildProgressCallback& progress, bool& dumpWritten, bool appendToDump) {
  ResetStatus();
  dumpWritten = false;
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  if (keyCount < 0 || keyCount > kMaxKeys) return Fail(status::kTooManyKeys);
  if (!ValidDescriptors(keyCount, descriptors)) return Fail(status::kBadKeyLength);
  if (keyCount > 0 && !keyRoutine) return Fail(status::kKeyRoutineFailed);

  const std::string buildBlock = WithTemporaryIndex(name);
  const IndexPaths p{std::string(name),
                     EngineFileName(name, FileKind::Data),
                     EngineFileName(name, FileKind::Index),
                     EngineFileName(name, FileKind::Message),
                     EngineFileName(name, FileKind::Journal),
                     buildBlock,
                     EngineFileName(buildBlock, FileKind::Index)};
  if (IsNotRegularFileError(ProbeFile(p.index))) return Fail(status::kNotRegularFile);
  int recordLength = 0;
  bool sizeMismatch = false;
  if (!PrepareDataFile(p, keyCount, recordLength, sizeMismatch)) return;
  if (!CreateEmptyIndex(p.buildIndex, keyCount, descriptors)) return;

  FileBlock* fb = nullptr;
  OpenFileBlock(fb, p.buildBlock);
  if (!EngineOK) {
    SavedStatus failure;
    RemoveQuietly(p.buildIndex);
    failure.Restore();
    return;
  }
  DumpFile dump(p.dump, appendToDump);
  const KeyPass pass{fb, recordLength, conversion, keyRoutine, deleteDuplicates, dump};
  const bool added = AddAllKeys(pass, keyCount, progress) && dump.Close();
  dumpWritten = dump.Written();
  if (!added) {
    SavedStatus failure;
    dump.Close();  // what it holds so far is the only copy of the records it lists
    failure.Restore();
    return AbandonIndex(p, fb);
  }
  CloseFileBlock(fb);
  if (!EngineOK) {
    SavedStatus failure;
    RemoveQuietly(p.buildIndex);
    failure.Restore();
    return;
  }
  // Complete and closed: now it may be found under its own name.
  if (keyCount > 0) {
    if (int err = CurrentFileSystem().Rename(p.buildIndex, p.index)) {
      FailOs(FilePrimitive::Rename, err, p.buildIndex);
      SavedStatus failure;
      RemoveQuietly(p.buildIndex);
      failure.Restore();
      return;
    }
    // Not known to be on the disk until the directory is synced: the caller hears of it (the
    // file block then opens whole, or asks for a rebuild again).
    if (!SyncDirectory(p.index)) return;
  }
  if (sizeMismatch) EngineStatus = status::kHeaderSizeMismatch;
}

}  // namespace tf::engine
