#pragma once
// The record storage engine: file blocks of fixed-length records (".DAT") with one B-tree
// index per key (".IX"). Every operation reports through EngineOK / EngineStatus
// (engine_status.h); callers test EngineOK right after each call.
//
// Records are numbered 1..RecordCount ("ref"); slot 0 of the data file is its header. Keys are
// byte strings of up to 30 characters, ordered as unsigned bytes, shorter first, and in an
// index with duplicates by ref on equal keys.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/engine_status.h"
#include "engine/core/file_format.h"

namespace tf::engine {

struct FileBlock;  // one open file block; the handle callers pass to every operation

// Limits the file format sets (file_format.h).
using format::kMaxKeyLength;
using format::kMaxKeys;
using format::kMinRecordLength;
inline constexpr int kMinPageBuffers = 8;
// The pool the program asks for at start; files and behaviour do not depend on it. Chosen
// from the invoices benchmark (bench/README.md): at a million records the smallest pool
// spends most of the add phase writing back and re-reading pages. Buffer memory becomes
// resident only as pages are loaded, so small books stay small.
inline constexpr int kProgramPageBuffers = 65536;

struct KeyDescriptor {
  uint8_t KeyLength = 0;        // 1..30
  uint8_t AllowDuplicates = 0;  // 0 unique, 1 duplicates allowed
};

// --- engine --------------------------------------------------------------------------------
void InitEngine(int reserved, int pageBuffers);
void ExitEngine();
void InstallEngineExit();  // ExitEngine runs when the program ends
void ResetEngineScratch();
bool EngineReady();
bool IsSharedMode();
bool IsFileBlockOpen(const FileBlock* handle);
void LockFileBlock(FileBlock* handle);
void UnlockFileBlock(FileBlock* handle);

// --- file blocks ---------------------------------------------------------------------------
void MakeFileBlock(std::string_view name, int recordLength, int keyCount,
                   std::span<const KeyDescriptor> descriptors);
void OpenFileBlock(FileBlock*& handle, std::string_view name, bool readOnly = false,
                   bool sharing = true, bool saveMode = false, bool forceReadOnly = false);
void CloseFileBlock(FileBlock*& handle);
void DeleteFileBlock(std::string_view name);

// --- records -------------------------------------------------------------------------------
// `buffer` must hold RecordLength(handle) bytes; prefer the sized form below, which checks.
void GetRecord(FileBlock* handle, int32_t ref, void* buffer, int reserved = 0);
// Reads record `ref` into `buffer`. A buffer shorter than the file block's record length is
// refused with kBufferTooSmall and nothing is copied: a handle closed and reused by a file block
// of longer records must not write past a window's record variable.
void GetRecord(FileBlock* handle, int32_t ref, std::span<uint8_t> buffer);
// Reads the `count` slots from `firstRef` on into `buffer` (count * RecordLength bytes) as
// GetRecord reads each, in one transfer: for reading many records in file order without a call
// per record. A deleted slot comes as it lies (its first four bytes not 0); a slot past the end
// fails as GetRecord does, and a buffer too short for `count` records is refused untouched.
void GetRecords(FileBlock* handle, int32_t firstRef, int32_t count, std::span<uint8_t> buffer);
void PutRecord(FileBlock* handle, int32_t ref, const void* buffer, int reserved = 0);
// A record added at the end of the file block waits in memory with the ones added after it and
// reaches the file in a large write: before the next other write to any file block's data file
// (a rewrite, a delete, a record put into a deleted slot), before a scan of the records, when a
// megabyte waits, at FlushFileBlock and at the close. A process killed in between loses the
// records added since then, never a later write without them. A write of waiting records that
// fails fails the operation that made it (or the close); the records keep waiting.
void AddRecord(FileBlock* handle, int32_t& ref, const void* buffer);
// Writes the records waiting at the end of the file block: from then on they survive the end of
// the process, however it ends (they are not synced to the disk; the close does that). Nothing
// for a private copy (DeferAppends), whose records wait for its close.
void FlushFileBlock(FileBlock* handle);
// Makes this file block a private copy no other program reads while it is open (a staged copy
// that is put in place only after a clean close): its added records wait regardless of writes to
// other file blocks and rewrites of them stay in memory too, so they may reach the file only at
// the close; a write failing then fails the close, and a kill before it loses the additions.
void DeferAppends(FileBlock* handle);
void DeleteRecord(FileBlock* handle, int32_t ref);
int UsedRecords(FileBlock* handle);
int FileLength(FileBlock* handle);
int RecordLength(FileBlock* handle);
void NextRecord(FileBlock* handle, int32_t& ref);
void PrevRecord(FileBlock* handle, int32_t& ref);

// --- keys ----------------------------------------------------------------------------------
// Key arguments longer than 30 characters are cut to 30.
void AddKey(FileBlock* handle, int keyNr, int32_t ref, std::string_view key);
void DeleteKey(FileBlock* handle, int keyNr, int32_t ref, std::string_view key);
// First entry >= key; returns its ref and writes its key back into `key`. Finding none (or
// failing), `ref` is 0.
void SearchKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key);
void NextKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key);
void PrevKey(FileBlock* handle, int keyNr, int32_t& ref, std::string& key);
// The exact entry (key, ref); if absent: direction > 0 the next greater, < 0 the next smaller,
// 0 fails with 10270.
void FindKeyAndRef(FileBlock* handle, int keyNr, int32_t& ref, int direction, std::string& key);
void ClearKey(FileBlock* handle, int keyNr);
int UsedKeys(FileBlock* handle, int keyNr);
// Estimated place of (key, ref) as 0..scale, and the entry estimated at pos/scale.
void KeyPosition(FileBlock* handle, int keyNr, uint16_t& pos, int32_t ref, std::string_view key,
                 uint16_t scale);
void KeyAtPosition(FileBlock* handle, int keyNr, uint16_t pos, int32_t& ref, std::string& key,
                   uint16_t scale);

// Key count of an open file block (0 for an invalid handle).
int KeyCount(FileBlock* handle);

// --- RAII ----------------------------------------------------------------------------------
// Closes the file block on every path out of a scope.
class FileBlockGuard {
 public:
  FileBlockGuard() = default;
  explicit FileBlockGuard(FileBlock* h) : h_(h) {}
  ~FileBlockGuard() { Close(); }
  FileBlockGuard(const FileBlockGuard&) = delete;
  FileBlockGuard& operator=(const FileBlockGuard&) = delete;
  FileBlock*& handle() { return h_; }
  FileBlock* get() const { return h_; }
  // Closes now; EngineOK / EngineStatus tell the outcome.
  void Close() {
    if (h_) CloseFileBlock(h_);
  }

 private:
  FileBlock* h_ = nullptr;
};

}  // namespace tf::engine
