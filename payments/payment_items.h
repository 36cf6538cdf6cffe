#pragma once
// The items of the payment wizard's two lists: a customer's open invoice records (invoices,
// credits, open deposits) and the new deposits on account, each shown in fixed columns:
//
//   1-9   the invoice number padded to 9, or "DEPOSIT" for a new deposit on account
//   10    a blank
//   11-18 the date as 8 characters, "mm/dd/yy" or "dd/mm/yy" as the company writes dates
//   19    a blank
//   20-31 the amount with "#,0.00", right-aligned in 12
//   32    "P" when the item is posted as a partial payment
//
// The amount an item posts is kept as a number beside its text: the text is only what the list
// shows (an amount too wide for its 12 columns would lose its last digits there).

#include <chrono>
#include <optional>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_text.h"
#include "common/money.h"

namespace tf::payments {

inline constexpr std::string_view kDepositItem = "DEPOSIT";

struct PaymentItem {
  std::string number;  // trimmed, or "DEPOSIT"
  std::string date;    // 8 characters, or empty when the record's date cannot be read
  common::Money amount;
  bool partial = false;

  bool IsDeposit() const { return number == kDepositItem; }
  std::string Text() const;
  bool operator==(const PaymentItem&) const = default;
};

// An invoice record as a left-list item: its number, its date (from its date key, shown in the
// company's format now), its BalanceDue, and the "P" mark for a "Z" record, which is always paid
// through the partial route. Nothing when its balance is not an amount.
std::optional<PaymentItem> ItemOfRecord(std::span<const std::uint8_t> invoice, common::DateFormat format);

// A date as the lists show it: characters 1-6 and 9-10 of its ten-character text.
std::string ShortDate(std::chrono::year_month_day date, common::DateFormat format);
std::string ShortDate(std::string_view tenCharacterDate);

// Sorts items by their text (the left list's order).
void SortByText(std::vector<PaymentItem>& items);

}  // namespace tf::payments
