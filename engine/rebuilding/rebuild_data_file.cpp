// The data pass of a rebuild. N.DAT is first moved aside to N.SAV, so that at every moment the
// records are whole in N.SAV or in N.DAT:
//   - N.SAV alone: the next rebuild takes it as its source;
//   - N.SAV and a new, perhaps partial N.DAT: the next rebuild refuses (10465) and touches
//     nothing until one of them is removed by hand;
//   - N.DAT alone: the copy finished (or was rolled back).
// N.SAV is only read, and deleted only after the new file block has been closed and synced.

#include <algorithm>
#include <cstdint>
#include <cstring>
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

struct DataPaths {
  std::string name;  // the file block name
  std::string data, saved, index, dump;
  std::string newBlock;  // the new data file's block name: its index is not N.IX
};

// A deleted slot's status word links to -1 or to another deleted slot, and following the links
// ends at -1. Whatever else stands there (a link out of range, to a live record, or round a
// loop) marks a slot that is neither live nor deleted. A crash may leave the header's FirstFree
// behind the records deleted since the last close; their links still lead into the chain, so
// the chain is judged from the records, not from the header.
std::vector<bool> FindStraySlots(const std::vector<int32_t>& links) {
  const size_t n = links.size() - 1;  // links[0] unused
  std::vector<bool> stray(n + 1, false);
  std::vector<uint8_t> state(n + 1, 0);  // 0 not seen, 1 on the walk in progress, 2 judged
  std::vector<size_t> walk;
  for (size_t start = 1; start <= n; ++start) {
    if (links[start] == kLiveRecord || state[start] != 0) continue;
    walk.clear();
    size_t at = start;
    for (;;) {
      state[at] = 1;
      walk.push_back(at);
      const int32_t link = links[at];
      if (link == kEndOfChain) break;
      if (link < 1 || size_t(link) > n || links[size_t(link)] == kLiveRecord) {
        stray[at] = true;  // only this slot: those leading to it are deleted records
        break;
      }
      if (state[size_t(link)] == 1) {  // a loop: every slot on it is stray
        for (size_t i = walk.size(); i-- > 0;) {
          stray[walk[i]] = true;
          if (walk[i] == size_t(link)) break;
        }
        break;
      }
      if (state[size_t(link)] == 2) break;
      at = size_t(link);
    }
    for (size_t slot : walk) state[slot] = 2;
  }
  return stray;
}

bool AllZero(std::span<const uint8_t> record) {
  return std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == 0; });
}


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

// The records of N.SAV that the filter keeps go into the open file block; a record neither
// live nor deleted goes to the dump file instead.
bool TransferRecords(const DataPaths& p, FileBlock* target, int oldLength, int newLength,
                     const RecordFilter& filter, const RecordConversion& conversion,
                     const RebuildProgressCallback& progress, DataPassReport& report) {
  FileHandle source;
  if (int err = CurrentFileSystem().Open(p.saved, OpenMode::ExistingReadOnly, source.fd()))
    return FailOs(FilePrimitive::Open, err, p.saved), false;
  RecordBlockReader reader;
  RecordAppender appender;
  if (!reader.Allocate(source.get(), oldLength) || !appender.Allocate(target)) return false;
  reader.RestartAtHeader();  // the header's RecordCount tells the slots a crash grew the file by
  std::vector<uint8_t> kept(static_cast<size_t>(newLength));
  int64_t headerCount = INT64_MAX;
  std::vector<int32_t> links{0};     // every slot's status word, by slot number
  std::vector<int32_t> notKept;      // slots with a status word other than 0, not kept

  RebuildProgress progressReport{0, 0, 0, newLength, {}};
  for (;;) {
    uint8_t* record = nullptr;
    int32_t ref = 0;
    if (!reader.Next(record, ref)) return false;
    if (!record) break;
    if (ref == 0) {
      if (oldLength >= kDataHeaderSize) headerCount = DataHeader::Decode(record).RecordCount;
      continue;
    }
    ++progressReport.recordsRead;
    const std::span<uint8_t> read(record, size_t(oldLength));
    links.push_back(DeletedLink(record));
    if (conversion && !CallbackSucceeded([&] { conversion(read, ConversionDirection::Read); }))
      return Fail(status::kRecordCallbackFailed), false;
    std::fill(kept.begin(), kept.end(), uint8_t{0});
    bool keep = false;
    if (!CallbackSucceeded([&] { keep = filter(read, kept); }))
      return Fail(status::kRecordCallbackFailed), false;
    if (keep && ref > headerCount && AllZero(read)) {
      keep = false;
      ++report.blankSlotsDropped;
    }
    if (!keep && links.back() != kLiveRecord) notKept.push_back(ref);
    if (keep) {
      if (conversion && !CallbackSucceeded([&] { conversion(kept, ConversionDirection::Write); }))
        return Fail(status::kRecordCallbackFailed), false;
      if (!appender.Append(kept.data())) return false;
      ++progressReport.recordsWritten;
    }
    progressReport.record = read;
    if (progress && !CallbackSucceeded([&] { progress(progressReport); }))
      return Fail(status::kRebuildStopped), false;
  }
  if (!appender.Flush()) return false;

  // Whether a slot's status word is a link of the free chain is known only once every slot has
  // been read; the few that are not are read again and dumped with their raw bytes.
  const std::vector<bool> stray = FindStraySlots(links);
  DumpFile dump(p.dump);
  std::vector<uint8_t> raw(static_cast<size_t>(oldLength));
  for (int32_t ref : notKept) {
    if (!stray[size_t(ref)]) continue;
    if (!ReadExact(source.get(), raw.data(), raw.size(), int64_t(ref) * oldLength)) return false;
    const bool dumped = dump.RecordSetAside(ref, DeletedLink(raw.data()), raw);
    report.dumpWritten = dump.Written();
    if (!dumped) return false;
    report.setAside.push_back(ref);
  }
  return dump.Close() && source.Close();
}

// A fresh N.DAT made, filled and closed. It is made under a block name whose index is not
// N.IX, so the index stays until the new data file is complete.
bool CopyKeptRecords(const DataPaths& p, int oldLength, int newLength, const RecordFilter& filter,
                     const RecordConversion& conversion, const RebuildProgressCallback& progress,
                     DataPassReport& report) {
  MakeFileBlock(p.newBlock, newLength, 0, {});
  if (!EngineOK) return false;
  FileBlock* target = nullptr;
  OpenFileBlock(target, p.newBlock);
  if (!EngineOK) return false;
  if (!TransferRecords(p, target, oldLength, newLength, filter, conversion, progress, report)) {
    SavedStatus failure;
    CloseFileBlock(target);
    failure.Restore();
    return false;
  }
  CloseFileBlock(target);
  return EngineOK;
}

// After a failure the new files go and, unless N.SAV was left by an earlier run, N.SAV becomes
// N.DAT again, beside the index it had. Renaming over the new N.DAT replaces it in one step,
// so no moment passes without the records under one of the two names.
void RestoreData(const DataPaths& p, bool savedIsOurs) {
  SavedStatus failure;
  if (savedIsOurs && RenameFile(p.saved, p.data)) {
    RemoveQuietly(EngineFileName(p.name, FileKind::Journal));
  } else {
    // N.SAV is still in place: only then may the new N.DAT go.
    DeleteFileBlock(p.newBlock);
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
                     const RecordConversion& conversion, const RebuildProgressCallback& progress,
                     DataPassReport* reportOut) {
  DataPassReport ignored;
  DataPassReport& report = reportOut ? *reportOut : ignored;
  report = DataPassReport{};
  ResetStatus();
  if (!EngineInitialised()) return Fail(status::kNotInitialised);
  if (oldLength < kMinRecordLength || newLength < kMinRecordLength)
    return Fail(status::kRecordLengthTooSmall);
  if (oldLength > kMaxRebuildRecordLength || newLength > kMaxRebuildRecordLength)
    return Fail(status::kRebuildRecordTooLong);

  const DataPaths p{std::string(name),
                    EngineFileName(name, FileKind::Data),
                    EngineFileName(name, FileKind::Saved),
                    EngineFileName(name, FileKind::Index),
                    EngineFileName(name, FileKind::Message),
                    WithTemporaryIndex(name)};
  const int savedErr = ProbeFile(p.saved);
  const bool savedExists = !IsMissingFileError(savedErr);
  const int dataErr = ProbeFile(p.data);
  // A FIFO, directory or device under one of the block's names is left as it is: nothing of it
  // can be copied, and moving or removing it would hide what stands there from the user.
  if (IsNotRegularFileError(savedErr) || IsNotRegularFileError(dataErr) ||
      IsNotRegularFileError(ProbeFile(p.index)))
    return Fail(status::kNotRegularFile);
  const bool dataExists = !IsMissingFileError(dataErr);
  if (savedExists && dataExists) return Fail(status::kRebuildInterrupted);
  if (!savedExists && !dataExists) return Fail(status::kNothingToRebuild);
  // An N.SAV found here was left by an interrupted run: it is the source and stays on failure.
  const bool savedIsOurs = !savedExists;
  if (savedIsOurs && !MoveDataAside(p, dataErr)) return;

  const RecordFilter& keep = filter ? filter : RecordFilter(KeepLiveRecords);
  if (!CopyKeptRecords(p, oldLength, newLength, keep, conversion, progress, report))
    return RestoreData(p, savedIsOurs);
  // The old index names the old record numbers: it goes before N.SAV does. A crash between the
  // two leaves N.SAV beside the new N.DAT, which the next rebuild refuses to guess about.
  RemoveQuietly(p.index);
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
