#pragma once
// Rebuilding a file block that can no longer be opened (a crash left UpdateFlag 1, or the
// index file is missing or damaged), in two passes over the files of block name N:
//
//   RebuildDataFile   N.DAT is renamed to N.SAV, the records a filter keeps are copied into a
//                     fresh N.DAT (renumbered 1..n in their old order) and N.SAV is deleted.
//                     On failure N.DAT is restored from N.SAV.
//   RebuildIndexFile  a fresh N.IX is filled by asking a key routine for every key of every
//                     live record. A key refused as a duplicate is listed in the dump file
//                     N.MSG and, on request, its record is dumped there and removed.
//
// Both report through EngineOK / EngineStatus like every engine operation. The callbacks
// follow the same convention: one signals failure by clearing EngineOK (they are called with
// EngineOK set and EngineStatus 0).

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::engine {

namespace status {
inline constexpr int32_t kDumpWriteFailed = 9500;      // + the run-time's I/O error code
inline constexpr int32_t kHeaderSizeMismatch = 10215;  // a warning: the index pass goes on
inline constexpr int32_t kDataRenameFailed = 10399;
inline constexpr int32_t kNothingToRebuild = 10410;
inline constexpr int32_t kRebuildNoMemory = 10411;
inline constexpr int32_t kRebuildRecordTooLong = 10412;
inline constexpr int32_t kRebuildStopped = 10460;
inline constexpr int32_t kRebuildInterrupted = 10465;  // N.SAV and N.DAT both exist
inline constexpr int32_t kKeyRoutineFailed = 10470;
inline constexpr int32_t kRecordCallbackFailed = 10475;  // filter or conversion
}  // namespace status

// Records larger than this cannot be rebuilt.
inline constexpr int kMaxRebuildRecordLength = 65535;
// Records are read ahead, and written behind, in blocks of at most this many bytes.
inline constexpr int kRebuildBlockBytes = 32768;

enum class ConversionDirection : uint8_t { Read, Write };

// Applied to every record read and to every record written; nullptr is the identity.
using RecordConversion = std::function<void(std::span<uint8_t> record, ConversionDirection)>;
// Decides whether `source` (old record length) goes into the new data file and fills `dest`
// (new record length, zero-filled on entry) with the record to write.
using RecordFilter = std::function<bool(std::span<const uint8_t> source, std::span<uint8_t> dest)>;
// The key string of `record` for key keyNr (at most 30 characters; an empty key is added too).
using KeyRoutine = std::function<std::string(std::span<const uint8_t> record, int keyNr)>;

struct RebuildProgress {
  int keyNr = 0;           // 0 during the data pass
  int recordsRead = 0;     // in this pass
  int recordsWritten = 0;  // records written (data pass) or keys added (index pass)
  int recordLength = 0;
  std::span<const uint8_t> record;
};
// Called once per record read; clearing EngineOK stops the rebuild with 10460.
using RebuildProgressCallback = std::function<void(const RebuildProgress&)>;

// The filter of this system: keeps exactly the live records (first four bytes zero) and copies
// them unchanged (cut or zero-padded when the record length changes).
bool KeepLiveRecords(std::span<const uint8_t> source, std::span<uint8_t> dest);

// Replaces N.DAT by a compact file of the records `filter` keeps (nullptr: KeepLiveRecords),
// renumbered 1..n in their old order, with newLength-byte records,
// FirstFree -1, no deleted records, KeyCount 0 and UpdateFlag 0; N.IX is removed.
// If N.SAV exists alone (left by an interrupted run) it is the source and is kept on failure.
// Statuses: 9915 a FIFO, directory or device in place of N.DAT, N.SAV or N.IX (nothing
// touched), 10465 N.SAV and N.DAT both exist (nothing touched), 10410 nothing to rebuild,
// 10399 renaming N.DAT failed, 10411 no memory, 10475 a callback failed, 10460 stopped, or the
// engine or file system status met on the way.
// A record whose first four bytes are neither 0 nor a link of the free chain (a link to -1
// through deleted records) is neither live nor deleted: it is not kept, but written to the dump
// file N.MSG with its raw bytes and named in `report`. An all-zero slot beyond the header's
// RecordCount (a file grown without its record being written) is no record and is not kept.
// N.IX stays as it is until the new data file is complete, so a failed pass leaves the file
// block as it was; then it goes, since its entries name the old record numbers.
struct DataPassReport {
  std::vector<int32_t> setAside;  // numbers in N.SAV of the records written to N.MSG
  int blankSlotsDropped = 0;
  bool dumpWritten = false;
};
void RebuildDataFile(std::string_view name, int oldLength, int newLength, const RecordFilter& filter,
                     const RecordConversion& conversion, const RebuildProgressCallback& progress,
                     DataPassReport* report = nullptr);

// Recreates N.IX with keyCount keys and adds one entry per key per live record. A key refused
// as a duplicate is written to N.MSG ("dumpWritten" then set); with deleteDuplicates its record
// is dumped there too, its earlier keys are removed and the record is deleted.
// Success may come with EngineStatus 10215 (EngineOK stays true): the data header did not match
// the file size; the header is then corrected to the whole records the file holds.
// Failure statuses: 10412 record length too large, 10411 no memory, 10470 key routine failed,
// 10475 conversion failed, 10460 stopped, 9500 + e writing the dump failed, or the engine or
// file system status met on the way. A failed pass removes N.IX, so the next open asks for a
// rebuild again (10010) instead of trusting a partial index.
// The new index is built under a temporary name (N~.IX) and renamed into place once complete
// and closed, so no moment shows an index that opens with only some of its keys. A dump file of
// an earlier rebuild stays unless this pass dumps something; `appendToDump` adds to N.MSG
// instead of replacing it (the data pass of the same rebuild wrote it).
void RebuildIndexFile(std::string_view name, int keyCount, std::span<const KeyDescriptor> descriptors,
                      const RecordConversion& conversion, const KeyRoutine& keyRoutine, bool deleteDuplicates,
                      const RebuildProgressCallback& progress, bool& dumpWritten, bool appendToDump = false);

// --- the rebuild every record kind uses ------------------------------------------------------

struct RebuildTarget {
  std::string name;   // file block name, as for OpenFileBlock
  std::string title;  // plain name shown in the status window ("Products")
  int recordLength = 0;
  std::vector<KeyDescriptor> keys;  // as for MakeFileBlock
  KeyRoutine keyRoutine;
};

// How often the status window is refreshed, in records read.
inline constexpr int kRebuildStatusInterval = 50;

// The data pass with the live-record filter, then, if it succeeded, the index pass with
// duplicates deleted, while `status` shows the title and, every 50 records read,
// "Key number: %d", "Records read: %d", "Records written: %d". Returns EngineOK; the caller
// then opens the file block again. `dumpWritten` (optional) tells whether N.MSG was written.
bool RebuildFileBlock(const RebuildTarget& target, RebuildStatus& status, bool* dumpWritten = nullptr);

// What a rebuild set aside, for the caller to tell the user.
struct RebuildReport {
  bool dumpWritten = false;       // N.MSG holds something of this rebuild
  std::vector<int32_t> setAside;  // records neither live nor deleted, dumped to N.MSG
  int blankSlotsDropped = 0;
};
bool RebuildFileBlock(const RebuildTarget& target, RebuildStatus& status, RebuildReport& report);

}  // namespace tf::engine
