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

struct PlannedInvoice {
  std::string number;
  std::string customer;
  std::chrono::year_month_day date;
  std::string total;  // "100.00"; a deposit ("D") has none
  std::string paid = "0.00";
  std::string kind = "I";
  std::string type = "P";
};

// The record of `planned` with its dates in `format`: BalanceDue is total - paid (minus the paid
// amount for a deposit), and a record with nothing open is settled on its own date.
inline common::RecordBuffer InvoiceRecord(const PlannedInvoice& planned, common::DateFormat format) {
  namespace inv = records::invoice;
  common::RecordBuffer r(inv::kInvoiceRecordLength);
  common::WriteText(r, inv::kInvoiceNumber, planned.number);
  common::WriteText(r, inv::kRecordKind, planned.kind);
  common::WriteText(r, inv::kKeyCode, "None");
  common::WriteText(r, inv::kCustomerNumber, planned.customer);
  common::WriteText(r, inv::kCompanyNumber, "1");
  inv::SetInvoiceDate(r, common::FormatDate(planned.date, format), format);
  common::WriteText(r, inv::kInvoiceType, planned.type);
  common::WriteText(r, inv::kShortName, planned.customer);
  const bool deposit = planned.kind == "D";
  const common::Money total = common::ParseAmount(planned.total).value_or(common::Money());
  const common::Money paid = common::ParseAmount(planned.paid).value_or(common::Money());
  common::WriteText(r, inv::kNetAmount, deposit ? "0.00" : planned.total);
  common::WriteText(r, inv::kTaxAmount, "0.00");
  common::WriteText(r, inv::kTotalAmount, deposit ? "0.00" : planned.total);
  common::WriteText(r, inv::kPaidAmount, planned.paid);
  const common::Money balance = deposit ? -paid : total - paid;
  common::WriteText(r, inv::kBalanceDue, common::Format0_00(balance));
  if (deposit) common::WriteText(r, inv::kDatePaid, common::FormatDateKey(planned.date));
  if (balance.IsZero() && planned.kind != "R") {
    common::WriteText(r, inv::kPaidFlag, "P");
    common::WriteText(r, inv::kDatePaid, common::FormatDateKey(planned.date));
  }
  return r;
}

}  // namespace tf::test
