#pragma once
// Reading whole numbers the way the run-time's integer conversion does: leading spaces are
// skipped, then an optional "+" or "-", then decimal digits up to the first other character.
// Several screens use where that reading stopped: a text is a whole number when it stopped at
// the end, and "12.50" stops at its "." (how amount-like texts are told from "30 Days").
//
// No digits reads as 0 (so the number after "ABC" is 1). A number beyond the 32-bit integer
// range of the run-time saturates at 2147483647 or -2147483648 and is flagged; all its digits
// are still consumed. The value is 64-bit so that callers may add 1 to the largest one.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tf::common {

struct LeadingInteger {
  std::int64_t value = 0;  // 0 when there are no digits
  std::size_t stop = 0;    // index of the first character not read; the text's size when all read
  bool hasDigits = false;
  bool overflow = false;   // the digits were beyond the 32-bit range
};

LeadingInteger ReadLeadingInteger(std::string_view text);

// The value alone: ReadLeadingInteger(text).value.
std::int64_t LeadingIntegerValue(std::string_view text);

// The whole text is one in-range integer (leading spaces allowed, nothing after the digits).
bool IsInteger(std::string_view text);

}  // namespace tf::common
