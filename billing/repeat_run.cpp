#include "billing/repeat_run.h"

#include <charconv>
#include <map>
#include <set>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "aging/aging_rules.h"
#include "invoicing/entry_numbers.h"
#include "invoicing/invoice_books.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"

namespace tf::billing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using common::WriteText;
using namespace std::chrono;

constexpr int kNotFoundClass = 1;

common::DateFormat FormatOf(std::span<const std::uint8_t> company) {
  return common::DateFormatFromCode(ReadText(company, co::kDateFormat));
}

// A whole number of up to three digits, as the schedule fields hold them; blank reads as 0.
std::optional<int> SmallNumber(std::string_view stored) {
  const std::string text = TrimBoth(stored);
  if (text.empty()) return 0;
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < 0) return std::nullopt;
  return n;
}

}  // namespace

year_month_day AddMonths(int months, year_month_day date) {
  year_month ym{date.year(), date.month()};
  for (int k = 0; k < months; ++k) ym += std::chrono::months{1};
  const day last = year_month_day_last{ym.year(), month_day_last{ym.month()}}.day();
  return {ym.year(), ym.month(), std::min(date.day(), last)};
}

year_month_day NextDueDate(year_month_day due, std::string_view unit, int interval) {
  if (TrimBoth(unit) == "M") return AddMonths(interval, due);
  return year_month_day{sys_days{due} + days{interval}};
}

std::string RepeatSearch::Summary() const {
  return "There are " + std::to_string(masters.size()) + " invoices selected totaling " +
         common::FormatComma0_00(total) + ".";
}

std::string RepeatResult::CompletionText() const {
  return std::to_string(generated.size()) + " invoices were generated. " + std::to_string(monthly) +
         " Monthly Setups and " + std::to_string(daily) + " Daily Setups.";
}

RepeatSearch SearchRepeat(engine::FileBlock* invoices, year_month_day through, common::DateFormat format) {
  RepeatSearch search;
  if (!invoices) {
    search.ok = true;
    return search;
  }
  std::string key = std::string(inv::kKindRepeatMaster);
  std::int32_t ref = 0;
  common::RecordBuffer record(inv::kInvoiceRecordLength);
  engine::SearchKey(invoices, inv::kKeyByKind, ref, key);
  while (engine::EngineOK && !key.empty() && key[0] == inv::kKindRepeatMaster[0]) {
    engine::GetRecord(invoices, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) break;
    if (TrimBoth(ReadText(record, inv::kRecordKind)) == inv::kKindRepeatMaster) {
      const std::string number = TrimBoth(ReadText(record, inv::kInvoiceNumber));
      const std::string stored = TrimBoth(ReadText(record, inv::kNextDueDate));
      const auto due = common::ParseDate(stored, common::DateFormat::MonthFirst);
      if (!due) {
        search.problems.push_back("master " + number + ": its next due date \"" + stored +
                                  "\" is not a date; set its schedule again in the Invoice Manager");
      } else if (*due <= through) {
        DueMaster m;
        m.number = number;
        m.shortName = ReadText(record, inv::kShortName);
        m.customer = TrimBoth(ReadText(record, inv::kCustomerNumber));
        m.total = common::StoredAmount(ReadText(record, inv::kTotalAmount));
        m.nextDue = common::FormatDate(*due, format == common::DateFormat::DayFirst ? format : common::DateFormat::MonthFirst);
        m.count = SmallNumber(ReadText(record, inv::kRepeatCount)).value_or(0);
        m.listLine = common::PadRight(number, 9) + " " + common::PadRight(m.shortName, 10) + " " +
                     common::AlignRight(common::FormatComma0_00(m.total), 12) + " " + m.nextDue + " " +
                     common::PadRight(m.customer, 9) + " " + common::AlignRight(TrimBoth(ReadText(record, inv::kRepeatCount)), 5);
        search.total += m.total;
        search.masters.push_back(std::move(m));
      }
    }
    engine::NextKey(invoices, inv::kKeyByKind, ref, key);
  }
  if (!engine::EngineOK && engine::EngineErrorClass() != kNotFoundClass) {
    search.masters.clear();
    search.total = Money();
    search.message = "The invoice file cannot be read through " + StatusText() + ".";
    return search;
  }
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  search.ok = true;
  return search;
}

std::optional<std::string> SameDateQuestion(std::span<const std::uint8_t> company, const RepeatOptions& options) {
  const common::DateFormat format = FormatOf(company);
  const auto last = common::ParseDate(TrimBoth(ReadText(company, co::kRepeatLastRun)), format);
  const auto date = common::ParseDate(options.invoiceDate, format);
  if (!last || !date || *last != *date) return std::nullopt;
  return "Repeat billing invoices dated " + common::FormatDate(*date, format) +
         " were already generated. Do you want to generate invoices with this date again?";
}

RepeatResult ApplyRepeat(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                         const std::vector<std::string>& masters, const RepeatOptions& options,
                         year_month_day today, common::Prompter& prompter, bool write) {
  RepeatResult result;
  const common::DateFormat format = FormatOf(company);
  const auto date = common::ParseDate(options.invoiceDate, format);
  if (!date) {
    result.message = "You have an invalid invoice date. You can clear the date and then select the calendar button.";
    return result;
  }
  if (options.reference.size() > inv::kNotes.capacity) {
    result.message = "The billing reference has " + std::to_string(options.reference.size()) +
                     " characters; it holds at most " + std::to_string(inv::kNotes.capacity) +
                     ". No invoices were generated.";
    return result;
  }
  const auto limits = aging::ReadAgingLimits(company);
  if (!limits) {
    result.message = aging::kBadAgingDays;
    return result;
  }
  const std::string dateText = common::FormatDate(*date, format);
  auto fail = [&](std::string message) {
    result.ok = false;
    result.message = std::move(message) + " No invoices were generated.";
    result.generated.clear();
    return result;
  };
  // The customers as the run leaves them so far: a customer with several masters is charged
  // for each on top of the one before.
  struct CustomerState {
    std::int32_t ref = 0;
    common::RecordBuffer current{cu::kCustomerRecordLength};
  };
  std::map<std::string, CustomerState> customers;
  std::set<std::string> seen;  // masters and numbers of this run
  for (const std::string& wanted : masters) {
    const std::string masterNumber = common::UpperCase(TrimBoth(wanted));
    if (!seen.insert("M" + masterNumber).second) continue;  // one invoice per master per run
    auto refuse = [&](const std::string& why) { result.refused.push_back("master " + masterNumber + ": " + why); };

    const auto records = blocks.invoices ? inv::ReadInvoiceRecords(blocks.invoices, masterNumber)
                                         : std::optional<std::vector<inv::StoredRecord>>{std::in_place};
    if (!records) return fail("The invoice file cannot be read " + StatusText() + ".");
    const inv::StoredRecord* master = nullptr;
    for (const inv::StoredRecord& r : *records)
      if (TrimBoth(ReadText(r.record, inv::kRecordKind)) == inv::kKindRepeatMaster) master = &r;
    if (!master) {
      refuse("it is no longer a repeat billing master, so nothing was generated from it");
      continue;
    }
    const common::RecordBuffer& before = master->record;
    const auto count = SmallNumber(ReadText(before, inv::kRepeatCount));
    const auto interval = SmallNumber(ReadText(before, inv::kRepeatInterval));
    const auto due = common::ParseDate(TrimBoth(ReadText(before, inv::kNextDueDate)), common::DateFormat::MonthFirst);
    const auto total = common::ParseAmount(ReadText(before, inv::kTotalAmount), common::BlankAmount::Zero);
    if (!count || !interval || *interval < 1 || !due) {
      refuse("its schedule (interval, next due date or count) cannot be read; set it again in the Invoice Manager");
      continue;
    }
    if (*count + 1 > kMaxRepeatCount) {
      refuse("it has generated " + std::to_string(*count) + " invoices, the most its count can hold; set up a new "
             "master to go on billing");
      continue;
    }
    const std::string number = masterNumber + "G" + std::to_string(*count + 1);
    if (number.size() > inv::kInvoiceNumberWidth) {
      refuse("the generated number " + number + " would not fit the 9 characters of an invoice number");
      continue;
    }
    std::int32_t existing = 0;
    if (!seen.insert("N" + number).second ||
        (blocks.invoices && inv::FindInvoice(blocks.invoices, number, existing, prompter))) {
      refuse("invoice " + number + " already exists, so it was not generated again");
      continue;
    }
    if (!engine::EngineOK) return fail("The invoice file cannot be read " + StatusText() + ".");
    if (!total || !invoicing::FitsWidth(*total)) {
      refuse("its total cannot be read");
      continue;
    }

    // Every line of the master, collected before any copy is added beside them.
    const auto lines = blocks.lines ? inv::ReadInvoiceLines(blocks.lines, masterNumber)
                                    : std::optional<std::vector<inv::StoredRecord>>{std::in_place};
    if (!lines) return fail("The line file cannot be read " + StatusText() + ".");
    std::optional<common::RecordBuffer> memo;
    if (TrimBoth(ReadText(before, inv::kInvoiceType)) == "M") {
      std::int32_t memoRef = 0;
      if (!blocks.memos || !inv::FindMemo(blocks.memos, masterNumber, memoRef, prompter)) {
        if (blocks.memos && !engine::EngineOK) return fail("The memo file cannot be read " + StatusText() + ".");
        refuse("Memo data not added: the master's memo text is missing, so no invoice was generated from it");
        continue;
      }
      memo.emplace(inv::kMemoRecordLength);
      engine::GetRecord(blocks.memos, memoRef, std::span<std::uint8_t>(*memo));
      if (!engine::EngineOK) return fail("The memo file cannot be read " + StatusText() + ".");
      WriteText(*memo, inv::kMemoInvoiceNumber, number);
    }

    const std::string customerNumber = ReadText(before, inv::kCustomerNumber);
    const std::string customerKey = cu::ComparableText(customerNumber);
    auto found = customers.find(customerKey);
    if (found == customers.end()) {
      CustomerState state;
      const auto ref =
          blocks.customers ? cu::FindCustomerByNumber(blocks.customers, customerNumber, state.current) : std::nullopt;
      if (!ref) {
        if (!engine::EngineOK) return fail("The customer file cannot be read " + StatusText() + ".");
        refuse("its customer " + TrimBoth(customerNumber) + " is not on file");
        continue;
      }
      state.ref = *ref;
      found = customers.emplace(customerKey, std::move(state)).first;
    }
    common::RecordBuffer customerAfter = found->second.current;
    const invoicing::BalanceChange change{Money(), std::nullopt, *total, *date, dateText, Money(), number, false};
    if (!invoicing::ApplyToCustomer(customerAfter, change, today, limits->days.data(), format)) {
      refuse("the balance of customer " + TrimBoth(customerNumber) + " would not fit its field");
      continue;
    }

    // The master with its schedule advanced, and its copy as the new invoice.
    const year_month_day next = NextDueDate(*due, ReadText(before, inv::kRepeatUnit), *interval);
    common::RecordBuffer after = before;
    WriteText(after, inv::kNextDueDate, common::FormatDate(next, common::DateFormat::MonthFirst));
    WriteText(after, inv::kRepeatCount, std::to_string(*count + 1));
    common::RecordBuffer generated = after;
    WriteText(generated, inv::kInvoiceNumber, number);
    WriteText(generated, inv::kRecordKind, inv::kKindGenerated);
    inv::SetInvoiceDate(generated, dateText, format);
    WriteText(generated, inv::kNotes, options.reference);
    WriteText(generated, inv::kStatementNote, options.reference);
    WriteText(generated, inv::kPrintedFlag, "N");
    WriteText(generated, inv::kPaidFlag, " ");
    // A new invoice: nothing paid or e-mailed yet, whatever the master's copy of those says.
    WriteText(generated, inv::kPaidAmount, "0.00");
    WriteText(generated, inv::kDatePaid, "");
    WriteText(generated, inv::kEMailedDate, "");
    WriteText(generated, inv::kBalanceDue, common::Format0_00(*total));
    std::vector<common::RecordBuffer> lineCopies;
    for (const inv::StoredRecord& l : *lines) {
      common::RecordBuffer copy = l.record;
      WriteText(copy, inv::kLineInvoiceNumber, number);
      WriteText(copy, inv::kLineDateKey, ReadText(generated, inv::kDateKey));
      WriteText(copy, inv::kLineKind, inv::kKindGenerated);
      lineCopies.push_back(std::move(copy));
    }

    if (write) {
      // The new invoice whole first; then the master's schedule, then the customer.
      std::int32_t ref = 0;
      if (!inv::AddInvoice(blocks.invoices, generated, ref, prompter))
        return fail("Adding repeat header failed " + StatusText() + ".");
      if (memo && !inv::AddMemo(blocks.memos, *memo, ref, prompter))
        return fail("Adding memo record failed " + StatusText() + ".");
      for (const common::RecordBuffer& copy : lineCopies)
        if (!inv::AddLine(blocks.lines, copy, ref, prompter))
          return fail("Repeat detail add record failed " + StatusText() + ".");
      if (!inv::ModifyInvoice(blocks.invoices, after, before, master->ref, prompter))
        return fail("The schedule of master " + masterNumber + " could not be advanced " + StatusText() + ".");
      if (!records::ModifyKeyedRecord(blocks.customers, cu::CustomerFileKind(), found->second.ref, customerAfter,
                                      found->second.current, prompter))
        return fail("The balance of customer " + TrimBoth(customerNumber) + " could not be written " + StatusText() +
                    ".");
    }
    found->second.current = customerAfter;
    const bool monthly = TrimBoth(ReadText(before, inv::kRepeatUnit)) == "M";
    (monthly ? result.monthly : result.daily) += 1;
    result.total += *total;
    result.generated.push_back({masterNumber, number, TrimBoth(customerNumber),
                                TrimBoth(ReadText(before, inv::kShortName)), *total,
                                common::FormatDate(next, common::DateFormat::MonthFirst), monthly});
  }

  result.company = common::RecordBuffer(company.size());
  std::copy(company.begin(), company.end(), result.company.begin());
  if (!invoicing::ApplyToCompany(result.company, result.total, nullptr))
    return fail("The company balance would not fit its field with these invoices.");
  if (!result.generated.empty()) WriteText(result.company, co::kRepeatLastRun, dateText);
  result.ok = true;
  return result;
}

RepeatResult GenerateRepeat(std::span<const std::uint8_t> company, const std::vector<std::string>& masters,
                            const RepeatOptions& options, year_month_day today, common::Prompter& prompter) {
  const std::string number = TrimBoth(ReadText(company, co::kCompanyNumber));
  BillingChange change;
  RepeatResult result;
  if (!change.Begin(number, result.message)) return result;
  result = ApplyRepeat(change.Blocks(), company, masters, options, today, prompter, true);
  if (!result.ok || result.generated.empty()) {
    change.Abandon();
    return result;
  }
  result.ok = change.Finish(number, result.company, prompter, result.message, result.committedLate);
  if (!result.ok) result.generated.clear();
  return result;
}

RepeatResult PreviewRepeat(std::span<const std::uint8_t> company, const std::vector<std::string>& masters,
                           const RepeatOptions& options, year_month_day today, common::Prompter& prompter) {
  BillingReader reader;
  RepeatResult result;
  if (!reader.Open(TrimBoth(ReadText(company, co::kCompanyNumber)), result.message)) return result;
  return ApplyRepeat(reader.Blocks(), company, masters, options, today, prompter, false);
}

}  // namespace tf::billing
