#include "customers/customer_quick_view.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_record.h"
#include "shell/company_record.h"

namespace tf::customers {

namespace company = shell::company;
using common::ReadText;

namespace {

std::string Shown(const std::string& stored) {
  auto amount = common::ParseAmount(stored, common::BlankAmount::Zero);
  return amount ? common::FormatComma0_00(*amount) : stored;
}

}  // namespace

QuickView QuickViewOf(std::span<const std::uint8_t> co, std::span<const std::uint8_t> c) {
  QuickView v;
  v.name = ReadText(c, kCustomerName);
  v.number = ReadText(c, kCustomerNumber);
  v.balance = Shown(ReadText(c, kBalance));
  v.phone = ReadText(c, kPhone1);
  v.lastPayment = ReadText(c, kLastPaymentDate);
  v.lastInvoice = ReadText(c, kLastInvoiceNumber);
  v.agingCaption[0] = common::TrimBoth(ReadText(co, company::kAgingCaption1));
  v.agingCaption[1] = common::TrimBoth(ReadText(co, company::kAgingCaption2));
  v.agingCaption[2] = common::TrimBoth(ReadText(co, company::kAgingCaption3));
  v.agingCaption[3] = "Over " + common::TrimBoth(ReadText(co, company::kAgingDays3)) + ":";
  for (int k = 0; k < 4; ++k) v.agingAmount[k] = Shown(ReadText(c, kAgingAmount[k]));
  return v;
}

}  // namespace tf::customers
