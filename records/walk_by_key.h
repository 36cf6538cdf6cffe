#pragma once
// Reading a whole file block in the order of one of its keys, for exports: every entry of the
// index from its first to its true end, each record checked against the entry that led to it.
// A damaged index can end early without an error, or point an entry at the wrong record; a
// walk that trusted it would hand out some records twice and others not at all.

#include <cstdint>
#include <functional>
#include <span>

#include "engine/core/engine.h"
#include "records/record_file.h"

namespace tf::records {

// Calls `row` with each record in the order of key `keyNr`. True when the walk reached the end
// of the index, every record was live and carried the key of its entry, and the entries
// counted as many as the file's live records. False otherwise, at once: EngineStatus tells an
// engine failure, or is 0 when the index does not match the records.
bool WalkByKey(engine::FileBlock* handle, const RecordFileKind& kind, int keyNr,
               const std::function<void(std::span<const std::uint8_t> record)>& row);

}  // namespace tf::records
