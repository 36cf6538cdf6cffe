#pragma once
// Reading many records of a file block by their record numbers, in file order: an index walk
// hands out record numbers in key order, and reading each at its place costs a system call per
// record. Here the numbers are sorted and nearby slots read together in runs, so a list that
// covers most of the file is read almost as one sequential pass, and a sparse one as few reads.

#include <cstdint>
#include <functional>
#include <span>

#include "engine/core/engine.h"

namespace tf::records {

// Calls `each` once for every entry of `refs` (in any order, duplicates allowed) with the
// entry's position in `refs` and the record it names, as GetRecord reads it. Records come in
// file order, so a caller that needs key order places what it makes by the position. False at
// the first engine failure, with EngineOK / EngineStatus telling it; the entries handed out
// before it stay handed out.
bool ReadInFileOrder(engine::FileBlock* handle, std::span<const std::int32_t> refs,
                     const std::function<void(std::size_t position, std::span<const std::uint8_t> record)>& each);

// Calls `each` with every live record of the file block and its record number, in record order,
// reading the file in large pieces: for a pass over most of a file, where an index walk would
// read its index as well. A deleted slot (its status word not 0) is passed over. False at the
// first engine failure, as ReadInFileOrder.
bool ReadLiveRecords(engine::FileBlock* handle,
                     const std::function<void(std::int32_t ref, std::span<const std::uint8_t> record)>& each);

}  // namespace tf::records
