#pragma once
// A journal file (".DIA") left over from a save-mode session is rolled forward when its file
// block opens. This program never writes one; the open only has to deal with one it finds.
// Its layout is in file_format.h.

#include "engine/core/engine_internal.h"

namespace tf::engine::detail {

// Replays the file block's open journal into its files and re-reads the data header. False
// with 10180 (unreadable journal) or 10430 (read-only file block).
bool ReplayJournal(FileBlock* fb);

}  // namespace tf::engine::detail
