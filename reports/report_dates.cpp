#include "reports/report_dates.h"

#include <array>

#include "common/calendar.h"

namespace tf::reports {
namespace {

using namespace std::chrono;

constexpr std::array kPresets = {
    DatePreset::CurrentMonth, DatePreset::CurrentYear,  DatePreset::CustomDates,   DatePreset::Last12Months,
    DatePreset::Last30Days,   DatePreset::Last60Days,   DatePreset::Last90Days,    DatePreset::MonthToDate,
    DatePreset::PreviousMonth, DatePreset::PreviousYear, DatePreset::YearToDate,
};

year_month_day LastDayOf(year y, month m) { return year_month_day{year_month_day_last{y, month_day_last{m}}}; }

}  // namespace

std::span<const DatePreset> DatePresets() { return kPresets; }

std::string_view DatePresetName(DatePreset preset) {
  switch (preset) {
    case DatePreset::CurrentMonth: return "Current Month";
    case DatePreset::CurrentYear: return "Current Year";
    case DatePreset::CustomDates: return "Custom Dates";
    case DatePreset::Last12Months: return "Last 12 Months";
    case DatePreset::Last30Days: return "Last 30 Days";
    case DatePreset::Last60Days: return "Last 60 Days";
    case DatePreset::Last90Days: return "Last 90 Days";
    case DatePreset::MonthToDate: return "Month to Date";
    case DatePreset::PreviousMonth: return "Previous Month";
    case DatePreset::PreviousYear: return "Previous Year";
    case DatePreset::YearToDate: return "Year to Date";
  }
  return {};
}

std::optional<DatePreset> DatePresetNamed(std::string_view name) {
  for (DatePreset p : kPresets)
    if (DatePresetName(p) == name) return p;
  return std::nullopt;
}

std::optional<DateRange> PresetRange(DatePreset preset, year_month_day today) {
  const year y = today.year();
  const month m = today.month();
  switch (preset) {
    case DatePreset::CustomDates:
      return std::nullopt;
    case DatePreset::MonthToDate:
      return DateRange{y / m / 1, today};
    case DatePreset::YearToDate:
      return DateRange{y / January / 1, today};
    case DatePreset::Last30Days:
      return DateRange{common::AddDays(today, -30), today};
    case DatePreset::Last60Days:
      return DateRange{common::AddDays(today, -60), today};
    case DatePreset::Last90Days:
      return DateRange{common::AddDays(today, -90), today};
    case DatePreset::Last12Months:
      // The same day a year back; 29 February steps to the 28th of a year without one.
      return DateRange{common::AddMonths(today, -12), today};
    case DatePreset::CurrentYear:
      return DateRange{y / January / 1, y / December / 31};
    case DatePreset::PreviousYear:
      return DateRange{(y - years{1}) / January / 1, (y - years{1}) / December / 31};
    case DatePreset::CurrentMonth:
      return DateRange{y / m / 1, LastDayOf(y, m)};
    case DatePreset::PreviousMonth: {
      const year_month before = year_month{y, m} - months{1};
      return DateRange{before.year() / before.month() / 1, LastDayOf(before.year(), before.month())};
    }
  }
  return std::nullopt;
}

std::optional<RangeTexts> PresetTexts(DatePreset preset, year_month_day today, common::DateFormat format) {
  const std::optional<DateRange> range = PresetRange(preset, today);
  if (!range) return std::nullopt;
  return RangeTexts{common::FormatDate(range->from, format), common::FormatDate(range->to, format)};
}

RangeCheck CheckRange(std::string_view fromText, std::string_view toText, common::DateFormat format) {
  const auto from = common::ParseDate(fromText, format);
  if (!from) return {std::nullopt, RangeProblem{RangeField::From, std::string(kInvalidFromText), std::string(kFromCaption)}};
  const auto to = common::ParseDate(toText, format);
  if (!to) return {std::nullopt, RangeProblem{RangeField::To, std::string(kInvalidToText), std::string(kToCaption)}};
  if (sys_days{*to} < sys_days{*from})
    return {std::nullopt, RangeProblem{RangeField::From, std::string(kRangeOrderText), std::string(kFromCaption)}};
  return {DateRange{*from, *to}, std::nullopt};
}

}  // namespace tf::reports
