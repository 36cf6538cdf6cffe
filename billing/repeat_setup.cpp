#include "billing/repeat_setup.h"

#include <charconv>

#include "aging/aging_rules.h"
#include "billing/billing_change.h"
#include "common/money.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "invoicing/entry_numbers.h"
#include "invoicing/invoice_books.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::billing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using common::WriteText;

std::optional<int> Whole(std::string_view stored) {
  const std::string text = TrimBoth(stored);
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}


// Whether the company file holds `balance` for the current company: an update that failed only
// as its file was closed has written the record, and taking back the rest would then break the
// books. A company read from the file replaces the current one.
bool CompanyBalanceIs(records::CompanyBook& book, Money balance) {
  engine::FileBlockGuard companies;
  engine::OpenFileBlock(companies.handle(), co::kCompanyFileBlock, true);
  if (!engine::EngineOK) return false;
  const std::int32_t ref = records::FindCompany(companies.get(), ReadText(book.Current(), co::kCompanyNumber));
  common::RecordBuffer stored(co::kCompanyRecordLength);
  if (ref == 0) return false;
  engine::GetRecord(companies.get(), ref, std::span<std::uint8_t>(stored));
  if (!engine::EngineOK || common::StoredAmount(ReadText(stored, co::kCompanyBalance)) != balance) return false;
  std::copy(stored.begin(), stored.end(), book.Current().begin());
  return true;
}

}  // namespace

RepeatSetup::RepeatSetup(std::span<const std::uint8_t> record, common::DateFormat format)
    : record_(record.size()), format_(format) {
  std::copy(record.begin(), record.end(), record_.begin());
}

std::optional<RepeatSetup> RepeatSetup::Begin(std::span<const std::uint8_t> record,
                                              std::span<const std::uint8_t> company, common::Prompter& prompter) {
  const std::string kind = TrimBoth(ReadText(record, inv::kRecordKind));
  if (kind == inv::kKindInvoice && common::StoredAmount(ReadText(record, inv::kPaidAmount)) > Money()) {
    prompter.Inform(kPaymentActivity, kPaymentActivityCaption);
    return std::nullopt;
  }
  if (kind != inv::kKindInvoice && kind != inv::kKindRepeatMaster) {
    prompter.Inform(kWrongKind, kWrongKindCaption);
    return std::nullopt;
  }
  if (TrimBoth(ReadText(record, inv::kInvoiceNumber)).size() > 5) {
    prompter.Inform(kNumberTooLong, kNumberTooLongCaption);
    return std::nullopt;
  }
  const common::DateFormat format = common::DateFormatFromCode(ReadText(company, co::kDateFormat));
  RepeatSetup s(record, format);
  s.master_ = kind == inv::kKindRepeatMaster;
  s.count_ = Whole(ReadText(record, inv::kRepeatCount)).value_or(0);
  const std::string interval = TrimBoth(ReadText(record, inv::kRepeatInterval));
  s.numDays = interval.empty() ? "0" : interval;
  if (s.master_) {
    s.generate = true;
    const std::string due = ReadText(record, inv::kNextDueDate);
    s.endDate = format == common::DateFormat::DayFirst
                    ? common::RearrangeDateText(due, common::DateFormat::MonthFirst, common::DateFormat::DayFirst)
                    : due;
    s.months = TrimBoth(ReadText(record, inv::kRepeatUnit)) == "M";
  } else {
    s.generate = false;
    s.endDate = ReadText(record, inv::kInvoiceDate);
    s.months = true;
    s.numDays = "1";
  }
  return s;
}

std::string RepeatSetup::Label1() const { return "Invoice Number: " + TrimBoth(ReadText(record_, inv::kInvoiceNumber)); }

std::string RepeatSetup::Label2() const {
  const std::string d = ReadText(record_, inv::kInvoiceDay), m = ReadText(record_, inv::kInvoiceMonth),
                    y = ReadText(record_, inv::kInvoiceYear);
  return format_ == common::DateFormat::DayFirst ? d + "/" + m + "/" + y : m + "/" + d + "/" + y;
}

std::string RepeatSetup::Label3() const {
  return "Short Name: " + ReadText(record_, inv::kShortName) + "      Customer#: " + ReadText(record_, inv::kCustomerNumber);
}

std::string RepeatSetup::Label8() const {
  return count_ < 1 ? std::string() : "Invoices Generated to Date: " + std::to_string(count_);
}

std::optional<RepeatSetup::Field> RepeatSetup::Check(common::Prompter& prompter) const {
  if (TrimBoth(numDays).empty()) {
    prompter.Inform(kNeedInterval, kIntervalCaption);
    return Field::NumDays;
  }
  const auto n = Whole(numDays);
  if (!n || *n < 0 || TrimBoth(numDays).size() > inv::kRepeatInterval.capacity) {
    prompter.Inform(kIntervalNotNumber, kIntervalCaption);
    return Field::NumDays;
  }
  if (generate && *n < 1) {
    prompter.Inform(kNeedInterval, kIntervalCaption);
    return Field::NumDays;
  }
  if (endDate.size() < 10 || !common::ParseDate(endDate, format_)) {
    prompter.Inform(kInvalidStartDate, kStartDateCaption);
    return Field::EndDate;
  }
  return std::nullopt;
}

common::RecordBuffer RepeatSetup::Record() const {
  common::RecordBuffer r = record_;
  WriteText(r, inv::kRecordKind, inv::kKindRepeatMaster);
  WriteText(r, inv::kRepeatInterval, std::to_string(Whole(numDays).value_or(0)));
  WriteText(r, inv::kRepeatUnit, months ? "M" : "D");
  if (TrimBoth(ReadText(r, inv::kRepeatCount)).empty()) WriteText(r, inv::kRepeatCount, "0");
  WriteText(r, inv::kBalanceDue, "0.00");
  if (const auto due = common::ParseDate(endDate, format_))
    WriteText(r, inv::kNextDueDate, common::FormatDate(*due, common::DateFormat::MonthFirst));
  return r;
}

std::string SaveRepeatSetup(const SetupFiles& files, const RepeatSetup& setup, records::CompanyBook& book,
                            common::Prompter& prompter, engine::RebuildStatus& status, std::chrono::year_month_day today) {
  const common::RecordBuffer& before = setup.AsRead();
  const common::RecordBuffer after = setup.Record();
  if (!setup.Converting()) {
    // A master's schedule alone: no money moves.
    if (!inv::ModifyInvoice(files.invoices, after, before, files.ref, prompter))
      return "Modify operation failed " + StatusText() + ". The schedule was not changed.";
    return {};
  }

  // 1. Every balance the conversion moves, before anything is written.
  const Money open = common::StoredAmount(ReadText(before, inv::kBalanceDue));
  const auto date = inv::InvoiceDateOf(before);
  const auto limits = aging::ReadAgingLimits(book.Current());
  if (!date || !limits) return "The invoice date or the company's aging days cannot be read. Nothing was changed.";
  engine::FileBlockGuard customers;
  const std::string company = TrimBoth(ReadText(book.Current(), co::kCompanyNumber));
  if (!cu::OpenCustomerFile(customers.handle(), company, prompter, status))
    return "The customer file cannot be opened " + StatusText() + ". Nothing was changed.";
  common::RecordBuffer customerBefore = cu::NewCustomerRecord();
  const auto customerRef =
      cu::FindCustomerByNumber(customers.get(), ReadText(before, inv::kCustomerNumber), customerBefore);
  if (!customerRef)
    return engine::EngineOK ? std::string(invoicing::kCustomerMissing)
                            : "The customer file cannot be read " + StatusText() + ". Nothing was changed.";
  common::RecordBuffer customerAfter = customerBefore;
  const common::DateFormat format = common::DateFormatFromCode(ReadText(book.Current(), co::kDateFormat));
  const invoicing::BalanceChange change{open, date, Money(), *date, ReadText(before, inv::kInvoiceDate), Money(), "", false};
  const Money companyBalance = common::StoredAmount(ReadText(book.Current(), co::kCompanyBalance)) - open;
  if (!invoicing::ApplyToCustomer(customerAfter, change, today, limits->days.data(), format) ||
      !invoicing::FitsWidth(companyBalance))
    return "The balances would not fit their fields. Nothing was changed.";

  // 2. The master, 3. the customer, 4. the company; each failure takes back what came before.
  if (!inv::ModifyInvoice(files.invoices, after, before, files.ref, prompter))
    return "Modify operation failed " + StatusText() + ". Nothing was changed.";
  bool undoFailed = false;
  auto undoMaster = [&] { undoFailed |= !inv::ModifyInvoice(files.invoices, before, after, files.ref, prompter); };
  if (!records::ModifyKeyedRecord(customers.get(), cu::CustomerFileKind(), *customerRef, customerAfter, customerBefore,
                                  prompter)) {
    const std::string why = StatusText();
    undoMaster();
    return "The customer's balance could not be written " + why + ", so the invoice was left as it was." +
           (undoFailed ? std::string(invoicing::kUndoFailed) : std::string());
  }
  customers.Close();
  bool companyWritten = book.UpdateCurrentCompany(
      [&](std::span<std::uint8_t> work) { invoicing::ApplyToCompany(work, -open, nullptr); }, prompter, status);
  if (!companyWritten) companyWritten = CompanyBalanceIs(book, companyBalance);
  if (!companyWritten) {
    const std::string why = StatusText();
    if (cu::OpenCustomerFile(customers.handle(), company, prompter, status))
      undoFailed |= !records::ModifyKeyedRecord(customers.get(), cu::CustomerFileKind(), *customerRef, customerBefore,
                                                customerAfter, prompter);
    else
      undoFailed = true;
    undoMaster();
    return "The company balance could not be written " + why + ", so the invoice was left as it was." +
           (undoFailed ? std::string(invoicing::kUndoFailed) : std::string());
  }

  // 5. The lines become the master's.
  const auto lines = inv::ReadInvoiceLines(files.lines, ReadText(before, inv::kInvoiceNumber));
  int failed = 0;
  if (lines) {
    for (const inv::StoredRecord& l : *lines) {
      common::RecordBuffer marked = l.record;
      WriteText(marked, inv::kLineKind, inv::kKindRepeatMaster);
      if (!inv::ModifyLine(files.lines, marked, l.record, l.ref, prompter)) ++failed;
    }
  }
  if (!lines || failed)
    return "The master is set up, but " + (lines ? std::to_string(failed) + " of its lines" : std::string("its lines")) +
           " could not be marked as a master's " + StatusText() + ".";
  return {};
}

}  // namespace tf::billing
