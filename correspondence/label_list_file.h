#pragma once
// Record list files ("*.LST"): the label print queue saved as text, one line per entry, so a
// list collected once can be loaded again for the next mailing (and by the form letters).
//
// A line is the customer number left-justified in 8, a blank, the name in 35, a blank, the mail
// sort code in 15, a blank, the customer type in 25: 86 characters, ended by CR LF. The texts
// are the records' own bytes (Latin-1). A reader takes the four columns at the same positions
// (1-8, 10-44, 46-60, 62-86), each trimmed, and accepts LF alone as a line end too.
//
// A file is read whole before anything reaches the queue: a line that this layout cannot have
// produced (a control character, a line longer than 90 characters, text where a blank separates
// the columns or beyond the last column, no customer number) refuses the whole file with a
// sentence naming the line, and the queue stays as it was. Blank lines are passed over.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "correspondence/label_queue.h"

namespace tf::correspondence {

inline constexpr std::size_t kListNumberWidth = 8;
inline constexpr std::size_t kListNameWidth = 35;
inline constexpr std::size_t kListSortCodeWidth = 15;
inline constexpr std::size_t kListTypeWidth = 25;
inline constexpr std::size_t kListLineLimit = 90;

// One entry as its line, without the line end. Nothing when a text is wider than its column
// (the columns would shift and the file would not read back).
std::optional<std::string> LabelListLine(const LabelQueueEntry& entry);

// The entries of a file's text, or the sentence saying which line is wrong and why.
struct LabelListContents {
  std::vector<LabelQueueEntry> entries;
  std::string problem;  // empty when the text was read
  bool ok() const { return problem.empty(); }
};
LabelListContents ParseLabelList(std::string_view text);

// Writes every entry of the queue into `path` (replacing a file there as one step, so a failed
// write leaves the old file) and clears the queue's unsaved flag. Gives the sentence to show
// when it could not; the file and the flag are then as they were.
std::optional<std::string> SaveLabelList(const std::filesystem::path& path, LabelQueue& queue);

// Appends the entries of the file to the queue. Gives the sentence to show when the file could
// not be read or is damaged; the queue is then as it was.
std::optional<std::string> LoadLabelList(const std::filesystem::path& path, LabelQueue& queue);

}  // namespace tf::correspondence
