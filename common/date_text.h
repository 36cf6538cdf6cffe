#pragma once
// Date texts: the company's date format ("mm/dd/yyyy" or "dd/mm/yyyy") and the sortable date
// key "yyyy/mm/dd". One parser and one formatter (date_time_format.h) serve all three.
//
// Parsing is strict about the calendar: the month must be 1..12 and the day must exist in that
// month (02/29 only in leap years; 02/30/2024 is rejected). Month and day take one or two
// digits, the year exactly four (0001..9999): the entry masks always ask for four, so a
// two-digit year is rejected rather than guessed into a century. Fields are separated by "/";
// blanks (codes 0..32) may stand around each field, as a partly filled entry mask leaves them.
// Anything else is rejected, as an empty std::optional.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tf::common {

enum class DateFormat {
  MonthFirst,  // "mm/dd/yyyy"
  DayFirst,    // "dd/mm/yyyy"
  YearFirst,   // "yyyy/mm/dd", the sortable date key
};

// The company's DateFormat code: "D" is day first, anything else month first.
DateFormat DateFormatFromCode(std::string_view code);

// "mm/dd/yyyy", "dd/mm/yyyy" or "yyyy/mm/dd".
std::string_view DatePattern(DateFormat format);

std::optional<std::chrono::year_month_day> ParseDate(std::string_view text, DateFormat format);

// Two-digit month and day, four-digit year, in the format's order.
std::string FormatDate(std::chrono::year_month_day date, DateFormat format);

inline std::optional<std::chrono::year_month_day> ParseDateKey(std::string_view key) {
  return ParseDate(key, DateFormat::YearFirst);
}
inline std::string FormatDateKey(std::chrono::year_month_day date) {
  return FormatDate(date, DateFormat::YearFirst);
}

// A valid date text in `from` rewritten in `to` (normalised to two-digit month and day);
// empty when the text is not a valid date.
std::optional<std::string> ConvertDateText(std::string_view text, DateFormat from, DateFormat to);

// Moves the characters of a stored 10-character date text from one layout to another without
// validating it ("12/31/2024" month first -> "2024/12/31"), as stored texts are taken as they
// are. The fields are taken at their fixed positions (month and day two characters, year four);
// a shorter text yields shorter fields.
std::string RearrangeDateText(std::string_view text, DateFormat from, DateFormat to);

}  // namespace tf::common
