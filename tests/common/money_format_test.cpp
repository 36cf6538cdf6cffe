#include "common/money_format.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "common/money_text.h"

namespace tf::common {
namespace {

struct FormatCase {
  std::string value;
  std::string expected;
};

void ExpectFormats(const std::function<std::string(Money)>& format,
                   std::initializer_list<FormatCase> cases, const char* pattern) {
  for (const auto& c : cases) {
    auto value = ParseAmount(c.value);
    ASSERT_TRUE(value.has_value()) << c.value;
    EXPECT_EQ(format(*value), c.expected) << pattern << " of " << c.value;
  }
}

TEST(Format0_00, TwoDecimalsNoSeparators) {
  ExpectFormats(Format0_00,
                {{"0", "0.00"},
                 {"1234.5", "1234.50"},
                 {"-40", "-40.00"},
                 {"1000000", "1000000.00"},
                 {".5", "0.50"},
                 {"0.005", "0.01"},
                 {"-0.005", "-0.01"},
                 {"0.004", "0.00"},
                 {"-0.004", "0.00"},  // rounds to zero: no sign
                 {"2.675", "2.68"},
                 {"999999999999", "999999999999.00"}},
                "0.00");
}

TEST(FormatComma0_00, GroupsThousands) {
  ExpectFormats(FormatComma0_00,
                {{"0", "0.00"},
                 {"0.5", "0.50"},
                 {"999", "999.00"},
                 {"999.994", "999.99"},
                 {"999.995", "1,000.00"},
                 {"1000", "1,000.00"},
                 {"-1000", "-1,000.00"},
                 {"12345.678", "12,345.68"},
                 {"123456", "123,456.00"},
                 {"999999.99", "999,999.99"},
                 {"1000000", "1,000,000.00"},
                 {"-1234567.891", "-1,234,567.89"},
                 {"-999", "-999.00"},
                 {"-0.001", "0.00"},
                 {"999999999999", "999,999,999,999.00"}},
                ",0.00");
}

TEST(FormatHashComma0_00, SameAsComma0_00) {
  for (const char* text : {"0", "0.5", "-0.5", "1000", "-1234567.895", "999.999", "12"}) {
    EXPECT_EQ(FormatHashComma0_00(*ParseAmount(text)), FormatComma0_00(*ParseAmount(text))) << text;
  }
  EXPECT_EQ(FormatHashComma0_00(*ParseAmount("0.25")), "0.25");
  EXPECT_EQ(FormatHashComma0_00(*ParseAmount("1250")), "1,250.00");
}

TEST(FormatComma0_000, ThreeDecimalsGrouped) {
  ExpectFormats(FormatComma0_000,
                {{"0", "0.000"},
                 {"2.5", "2.500"},
                 {"1234.5", "1,234.500"},
                 {"0.0005", "0.001"},
                 {"-0.0005", "-0.001"},
                 {"-1000000.1234", "-1,000,000.123"},
                 {"999.9995", "1,000.000"}},
                ",0.000");
}

TEST(Format0, WholeNumbersRoundedHalfAwayFromZero) {
  ExpectFormats([](Money m) { return Format0(m); },
                {{"0", "0"},
                 {"2.5", "3"},
                 {"-2.5", "-3"},
                 {"2.49", "2"},
                 {"-0.4", "0"},
                 {"1234567", "1234567"},
                 {"33.333", "33"}},
                "0");
  EXPECT_EQ(Format0(std::int64_t{101}), "101");
  EXPECT_EQ(Format0(std::int64_t{-7}), "-7");
  EXPECT_EQ(Format0(std::int64_t{2147483648}), "2147483648");
}

TEST(Format00_000, AtLeastTwoIntegerDigits) {
  ExpectFormats(Format00_000,
                {{"0", "00.000"},
                 {"1.25", "01.250"},
                 {"12.3456", "12.346"},
                 {"123.4", "123.400"},
                 {"-1.5", "-01.500"},
                 {"9.9999", "10.000"}},
                "00.000");
}

TEST(FormatCommaDecimals, ShowsTheRequestedDecimals) {
  struct Case {
    std::string value;
    int decimals;
    std::string expected;
  };
  const Case cases[] = {
      {"1234", 0, "1,234"},         {"1234.5", 0, "1,235"},       {"2.5", 1, "2.5"},
      {"2.25", 1, "2.3"},           {"1000.5", 2, "1,000.50"},    {"0.125", 3, "0.125"},
      {"1234.5678", 4, "1,234.5678"}, {"-0.00005", 4, "-0.0001"}, {"1", 6, "1.000000"},
      {"1.5", -3, "2"},             {"1.2345678", 9, "1.234568"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatCommaDecimals(*ParseAmount(c.value), c.decimals), c.expected)
        << c.value << " with " << c.decimals;
  }
}

TEST(MoneyFormat, ExtremesOfTheRange) {
  const Money most = Money::FromMicros(std::numeric_limits<std::int64_t>::max());
  const Money least = Money::FromMicros(std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(FormatCommaDecimals(most, 6), "9,223,372,036,854.775807");
  EXPECT_EQ(FormatCommaDecimals(least, 6), "-9,223,372,036,854.775808");
  EXPECT_EQ(Format0_00(least).substr(0, 15), "-9223372036854.");
}

TEST(MoneyFormat, WrittenAmountsReadBackUnchanged) {
  for (const char* text : {"0.00", "1234.50", "-40.00", "0.01", "-0.01", "999999999.99"}) {
    EXPECT_EQ(Format0_00(*ParseAmount(text)), text);
    EXPECT_EQ(Format0_00(*ParseTypedAmount(FormatComma0_00(*ParseAmount(text)))), text);
  }
}

}  // namespace
}  // namespace tf::common
