#include <gtest/gtest.h>

#include "reports/report_dates.h"

namespace tf::reports {
namespace {

using namespace std::chrono;
using common::DateFormat;

struct PresetCase {
  year_month_day today;
  DatePreset preset;
  DateFormat format;
  const char* from;
  const char* to;
};

TEST(DatePresets, EveryPresetGivesRealDatesInTheCompanysFormat) {
  const PresetCase cases[] = {
      {2024y / March / 5, DatePreset::MonthToDate, DateFormat::DayFirst, "01/03/2024", "05/03/2024"},
      {2024y / March / 5, DatePreset::MonthToDate, DateFormat::MonthFirst, "03/01/2024", "03/05/2024"},
      {2024y / January / 15, DatePreset::PreviousMonth, DateFormat::MonthFirst, "12/01/2023", "12/31/2023"},
      {2024y / March / 31, DatePreset::PreviousMonth, DateFormat::MonthFirst, "02/01/2024", "02/29/2024"},
      {2024y / February / 10, DatePreset::CurrentMonth, DateFormat::MonthFirst, "02/01/2024", "02/29/2024"},
      {2023y / February / 10, DatePreset::CurrentMonth, DateFormat::MonthFirst, "02/01/2023", "02/28/2023"},
      {2100y / February / 10, DatePreset::CurrentMonth, DateFormat::MonthFirst, "02/01/2100", "02/28/2100"},
      {2024y / February / 29, DatePreset::Last12Months, DateFormat::MonthFirst, "02/28/2023", "02/29/2024"},
      {2024y / February / 29, DatePreset::Last12Months, DateFormat::DayFirst, "28/02/2023", "29/02/2024"},
      {2024y / March / 5, DatePreset::Last30Days, DateFormat::MonthFirst, "02/04/2024", "03/05/2024"},
      {2024y / March / 5, DatePreset::Last60Days, DateFormat::MonthFirst, "01/05/2024", "03/05/2024"},
      {2024y / March / 5, DatePreset::Last90Days, DateFormat::MonthFirst, "12/06/2023", "03/05/2024"},
      {2024y / March / 5, DatePreset::YearToDate, DateFormat::MonthFirst, "01/01/2024", "03/05/2024"},
      {2024y / March / 5, DatePreset::CurrentYear, DateFormat::DayFirst, "01/01/2024", "31/12/2024"},
      {2024y / January / 1, DatePreset::PreviousYear, DateFormat::MonthFirst, "01/01/2023", "12/31/2023"},
  };
  for (const PresetCase& c : cases) {
    const auto texts = PresetTexts(c.preset, c.today, c.format);
    ASSERT_TRUE(texts.has_value()) << DatePresetName(c.preset);
    EXPECT_EQ(texts->from, c.from) << DatePresetName(c.preset) << " on " << common::FormatDateKey(c.today);
    EXPECT_EQ(texts->to, c.to) << DatePresetName(c.preset) << " on " << common::FormatDateKey(c.today);
    // Whatever the preset gives, View takes it.
    EXPECT_FALSE(CheckRange(texts->from, texts->to, c.format).problem.has_value()) << DatePresetName(c.preset);
  }
}

TEST(DatePresets, CustomDatesKeepWhatWasTyped) {
  EXPECT_FALSE(PresetTexts(DatePreset::CustomDates, 2024y / March / 5, DateFormat::MonthFirst).has_value());
}

TEST(DatePresets, TheListHasElevenNamesThatFindTheirPreset) {
  ASSERT_EQ(DatePresets().size(), 11u);
  EXPECT_EQ(DatePresetName(DatePresets().front()), "Current Month");
  EXPECT_EQ(DatePresetName(DatePresets().back()), "Year to Date");
  for (DatePreset p : DatePresets()) EXPECT_EQ(DatePresetNamed(DatePresetName(p)), p);
  EXPECT_FALSE(DatePresetNamed("Next Month").has_value());
}

TEST(DateRangeCheck, RefusesInvalidOrInvertedDatesWithTheFieldToFocus) {
  struct Case {
    const char* from;
    const char* to;
    DateFormat format;
    std::optional<RangeField> field;
    std::string_view text;
  } cases[] = {
      {"02/30/2024", "03/01/2024", DateFormat::MonthFirst, RangeField::From, kInvalidFromText},
      {"  /  /    ", "03/01/2024", DateFormat::MonthFirst, RangeField::From, kInvalidFromText},
      {"03/01/2024", "13/01/2024", DateFormat::MonthFirst, RangeField::To, kInvalidToText},
      {"03/02/2024", "03/01/2024", DateFormat::MonthFirst, RangeField::From, kRangeOrderText},
      {"03/01/2024", "03/01/2024", DateFormat::MonthFirst, std::nullopt, {}},
      {"31/12/2023", "01/01/2024", DateFormat::DayFirst, std::nullopt, {}},
      {"12/31/2023", "01/01/2024", DateFormat::DayFirst, RangeField::From, kInvalidFromText},
  };
  for (const Case& c : cases) {
    const RangeCheck check = CheckRange(c.from, c.to, c.format);
    if (!c.field) {
      EXPECT_TRUE(check.range.has_value()) << c.from << " " << c.to;
      EXPECT_FALSE(check.problem.has_value());
      continue;
    }
    ASSERT_TRUE(check.problem.has_value()) << c.from << " " << c.to;
    EXPECT_EQ(check.problem->field, *c.field);
    EXPECT_EQ(check.problem->text, c.text);
    EXPECT_EQ(check.problem->caption, *c.field == RangeField::To ? kToCaption : kFromCaption);
  }
}

}  // namespace
}  // namespace tf::reports
