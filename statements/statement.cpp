#include "statements/statement.h"

#include <algorithm>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::statements {
namespace {

namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;
using common::ReadText;

// Cell by cell, ignoring the case of letters: the date key first, so rows come out in date
// order, ties broken by invoice number and then by the other cells.
bool RowBefore(const Row& a, const Row& b) {
  for (std::size_t c = 0; c < kColumns; ++c) {
    const std::string x = common::UpperCase(a[c]), y = common::UpperCase(b[c]);
    if (x != y) return x < y;
  }
  return false;
}

std::string BadAmount(std::span<const std::uint8_t> record, std::string_view what, const std::string& text) {
  return "Invoice " + common::TrimBoth(ReadText(record, inv::kInvoiceNumber)) + " has \"" + text + "\" as its " +
         std::string(what) + ", which is not an amount; the statement cannot be made.";
}

}  // namespace

const Row& HeadingRow() {
  static const Row heading = {"Date", "Invoice#", "Reference/Comment", "Total Amount", "Paid Amount", "Balance Due",
                              "C"};
  return heading;
}

std::string_view KindDescription(std::string_view kind) {
  static constexpr std::pair<std::string_view, std::string_view> kTexts[] = {
      {inv::kKindInvoice, "Invoice"},
      {inv::kKindPartialPayment, "Partial Payment Made"},
      {inv::kKindPartlyPaid, "Partial Payment Invoice"},
      {inv::kKindDeposit, "Deposit on Account"},
      {inv::kKindDepositTaken, "Deposit Offset Applied"},
      {inv::kKindGenerated, "Repeat Billing"},
      {inv::kKindRepeatMaster, "Repeat Master"},
  };
  for (const auto& [k, text] : kTexts)
    if (k == kind) return text;
  return {};
}

std::string Statement::StatusText() const {
  return "There are " + std::to_string(RecordCount()) + " records selected.";
}

BuildResult BuildStatement(std::span<const std::uint8_t> customer, const std::vector<common::RecordBuffer>& invoices,
                           bool unpaidOnly) {
  BuildResult result;
  Statement s;
  s.customerNumber = ReadText(customer, cu::kCustomerNumber);
  s.customerName = ReadText(customer, cu::kCustomerName);
  for (std::size_t k = 0; k < 4; ++k) s.address[k] = ReadText(customer, cu::kBillAddress[k]);
  s.email = ReadText(customer, cu::kEMail);
  s.useNotes = common::ReadFlag(customer, cu::kNotesOnStatements);
  s.notes = common::Cut(ReadText(customer, cu::kNotes), kStatementNotesLength);
  s.mailSortCode = ReadText(customer, cu::kMailSortCode);
  s.customerType = ReadText(customer, cu::kCustomerType);
  s.unpaidOnly = unpaidOnly;
  for (std::size_t k = 0; k < 4; ++k) {
    const std::string text = ReadText(customer, cu::kAgingAmount[k]);
    const auto amount = common::ParseAmount(text);
    if (!amount) {
      result.message = "Customer " + common::TrimBoth(s.customerNumber) + " has \"" + text + "\" as its aging amount " +
                       std::to_string(k + 1) + ", which is not an amount; the statement cannot be made.";
      return result;
    }
    s.aging[k] = common::FormatComma0_00(*amount);
  }

  std::vector<Row> rows;
  for (const common::RecordBuffer& r : invoices) {
    const std::string kind = common::TrimBoth(ReadText(r, inv::kRecordKind));
    if (kind == inv::kKindRepeatMaster) continue;
    Money amounts[3];
    const common::TextField fields[3] = {inv::kTotalAmount, inv::kPaidAmount, inv::kBalanceDue};
    const char* names[3] = {"total amount", "paid amount", "balance due"};
    for (int k = 0; k < 3; ++k) {
      const std::string text = ReadText(r, fields[k]);
      const auto amount = common::ParseAmount(text);
      if (!amount) {
        result.message = BadAmount(r, names[k], text);
        return result;
      }
      amounts[k] = *amount;
    }
    const Money total = amounts[0], balance = amounts[2];
    if (unpaidOnly && balance.IsZero()) continue;
    const Money paid = unpaidOnly && kind == inv::kKindPartlyPaid ? total - balance : amounts[1];
    std::string reference = common::TrimBoth(ReadText(r, inv::kStatementNote));
    if (reference.empty()) reference = std::string(KindDescription(kind));
    rows.push_back({ReadText(r, inv::kDateKey), ReadText(r, inv::kInvoiceNumber), reference,
                    common::FormatComma0_00(total), common::FormatComma0_00(paid), common::FormatComma0_00(balance),
                    kind});
    s.total += total;
    s.paid += paid;
    s.balance += balance;
  }
  std::stable_sort(rows.begin(), rows.end(), RowBefore);

  s.grid.reserve(rows.size() + 2);
  s.grid.push_back(HeadingRow());
  for (Row& row : rows) s.grid.push_back(std::move(row));
  s.grid.push_back({"", "", std::string(kAccountTotals), common::FormatComma0_00(s.total),
                    common::FormatComma0_00(s.paid), common::FormatComma0_00(s.balance), ""});
  result.statement = std::move(s);
  return result;
}

}  // namespace tf::statements
