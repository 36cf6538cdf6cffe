// The data pass of a rebuild. N.DAT is first moved aside to N.SAV, so that at every moment the
// records are whole in N.SAV or in N.DAT:
//   - N.SAV alone: the next rebuild takes it as its source;
//   - N.SAV and a new, perhaps partial N.DAT: the next rebuild refuses (10465) and touches
//     nothing until one of them is removed by hand;
//   - N.DAT alone: the copy finished (or was rolled back).
// N.SAV is only read, and deleted only after the new file block has been closed and synced.

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/engine_internal.h"
#include "engine/core/file_names.h"
#include "engine/rebuilding/rebuild.h"
#include "engine/rebuilding/rebuild_blocks.h"
#include "engine/rebuilding/rebuild_files.h"

namespace tf::engine {
using namespace detail;
using namespace detail::rebuild;

namespace {

struct DataPaths {
  std::string name;  // the file block name
  std::string data, saved, index;
};

// N.DAT becomes N.SAV. `dataErr` is what probing N.DAT met: a data file held open (by an open
// file block, here or in another program) is not moved away from under its user.
bool MoveDataAside(const DataPaths& p, int dataErr) {
  int err = dataErr ? dataErr : CurrentFileSystem().Rename(p.data, p.saved);
  if (err == 0) {
    if (SyncDirectory(p.saved)) return true;
    // Not known to be durable: give the data file its name back and report the failure.
    SavedStatus failure;
    RenameFile(p.saved, p.data);
    failure.Restore();
    return false;
  }
  FailOs(FilePrimitive::Rename, err, p.data);
  if (EngineStatus == status::kOsFailure) return Fail(status::kDataRenameFailed), false;
  if (!IsMissingFileError(ProbeFile(p.saved))) return ResetStatus(), true;
  if (!DataAndIndexNamesDiffer(p.data, p.index)) return Fail(status::kNothingToRebuild), false;
  // The two names part ways: move the data by copying it (the copy is durable before the
  // original goes).
  ResetStatus();
  RemoveQuietly(p.index);
  if (!CopyFile(p.data, p.saved)) return false;
  if (RemoveFile(p.data)) return true;
  SavedStatus failure;
  RemoveQuietly(p.saved);  // N.DAT is still whole
  failure.Restore();
  return false;
}

// The records of N.SAV that the filter keeps go into the open file block.
bool TransferRecords(const DataPaths& p, FileBlock* target, int oldLength, int newLength,
                     const RecordFilter& filter, const RecordConversion& conversion,
                     const RebuildProgressCallback& progress) {
  FileHandle source;
  if (int err = CurrentFileSystem().Open(p.saved, OpenMode::ExistingReadOnly, source.fd()))
    return FailOs(FilePrimitive::Open, err, p.saved), false;
  RecordBlockReader reader;
  RecordAppender appender;
  if (!reader.Allocate(source.get(), oldLength) || !appender.Allocate(target)) return false;
  std::vector<uint8_t> kept(static_cast<size_t>(newLength));

  RebuildProgress report{0, 0, 0, newLength, {}};
  for (;;) {
    uint8_t* record = nullptr;
    int32_t ref = 0;
    if (!reader.Next(record, ref)) return false;
    if (!record) break;
    ++report.recordsRead;
    const std::span<uint8_t> read(record, size_t(oldLength));
    if (conversion && !CallbackSucceeded([&] { conversion(read, ConversionDirection::Read); }))
      return Fail(status::kRecordCallbackFailed), false;
    std::fill(kept.begin(), kept.end(), uint8_t{0});
    bool keep = false;
    if (!CallbackSucceeded([&] { keep = filter(read, kept); }))
      return Fail(status::kRecordCallbackFailed), false;
    if (keep) {
      if (conversion && !CallbackSucceeded([&] { conversion(kept, ConversionDirection::Write); }))
        return Fail(status::kRecordCallbackFailed), false;
      if (!appender.Append(kept.data())) return false;
      ++report.recordsWritten;
    }
    report.record = read;
    if (progress && !CallbackSucceeded([&] { progress(report); }))
      return Fail(status::kRebuildStopped), false;
  }
  return appender.Flush() && source.Close();
}

// A fresh N.DAT made, filled and closed.
bool CopyKeptRecords(const DataPaths& p, int oldLength, int newLength, const RecordFilter& filter,
                     const RecordConversion& conversion, const RebuildProgressCallback& progress) {
  MakeFileBlock(p.name, newLength, 0, {});
  if (!EngineOK) return false;
  FileBlock* target = nullptr;
  OpenFileBlock(target, p.name);
  if (!EngineOK) return false;
  if (!TransferRecords(p, target, oldLength, newLength, filter, conversion, progress)) {
    SavedStatus failure;
    CloseFileBlock(target);
    failure.Restore();
    return false;
  }
  CloseFileBlock(target);
  return EngineOK;
}

// After a failure the new files go and, unless N.SAV was left by an earlier run, N.SAV becomes
// N.DAT again. Renaming over the new N.DAT replaces it in one step, so no moment passes without
// the records under one of the two names.
void RestoreData(const DataPaths& p, bool savedIsOurs) {
  SavedStatus failure;
  if (savedIsOurs && RenameFile(p.saved, p.data)) {
    RemoveQuietly(p.index);
    RemoveQuietly(EngineFileName(p.name, FileKind::Journal));
  } else {
    // N.SAV is still in place: only then may the new N.DAT go.
    DeleteFileBlock(p.name);
    if (savedIsOurs && CopyFile(p.saved, p.data)) RemoveQuietly(p.saved);
  }
  failure.Restore();
}

}  // namespace

bool KeepLiveRecords(std::span<const uint8_t> source, std::span<uint8_t> dest) {
  if (source.size() < size_t(kDeletedLinkSize) || !IsLiveRecord(source.data())) return false;
  std::copy_n(source.begin(), std::min(source.size(), dest.size()), dest.begin());
  return true;
}

void RebuildDataFile(std::string_view name, int oldLength, int newLength, const RecordFilter& filter,
                     const RecordConversion& conversion, const RebuildProgressCallback& progress) {
  ResetStatus();
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  if (oldLength < kMinRecordLength || newLength < kMinRecordLength)
    return Fail(status::kRecordLengthTooSmall);
  if (oldLength > kMaxRebuildRecordLength || newLength > kMaxRebuildRecordLength)
    return Fail(status::kRebuildRecordTooLong);

  const DataPaths p{std::string(name), EngineFileName(name, FileKind::Data),
                    EngineFileName(name, FileKind::Saved), EngineFileName(name, FileKind::Index)};
  const bool savedExists = !IsMissingFileError(ProbeFile(p.saved));
  const int dataErr = ProbeFile(p.data);
  const bool dataExists = !IsMissingFileError(dataErr);
  if (savedExists && dataExists) return Fail(status::kRebuildInterrupted);
  if (!savedExists && !dataExists) return Fail(status::kNothingToRebuild);
  // An N.SAV found here was left by an interrupted run: it is the source and stays on failure.
  const bool savedIsOurs = !savedExists;
  if (savedIsOurs && !MoveDataAside(p, dataErr)) return;

  const RecordFilter& keep = filter ? filter : RecordFilter(KeepLiveRecords);
  if (!CopyKeptRecords(p, oldLength, newLength, keep, conversion, progress))
    return RestoreData(p, savedIsOurs);
  // The new N.DAT is complete and durable: N.SAV may go. Should its removal not reach the disk,
  // the next rebuild finds both files and refuses rather than losing anything.
  if (int err = CurrentFileSystem().Remove(p.saved); err && !IsMissingFileError(err)) {
    FailOs(FilePrimitive::Remove, err, p.saved);
    return RestoreData(p, savedIsOurs);
  }
  CurrentFileSystem().SyncDirectoryOf(p.saved);
  ResetStatus();
}

}  // namespace tf::engine
