#include "common/date_time_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tf::common {
namespace {

using namespace std::chrono;

local_seconds At(int y, unsigned mo, unsigned d, int h, int mi, int s = 0) {
  return local_days{year_month_day{year{y}, month{mo}, day{d}}} + hours{h} + minutes{mi} + seconds{s};
}

struct Case {
  std::string pattern;
  local_seconds when;
  std::string expected;
};

TEST(FormatDateTime, LongDateTimeAroundTheClock) {
  const Case cases[] = {
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 3, 5, 14, 7), "Tuesday, March 5, 2024, 02:07 PM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 3, 5, 0, 5), "Tuesday, March 5, 2024, 12:05 AM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 3, 5, 12, 0), "Tuesday, March 5, 2024, 12:00 PM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 3, 5, 11, 59), "Tuesday, March 5, 2024, 11:59 AM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 3, 5, 23, 59), "Tuesday, March 5, 2024, 11:59 PM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2000, 1, 1, 9, 30), "Saturday, January 1, 2000, 09:30 AM"},
      {"dddd, mmmm d, yyyy, hh:mm AM/PM", At(2024, 12, 31, 18, 45),
       "Tuesday, December 31, 2024, 06:45 PM"},
      {"dddd, mmmm d, yyyy", At(2024, 2, 29, 0, 0), "Thursday, February 29, 2024"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, c.when), c.expected) << c.pattern;
  EXPECT_EQ(kLongDateTimePattern, "dddd, mmmm d, yyyy, hh:mm AM/PM");
}

TEST(FormatDateTime, EveryDayAndMonthName) {
  const char* days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  for (unsigned d = 0; d < 7; ++d) {  // 2024-03-03 was a Sunday
    EXPECT_EQ(FormatDateTime("dddd ddd", At(2024, 3, 3 + d, 0, 0)),
              std::string(days[d]) + " " + std::string(days[d]).substr(0, 3));
  }
  const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
  for (unsigned m = 1; m <= 12; ++m) {
    EXPECT_EQ(FormatDateTime("mmmm mmm", At(2023, m, 1, 0, 0)),
              std::string(months[m - 1]) + " " + std::string(months[m - 1]).substr(0, 3));
  }
}

TEST(FormatDateTime, NumericTokens) {
  const local_seconds when = At(2024, 3, 5, 14, 7, 9);
  const Case cases[] = {
      {"mm/dd/yyyy", when, "03/05/2024"},
      {"dd/mm/yyyy", when, "05/03/2024"},
      {"yyyy/mm/dd", when, "2024/03/05"},
      {"m/d/yy", when, "3/5/24"},
      {"yymm", when, "2403"},                  // year-and-month invoice number prefix
      {"yymm", At(1999, 3, 1, 0, 0), "9903"},
      {"yy", At(2005, 1, 1, 0, 0), "05"},
      {"hh:mm:ss", when, "14:07:09"},          // no AM/PM: 24-hour clock
      {"h:m:s", when, "14:7:9"},
      {"hh:nn", when, "14:07"},
      {"h:mm a/p", when, "2:07 p"},
      {"hh:mm am/pm", At(2024, 3, 5, 9, 7), "09:07 am"},
      {"HH:MM AM/PM", when, "02:07 PM"},       // letters in either case
      {"DDDD", when, "Tuesday"},
      {"d mm", when, "5 03"},                  // mm after a day is the month
      {"hh mm", when, "14 07"},                // mm after an hour is minutes
      {"\"Date: \"mm/dd 'at' hh:nn", when, "Date: 03/05 at 14:07"},
      {"", when, ""},
      {"[x] - qz", when, "[x] - qz"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, c.when), c.expected) << c.pattern;
}

TEST(FormatDateTime, DateOnlyIsMidnight) {
  const year_month_day date{year{1999}, month{12}, day{31}};
  EXPECT_EQ(FormatDateTime("mm/dd/yyyy hh:nn AM/PM", date), "12/31/1999 12:00 AM");
  EXPECT_EQ(FormatDateTime("yyyy", year_month_day{year{7}, month{1}, day{1}}), "0007");
}

TEST(FormatDateTime, ElapsedTimeOnTheClockPattern) {
  const local_seconds elapsed{hours{1} + minutes{2} + seconds{3}};
  EXPECT_EQ(FormatDateTime(kClockTimePattern, elapsed), "01:02:03");
}

}  // namespace
}  // namespace tf::common
