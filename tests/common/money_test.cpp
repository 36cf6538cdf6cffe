#include "common/money.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "common/money_text.h"

namespace tf::common {
namespace {

constexpr std::int64_t kMaxMicros = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinMicros = std::numeric_limits<std::int64_t>::min();

Money M(std::int64_t micros) { return Money::FromMicros(micros); }

struct ParseCase {
  std::string text;
  std::optional<std::int64_t> micros;  // empty: rejected
};

TEST(ParseAmount, AcceptsStoredDecimalTexts) {
  const ParseCase cases[] = {
      {"0", 0},
      {"0.00", 0},
      {"-0", 0},
      {"1234.50", 1'234'500'000},
      {"-3", -3'000'000},
      {"+3", 3'000'000},
      {".5", 500'000},
      {"-.5", -500'000},
      {"5.", 5'000'000},
      {"  12.5 ", 12'500'000},
      {"\t-40.00\r\n", -40'000'000},
      {"0008.125", 8'125'000},
      {"0.000001", 1},
      {"999999999999", 999'999'999'999'000'000},   // the largest 12-character amount
      {"-99999999.99", -99'999'999'990'000},
      // Past six decimals the first dropped digit rounds half away from zero.
      {"0.0000005", 1},
      {"0.00000049999", 0},
      {"-0.0000005", -1},
      {"1.23456789", 1'234'568},
      {"9223372036854.775807", kMaxMicros},
  };
  for (const auto& c : cases) {
    auto parsed = ParseAmount(c.text);
    ASSERT_TRUE(parsed.has_value()) << "[" << c.text << "]";
    EXPECT_EQ(parsed->Micros(), *c.micros) << "[" << c.text << "]";
  }
}

TEST(ParseAmount, RejectsWhatIsNotAPlainDecimal) {
  const char* rejected[] = {
      "", "   ", "-", "+", ".", "-.", "1,000.00", "1 000", "1e3", "1E3", "12a", "a12",
      "1.2.3", "--1", "+-1", "$5", "0x10", "1/2", "9223372036854.775808", "9223372036855",
      "99999999999999999999999", "-9223372036855", "12-", "Infinity", "nan",
  };
  for (const char* text : rejected) EXPECT_FALSE(ParseAmount(text).has_value()) << "[" << text << "]";
}

TEST(ParseAmount, BlankReadsAsZeroOnlyWhenAsked) {
  EXPECT_FALSE(ParseAmount("  ").has_value());
  ASSERT_TRUE(ParseAmount("  ", BlankAmount::Zero).has_value());
  EXPECT_TRUE(ParseAmount("  ", BlankAmount::Zero)->IsZero());
  EXPECT_FALSE(ParseAmount("x", BlankAmount::Zero).has_value());
}

TEST(ParseTypedAmount, CommasAreReadOnlyAsThousandsSeparators) {
  EXPECT_EQ(RemoveCommas("1,234,567.50"), "1234567.50");
  EXPECT_EQ(RemoveCommas(",,"), "");
  struct Case { const char* typed; std::optional<std::int64_t> micros; };
  // A comma anywhere but between groups of three digits of the whole part is a slip or a
  // decimal comma: reading it away would change the amount, so the text is no amount.
  for (const Case& c : {Case{"1,250.00", 1'250'000'000}, Case{"-12,345,678", -12'345'678'000'000},
                        Case{" 999,999.5 ", 999'999'500'000}, Case{"+1,000", 1'000'000'000},
                        Case{"1250", 1'250'000'000}, Case{"1,5", std::nullopt}, Case{"12,50", std::nullopt},
                        Case{",5", std::nullopt}, Case{"1,,000", std::nullopt}, Case{"1000,000", std::nullopt},
                        Case{"1,0000", std::nullopt}, Case{"-1,0,0", std::nullopt}, Case{"1.000,50", std::nullopt},
                        Case{"1,000.000,5", std::nullopt}, Case{"1,000,", std::nullopt}, Case{",", std::nullopt},
                        Case{"1 ,000", std::nullopt}}) {
    std::optional<Money> read = ParseTypedAmount(c.typed);
    EXPECT_EQ(read ? std::optional<std::int64_t>(read->Micros()) : std::nullopt, c.micros) << c.typed;
    EXPECT_EQ(WithoutThousandsSeparators(c.typed).has_value(), c.micros.has_value()) << c.typed;
  }
  // A lone comma is not blank: it stays refused where blank means zero.
  EXPECT_FALSE(ParseTypedAmount(",", BlankAmount::Zero).has_value());
  EXPECT_TRUE(ParseTypedAmount("  ", BlankAmount::Zero)->IsZero());
}

TEST(Money, ConstructorsAndComparisons) {
  EXPECT_EQ(Money::FromWhole(12).Micros(), 12'000'000);
  EXPECT_EQ(Money::FromCents(-1250).Micros(), -12'500'000);
  EXPECT_LT(Money::FromCents(-1), Money());
  EXPECT_GT(Money::FromCents(1), Money());
  EXPECT_EQ(Money::FromCents(150), *ParseAmount("1.5"));
  EXPECT_TRUE(Money().IsZero());
  EXPECT_TRUE(Money::FromCents(-1).IsNegative());
  EXPECT_FALSE(Money().IsNegative());
  EXPECT_EQ(Money::FromWhole(std::numeric_limits<std::int64_t>::max()).Micros(), kMaxMicros);
}

TEST(Money, AddsSubtractsAndNegatesExactly) {
  // 0.10 added ten times is exactly 1.00, as it is not in binary floating point.
  Money sum;
  for (int i = 0; i < 10; ++i) sum += *ParseAmount("0.10");
  EXPECT_EQ(sum, Money::FromWhole(1));
  EXPECT_EQ(*ParseAmount("100.05") - *ParseAmount("100.04"), Money::FromCents(1));
  Money balance = Money::FromCents(5000);
  balance -= Money::FromCents(7525);
  EXPECT_EQ(balance, Money::FromCents(-2525));
  EXPECT_EQ(-balance, Money::FromCents(2525));
}

TEST(Money, ArithmeticSaturatesInsteadOfWrapping) {
  EXPECT_EQ((M(kMaxMicros) + M(1)).Micros(), kMaxMicros);
  EXPECT_EQ((M(kMinMicros) - M(1)).Micros(), kMinMicros);
  EXPECT_EQ((M(kMinMicros) + M(-kMaxMicros)).Micros(), kMinMicros);
  EXPECT_EQ((-M(kMinMicros)).Micros(), kMaxMicros);
  EXPECT_EQ((M(kMaxMicros) + M(-1)).Micros(), kMaxMicros - 1);
}

struct RoundCase {
  std::string value;
  int decimals;
  std::string expected;
};

TEST(Money, RoundsHalfAwayFromZero) {
  const RoundCase cases[] = {
      {"0.005", 2, "0.01"},     {"-0.005", 2, "-0.01"},   {"0.004999", 2, "0"},
      {"-0.004999", 2, "0"},    {"1.005", 2, "1.01"},     {"2.675", 2, "2.68"},
      {"0.125", 2, "0.13"},     {"-0.125", 2, "-0.13"},   {"2.5", 0, "3"},
      {"-2.5", 0, "-3"},        {"2.4999", 0, "2"},       {"0.0005", 3, "0.001"},
      {"1.23456", 6, "1.23456"}, {"1.5", -1, "2"},        {"1.2345675", 9, "1.234568"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseAmount(c.value)->Rounded(c.decimals), *ParseAmount(c.expected))
        << c.value << " to " << c.decimals;
  }
}

struct ProductCase {
  std::string a;
  std::string b;
  std::string expected;  // rounded to cents
};

TEST(Multiply, RoundsTheExactProductHalfAwayToCents) {
  const ProductCase cases[] = {
      {"2.5", "0.25", "0.63"},      // 0.625
      {"-2.5", "0.25", "-0.63"},
      {"2.5", "-0.25", "-0.63"},
      {"-2.5", "-0.25", "0.63"},
      {"3", "19.99", "59.97"},
      {"0.333", "3", "1"},          // 0.999
      {"1.0049", "1", "1"},
      {"0.001", "4.99", "0"},       // 0.00499
      {"0.001", "5", "0.01"},       // 0.005
      {"1.005", "1", "1.01"},
      {"0", "123.45", "0"},
      {"12345.6789", "2.0001", "24692.59"},  // 24692.592... from 12345.6789 x 2.0001
      // Rounding once from the exact product: 0.00499995 is below half a cent, although
      // rounding it to six decimals first would give 0.005000 and then 0.01.
      {"0.099999", "0.05", "0"},
      {"1000000", "1000000", "1000000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Multiply(*ParseAmount(c.a), *ParseAmount(c.b)), *ParseAmount(c.expected))
        << c.a << " x " << c.b;
  }
  EXPECT_EQ(Multiply(*ParseAmount("1.23456"), *ParseAmount("2"), 4), *ParseAmount("2.4691"));
  EXPECT_EQ(Multiply(*ParseAmount("1.23456"), *ParseAmount("2"), 6), *ParseAmount("2.46912"));
  // Far beyond the range: saturates.
  EXPECT_EQ(Multiply(M(kMaxMicros), M(kMaxMicros)).Micros(), kMaxMicros);
  EXPECT_EQ(Multiply(M(kMaxMicros), M(kMinMicros)).Micros(), kMinMicros);
}

TEST(PercentOf, AppliesRatesInPercentWithRoundingToCents) {
  const ProductCase cases[] = {
      {"100.00", "8.125", "8.13"},   // 8.125
      {"-100.00", "8.125", "-8.13"},
      {"99.99", "8.25", "8.25"},     // 8.249175
      {"10.00", "0.0625", "0.01"},   // 0.00625
      {"10.00", "0.05", "0.01"},     // 0.005
      {"10.00", "0.049", "0"},       // 0.0049
      {"1234.56", "1.5", "18.52"},   // 18.5184
      {"0", "8.125", "0"},
      {"250", "100", "250"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PercentOf(*ParseAmount(c.a), *ParseAmount(c.b)), *ParseAmount(c.expected))
        << c.a << " at " << c.b << "%";
  }
  EXPECT_EQ(PercentOf(*ParseAmount("100"), *ParseAmount("8.125"), 3), *ParseAmount("8.125"));
}

TEST(WholePercent, RoundsPartOfWholeToAWholeNumber) {
  struct Case {
    std::string part, whole;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"1", "3", 33},     {"2", "3", 67},    {"1", "8", 13},   // 12.5 rounds up
      {"-1", "8", -13},   {"1", "-8", -13},  {"0", "5", 0},    {"5", "5", 100},
      {"1", "0", 0},      {"150", "100", 150}, {"0.001", "1000", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WholePercent(*ParseAmount(c.part), *ParseAmount(c.whole)), c.expected)
        << c.part << " of " << c.whole;
  }
}

}  // namespace
}  // namespace tf::common
