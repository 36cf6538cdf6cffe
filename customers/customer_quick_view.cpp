#include "customers/customer_quick_view.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"
#include "records/company_record.h"

namespace tf::customers {

namespace company = records::company;
using common::ReadText;

namespace {

std::string Shown(const std::string& stored) {
  auto amount = common::ParseAmount(stored, common::BlankAmount::Zero);
  return amount ? common::FormatComma0_00(*amount) : stored;
}

}  // namespace

QuickView QuickViewOf(std::span<const std::uint8_t> co, std::span<const std::uint8_t> c) {
  QuickView v;
  v.name = ReadText(c, records::customer::kCustomerName);
  v.number = ReadText(c, records::customer::kCustomerNumber);
  v.balance = Shown(ReadText(c, records::customer::kBalance));
  v.phone = ReadText(c, records::customer::kPhone1);
  v.lastPayment = ReadText(c, records::customer::kLastPaymentDate);
  v.lastInvoice = ReadText(c, records::customer::kLastInvoiceNumber);
  v.agingCaption[0] = common::TrimBoth(ReadText(co, records::company::kAgingCaption1));
  v.agingCaption[1] = common::TrimBoth(ReadText(co, records::company::kAgingCaption2));
  v.agingCaption[2] = common::TrimBoth(ReadText(co, records::company::kAgingCaption3));
  v.agingCaption[3] = "Over " + common::TrimBoth(ReadText(co, records::company::kAgingDays3)) + ":";
  for (int k = 0; k < 4; ++k) v.agingAmount[k] = Shown(ReadText(c, records::customer::kAgingAmount[k]));
  return v;
}

}  // namespace tf::customers
