#pragma once
// A journal file (".DIA") left over from a save-mode session is rolled forward when its file
// block opens. This program never writes one; the open only has to deal with one it finds.
//
// Layout: one marker byte, then entries of a 2-byte tag and its data: tag 1..62 = an index
// page image for that key number (int32 page number + the page slot), 1000 = a header image
// (the 21-byte data header + index record 0), 2000 = end of journal. A journal of one byte is
// empty.

#include "engine/core/engine_internal.h"

namespace tf::engine::detail {

inline constexpr int16_t kJournalHeaderTag = 1000;
inline constexpr int16_t kJournalEndTag = 2000;

// Replays the file block's open journal into its files and re-reads the data header. False
// with 10180 (unreadable journal) or 10430 (read-only file block).
bool ReplayJournal(FileBlock* fb);

}  // namespace tf::engine::detail
