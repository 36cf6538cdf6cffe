#include "invoicing/entry_numbers.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/text.h"

namespace tf::invoicing {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Commas stand only between groups of three digits of the whole part.
bool CommasInPlace(std::string_view text) {
  std::size_t start = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) start = 1;
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(start, point == std::string_view::npos ? text.npos : point - start);
  if (point != std::string_view::npos && text.find(',', point) != std::string_view::npos) return false;
  std::size_t group = 0;
  bool first = true;
  for (char c : whole) {
    if (c == ',') {
      if (group == 0 || (first && group > 3) || (!first && group != 3)) return false;
      first = false;
      group = 0;
    } else if (IsDigit(c)) {
      ++group;
    } else {
      return false;
    }
  }
  return first || group == 3;
}

}  // namespace

std::optional<common::Money> ReadEnteredNumber(std::string_view text) {
  const std::string trimmed = common::TrimBoth(text);
  if (trimmed.empty()) return common::Money();
  if (trimmed.find(',') != std::string::npos && !CommasInPlace(trimmed)) return std::nullopt;
  return common::ParseAmount(common::RemoveCommas(trimmed));
}

bool FitsWidth(common::Money amount, std::size_t width) { return common::Format0_00(amount).size() <= width; }

}  // namespace tf::invoicing
