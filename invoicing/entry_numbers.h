#pragma once
// How invoice entry reads the numbers the user types and which amounts an invoice can hold.
//
// Typed numbers may carry thousands separators, but only where they belong: "1,234.50" is
// 1234.50, while "1,5" is refused rather than read as 15 (a comma typed for a decimal point
// must not multiply an amount by ten). Every stored amount of an invoice, and the extension
// column of a line, is ten characters wide; an amount whose "0.00" text is longer is refused
// before anything is written, never cut.

#include <cstddef>
#include <optional>
#include <string_view>

#include "common/money.h"

namespace tf::invoicing {

// The width of every amount of an invoice record, of the company balance and of a line's
// extension column.
inline constexpr std::size_t kAmountWidth = 10;
// The width of a customer's balance.
inline constexpr std::size_t kCustomerBalanceWidth = 12;

// A typed number: blanks at both ends, an optional sign, digits with commas only between
// groups of three in the whole part, an optional decimal part. A blank text is zero. Nothing
// when the text is not such a number.
std::optional<common::Money> ReadEnteredNumber(std::string_view text);

// Whether the "0.00" text of the amount has at most `width` characters.
bool FitsWidth(common::Money amount, std::size_t width = kAmountWidth);

}  // namespace tf::invoicing
