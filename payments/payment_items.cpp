#include "payments/payment_items.h"

#include <algorithm>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::payments {

namespace inv = records::invoice;

std::string PaymentItem::Text() const {
  return common::PadRight(number, 9) + " " + common::PadRight(date, 8) + " " +
         common::AlignRight(common::FormatHashComma0_00(amount), 12) + (partial ? "P" : "");
}

std::string ShortDate(std::string_view text) {
  const std::string s(text);
  return s.substr(0, std::min<std::size_t>(6, s.size())) + (s.size() > 8 ? s.substr(8, 2) : std::string());
}

std::string ShortDate(std::chrono::year_month_day date, common::DateFormat format) {
  return ShortDate(common::FormatDate(date, format));
}

std::optional<PaymentItem> ItemOfRecord(std::span<const std::uint8_t> invoice, common::DateFormat format) {
  const auto balance = common::ParseAmount(common::ReadText(invoice, inv::kBalanceDue), common::BlankAmount::Zero);
  if (!balance) return std::nullopt;
  PaymentItem item;
  item.number = common::TrimBoth(common::ReadText(invoice, inv::kInvoiceNumber));
  const auto date = inv::InvoiceDateOf(invoice);
  item.date = date ? ShortDate(*date, format) : ShortDate(common::TrimBoth(common::ReadText(invoice, inv::kInvoiceDate)));
  item.amount = *balance;
  item.partial = common::ReadText(invoice, inv::kRecordKind) == inv::kKindPartlyPaid;
  return item;
}

void SortByText(std::vector<PaymentItem>& items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const PaymentItem& a, const PaymentItem& b) { return a.Text() < b.Text(); });
}

}  // namespace tf::payments
