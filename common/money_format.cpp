#include "common/money_format.h"

#include <algorithm>

namespace tf::common {
namespace {

struct NumberPattern {
  int decimals = 2;
  bool grouped = false;
  int minIntegerDigits = 1;
};

std::string FormatWith(Money value, NumberPattern pattern) {
  const int decimals = std::clamp(pattern.decimals, 0, Money::kDecimals);
  const std::int64_t micros = value.Rounded(decimals).Micros();
  // Magnitude in unsigned arithmetic so that the most negative value has one too.
  const std::uint64_t magnitude =
      micros < 0 ? 0 - static_cast<std::uint64_t>(micros) : static_cast<std::uint64_t>(micros);
  const std::uint64_t scale = Money::kScale;

  std::string digits = std::to_string(magnitude / scale);
  if (static_cast<int>(digits.size()) < pattern.minIntegerDigits) {
    digits = std::string(pattern.minIntegerDigits - digits.size(), '0') + digits;
  }

  std::string out = micros < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const std::size_t left = digits.size() - i;  // digits from here to the end
    if (pattern.grouped && i > 0 && left % 3 == 0) out += ',';
    out += digits[i];
  }
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % scale);
    fraction.insert(0, Money::kDecimals - fraction.size(), '0');
    out += '.';
    out += fraction.substr(0, decimals);
  }
  return out;
}

}  // namespace

std::string Format0_00(Money value) { return FormatWith(value, {.decimals = 2}); }

std::string FormatComma0_00(Money value) { return FormatWith(value, {.decimals = 2, .grouped = true}); }

std::string FormatHashComma0_00(Money value) {
  return FormatWith(value, {.decimals = 2, .grouped = true});
}

std::string FormatComma0_000(Money value) { return FormatWith(value, {.decimals = 3, .grouped = true}); }

std::string Format0(Money value) { return FormatWith(value, {.decimals = 0}); }

std::string Format0(std::int64_t value) { return std::to_string(value); }

std::string Format00_000(Money value) {
  return FormatWith(value, {.decimals = 3, .minIntegerDigits = 2});
}

std::string FormatCommaDecimals(Money value, int decimals) {
  return FormatWith(value, {.decimals = decimals, .grouped = true});
}

}  // namespace tf::common
