#pragma once
// The Report Wizard's date range: the presets that fill From and To from today, and the checks
// of a typed range before any file is read.

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/date_text.h"

namespace tf::reports {

enum class DatePreset {
  CurrentMonth,
  CurrentYear,
  CustomDates,
  Last12Months,
  Last30Days,
  Last60Days,
  Last90Days,
  MonthToDate,
  PreviousMonth,
  PreviousYear,
  YearToDate,
};

// "Current Month", "Current Year", ... in the order the preset list shows them.
std::span<const DatePreset> DatePresets();
std::string_view DatePresetName(DatePreset preset);
std::optional<DatePreset> DatePresetNamed(std::string_view name);

struct DateRange {
  std::chrono::year_month_day from;
  std::chrono::year_month_day to;
};

// The range a preset gives on `today`; nothing for "Custom Dates", which keeps what was typed.
// Every date it gives exists: a year back from 29 February is 28 February, and the month before
// January is December of the year before.
std::optional<DateRange> PresetRange(DatePreset preset, std::chrono::year_month_day today);

// From and To texts in the company's date format.
struct RangeTexts {
  std::string from;
  std::string to;
};
std::optional<RangeTexts> PresetTexts(DatePreset preset, std::chrono::year_month_day today, common::DateFormat format);

// What View says about a typed range, in the order it checks: From, To, then their order.
enum class RangeField { From, To };
struct RangeProblem {
  RangeField field;  // where the focus goes
  std::string text;
  std::string caption;
};

inline constexpr std::string_view kInvalidFromText =
    "You have an invalid beginning date. You can clear the date and then select the calendar button.";
inline constexpr std::string_view kInvalidToText =
    "You have an invalid ending date. You can clear the date and then select the calendar button.";
inline constexpr std::string_view kRangeOrderText = "Your beginning date is not older than your ending date.";
inline constexpr std::string_view kFromCaption = "FROM Date";
inline constexpr std::string_view kToCaption = "TO Date";

// The range of two typed texts, or the first problem (equal dates pass).
struct RangeCheck {
  std::optional<DateRange> range;
  std::optional<RangeProblem> problem;
};
RangeCheck CheckRange(std::string_view fromText, std::string_view toText, common::DateFormat format);

}  // namespace tf::reports
