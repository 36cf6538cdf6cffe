#pragma once
// The record files of the program (companies, customers, products, invoices, lines, memos)
// share one way of being opened, repaired, created and maintained. A record file kind says what
// its file block is; the procedures here do the rest, so that every record kind behaves alike:
//
// - OpenRecordFile: first finishes or drops a staged bulk change cut short (staged_block.h);
//   open; on 10010 ask "Index file is defective.  Rebuild?" and rebuild; on
//   9903 create it empty (after a notice, when the kind has one); anything else gives up.
// - AddKeyedRecord / ModifyKeyedRecord / DeleteKeyedRecord: the guarded maintenance
//   (AddKeyedRecords: a batch of adds, all or nothing). The file
//   block is locked for the operation ("The files are in use.  Abort?"), every engine call is
//   retried while it fails for a lock and the user answers No to "Cannot get a lock.  Abort?",
//   and a failure leaves the file block exactly as it was before the operation. Keys are
//   handled as key 1, 2, ... and taken back in reverse. On failure EngineOK / EngineStatus
//   tell the first failure, not the outcome of the steps that took it back; the file block is
//   unlocked on every path. A record image whose size is not the kind's record length is a
//   programming error (std::invalid_argument).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::records {

struct RecordFileKind {
  std::string title;  // plain name for the status window while rebuilding ("Customers")
  int recordLength = 0;
  std::vector<engine::KeyDescriptor> keys;  // key 1 first
  engine::KeyRoutine keyRoutine;            // key text of (record, key number 1..keys.size())
};

// The status of an open refused because the file block is not of the kind asked for: its record
// length or key count differs. Reading its records into the kind's buffers would run past their
// end, and rebuilding it with the kind's shape would cut every record, so it is left untouched.
inline constexpr std::int32_t kNotThisKindOfFile = 10026;

// True when the open file block has the kind's record length and key count; otherwise closes it,
// sets EngineOK false and EngineStatus kNotThisKindOfFile.
bool KeepIfOfKind(engine::FileBlock*& handle, const RecordFileKind& kind);

// What is shown before a missing file block is created. An empty text creates it silently.
struct CreateNotice {
  std::string text;     // "I am going to create a new, empty company file."
  std::string caption;  // "New Company"
  common::PromptButtons buttons = common::PromptButtons::OKCancel;  // Cancel gives up
};

// Opens `name` into `handle`. True when open; false when the user or the engine gave up, or the
// file block is not of this kind (the caller then shows its own message, e.g. "Unable to open
// database"); EngineStatus tells why.
bool OpenRecordFile(engine::FileBlock*& handle, const std::string& name, const RecordFileKind& kind,
                    const CreateNotice& notice, common::Prompter& prompter,
                    engine::RebuildStatus& status);

// The rebuild offered on a damaged index, also run from data maintenance.
bool RebuildRecordFile(const std::string& name, const RecordFileKind& kind,
                       engine::RebuildStatus& status);

// AddRecord, then AddKey for every key in order; a failure takes back what was added. Then the
// record is written (FlushFileBlock), so that a kill of the program cannot lose it; a failing
// write fails the add and takes it back as well.
bool AddKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind,
                    std::span<const std::uint8_t> record, std::int32_t& ref,
                    common::Prompter& prompter);

// AddKeyedRecord for each of `records` in order: all of them or none. A failure deletes again,
// newest first, the records added before it, so an import never leaves half a file behind;
// EngineOK / EngineStatus then tell the failed add. The records are written once, at the end.
bool AddKeyedRecords(engine::FileBlock* handle, const RecordFileKind& kind,
                     std::span<const common::RecordBuffer> records, common::Prompter& prompter);

// `oldImage` is the record as it was read before the user edited it. An unchanged record
// succeeds at once without touching the file. A stored record that no longer equals the old
// image is not overwritten ("The record has changed in the meantime."). Changed keys are
// replaced key by key (new key added, then old key deleted; an old key already missing is no
// failure); a failure changes back every key already replaced, and the record is written only
// when every key succeeded. A record deleted or changed since it was read fails with EngineOK
// false and EngineStatus 0.
bool ModifyKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::int32_t ref,
                       std::span<const std::uint8_t> newRecord,
                       std::span<const std::uint8_t> oldImage, common::Prompter& prompter);

// DeleteKey for every key built from `record`, then DeleteRecord. A key the index no longer
// holds under that text does not stop the delete: every other step is still made, and the
// delete succeeds with EngineStatus 10220 as a warning (an entry the index held under another
// text is then left pointing at the deleted record, and the checker shows it). Any other
// failure adds back the keys already removed, so the record stays whole and findable.
bool DeleteKeyedRecord(engine::FileBlock* handle, const RecordFileKind& kind, std::int32_t ref,
                       std::span<const std::uint8_t> record, common::Prompter& prompter);

}  // namespace tf::records
