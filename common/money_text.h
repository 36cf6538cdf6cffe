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

// An amount as a record stores it: blank or unreadable counts as 0.00 (the books' checks, not
// every reader, find the records that hold something else).
inline Money StoredAmount(std::string_view stored) { return ParseAmount(stored, BlankAmount::Zero).value_or(Money()); }

// The text without any ",".
std::string RemoveCommas(std::string_view text);

// The text without its thousands separators when every "," in it separates a group of three
// digits of the whole part ("1,250.00", "-12,345,678"); nothing when a comma stands anywhere
// else ("1,5", "12,50", ",5", "1,,000", "1.000,5"). A comma misplaced this way is a typing
// slip or a decimal comma, and reading it as a separator would change the amount a
// hundredfold, so it is refused rather than dropped.
std::optional<std::string> WithoutThousandsSeparators(std::string_view text);

// How every amount the user typed (or a file brought in) is read: ParseAmount after the
// thousands separators are taken out; a misplaced comma makes the text no amount.
std::optional<Money> ParseTypedAmount(std::string_view text, BlankAmount blank = BlankAmount::Invalid);

}  // namespace tf::common
