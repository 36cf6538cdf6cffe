#pragma once
// The find window without the screen: the search text, the rows found, the status line and the
// chosen row.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/prompter.h"
#include "finder/find_mode.h"

namespace tf::finder {

inline constexpr std::size_t kFindTextLimit = 15;
inline constexpr std::size_t kSearchTextLength = 10;
inline constexpr std::string_view kFindReadyStatus = "Enter the text to search for then select Find button...";
inline constexpr std::string_view kSearchingStatus = "Searching...";
inline constexpr std::string_view kNothingFoundText = "No matching items were found.";
inline constexpr std::string_view kNothingFoundCaption = "Text to Find";
inline constexpr std::string_view kNothingFoundStatus = "No items were found.";

class FindModel {
 public:
  explicit FindModel(const FindMode& mode) : mode_(mode) {}

  const FindMode& Mode() const { return mode_; }

  // On showing: empty text, no rows, the ready status.
  void Show();
  // The typed text (FindText, at most 15 characters); a change enables Find again.
  void SetText(std::string_view text);
  const std::string& Text() const { return text_; }
  // Find is offered while the text holds more than blanks and no search ran on it.
  bool FindEnabled() const;

  // Reads every record of the file in record order; a record matches when the trimmed,
  // upper-cased text (cut to 10) occurs in the upper-cased value of a searched field.
  // "No matching items were found." when none does. `status` is told "Searching..." first.
  void Find(common::Prompter& prompter);

  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  const std::string& Status() const { return status_; }

  // The rows in the order of a column's text (a heading click).
  void SortByColumn(int column);

  // The result text of a row (the mode's result column); nothing for an invalid row.
  std::optional<std::string> Choose(int row) const;

 private:
  const FindMode& mode_;
  std::string text_;
  bool searched_ = false;
  std::vector<std::vector<std::string>> rows_;
  std::string status_;
};

}  // namespace tf::finder
