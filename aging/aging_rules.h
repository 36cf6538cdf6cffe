#pragma once
// The age categories of an open amount and what a customer owes in each.
//
// An invoice record's age is the number of whole calendar days from its date to "today",
// negative for a record dated in the future. The date is the record's sortable DateKey
// ("yyyy/mm/dd"): the InvoiceDate text is in whatever date format the company used when it was
// written, so reading it in today's format would turn 03/04 from March into April after a
// company switched between month-first and day-first dates. Days are counted between calendar
// dates, never from elapsed seconds, so the hour a clock moves at a daylight-saving change
// cannot carry an invoice across a category limit.
//
// With the company's limits A1, A2, A3: up to A1 days is category 1, up to A2 category 2, up
// to A3 category 3, older than A3 category 4.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/money.h"

namespace tf::aging {

inline constexpr int kCategories = 4;

inline constexpr std::string_view kBadAgingDays =
    "There is a bad value in your aging days (Company Setup). Unable to calculate aging.";

// The widths of the amount fields aging and payments write: every amount of an invoice record,
// a customer's aging amounts and the company balance are ten characters wide, a customer's
// balance twelve. An amount whose "0.00" text is wider is refused before anything is written,
// never cut.
inline constexpr std::size_t kAmountWidth = 10;
inline constexpr std::size_t kCustomerBalanceWidth = 12;
bool FitsField(common::Money amount, std::size_t width);

// The upper day limits of categories 1..3.
struct AgingLimits {
  std::array<int, 3> days{30, 60, 90};
};

// AgingDays1..3 of a company record, trimmed. Nothing when one is empty or not a whole number
// (the run then stops with kBadAgingDays instead of failing on the conversion).
std::optional<AgingLimits> ReadAgingLimits(std::span<const std::uint8_t> company);

// The category (0..3 for categories 1..4) of an amount dated `date` on `today`.
int AgingCategory(std::chrono::year_month_day date, std::chrono::year_month_day today, const AgingLimits& limits);

// What one customer (or a whole company) owes in each category.
struct AgingSums {
  std::array<common::Money, kCategories> amounts{};

  common::Money Total() const;
  AgingSums& operator+=(const AgingSums& other);
  bool operator==(const AgingSums&) const = default;
};

// How an invoice record counts in the aging.
enum class RecordState {
  Open,         // a balance other than zero, in `category`
  Settled,      // its balance is zero: it counts nowhere
  BadBalance,   // BalanceDue is not an amount
  BadDate,      // an open balance whose DateKey is not a date
};

struct RecordAge {
  RecordState state = RecordState::Settled;
  common::Money balance;
  int category = 0;
};

// The balance of an invoice record and its category on `today`.
RecordAge AgeInvoiceRecord(std::span<const std::uint8_t> invoice, std::chrono::year_month_day today,
                           const AgingLimits& limits);

// "invoice A100 (record 17) of customer C1: its balance "1O.00" is not an amount" and the like,
// for a record AgeInvoiceRecord found bad.
std::string DescribeBadRecord(std::span<const std::uint8_t> invoice, std::int32_t ref, RecordState state);

// The customer number as invoices and customers are matched: cut to 8, trimmed, upper-cased.
std::string CustomerMatchKey(std::string_view customerNumber);

}  // namespace tf::aging
