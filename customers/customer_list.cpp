#include "customers/customer_list.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"

namespace tf::customers {
namespace {

std::string Columns(std::string_view name, std::string_view number, std::string_view balance,
                    std::string_view lastPayment, std::string_view lastInvoice, std::string_view phone) {
  std::string row = common::PadRight(common::Cut(name, 35), 35) + " " + common::PadRight(number, 8) + " " +
                    common::AlignRight(balance, 12) + " " + common::PadRight(lastPayment, 10) + " " +
                    common::PadRight(lastInvoice, 9) + " " + std::string(phone);
  return common::Cut(common::PadRight(row, kRowWidth), kRowWidth);
}

}  // namespace

std::string CustomerListHeader() {
  return Columns("Name", "Number", "Balance", "Last Pmt.", "Last Inv.", "Phone Number(s)");
}

std::string CustomerRow(std::span<const std::uint8_t> r) {
  const std::string stored = common::ReadText(r, records::customer::kBalance);
  auto amount = common::ParseAmount(stored, common::BlankAmount::Zero);
  return Columns(common::ReadText(r, records::customer::kCustomerName), common::TrimBoth(common::ReadText(r, records::customer::kCustomerNumber)),
                 amount ? common::FormatComma0_00(*amount) : stored, common::ReadText(r, records::customer::kLastPaymentDate),
                 common::ReadText(r, records::customer::kLastInvoiceNumber), common::ReadText(r, records::customer::kPhone1));
}

std::string UnreadableRow(std::string_view key) {
  return common::Cut("****  " + std::string(key), kRowWidth);
}

}  // namespace tf::customers
