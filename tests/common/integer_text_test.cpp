#include "common/integer_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tf::common {
namespace {

struct IntegerCase {
  std::string text;
  std::int64_t value;
  std::size_t stop;
  bool hasDigits;
  bool overflow;
};

TEST(ReadLeadingInteger, ReadsBlanksSignAndDigitsUpToTheFirstOtherCharacter) {
  const IntegerCase cases[] = {
      {"", 0, 0, false, false},
      {"   ", 0, 3, false, false},
      {"0", 0, 1, true, false},
      {"42", 42, 2, true, false},
      {"  42", 42, 4, true, false},
      {"+42", 42, 3, true, false},
      {"-42", -42, 3, true, false},
      {"  -7x", -7, 4, true, false},
      {"00123", 123, 5, true, false},
      {"12.50", 12, 2, true, false},      // stops at the "."
      {".5", 0, 0, false, false},
      {"1,234", 1, 1, true, false},
      {"30 Days", 30, 2, true, false},
      {"2024/01/31", 2024, 4, true, false},
      {"42 ", 42, 2, true, false},        // trailing blanks are not skipped
      {"ABC", 0, 0, false, false},        // no leading digit reads as 0
      {"C1001", 0, 0, false, false},
      {"-", 0, 1, false, false},
      {"+x", 0, 1, false, false},
      {"\t5", 0, 0, false, false},        // only spaces are skipped
      {"- 5", 0, 1, false, false},
      {"--5", 0, 1, false, false},
      {"2147483647", 2147483647, 10, true, false},
      {"-2147483648", -2147483648LL, 11, true, false},
      {"2147483648", 2147483647, 10, true, true},
      {"-2147483649", -2147483648LL, 11, true, true},
      {"99999999999999999999999z", 2147483647, 23, true, true},
  };
  for (const auto& c : cases) {
    const LeadingInteger r = ReadLeadingInteger(c.text);
    EXPECT_EQ(r.value, c.value) << "[" << c.text << "]";
    EXPECT_EQ(r.stop, c.stop) << "[" << c.text << "]";
    EXPECT_EQ(r.hasDigits, c.hasDigits) << "[" << c.text << "]";
    EXPECT_EQ(r.overflow, c.overflow) << "[" << c.text << "]";
    EXPECT_EQ(LeadingIntegerValue(c.text), c.value) << "[" << c.text << "]";
  }
}

TEST(LeadingIntegerValue, NextNumberAfterTheLargestStillCounts) {
  EXPECT_EQ(LeadingIntegerValue("2147483647") + 1, 2147483648LL);
  EXPECT_EQ(LeadingIntegerValue("ABC") + 1, 1);
}

TEST(IsInteger, WholeTextMustBeOneInRangeInteger) {
  const std::pair<std::string, bool> cases[] = {
      {"1", true},          {"32000", true},    {" 32000", true},     {"-5", true},
      {"+5", true},         {"", false},        {"  ", false},        {"12a", false},
      {"12 ", false},       {"1.0", false},     {"-", false},         {"2147483647", true},
      {"2147483648", false}, {"1,000", false},  {"0x10", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(IsInteger(text), expected) << "[" << text << "]";
}

}  // namespace
}  // namespace tf::common
