#pragma once
// Reading amount texts. Stored amounts are plain decimals ("1234.50", "-3", ".5"); typed
// amounts are the same after their thousands separators (commas) are removed.
//
// Accepted: optional blanks (codes 0..32) at both ends, an optional "+" or "-", digits with at
// most one ".", and at least one digit ("5.", ".5" and "-0" are numbers). Rejected, as an empty
// std::optional: an empty or all-blank text (unless the caller says blank means zero), commas,
// blanks inside, exponents ("1e3"), a lone sign or ".", any other character, and magnitudes
// beyond the range of Money. Digits past the sixth decimal are rounded half away from zero.

#include <optional>
#include <string>
#include <string_view>

#include "common/money.h"

namespace tf::common {

enum class BlankAmount { Invalid, Zero };

std::optional<Money> ParseAmount(std::string_view text, BlankAmount blank = BlankAmount::Invalid);

// The text without any ",".
std::string RemoveCommas(std::string_view text);

// ParseAmount after RemoveCommas: how every amount the user typed is read.
std::optional<Money> ParseTypedAmount(std::string_view text, BlankAmount blank = BlankAmount::Invalid);

}  // namespace tf::common
