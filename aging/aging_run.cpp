#include "aging/aging_run.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "common/date_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/file_names.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "records/staged_block.h"

namespace tf::aging {
namespace {

namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;
using common::ReadText;

// Progress lines every so many customers.
constexpr int kCustomerProgressEvery = 500;

// A missing file block holds nothing: a company without invoices (or customers) yet is aged
// without creating files for it.
bool BlockExists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(engine::EngineFileName(name, engine::FileKind::Data), ec) ||
         std::filesystem::exists(engine::EngineFileName(name, engine::FileKind::Index), ec) ||
         records::StagedChangePending(name);
}

std::string CompanyNumberOf(std::span<const std::uint8_t> company) {
  return common::TrimBoth(ReadText(company, co::kCompanyNumber));
}

// "what (status)" and what follows, with the engine's status of the failure.
std::string StatusWords(const std::string& what, const std::string& then = "") {
  return what + " (" + std::to_string(engine::EngineStatus) + ")" + then;
}

// Works out the rows of every customer from the scan of the invoice file. A share of the scan
// goes to the first customer of its number; what no customer takes is reported at the end.
class RowMaker {
 public:
  RowMaker(InvoiceScan& scan, Problems& problems) : scan_(scan), problems_(problems) {}

  CustomerRow Make(std::span<const std::uint8_t> customer, std::int32_t ref) {
    CustomerRow row;
    row.ref = ref;
    row.number = ReadText(customer, cu::kCustomerNumber);
    row.shortName = ReadText(customer, cu::kShortName);
    if (common::TrimBoth(row.shortName).empty()) row.shortName = std::string(kNoShortName);
    const std::string key = CustomerMatchKey(row.number);
    const auto found = scan_.customers.find(key);
    if (!claimed_.insert(key).second) {
      problems_.Add("customer " + common::TrimBoth(row.number) + " (record " + std::to_string(ref) +
                    ") has the number of another customer; it was left as it was");
      return LeftAlone(std::move(row), customer);
    }
    if (found != scan_.customers.end() && found->second.hasBadRecord) {
      problems_.Add("customer " + common::TrimBoth(row.number) +
                    " was left as it was: one of its invoice records cannot be aged");
      return LeftAlone(std::move(row), customer);
    }
    if (found != scan_.customers.end()) row.sums = found->second.sums;
    row.balance = row.sums.Total();
    bool fits = FitsField(row.balance, kCustomerBalanceWidth);
    for (Money m : row.sums.amounts) fits = fits && FitsField(m, kAmountWidth);
    if (!fits) {
      problems_.Add("customer " + common::TrimBoth(row.number) +
                    " was left as it was: its aging amounts do not fit their fields");
      return LeftAlone(std::move(row), customer);
    }
    return row;
  }

  // The shares no customer on file took.
  void ReportUnclaimed() {
    for (const auto& [key, share] : scan_.customers)
      if (!claimed_.contains(key) && (!share.sums.Total().IsZero() || share.hasBadRecord))
        problems_.Add("customer " + key + " is not on file, but its invoice records owe " +
                      common::Format0_00(share.sums.Total()) + "; no customer's balance holds it");
  }

 private:
  CustomerRow LeftAlone(CustomerRow row, std::span<const std::uint8_t> customer) {
    row.leftAlone = true;
    row.shortName = ReadText(customer, cu::kShortName);
    for (int k = 0; k < kCategories; ++k)
      row.sums.amounts[std::size_t(k)] = Stored(customer, cu::kAgingAmount[k], row.number);
    row.balance = Stored(customer, cu::kBalance, row.number);
    return row;
  }

  Money Stored(std::span<const std::uint8_t> customer, common::TextField field, const std::string& number) {
    const std::string text = ReadText(customer, field);
    const auto value = common::ParseAmount(text, common::BlankAmount::Zero);
    if (!value) problems_.Add("customer " + common::TrimBoth(number) + " holds \"" + text + "\", which is not an amount");
    return value.value_or(Money());
  }

  InvoiceScan& scan_;
  Problems& problems_;
  std::set<std::string> claimed_;
};

// The customer record as the row has it.
common::RecordBuffer Rewritten(std::span<const std::uint8_t> customer, const CustomerRow& row) {
  common::RecordBuffer after(customer.size());
  std::copy(customer.begin(), customer.end(), after.begin());
  for (int k = 0; k < kCategories; ++k) {
    const std::string text = common::Format0_00(row.sums.amounts[std::size_t(k)]);
    if (ReadText(after, cu::kAgingAmount[k]) != text) common::WriteText(after, cu::kAgingAmount[k], text);
  }
  const std::string balance = common::Format0_00(row.balance);
  if (ReadText(after, cu::kBalance) != balance) common::WriteText(after, cu::kBalance, balance);
  if (ReadText(after, cu::kShortName) != row.shortName) common::WriteText(after, cu::kShortName, row.shortName);
  return after;
}

// Calls `each` with every customer record in record order. False when the file cannot be read
// through.
template <class Each>
bool ForEachCustomer(engine::FileBlock* customers, Each each) {
  if (!customers) return true;
  common::RecordBuffer record(cu::kCustomerRecordLength);
  return ForEachLiveRecord(customers, [&](std::int32_t ref, std::span<const std::uint8_t> live) {
    std::copy_n(live.begin(), std::min(live.size(), record.size()), record.begin());
    return each(ref, record);
  });
}

}  // namespace

std::string AgingDateText(std::span<const std::uint8_t> company, std::chrono::year_month_day today) {
  return common::FormatDate(today, common::DateFormatFromCode(ReadText(company, co::kDateFormat)));
}

AgingReport ReportAging(std::span<const std::uint8_t> company, std::chrono::year_month_day asOf,
                        engine::RebuildStatus* status) {
  AgingReport report;
  const auto limits = ReadAgingLimits(company);
  if (!limits) {
    report.message = std::string(kBadAgingDays);
    return report;
  }
  const std::string number = CompanyNumberOf(company);
  engine::FileBlockGuard invoices, customers;
  for (auto [guard, name] : {std::pair{&invoices, inv::InvoiceFileName(number)},
                             std::pair{&customers, cu::CustomerFileName(number)}}) {
    if (!BlockExists(name)) continue;
    engine::OpenFileBlock(guard->handle(), name, true);
    // A block of another shape is not read into these records' buffers.
    if (engine::EngineOK)
      records::KeepIfOfKind(guard->handle(),
                            name == inv::InvoiceFileName(number) ? inv::InvoiceFileKind() : cu::CustomerFileKind());
    if (!engine::EngineOK) {
      report.message = StatusWords("The file block " + name + " cannot be opened");
      return report;
    }
  }
  if (status) {
    status->Show(kStatusTitle);
    status->Lines("", kCalculatingAging, "");
  }
  std::optional<InvoiceScan> scan = InvoiceScan{};
  if (invoices.get())
    scan = ScanInvoices(invoices.get(), asOf, *limits, [status](int n) {
      if (status) status->Lines("", kCalculatingAging, "Invoice records read: " + std::to_string(n));
    });
  if (!scan) {
    if (status) status->Close();
    report.message = StatusWords("The invoice file cannot be read through");
    return report;
  }
  report.invoiceRecords = scan->records;
  report.problems = scan->problems;
  RowMaker maker(*scan, report.problems);
  const bool read = ForEachCustomer(customers.get(), [&](std::int32_t ref, const common::RecordBuffer& customer) {
    report.rows.push_back(maker.Make(customer, ref));
    report.totals += report.rows.back().sums;
    report.total += report.rows.back().balance;
    return true;
  });
  if (status) status->Close();
  if (!read) {
    report.message = StatusWords("The customer file cannot be read through");
    return report;
  }
  maker.ReportUnclaimed();
  report.ok = true;
  return report;
}

AgingOutcome RunAging(const AgingServices& s) {
  AgingOutcome outcome;
  records::CompanyBook& book = s.book;
  const auto limits = ReadAgingLimits(book.Current());
  if (!limits) {
    outcome.message = std::string(kBadAgingDays);
    return outcome;
  }
  const std::chrono::year_month_day today = s.clock.Today();
  const std::string number = CompanyNumberOf(book.Current());

  s.status.Show(kStatusTitle);
  s.status.Lines("", kCalculatingAging, "");
  s.statusText(kCalculatingTotals);
  auto finish = [&] {
    s.status.Close();
    s.statusText(kReady);
  };

  engine::FileBlockGuard customers, invoices;
  const std::string invoiceName = inv::InvoiceFileName(number), customerName = cu::CustomerFileName(number);
  if ((BlockExists(customerName) && !cu::OpenCustomerFile(customers.handle(), number, s.prompter, s.status)) ||
      (BlockExists(invoiceName) && !inv::OpenInvoiceFile(invoices.handle(), number, s.prompter, s.status))) {
    finish();
    outcome.message = StatusWords("The customer or invoice file could not be opened", ". Nothing was changed.");
    return outcome;
  }
  // The rebuild an open may have offered shows its own title; the aging's comes back.
  s.status.Show(kStatusTitle);
  s.status.Lines("", kCalculatingAging, "");

  std::optional<InvoiceScan> scan = InvoiceScan{};
  if (invoices.get())
    scan = ScanInvoices(invoices.get(), today, *limits, [&s](int n) {
      s.status.Lines("", kCalculatingAging, "Invoice records read: " + std::to_string(n));
    });
  invoices.Close();
  if (!scan) {
    finish();
    outcome.message = StatusWords("The invoice file could not be read through", ". Nothing was changed.");
    return outcome;
  }
  outcome.ran = true;
  outcome.invoiceRecords = scan->records;
  outcome.problems = scan->problems;
  RowMaker maker(*scan, outcome.problems);
  bool everyCustomerWritten = true;
  const bool read = ForEachCustomer(customers.get(), [&](std::int32_t ref, const common::RecordBuffer& customer) {
    CustomerRow row = maker.Make(customer, ref);
    ++outcome.customers;
    if (outcome.customers % kCustomerProgressEvery == 0)
      s.status.Lines("", kCalculatingAging, "Customers: " + std::to_string(outcome.customers));
    if (!row.leftAlone) {
      const common::RecordBuffer after = Rewritten(customer, row);
      if (after != customer) {
        if (records::ModifyKeyedRecord(customers.get(), cu::CustomerFileKind(), ref, after, customer, s.prompter)) {
          ++outcome.rewritten;
        } else {
          // Its stored amounts stay in the totals: they are what the file holds.
          outcome.problems.Add(StatusWords("customer " + common::TrimBoth(row.number) + " could not be rewritten"));
          everyCustomerWritten = false;
          row.leftAlone = true;
          for (int k = 0; k < kCategories; ++k)
            row.sums.amounts[std::size_t(k)] =
                common::StoredAmount(ReadText(customer, cu::kAgingAmount[k]));
          row.balance = common::StoredAmount(ReadText(customer, cu::kBalance));
        }
      }
    }
    outcome.totals += row.sums;
    outcome.total += row.balance;
    return true;
  });
  if (!read) {
    // Customers already rewritten stay rewritten (each one is right on its own); the company
    // balance cannot be summed from half a file, so it and LastAgingDate are left alone.
    customers.Close();
    finish();
    outcome.message = StatusWords("The customer file could not be read through", "; the company balance was not changed.");
    return outcome;
  }
  const bool hadCustomers = customers.get() != nullptr;
  customers.Close();
  if (hadCustomers && !engine::EngineOK) {
    // What was written may not have reached the disk: the next run must make sure of it.
    outcome.problems.Add(StatusWords("the customer file could not be closed"));
    everyCustomerWritten = false;
  }
  maker.ReportUnclaimed();

  // The company: its balance always; LastAgingDate only when every customer is as the run says.
  if (!FitsField(outcome.total, kAmountWidth)) {
    outcome.problems.Add("the company balance " + common::Format0_00(outcome.total) +
                         " does not fit its field; the company record was left as it was");
    finish();
    return outcome;
  }
  const std::string dateText = AgingDateText(book.Current(), today);
  const std::string balanceText = common::Format0_00(outcome.total);
  const bool companyWritten = book.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) {
        if (ReadText(work, co::kCompanyBalance) != balanceText) common::WriteText(work, co::kCompanyBalance, balanceText);
        if (everyCustomerWritten && ReadText(work, co::kLastAgingDate) != dateText)
          common::WriteText(work, co::kLastAgingDate, dateText);
      },
      s.prompter, s.status);
  if (!companyWritten) {
    outcome.problems.Add(StatusWords("the company record could not be rewritten"));
  } else if (everyCustomerWritten) {
    outcome.complete = true;
    if (s.saveStartupFile) {
      try {
        book.SaveStartupFile();
      } catch (const std::system_error& e) {
        outcome.problems.Add(std::string("the start-up file could not be saved: ") + e.what());
      }
    }
  }
  finish();
  return outcome;
}

}  // namespace tf::aging
