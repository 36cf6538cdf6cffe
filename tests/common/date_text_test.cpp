#include "common/date_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/calendar.h"

namespace tf::common {
namespace {

using std::chrono::year_month_day;
using namespace std::chrono_literals;

year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

struct ParseCase {
  std::string text;
  DateFormat format;
  std::optional<year_month_day> expected;
};

TEST(ParseDate, ReadsEachFormatInItsOrder) {
  const ParseCase cases[] = {
      {"03/05/2024", DateFormat::MonthFirst, Ymd(2024, 3, 5)},
      {"03/05/2024", DateFormat::DayFirst, Ymd(2024, 5, 3)},
      {"2024/03/05", DateFormat::YearFirst, Ymd(2024, 3, 5)},
      {"12/31/1999", DateFormat::MonthFirst, Ymd(1999, 12, 31)},
      {"31/12/1999", DateFormat::DayFirst, Ymd(1999, 12, 31)},
      {"3/5/2024", DateFormat::MonthFirst, Ymd(2024, 3, 5)},  // one-digit month and day
      {"2024/3/5", DateFormat::YearFirst, Ymd(2024, 3, 5)},
      {" 03/05/2024 ", DateFormat::MonthFirst, Ymd(2024, 3, 5)},
      {"3 /5 /2024", DateFormat::MonthFirst, Ymd(2024, 3, 5)},  // a partly filled entry mask
      {"01/01/0001", DateFormat::MonthFirst, Ymd(1, 1, 1)},
      {"12/31/9999", DateFormat::MonthFirst, Ymd(9999, 12, 31)},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDate(c.text, c.format), c.expected) << c.text;
}

TEST(ParseDate, StrictAboutTheCalendar) {
  const ParseCase cases[] = {
      {"02/29/2024", DateFormat::MonthFirst, Ymd(2024, 2, 29)},  // leap year
      {"02/29/2023", DateFormat::MonthFirst, std::nullopt},
      {"02/29/2000", DateFormat::MonthFirst, Ymd(2000, 2, 29)},  // divisible by 400
      {"02/29/1900", DateFormat::MonthFirst, std::nullopt},      // by 100 only
      {"02/29/2100", DateFormat::MonthFirst, std::nullopt},
      {"02/30/2024", DateFormat::MonthFirst, std::nullopt},
      {"30/02/2024", DateFormat::DayFirst, std::nullopt},
      {"04/31/2024", DateFormat::MonthFirst, std::nullopt},
      {"04/30/2024", DateFormat::MonthFirst, Ymd(2024, 4, 30)},
      {"13/01/2024", DateFormat::MonthFirst, std::nullopt},
      {"13/01/2024", DateFormat::DayFirst, Ymd(2024, 1, 13)},
      {"00/10/2024", DateFormat::MonthFirst, std::nullopt},
      {"10/00/2024", DateFormat::MonthFirst, std::nullopt},
      {"01/01/0000", DateFormat::MonthFirst, std::nullopt},
      {"2024/02/30", DateFormat::YearFirst, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDate(c.text, c.format), c.expected) << c.text;
}

TEST(ParseDate, RejectsOtherShapes) {
  const char* rejected[] = {
      "",           "  /  /    ",  "03/05/24",     "03/05/202",   "03/05/20245", "03-05-2024",
      "03.05.2024", "03/05",       "03/05/2024/1", "003/05/2024", "a3/05/2024",  "03/05/2024x",
      "+3/05/2024", "03/-5/2024",  "2024/03/05",   "03/05/ 2 024", "//",
  };
  for (const char* text : rejected) {
    EXPECT_FALSE(ParseDate(text, DateFormat::MonthFirst).has_value()) << "[" << text << "]";
  }
  EXPECT_FALSE(ParseDateKey("03/05/2024").has_value());
  EXPECT_FALSE(ParseDateKey("24/03/05").has_value());
}

TEST(FormatDate, TwoDigitMonthAndDayFourDigitYear) {
  const year_month_day date = Ymd(2024, 3, 5);
  EXPECT_EQ(FormatDate(date, DateFormat::MonthFirst), "03/05/2024");
  EXPECT_EQ(FormatDate(date, DateFormat::DayFirst), "05/03/2024");
  EXPECT_EQ(FormatDate(date, DateFormat::YearFirst), "2024/03/05");
  EXPECT_EQ(FormatDateKey(Ymd(1999, 12, 31)), "1999/12/31");
  EXPECT_EQ(FormatDate(Ymd(5, 1, 9), DateFormat::MonthFirst), "01/09/0005");
}

TEST(DateText, EveryDayRoundTripsInEveryFormat) {
  // Three years around a century leap year and across the year 2000.
  const year_month_day first = Ymd(1999, 1, 1);
  for (int offset = 0; offset < 3 * 366; ++offset) {
    const year_month_day date = AddDays(first, offset);
    for (DateFormat format : {DateFormat::MonthFirst, DateFormat::DayFirst, DateFormat::YearFirst}) {
      const std::string text = FormatDate(date, format);
      ASSERT_EQ(text.size(), 10u);
      ASSERT_EQ(ParseDate(text, format), date) << text;
    }
  }
}

TEST(DateText, KeysSortAsTheirDates) {
  const year_month_day dates[] = {Ymd(1999, 12, 31), Ymd(2000, 1, 1), Ymd(2000, 2, 9),
                                  Ymd(2000, 10, 1), Ymd(2024, 2, 29)};
  for (std::size_t i = 1; i < std::size(dates); ++i) {
    EXPECT_LT(FormatDateKey(dates[i - 1]), FormatDateKey(dates[i]));
  }
}

TEST(DateFormatFromCode, OnlyDIsDayFirst) {
  EXPECT_EQ(DateFormatFromCode("D"), DateFormat::DayFirst);
  EXPECT_EQ(DateFormatFromCode("M"), DateFormat::MonthFirst);
  EXPECT_EQ(DateFormatFromCode(""), DateFormat::MonthFirst);
  EXPECT_EQ(DateFormatFromCode("d"), DateFormat::MonthFirst);
  EXPECT_EQ(DatePattern(DateFormat::MonthFirst), "mm/dd/yyyy");
  EXPECT_EQ(DatePattern(DateFormat::DayFirst), "dd/mm/yyyy");
  EXPECT_EQ(DatePattern(DateFormat::YearFirst), "yyyy/mm/dd");
}

TEST(ConvertDateText, ValidatesAndNormalises) {
  EXPECT_EQ(ConvertDateText("12/31/2024", DateFormat::MonthFirst, DateFormat::YearFirst), "2024/12/31");
  EXPECT_EQ(ConvertDateText("31/12/2024", DateFormat::DayFirst, DateFormat::YearFirst), "2024/12/31");
  EXPECT_EQ(ConvertDateText("2024/1/5", DateFormat::YearFirst, DateFormat::DayFirst), "05/01/2024");
  EXPECT_EQ(ConvertDateText("3/5/2024", DateFormat::MonthFirst, DateFormat::DayFirst), "05/03/2024");
  EXPECT_EQ(ConvertDateText("02/30/2024", DateFormat::MonthFirst, DateFormat::YearFirst), std::nullopt);
}

struct RearrangeCase {
  std::string text;
  DateFormat from;
  DateFormat to;
  std::string expected;
};

TEST(RearrangeDateText, MovesCharactersWithoutValidating) {
  const RearrangeCase cases[] = {
      {"12/31/2024", DateFormat::MonthFirst, DateFormat::YearFirst, "2024/12/31"},
      {"12/31/2024", DateFormat::MonthFirst, DateFormat::DayFirst, "31/12/2024"},
      {"31/12/2024", DateFormat::DayFirst, DateFormat::MonthFirst, "12/31/2024"},
      {"2024/12/31", DateFormat::YearFirst, DateFormat::DayFirst, "31/12/2024"},
      {"12/31/2024", DateFormat::MonthFirst, DateFormat::MonthFirst, "12/31/2024"},
      {"02/30/2024", DateFormat::MonthFirst, DateFormat::YearFirst, "2024/02/30"},  // kept as is
      {"ab/cd/efgh", DateFormat::MonthFirst, DateFormat::YearFirst, "efgh/ab/cd"},
      {"12/31", DateFormat::MonthFirst, DateFormat::YearFirst, "/12/31"},
      {"", DateFormat::MonthFirst, DateFormat::YearFirst, "//"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RearrangeDateText(c.text, c.from, c.to), c.expected) << "[" << c.text << "]";
  }
}

}  // namespace
}  // namespace tf::common
