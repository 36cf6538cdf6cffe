#include "aging/aging_rules.h"

#include "common/calendar.h"
#include "common/integer_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::aging {

namespace co = records::company;
namespace inv = records::invoice;
using common::Money;

bool FitsField(Money amount, std::size_t width) { return common::Format0_00(amount).size() <= width; }

std::optional<AgingLimits> ReadAgingLimits(std::span<const std::uint8_t> company) {
  AgingLimits limits;
  const common::TextField fields[3] = {co::kAgingDays1, co::kAgingDays2, co::kAgingDays3};
  for (int i = 0; i < 3; ++i) {
    const std::string text = common::TrimBoth(common::ReadText(company, fields[i]));
    if (text.empty() || !common::IsInteger(text)) return std::nullopt;
    limits.days[std::size_t(i)] = int(common::LeadingIntegerValue(text));
  }
  return limits;
}

int AgingCategory(std::chrono::year_month_day date, std::chrono::year_month_day today, const AgingLimits& limits) {
  const int days = common::DaysBetween(date, today);
  for (int k = 0; k < 3; ++k)
    if (days <= limits.days[std::size_t(k)]) return k;
  return 3;
}

Money AgingSums::Total() const {
  Money total;
  for (Money m : amounts) total += m;
  return total;
}

AgingSums& AgingSums::operator+=(const AgingSums& other) {
  for (std::size_t k = 0; k < amounts.size(); ++k) amounts[k] += other.amounts[k];
  return *this;
}

RecordAge AgeInvoiceRecord(std::span<const std::uint8_t> invoice, std::chrono::year_month_day today,
                           const AgingLimits& limits) {
  RecordAge age;
  const auto balance = common::ParseAmount(common::ReadText(invoice, inv::kBalanceDue), common::BlankAmount::Zero);
  if (!balance) {
    age.state = RecordState::BadBalance;
    return age;
  }
  age.balance = *balance;
  if (balance->IsZero()) return age;
  const auto date = inv::InvoiceDateOf(invoice);
  if (!date) {
    age.state = RecordState::BadDate;
    return age;
  }
  age.state = RecordState::Open;
  age.category = AgingCategory(*date, today, limits);
  return age;
}

std::string DescribeBadRecord(std::span<const std::uint8_t> invoice, std::int32_t ref, RecordState state) {
  std::string text = "invoice " + common::TrimBoth(common::ReadText(invoice, inv::kInvoiceNumber)) + " (record " +
                     std::to_string(ref) + ") of customer " +
                     common::TrimBoth(common::ReadText(invoice, inv::kCustomerNumber)) + ": ";
  if (state == RecordState::BadBalance)
    return text + "its balance \"" + common::ReadText(invoice, inv::kBalanceDue) + "\" is not an amount";
  return text + "its date key \"" + common::ReadText(invoice, inv::kDateKey) + "\" is not a date";
}

std::string CustomerMatchKey(std::string_view customerNumber) {
  return common::UpperCase(common::TrimBoth(common::Cut(customerNumber, 8)));
}

}  // namespace tf::aging
