#include "correspondence/label_list_file.h"

#include <system_error>

#include "common/side_file.h"
#include "common/text.h"

namespace tf::correspondence {
namespace {

// Where each column starts (0-based) and how wide it is; a blank lies between two columns.
struct Column {
  std::size_t start, width;
};
constexpr Column kNumber{0, kListNumberWidth};
constexpr Column kName{kNumber.start + kNumber.width + 1, kListNameWidth};
constexpr Column kSortCode{kName.start + kName.width + 1, kListSortCodeWidth};
constexpr Column kType{kSortCode.start + kSortCode.width + 1, kListTypeWidth};
constexpr std::size_t kLineWidth = kType.start + kType.width;

std::string ColumnText(std::string_view line, Column c) {
  if (c.start >= line.size()) return {};
  return common::TrimBoth(line.substr(c.start, c.width));
}

std::string LineProblem(std::string_view line) {
  for (char ch : line)
    if (static_cast<unsigned char>(ch) < 32 || ch == 127) return "holds a control character";
  if (line.size() > kListLineLimit)
    return "is longer than " + std::to_string(kListLineLimit) + " characters";
  for (std::size_t gap : {kName.start - 1, kSortCode.start - 1, kType.start - 1})
    if (gap < line.size() && line[gap] != ' ')
      return "has text at position " + std::to_string(gap + 1) + ", where a blank separates the columns";
  if (line.size() > kLineWidth && !common::TrimBoth(line.substr(kLineWidth)).empty())
    return "has text after position " + std::to_string(kLineWidth);
  if (ColumnText(line, kNumber).empty()) return "has no customer number";
  return {};
}

std::string ListName(const std::filesystem::path& path) { return path.filename().string(); }

}  // namespace

std::optional<std::string> LabelListLine(const LabelQueueEntry& e) {
  const std::pair<const std::string*, std::size_t> columns[] = {
      {&e.CustomerNumber, kListNumberWidth},
      {&e.CustomerName, kListNameWidth},
      {&e.MailSortCode, kListSortCodeWidth},
      {&e.CustomerType, kListTypeWidth}};
  std::string line;
  for (const auto& [text, width] : columns) {
    if (text->size() > width) return std::nullopt;
    if (!line.empty()) line += ' ';
    line += common::PadRight(*text, width);
  }
  return common::Cut(line, kListLineLimit);
}

LabelListContents ParseLabelList(std::string_view text) {
  LabelListContents out;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    if (std::string problem = LineProblem(line); !problem.empty()) {
      out.entries.clear();
      out.problem = "Line " + std::to_string(lineNumber) + " " + problem + ".";
      return out;
    }
    out.entries.push_back(
        {ColumnText(line, kNumber), ColumnText(line, kName), ColumnText(line, kSortCode), ColumnText(line, kType)});
  }
  return out;
}

std::optional<std::string> SaveLabelList(const std::filesystem::path& path, LabelQueue& queue) {
  std::string text;
  for (std::size_t i = 0; i < queue.Size(); ++i) {
    const std::optional<std::string> line = LabelListLine(queue.Entries()[i]);
    if (!line)
      return "Record " + std::to_string(i + 1) + " (customer " + queue.Entries()[i].CustomerNumber +
             ") has a text wider than its column; the list was not saved.";
    text += *line;
    text += "\r\n";
  }
  try {
    common::ReplaceFile(path, text);
  } catch (const std::system_error& e) {
    return "The record list " + ListName(path) + " could not be saved (" + e.code().message() + ").";
  }
  queue.SetUnsaved(false);
  return std::nullopt;
}

std::optional<std::string> LoadLabelList(const std::filesystem::path& path, LabelQueue& queue) {
  std::string text;
  try {
    text = common::ReadWholeFile(path);
  } catch (const std::system_error& e) {
    return "The record list " + ListName(path) + " could not be read (" + e.code().message() + ").";
  }
  LabelListContents contents = ParseLabelList(text);
  if (!contents.ok())
    return "The record list " + ListName(path) + " is damaged: " + contents.problem + " No records were added.";
  for (LabelQueueEntry& e : contents.entries) queue.Add(std::move(e));
  return std::nullopt;
}

}  // namespace tf::correspondence
