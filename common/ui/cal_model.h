#pragma once
// What the date selection dialog shows, without the widgets: the month and year lists, the
// long date line and the date in the company's format. Plain C++ so it is tested headless.

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_text.h"
#include "common/help_topics.h"

namespace tf::common {

inline constexpr std::string_view kCalFormCaption = "Date Selection";
inline constexpr std::string_view kCalendarHelpTopic = common::help::kCalendar;

// "January" .. "December".
const std::array<std::string_view, 12>& MonthNames();

// The date the dialog opens on for a date field's text: the field's date when it holds a valid
// date of at least 10 characters, otherwise `today`.
std::chrono::year_month_day CalendarStartDate(std::string_view fieldText, DateFormat format,
                                              std::chrono::year_month_day today);

class CalModel {
 public:
  // The years the calendar can show; the dialog's calendar uses the same range.
  static constexpr int kFirstYear = 1753;
  static constexpr int kLastYear = 9999;

  CalModel(std::chrono::year_month_day shown, DateFormat format);

  std::chrono::year_month_day Date() const { return date_; }
  // The seven years from three before to three after the year shown when the dialog opened.
  const std::vector<std::string>& YearItems() const { return years_; }

  // Month 1..12; the day is kept, or cut to the month's last day.
  void SetMonth(unsigned month);
  // The year as typed or picked. A text that is not a year in range leaves the shown year;
  // the return is the text the year box should hold afterwards.
  std::string SetYearText(std::string_view text);
  // A day picked on the calendar (ignored when not a valid date in range).
  void SetDate(std::chrono::year_month_day date);

  std::string YearText() const;
  // "dddd, mmmm d, yyyy", e.g. "Tuesday, March 5, 2024".
  std::string DayText() const;
  // The date in the company's format: what an accepted dialog returns.
  std::string DateText() const;

 private:
  void SetClamped(std::chrono::year y, std::chrono::month m, std::chrono::day d);

  std::chrono::year_month_day date_;
  DateFormat format_;
  std::vector<std::string> years_;
};

}  // namespace tf::common
