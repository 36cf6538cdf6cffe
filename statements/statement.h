#pragma once
// One customer's statement: the customer's invoice-file records (invoices, partial payments,
// deposits and their offsets, generated invoices) one row each in date order, the account
// totals, the customer's aging amounts and notes. The screen, the printed layout and the e-mail
// body all show what BuildStatement made, so the three never disagree.
//
// Two rules keep the sums honest:
// - Repeat masters ("R") are templates the repeat billing run copies from, not bills: a
//   statement neither lists nor counts them, in either mode, so a customer never sees a
//   template's total among what was billed.
// - With "only unpaid" a partly paid invoice ("Z") shows Total - Balance as paid and adds that,
//   and only that, to the paid sum: its payment records ("X") are hidden in this mode, and the
//   Z's stored PaidAmount (a payment taken at entry) is already part of Total - Balance. In the
//   full listing the Z shows its stored PaidAmount and each X its own payment, so every payment
//   counts once either way and Total - Paid = Balance holds on the totals row.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/money.h"
#include "common/record_buffer.h"

namespace tf::statements {

inline constexpr std::size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

inline constexpr std::string_view kAccountTotals = "*** Account Totals:";
inline constexpr std::string_view kNoActivity = "There is no activity for this customer.";
// The first characters of the customer's notes a statement carries.
inline constexpr std::size_t kStatementNotesLength = 205;

// The headings of row 0.
const Row& HeadingRow();

// The text column 2 shows for a record kind when the record has no statement note; empty for a
// kind the program does not write.
std::string_view KindDescription(std::string_view kind);

struct Statement {
  // From the customer record.
  std::string customerNumber;
  std::string customerName;
  std::array<std::string, 4> address;  // BillAddress1..4
  std::string email;
  bool useNotes = false;  // NotesOnStatements
  std::string notes;      // the first 205 characters of Notes
  std::array<std::string, 4> aging;  // AgingAmount1..4 shown ",0.00"
  std::string mailSortCode;
  std::string customerType;
  bool unpaidOnly = false;

  // Row 0 the headings, then one row per record listed, then the totals row.
  std::vector<Row> grid;
  common::Money total, paid, balance;

  // The records listed (the heading and totals rows do not count).
  std::size_t RecordCount() const { return grid.size() < 2 ? 0 : grid.size() - 2; }
  // "There are 3 records selected."
  std::string StatusText() const;
};

// A statement, or why none could be made (an amount in a record that is not an amount).
struct BuildResult {
  std::optional<Statement> statement;
  std::string message;
};

// The statement of the customer `customer` from its invoice-file records (in any order).
BuildResult BuildStatement(std::span<const std::uint8_t> customer, const std::vector<common::RecordBuffer>& invoices,
                           bool unpaidOnly);

}  // namespace tf::statements
