#pragma once
// Invoice records as the aging and payment tests write them straight into a company's invoice
// file: an invoice (or credit, or deposit on account) of a customer on a date, with its total
// and what was paid at entry.

#include <chrono>
#include <string>

#include "common/date_text.h"
#include "common/money.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::test {

struct InvoiceSpec {
  std::string number;
  std::string customer;
  std::chrono::year_month_day date;
  std::string total;  // "100.00"; a deposit ("D") has none
  std::string paid = "0.00";
  std::string kind = "I";
  std::string type = "P";
};

// The record of `spec` with its dates in `format`: BalanceDue is total - paid (minus the paid
// amount for a deposit), and a record with nothing open is settled on its own date.
inline common::RecordBuffer InvoiceRecord(const InvoiceSpec& spec, common::DateFormat format) {
  namespace inv = records::invoice;
  common::RecordBuffer r(inv::kInvoiceRecordLength);
  common::WriteText(r, inv::kInvoiceNumber, spec.number);
  common::WriteText(r, inv::kRecordKind, spec.kind);
  common::WriteText(r, inv::kKeyCode, "None");
  common::WriteText(r, inv::kCustomerNumber, spec.customer);
  common::WriteText(r, inv::kCompanyNumber, "1");
  inv::SetInvoiceDate(r, common::FormatDate(spec.date, format), format);
  common::WriteText(r, inv::kInvoiceType, spec.type);
  common::WriteText(r, inv::kShortName, spec.customer);
  const bool deposit = spec.kind == "D";
  const common::Money total = common::ParseAmount(spec.total).value_or(common::Money());
  const common::Money paid = common::ParseAmount(spec.paid).value_or(common::Money());
  common::WriteText(r, inv::kNetAmount, deposit ? "0.00" : spec.total);
  common::WriteText(r, inv::kTaxAmount, "0.00");
  common::WriteText(r, inv::kTotalAmount, deposit ? "0.00" : spec.total);
  common::WriteText(r, inv::kPaidAmount, spec.paid);
  const common::Money balance = deposit ? -paid : total - paid;
  common::WriteText(r, inv::kBalanceDue, common::Format0_00(balance));
  if (deposit) common::WriteText(r, inv::kDatePaid, common::FormatDateKey(spec.date));
  if (balance.IsZero() && spec.kind != "R") {
    common::WriteText(r, inv::kPaidFlag, "P");
    common::WriteText(r, inv::kDatePaid, common::FormatDateKey(spec.date));
  }
  return r;
}

}  // namespace tf::test
