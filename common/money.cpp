#include "common/money.h"

#include <algorithm>
#include <limits>

namespace tf::common {
namespace {

using Wide = __int128;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::int64_t Saturate(Wide value) {
  if (value > kMax) return kMax;
  if (value < kMin) return kMin;
  return static_cast<std::int64_t>(value);
}

Wide PowerOfTen(int exponent) {
  Wide result = 1;
  for (int i = 0; i < exponent; ++i) result *= 10;
  return result;
}

// numerator / denominator, rounded half away from zero; denominator must not be zero.
Wide DivideRounded(Wide numerator, Wide denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  Wide quotient = numerator / denominator;
  Wide remainder = numerator % denominator;
  if (remainder < 0) remainder = -remainder;
  if (2 * remainder >= denominator) quotient += numerator < 0 ? -1 : 1;
  return quotient;
}

// A wide value in millionths x extra, rounded to `decimals` places, back in millionths.
std::int64_t RoundScaled(Wide value, Wide extraScale, int decimals) {
  Wide step = PowerOfTen(Money::kDecimals - std::clamp(decimals, 0, Money::kDecimals));
  return Saturate(DivideRounded(value, extraScale * step) * step);
}

}  // namespace

Money Money::FromWhole(std::int64_t whole) { return Money(Saturate(Wide(whole) * kScale)); }

Money Money::FromCents(std::int64_t cents) { return Money(Saturate(Wide(cents) * (kScale / 100))); }

Money Money::Rounded(int decimals) const { return Money(RoundScaled(micros_, 1, decimals)); }

Money operator+(Money a, Money b) { return Money(Saturate(Wide(a.micros_) + b.micros_)); }

Money operator-(Money a, Money b) { return Money(Saturate(Wide(a.micros_) - b.micros_)); }

Money operator-(Money a) { return Money(Saturate(-Wide(a.micros_))); }

Money Multiply(Money a, Money b, int decimals) {
  return Money::FromMicros(RoundScaled(Wide(a.Micros()) * b.Micros(), Money::kScale, decimals));
}

Money PercentOf(Money amount, Money percent, int decimals) {
  return Money::FromMicros(
      RoundScaled(Wide(amount.Micros()) * percent.Micros(), Wide(Money::kScale) * 100, decimals));
}

std::int64_t WholePercent(Money part, Money whole) {
  if (whole.IsZero()) return 0;
  return Saturate(DivideRounded(Wide(part.Micros()) * 100, whole.Micros()));
}

}  // namespace tf::common
