#include "invoicing/books_check.h"

#include <array>
#include <chrono>
#include <map>
#include <optional>
#include <set>

#include "aging/aging_rules.h"
#include "common/date_text.h"
#include "common/money.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
using common::Money;

std::string Comparable(std::string_view text) { return common::UpperCase(common::TrimBoth(text)); }

// Calls `each` with every live record of the block. False (with a finding) when the block
// exists but cannot be read through; a missing block holds nothing.
template <class Each>
bool ForEachRecord(const std::string& name, BooksReport& report, Each each) {
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), name, true);
  if (!engine::EngineOK) {
    if (engine::EngineStatus == engine::status::kFileNotFound) return true;
    report.findings.push_back(name + ": cannot be opened (" + std::to_string(engine::EngineStatus) + ")");
    return false;
  }
  common::RecordBuffer record(std::size_t(engine::RecordLength(block.get())));
  std::int32_t ref = 0;
  for (engine::NextRecord(block.get(), ref); engine::EngineOK; engine::NextRecord(block.get(), ref)) {
    engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) break;
    each(ref, record);
  }
  if (engine::EngineStatus != engine::status::kNoFurtherRecord) {
    report.findings.push_back(name + ": cannot be read through (" + std::to_string(engine::EngineStatus) + ")");
    return false;
  }
  return true;
}

std::optional<Money> Amount(std::string_view text) { return common::ParseAmount(text, common::BlankAmount::Zero); }

// The day and the limits the customers' aging amounts are compared on.
struct AgingCheck {
  std::chrono::year_month_day asOf;
  aging::AgingLimits limits;
  std::string dateText;
};

std::string Amounts(const aging::AgingSums& sums) {
  std::string text;
  for (const Money m : sums.amounts) text += (text.empty() ? "" : " / ") + common::Format0_00(m);
  return text;
}

BooksReport Check(std::string_view companyNumber, std::string_view companyBalance,
                  const std::optional<AgingCheck>& agingCheck) {
  BooksReport report;
  std::map<std::string, aging::AgingSums> aged;  // customer number -> its records aged
  std::set<std::string> unaged;                  // customers with a record that cannot be aged
  std::set<std::string> numbers;
  std::map<std::string, Money> owed;  // customer number -> sum of its records' balances
  std::map<std::string, std::vector<std::int32_t>> invoicesOf;
  const bool invoicesRead = ForEachRecord(inv::InvoiceFileName(companyNumber), report, [&](std::int32_t ref, const auto& r) {
    ++report.invoices;
    const std::string number = Comparable(common::ReadText(r, inv::kInvoiceNumber));
    const std::string customer = Comparable(common::ReadText(r, inv::kCustomerNumber));
    numbers.insert(number);
    invoicesOf[customer].push_back(ref);
    const auto balance = Amount(common::ReadText(r, inv::kBalanceDue));
    if (!balance)
      report.findings.push_back("invoice " + number + " (record " + std::to_string(ref) + ") has the balance \"" +
                                common::ReadText(r, inv::kBalanceDue) + "\", which is not an amount");
    else
      owed[customer] += *balance;
    if (!agingCheck) return;
    const aging::RecordAge age = aging::AgeInvoiceRecord(r, agingCheck->asOf, agingCheck->limits);
    if (age.state == aging::RecordState::Open) {
      aged[customer].amounts[std::size_t(age.category)] += age.balance;
    } else if (age.state != aging::RecordState::Settled) {
      unaged.insert(customer);
      if (age.state == aging::RecordState::BadDate)
        report.findings.push_back(aging::DescribeBadRecord(r, ref, age.state));
    }
  });
  if (invoicesRead) {
    ForEachRecord(inv::LineFileName(companyNumber), report, [&](std::int32_t ref, const auto& r) {
      ++report.lines;
      const std::string number = Comparable(common::ReadText(r, inv::kLineInvoiceNumber));
      if (!numbers.contains(number))
        report.findings.push_back("line record " + std::to_string(ref) + " belongs to invoice " + number +
                                  ", which is not on file");
    });
    ForEachRecord(inv::MemoFileName(companyNumber), report, [&](std::int32_t ref, const auto& r) {
      ++report.memos;
      const std::string number = Comparable(common::ReadText(r, inv::kMemoInvoiceNumber));
      if (!numbers.contains(number))
        report.findings.push_back("memo record " + std::to_string(ref) + " belongs to invoice " + number +
                                  ", which is not on file");
    });
  }
  Money customersTotal;
  std::set<std::string> customers;
  const bool customersRead = ForEachRecord(cu::CustomerFileName(companyNumber), report, [&](std::int32_t, const auto& r) {
    ++report.customers;
    const std::string number = Comparable(common::ReadText(r, cu::kCustomerNumber));
    customers.insert(number);
    const std::string text = common::ReadText(r, cu::kBalance);
    const auto balance = Amount(text);
    if (!balance) {
      report.findings.push_back("customer " + number + " has the balance \"" + text + "\", which is not an amount");
      return;
    }
    customersTotal += *balance;
    const Money expected = owed.contains(number) ? owed[number] : Money();
    if (invoicesRead && *balance != expected)
      report.findings.push_back("customer " + number + " has the balance " + common::Format0_00(*balance) +
                                " but its invoices add up to " + common::Format0_00(expected));
    if (!agingCheck || !invoicesRead || unaged.contains(number)) return;
    aging::AgingSums stored;
    for (int k = 0; k < aging::kCategories; ++k) {
      const std::string amount = common::ReadText(r, cu::kAgingAmount[k]);
      const auto value = Amount(amount);
      if (!value) {
        report.findings.push_back("customer " + number + " has the aging amount \"" + amount +
                                  "\", which is not an amount");
        return;
      }
      stored.amounts[std::size_t(k)] = *value;
    }
    const aging::AgingSums fresh = aged.contains(number) ? aged[number] : aging::AgingSums{};
    if (stored != fresh)
      report.findings.push_back("customer " + number + " has the aging amounts " + Amounts(stored) +
                                " but its invoices age to " + Amounts(fresh) + " on " + agingCheck->dateText);
  });
  if (customersRead && invoicesRead)
    for (const auto& [customer, refs] : invoicesOf)
      if (!customers.contains(customer))
        report.findings.push_back("customer " + customer + " of " + std::to_string(refs.size()) +
                                  " invoice record(s) (the first is record " + std::to_string(refs.front()) +
                                  ") is not on file");
  if (customersRead) {
    const auto company = Amount(companyBalance);
    if (!company)
      report.findings.push_back("the company balance \"" + std::string(companyBalance) + "\" is not an amount");
    else if (*company != customersTotal)
      report.findings.push_back("the company balance is " + common::Format0_00(*company) +
                                " but the customers' balances add up to " + common::Format0_00(customersTotal));
  }
  return report;
}

}  // namespace

BooksReport CheckBooks(std::string_view companyNumber, std::string_view companyBalance) {
  return Check(companyNumber, companyBalance, std::nullopt);
}

BooksReport CheckBooks(std::span<const std::uint8_t> company) {
  namespace co = records::company;
  std::optional<AgingCheck> agingCheck;
  const std::string dateText = common::TrimBoth(common::ReadText(company, co::kLastAgingDate));
  const auto asOf =
      common::ParseDate(dateText, common::DateFormatFromCode(common::ReadText(company, co::kDateFormat)));
  const auto limits = aging::ReadAgingLimits(company);
  if (asOf && limits) agingCheck = AgingCheck{*asOf, *limits, dateText};
  return Check(common::TrimBoth(common::ReadText(company, co::kCompanyNumber)),
               common::ReadText(company, co::kCompanyBalance), agingCheck);
}

}  // namespace tf::invoicing
