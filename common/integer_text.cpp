#include "common/integer_text.h"

#include <algorithm>
#include <limits>

namespace tf::common {

LeadingInteger ReadLeadingInteger(std::string_view text) {
  LeadingInteger result;
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // The limit on the magnitude differs by one between the two signs.
  const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                      : std::int64_t{std::numeric_limits<std::int32_t>::max()};
  std::int64_t magnitude = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    result.hasDigits = true;
    magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), limit + 1);
    ++i;
  }
  if (magnitude > limit) {
    result.overflow = true;
    magnitude = limit;
  }
  result.value = negative ? -magnitude : magnitude;
  result.stop = i;
  return result;
}

std::int64_t LeadingIntegerValue(std::string_view text) { return ReadLeadingInteger(text).value; }

bool IsInteger(std::string_view text) {
  LeadingInteger r = ReadLeadingInteger(text);
  return r.hasDigits && !r.overflow && r.stop == text.size();
}

}  // namespace tf::common
