#pragma once
// Internal state shared by the engine's translation units: the file block handle, the per-key
// descriptors, the engine-wide state and the status helpers. Not for callers outside engine/.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "engine/core/engine.h"
#include "engine/core/file_system.h"

namespace tf::engine::detail {

// The engine reads and writes its files through the format's offsets and field helpers.
using namespace format;

// Carried by a handle while it names an open file block (never stored in a file).
inline constexpr uint32_t kSignature = 0x11195851;

// Index record 0 of a new index file: each key's header, for an empty tree of pages of its key
// length, at the start of its section; zero elsewhere. Laid out as MakeFileBlock lays it out.
std::vector<uint8_t> NewIndexRecordZero(std::span<const KeyDescriptor> descriptors, int keyCount);

// One step of a position path: the page and, on inner levels, the entry whose Child was
// followed (0 = LeftChild); on the last level the current entry or the gap after `index`.
struct PageBuffer;
struct PathStep {
  int32_t page = 0;
  int16_t index = 0;
  PageBuffer* buffer = nullptr;  // where the page was last seen: a hint, checked before use
};

// One key of an open file block: its header fields (index record 0), what they imply, and the
// index's current position.
struct KeyIndex : IndexHeader {
  // Derived.
  int KeyLength = 0;
  int Stride = 0;  // bytes per entry on disk: EntrySize(KeyLength)
  int64_t SectionOffset = 0;
  bool headerChanged = false;
  bool lastPageFromFreeChain = false;
  // Current position.
  PathStep path[kMaxTreeDepth];
  int depth = 0;              // 0 = no position
  bool onEntry = false;       // last step names an entry (else the gap after it, in a leaf)
  bool positionValid = false; // false after AddKey / DeleteKey on this index
  // Buffers of the pages the last descent passed through, by level: the next descent checks
  // them before looking the pages up.
  PageBuffer* levelHint[kMaxTreeDepth] = {};

  void ResetPosition() { depth = 0; onEntry = false; positionValid = false; }
};


}  // namespace tf::engine::detail

namespace tf::engine {

// The handle callers hold (declared opaque in engine.h).
struct FileBlock {
  uint32_t signature = 0;
  int dataFd = -1;
  int indexFd = -1;
  int journalFd = -1;
  std::string dataName, indexName, journalName;
  format::DataHeader header;
  int keyCount = 0;
  int64_t indexRecordSize = 0;
  int64_t indexRecordCount = 0;
  std::vector<detail::KeyIndex> keys;  // keys[0] unused; 1..keyCount
  bool readOnly = false;
  bool saveMode = false;
  bool updateFlagWritten = false;
  // A failed append may have left a partial slot or index record past the logical end; the
  // close cuts the file back to its logical length.
  bool dataTailDirty = false;
  bool indexTailDirty = false;
  // A failed write into a record slot may have damaged its first four bytes, the free-chain
  // link (a reused slot) or the live mark 0 (a deleted record). Until they are rewritten,
  // before the next record change or at the close, reads take the link from here.
  int32_t staleLinkSlot = 0;  // 0 = none
  int32_t staleLink = 0;
  // Records added at the end wait here, whole slots from pendingFirst on, and reach the file in
  // large writes: before any other write to the data file, before a scan of it, when the buffer
  // is full, at FlushFileBlock and at the close. Unless the file block is a private copy
  // (deferAppends: nobody else reads it until it is closed), its waiting records are also
  // written before any write to another file block's data file, and a rewrite of a waiting
  // record writes them first: so a process killed at any moment leaves the data files as an
  // unbuffered engine would have left them at some earlier moment, having lost at most the
  // records added since the last other write.
  bool deferAppends = false;
  int32_t pendingFirst = 0;
  std::vector<uint8_t> pending;
  // Records per block of the data file held in the page pool (0: records too long for a page
  // buffer, read one at a time).
  int32_t blockRecords = 0;
  // The pool's buffer holding each block of records, by block number (nullptr: none).
  std::vector<detail::PageBuffer*> blockMap;
};

}  // namespace tf::engine

namespace tf::engine::detail {

// --- status ------------------------------------------------------------------------------
inline void ResetStatus() {
  EngineOK = true;
  EngineStatus = 0;
  EngineOsError = 0;
  EngineFailedPrimitive = FilePrimitive::None;
}
inline void Fail(int32_t status) {
  EngineOK = false;
  EngineStatus = status;
}
int32_t MapOsError(FilePrimitive primitive, int err, const std::string& path);
// Records the OS error (first one per operation) and fails with its mapped status.
void FailOs(FilePrimitive primitive, int err, const std::string& path = {});

// --- checked file primitives (set the status on failure, return success) -----------------
bool ReadExact(int fd, void* buf, size_t n, int64_t offset);
bool WriteExact(int fd, const void* buf, size_t n, int64_t offset);
bool SyncFile(int fd);

// --- engine state ------------------------------------------------------------------------
bool EngineInitialised();
void SetEngineInitialised(bool on);
std::vector<FileBlock*>& OpenFileBlocks();
// Builds the store the file block handles live in (it is otherwise built by the first open), so
// that an exit handler registered afterwards runs while the handles still exist.
void BuildHandleStore();

// The entry check every operation starts with. Returns the file block, or nullptr with the
// status set.
enum class Access { Read, Change };
FileBlock* EnterOperation(FileBlock* handle, Access access);
FileBlock* EnterKeyOperation(FileBlock* handle, int keyNr, Access access);
// At exit: an OS failure on a read-only file block is reported as such.
void LeaveOperation(const FileBlock* fb);

struct OperationScope {
  const FileBlock* fb = nullptr;
  ~OperationScope() { LeaveOperation(fb); }
};

// The first change of a file block since it was opened marks it as changed on disk (and makes
// that durable) before any record or page byte is written.
bool MarkFirstChange(FileBlock* fb);
// Writes the records waiting at the end of the file block; false (status set, records kept)
// when it fails.
bool WritePendingAppends(FileBlock* fb);
// Writes the records of the shared file block whose added records wait, unless it is `except`;
// false (status set) when that fails. Called before every write to a shared file block's data
// file, so that records reach the files in the order they were written.
bool WriteWaitingAppends(const FileBlock* except);
// Forgets that `fb` has waiting records (its handle is released).
void ForgetWaitingAppends(const FileBlock* fb);

// A data header that describes a file block this data file can hold: record length, counts
// and free-chain head in range and the file long enough for every record counted.
bool SaneDataHeader(const DataHeader& h, int64_t fileSize);

// Rewrites a slot's first four bytes left damaged by a failed record write (records.cpp).
bool RepairStaleLink(FileBlock* fb);

}  // namespace tf::engine::detail
