#include "common/money_text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

#include "common/text.h"

namespace tf::common {
namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<Money> ParseAmount(std::string_view text, BlankAmount blank) {
  const std::string trimmed = TrimBoth(text);
  std::string_view t = trimmed;
  if (t.empty()) {
    if (blank == BlankAmount::Zero) return Money{};
    return std::nullopt;
  }

  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }

  constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
  constexpr std::uint64_t kWholeLimit = kLimit / Money::kScale;
  std::uint64_t whole = 0;
  std::uint64_t fraction = 0;  // millionths
  int fractionDigits = 0;
  bool roundUp = false;
  bool anyDigit = false;
  bool seenPoint = false;

  for (char c : t) {
    if (c == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    if (!IsDigit(c)) return std::nullopt;
    anyDigit = true;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (!seenPoint) {
      whole = whole * 10 + digit;
      if (whole > kWholeLimit) return std::nullopt;
    } else if (fractionDigits < Money::kDecimals) {
      fraction = fraction * 10 + digit;
      ++fractionDigits;
    } else if (fractionDigits == Money::kDecimals) {
      roundUp = digit >= 5;  // the first dropped digit decides: half or more goes away from zero
      ++fractionDigits;
    }
  }
  if (!anyDigit) return std::nullopt;

  for (int i = std::min(fractionDigits, Money::kDecimals); i < Money::kDecimals; ++i) fraction *= 10;
  std::uint64_t micros = whole * Money::kScale + fraction + (roundUp ? 1 : 0);
  if (micros > kLimit) return std::nullopt;
  auto value = static_cast<std::int64_t>(micros);
  return Money::FromMicros(negative ? -value : value);
}

std::string RemoveCommas(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != ','; });
  return out;
}

std::optional<std::string> WithoutThousandsSeparators(std::string_view text) {
  const std::size_t firstComma = text.find(',');
  if (firstComma == std::string_view::npos) return std::string(text);
  // The whole part runs from the first digit to the "." or the end; every comma must lie in it
  // with one to three digits before the first and exactly three after each.
  std::size_t begin = 0;
  while (begin < text.size() && !IsDigit(text[begin])) ++begin;
  std::size_t end = begin;
  while (end < text.size() && (IsDigit(text[end]) || text[end] == ',')) ++end;
  if (firstComma < begin || text.find(',', end) != std::string_view::npos) return std::nullopt;
  std::size_t digitsInGroup = 0;
  bool firstGroup = true;
  for (std::size_t k = begin; k < end; ++k) {
    if (text[k] != ',') {
      ++digitsInGroup;
      continue;
    }
    if (firstGroup ? (digitsInGroup == 0 || digitsInGroup > 3) : digitsInGroup != 3) return std::nullopt;
    firstGroup = false;
    digitsInGroup = 0;
  }
  if (digitsInGroup != 3) return std::nullopt;
  return RemoveCommas(text);
}

std::optional<Money> ParseTypedAmount(std::string_view text, BlankAmount blank) {
  std::optional<std::string> plain = WithoutThousandsSeparators(text);
  if (!plain) return std::nullopt;
  return ParseAmount(*plain, blank);
}

}  // namespace tf::common
