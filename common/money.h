#pragma once
// Exact amounts, quantities and rates. Amounts are stored as decimal texts ("1234.50") and must
// add up to the cent, so they are carried as a count of millionths in 64 bits rather than in
// floating point.
//
// Why millionths: unit prices and quantities keep up to four typed decimals (",0.0000"), and
// rates are typed freely into short texts ("8.125", "0.0625"); six decimals hold every rate that
// fits a six-character text exactly. The range is still +-9.2e12, above the largest number a
// 12-character amount text can hold (999999999999), so every stored amount fits.
//
// Arithmetic saturates at the ends of the range instead of wrapping: amounts read from damaged
// records must not turn into undefined behaviour when summed. Rounding is half away from zero
// everywhere (0.625 -> 0.63, -0.625 -> -0.63).

#include <compare>
#include <cstdint>

namespace tf::common {

class Money {
 public:
  static constexpr int kDecimals = 6;
  static constexpr std::int64_t kScale = 1'000'000;

  constexpr Money() = default;
  static constexpr Money FromMicros(std::int64_t micros) { return Money(micros); }
  static Money FromWhole(std::int64_t whole);
  static Money FromCents(std::int64_t cents);

  constexpr std::int64_t Micros() const { return micros_; }
  constexpr bool IsZero() const { return micros_ == 0; }
  constexpr bool IsNegative() const { return micros_ < 0; }

  // Rounded half away from zero to `decimals` places (0..6; outside that range clamped).
  Money Rounded(int decimals) const;

  friend constexpr auto operator<=>(Money, Money) = default;
  friend Money operator+(Money a, Money b);
  friend Money operator-(Money a, Money b);
  friend Money operator-(Money a);
  Money& operator+=(Money other) { return *this = *this + other; }
  Money& operator-=(Money other) { return *this = *this - other; }

 private:
  constexpr explicit Money(std::int64_t micros) : micros_(micros) {}
  std::int64_t micros_ = 0;
};

// a x b from the exact product, rounded half away from zero to `decimals` places (default
// cents): quantity x unit price = extension. Rounding once from the exact product avoids the
// double rounding a rounded intermediate would bring.
Money Multiply(Money a, Money b, int decimals = 2);

// amount x percent / 100 from the exact product, rounded half away from zero to `decimals`
// places (default cents): tax from a rate of "8.125", interest from a rate in percent.
Money PercentOf(Money amount, Money percent, int decimals = 2);

// part / whole x 100 rounded half away from zero to a whole number; 0 when whole is zero.
std::int64_t WholePercent(Money part, Money whole);

}  // namespace tf::common
