#include "common/calendar.h"

#include <gtest/gtest.h>

namespace tf::common {
namespace {

using std::chrono::year_month_day;

year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

TEST(DaysBetween, WholeDaysSignedByDirection) {
  struct Case {
    year_month_day from, to;
    int expected;
  };
  const Case cases[] = {
      {Ymd(2024, 3, 5), Ymd(2024, 3, 5), 0},
      {Ymd(2024, 3, 5), Ymd(2024, 3, 6), 1},
      {Ymd(2024, 3, 6), Ymd(2024, 3, 5), -1},          // a date in the future
      {Ymd(2024, 2, 28), Ymd(2024, 3, 1), 2},          // leap year
      {Ymd(2023, 2, 28), Ymd(2023, 3, 1), 1},
      {Ymd(1900, 2, 28), Ymd(1900, 3, 1), 1},          // 1900 was not a leap year
      {Ymd(2000, 2, 28), Ymd(2000, 3, 1), 2},
      {Ymd(2023, 12, 31), Ymd(2024, 1, 1), 1},
      {Ymd(2024, 1, 1), Ymd(2025, 1, 1), 366},
      {Ymd(2023, 1, 1), Ymd(2024, 1, 1), 365},
      {Ymd(1969, 12, 31), Ymd(1970, 1, 2), 2},
  };
  for (const auto& c : cases) EXPECT_EQ(DaysBetween(c.from, c.to), c.expected);
}

TEST(AddDays, CrossesMonthAndYearEnds) {
  EXPECT_EQ(AddDays(Ymd(2024, 3, 1), 14), Ymd(2024, 3, 15));
  EXPECT_EQ(AddDays(Ymd(2024, 2, 28), 1), Ymd(2024, 2, 29));
  EXPECT_EQ(AddDays(Ymd(2023, 2, 28), 1), Ymd(2023, 3, 1));
  EXPECT_EQ(AddDays(Ymd(2024, 12, 31), 1), Ymd(2025, 1, 1));
  EXPECT_EQ(AddDays(Ymd(2024, 3, 5), -30), Ymd(2024, 2, 4));
  EXPECT_EQ(AddDays(Ymd(2024, 3, 5), -90), Ymd(2023, 12, 6));
  EXPECT_EQ(AddDays(Ymd(2024, 3, 5), 0), Ymd(2024, 3, 5));
}

TEST(AddMonths, StepsMonthsAndClampsTheDayAtTheMonthReached) {
  struct Case {
    year_month_day date;
    int months;
    year_month_day expected;
  };
  const Case cases[] = {
      {Ymd(2024, 1, 31), 1, Ymd(2024, 2, 29)},    // leap year
      {Ymd(2023, 1, 31), 1, Ymd(2023, 2, 28)},
      {Ymd(2024, 2, 29), 1, Ymd(2024, 3, 29)},    // the next step keeps the clamped day
      {Ymd(2023, 2, 28), 1, Ymd(2023, 3, 28)},
      {Ymd(2024, 1, 31), 2, Ymd(2024, 3, 31)},    // clamped only at the month reached
      {Ymd(2024, 1, 31), 3, Ymd(2024, 4, 30)},
      {Ymd(2024, 12, 15), 1, Ymd(2025, 1, 15)},   // December steps to January
      {Ymd(2024, 11, 30), 3, Ymd(2025, 2, 28)},
      {Ymd(2024, 5, 31), 12, Ymd(2025, 5, 31)},
      {Ymd(2024, 2, 29), 12, Ymd(2025, 2, 28)},
      {Ymd(2024, 2, 29), 48, Ymd(2028, 2, 29)},
      {Ymd(2024, 3, 15), 0, Ymd(2024, 3, 15)},
      {Ymd(2024, 3, 31), -1, Ymd(2024, 2, 29)},
      {Ymd(2024, 1, 10), -1, Ymd(2023, 12, 10)},
      {Ymd(2024, 1, 10), 999, Ymd(2107, 4, 10)},  // 83 years and 3 months
  };
  for (const auto& c : cases) {
    const year_month_day result = AddMonths(c.date, c.months);
    EXPECT_EQ(result, c.expected) << c.months;
    EXPECT_TRUE(result.ok());
  }
}

}  // namespace
}  // namespace tf::common
