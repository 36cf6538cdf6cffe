#include "common/date_text.h"

#include <array>

#include "common/date_time_format.h"
#include "common/text.h"

namespace tf::common {
namespace {

struct FieldOrder {
  int year;  // index of each field in the text, 0..2
  int month;
  int day;
};

FieldOrder OrderOf(DateFormat format) {
  switch (format) {
    case DateFormat::DayFirst:
      return {2, 1, 0};
    case DateFormat::YearFirst:
      return {0, 1, 2};
    case DateFormat::MonthFirst:
      break;
  }
  return {2, 0, 1};
}

// The field's digits, or -1 when it is not 1..maxDigits digits (after trimming blanks).
int ReadDigits(std::string_view field, std::size_t minDigits, std::size_t maxDigits) {
  std::string digits = TrimBoth(field);
  if (digits.size() < minDigits || digits.size() > maxDigits) return -1;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Start and length of each field in a stored text of the layout.
struct FieldSpan {
  std::size_t start;
  std::size_t length;
};

std::array<FieldSpan, 3> SpansOf(DateFormat format) {  // year, month, day
  switch (format) {
    case DateFormat::DayFirst:
      return {{{6, 4}, {3, 2}, {0, 2}}};
    case DateFormat::YearFirst:
      return {{{0, 4}, {5, 2}, {8, 2}}};
    case DateFormat::MonthFirst:
      break;
  }
  return {{{6, 4}, {0, 2}, {3, 2}}};
}

std::string_view Slice(std::string_view text, FieldSpan span) {
  if (span.start >= text.size()) return {};
  return text.substr(span.start, span.length);
}

}  // namespace

DateFormat DateFormatFromCode(std::string_view code) {
  return code == "D" ? DateFormat::DayFirst : DateFormat::MonthFirst;
}

std::string_view DatePattern(DateFormat format) {
  switch (format) {
    case DateFormat::DayFirst:
      return "dd/mm/yyyy";
    case DateFormat::YearFirst:
      return "yyyy/mm/dd";
    case DateFormat::MonthFirst:
      break;
  }
  return "mm/dd/yyyy";
}

std::optional<std::chrono::year_month_day> ParseDate(std::string_view text, DateFormat format) {
  std::array<std::string_view, 3> fields;
  std::size_t start = 0;
  for (int f = 0; f < 3; ++f) {
    std::size_t slash = f < 2 ? text.find('/', start) : text.size();
    if (slash == std::string_view::npos) return std::nullopt;
    fields[f] = text.substr(start, slash - start);
    start = slash + 1;
  }
  if (fields[2].find('/') != std::string_view::npos) return std::nullopt;

  const FieldOrder order = OrderOf(format);
  const int year = ReadDigits(fields[order.year], 4, 4);
  const int month = ReadDigits(fields[order.month], 1, 2);
  const int day = ReadDigits(fields[order.day], 1, 2);
  if (year < 1 || month < 0 || day < 0) return std::nullopt;

  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string FormatDate(std::chrono::year_month_day date, DateFormat format) {
  return FormatDateTime(DatePattern(format), date);
}

std::optional<std::string> ConvertDateText(std::string_view text, DateFormat from, DateFormat to) {
  auto date = ParseDate(text, from);
  if (!date) return std::nullopt;
  return FormatDate(*date, to);
}

std::string RearrangeDateText(std::string_view text, DateFormat from, DateFormat to) {
  const auto source = SpansOf(from);
  const std::array<std::string_view, 3> parts = {Slice(text, source[0]), Slice(text, source[1]),
                                                 Slice(text, source[2])};
  const FieldOrder order = OrderOf(to);
  std::array<std::string_view, 3> placed;
  placed[order.year] = parts[0];
  placed[order.month] = parts[1];
  placed[order.day] = parts[2];
  std::string out(placed[0]);
  out += '/';
  out += placed[1];
  out += '/';
  out += placed[2];
  return out;
}

}  // namespace tf::common
