#include "billing/interest_run.h"

#include <algorithm>
#include <charconv>
#include <tuple>

#include "aging/aging_rules.h"
#include "common/money_format.h"
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
#include "records/walk_by_key.h"

namespace tf::billing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using common::WriteText;


common::DateFormat FormatOf(std::span<const std::uint8_t> company) {
  return common::DateFormatFromCode(ReadText(company, co::kDateFormat));
}

// Interest invoices carry the letter "I" in their number (invoice entry refuses it in the
// numbers it is given), also once a partial payment made them "Z".
bool IsInterestInvoice(std::span<const std::uint8_t> record) {
  const std::string kind = TrimBoth(ReadText(record, inv::kRecordKind));
  if (kind != inv::kKindInvoice && kind != inv::kKindPartlyPaid) return false;
  return common::UpperCase(TrimBoth(ReadText(record, inv::kInvoiceNumber))).find('I') != std::string::npos;
}

// What a customer owes in the categories the age option charges, less (unless included) its
// open interest invoices of those categories; never below zero.
std::optional<Money> OverdueOf(std::span<const std::uint8_t> customer, const BillingBlocks& blocks,
                               const InterestOptions& options, const aging::AgingLimits& limits,
                               std::chrono::year_month_day today) {
  const int first = std::clamp(options.ageOption, 0, 2) + 1;
  Money overdue;
  for (int k = first; k < aging::kCategories; ++k) overdue += common::StoredAmount(ReadText(customer, cu::kAgingAmount[k]));
  if (overdue <= Money() || options.interestOnInterest || !blocks.invoices) return overdue;
  const auto records = inv::ReadCustomerInvoices(blocks.invoices, ReadText(customer, cu::kCustomerNumber));
  if (!records) return std::nullopt;
  for (const inv::StoredRecord& r : *records) {
    if (!IsInterestInvoice(r.record)) continue;
    const aging::RecordAge age = aging::AgeInvoiceRecord(r.record, today, limits);
    if (age.state == aging::RecordState::Open && age.category >= first) overdue -= age.balance;
  }
  return std::max(overdue, Money());
}

std::string LineText(const std::string& charge) {
  return common::PadRight("1", 10) + common::PadRight(kInterestCharges, 32) + common::PadRight(charge, 10) + "N" +
         common::PadRight(charge, 10);
}

// A text typed for a field of `capacity` characters: refused rather than cut.
std::optional<std::string> TooLong(std::string_view what, const std::string& text, std::size_t capacity) {
  if (text.size() <= capacity) return std::nullopt;
  return "The " + std::string(what) + " has " + std::to_string(text.size()) + " characters; it holds at most " +
         std::to_string(capacity) + ". No interest invoices were created.";
}

}  // namespace

InterestOptions LoadInterestOptions(std::span<const std::uint8_t> company, std::chrono::year_month_day today) {
  InterestOptions o;
  const std::string category = TrimBoth(ReadText(company, co::kInterestAgingCategory));
  o.ageOption = category == "6" ? 1 : category == "9" ? 2 : 0;
  const std::string percent = TrimBoth(ReadText(company, co::kInterestPercent));
  // Only a company that never ran the wizard takes the defaults: a rate of "2" or a minimum of
  // "5" it chose stays what it chose.
  o.percent = percent.empty() ? "1.50" : percent;
  const std::string minimum = TrimBoth(ReadText(company, co::kInterestMinimum));
  o.minimum = minimum.empty() ? ".10" : minimum;
  o.markPrinted = common::ReadBool(company, co::kInterestMarkPrinted);
  o.terms = ReadText(company, co::kInterestTerms);
  o.invoiceDate = common::FormatDate(today, FormatOf(company));
  return o;
}

void RememberInterestOptions(std::span<std::uint8_t> company, const InterestOptions& options) {
  static constexpr const char* kCategory[3] = {"3", "6", "9"};
  WriteText(company, co::kInterestAgingCategory, kCategory[std::clamp(options.ageOption, 0, 2)]);
  WriteText(company, co::kInterestPercent, common::Cut(options.percent, 5));
  WriteText(company, co::kInterestMinimum, common::Cut(options.minimum, 5));
  common::WriteBool(company, co::kInterestMarkPrinted, options.markPrinted);
  WriteText(company, co::kInterestTerms, options.terms);
  WriteText(company, co::kInterestLastRun, options.invoiceDate);
}

std::string AgeOptionCaption(std::span<const std::uint8_t> company, int ageOption) {
  static constexpr common::TextField kDays[3] = {co::kAgingDays1, co::kAgingDays2, co::kAgingDays3};
  return "Over " + TrimBoth(ReadText(company, kDays[std::clamp(ageOption, 0, 2)])) + " Days";
}

std::optional<Refusal> CheckFlatRate(std::string_view typed) {
  if (typed.find('-') != std::string_view::npos)
    return Refusal{std::string(kNegativeFlatRate), std::string(kNegativeFlatRateCaption)};
  if (TrimBoth(typed).empty()) return std::nullopt;
  if (!common::ParseTypedAmount(typed))
    return Refusal{std::string(kFlatRateNotNumeric), std::string(kFlatRateNotNumericCaption)};
  return std::nullopt;
}

InterestScan ScanInterest(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                          const InterestOptions& options, std::chrono::year_month_day today) {
  InterestScan scan;
  Money rate, minimum, flat;
  if (options.flatFee) {
    if (auto refusal = CheckFlatRate(options.flatRate)) {
      scan.refusal = refusal;
      return scan;
    }
    flat = common::ParseTypedAmount(options.flatRate, common::BlankAmount::Zero).value_or(Money()).Rounded(2);
    if (flat.IsZero()) {
      scan.refusal = Refusal{std::string(kNoFlatRate), std::string(kNoFlatRateCaption)};
      return scan;
    }
  } else {
    const auto r = common::ParseTypedAmount(options.percent);
    const auto m = common::ParseTypedAmount(options.minimum, common::BlankAmount::Zero);
    if (!r || r->IsNegative()) {
      scan.refusal = Refusal{"The monthly percentage rate must be a number of zero or more.", "Interest Rate"};
      return scan;
    }
    if (!m || m->IsNegative()) {
      scan.refusal = Refusal{"The minimum interest charge must be an amount of zero or more.", "Minimum Charge"};
      return scan;
    }
    rate = *r;
    minimum = *m;
  }
  const auto limits = aging::ReadAgingLimits(company);
  if (!limits) {
    scan.refusal = Refusal{std::string(aging::kBadAgingDays), std::string(kInterestWizardCaption)};
    return scan;
  }
  if (!blocks.customers) {
    scan.ok = true;
    return scan;
  }
  bool readable = true;
  const bool walked = records::WalkByKey(blocks.customers, cu::CustomerFileKind(), cu::kKeyByName,
                                         [&](std::span<const std::uint8_t> customer) {
    if (!readable) return;
    const auto overdue = OverdueOf(customer, blocks, options, *limits, today);
    if (!overdue) {
      readable = false;
      return;
    }
    if (*overdue <= Money()) return;
    // Rounded to cents here, so the minimum, the totals and the invoices all see one amount.
    const Money charge = options.flatFee ? flat : common::PercentOf(*overdue, rate, 2);
    if (charge <= Money() || charge < minimum) return;
    scan.rows.push_back({TrimBoth(ReadText(customer, cu::kCustomerName)), TrimBoth(ReadText(customer, cu::kCustomerNumber)),
                         *overdue, charge, {}});
    scan.totalOverdue += *overdue;
    scan.totalCharge += charge;
  });
  if (!walked || !readable) {
    scan.rows.clear();
    scan.refusal = Refusal{"The customer or invoice file cannot be read through " + StatusText() +
                               ". Run Rebuild Data Files, then scan again.",
                           std::string(kInterestWizardCaption)};
    return scan;
  }
  scan.ok = true;
  return scan;
}

InterestStart InterestNumbering(std::span<const std::uint8_t> company) {
  const std::string text = TrimBoth(ReadText(company, co::kNextInvoiceNumber));
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < 0)
    return {std::nullopt, "The next invoice number \"" + text +
                              "\" is not a whole number, so interest invoices cannot be numbered after it. "
                              "Set it in the company options first. No interest invoices were created."};
  return {n, {}};
}

std::optional<std::string> SameMonthQuestion(std::span<const std::uint8_t> company, const InterestOptions& options) {
  const common::DateFormat format = FormatOf(company);
  const std::string last = TrimBoth(ReadText(company, co::kInterestLastRun));
  const auto lastDate = common::ParseDate(last, format);
  const auto date = common::ParseDate(options.invoiceDate, format);
  if (!lastDate || !date || lastDate->year() != date->year() || lastDate->month() != date->month())
    return std::nullopt;
  return "Interest invoices dated " + last +
         " were already created for this month. Do you want to create interest invoices again?";
}

InterestResult ApplyInterest(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                             const std::vector<InterestRow>& rows, const InterestOptions& options,
                             std::chrono::year_month_day today, common::Prompter& prompter, bool write) {
  InterestResult result;
  const common::DateFormat format = FormatOf(company);
  const auto date = common::ParseDate(options.invoiceDate, format);
  if (!date) {
    result.message = kInvalidInvoiceDate;
    return result;
  }
  for (auto [what, text, capacity] : {std::tuple{"invoice comment", &options.comments, inv::kNotes.capacity},
                                      std::tuple{"statement note", &options.statementNote, inv::kStatementNote.capacity},
                                      std::tuple{"payment terms text", &options.terms, inv::kTerms.capacity}}) {
    if (auto refusal = TooLong(what, *text, capacity)) {
      result.message = *refusal;
      return result;
    }
  }
  const InterestStart start = InterestNumbering(company);
  const auto limits = aging::ReadAgingLimits(company);
  if (!start.next || !limits) {
    result.message = start.next ? std::string(aging::kBadAgingDays) : start.refusal;
    return result;
  }
  const std::string dateText = common::FormatDate(*date, format);
  const std::string companyNumber = TrimBoth(ReadText(company, co::kCompanyNumber));
  std::int64_t n = *start.next;
  std::int64_t lastUsed = -1;
  auto fail = [&](std::string message) {
    result.message = std::move(message);
    result.rows.clear();
    return result;
  };
  for (const InterestRow& row : rows) {
    // The next number of the sequence that no invoice record carries yet.
    std::string number;
    for (;; ++n) {
      number = std::to_string(n) + "I";
      if (number.size() > inv::kInvoiceNumberWidth)
        return fail("The interest invoice number " + number + " would not fit the " +
                    std::to_string(inv::kInvoiceNumberWidth) +
                    " characters of an invoice number. No interest invoices were created.");
      std::int32_t found = 0;
      if (!blocks.invoices || !inv::FindInvoice(blocks.invoices, number, found, prompter)) {
        if (blocks.invoices && !engine::EngineOK)
          return fail("The invoice file cannot be read " + StatusText() + ". No interest invoices were created.");
        break;
      }
    }
    if (!invoicing::FitsWidth(row.charge))
      return fail("The charge of customer " + row.number + " does not fit an invoice. No interest invoices were created.");
    common::RecordBuffer customer = cu::NewCustomerRecord();
    const auto customerRef =
        blocks.customers ? cu::FindCustomerByNumber(blocks.customers, row.number, customer) : std::nullopt;
    if (!customerRef)
      return fail(engine::EngineOK ? "Customer " + row.number + " is no longer on file. No interest invoices were created."
                                   : "The customer file cannot be read " + StatusText() +
                                         ". No interest invoices were created.");
    const std::string charge = common::Format0_00(row.charge);
    const std::string shortName = ReadText(customer, cu::kShortName);

    common::RecordBuffer invoice(inv::kInvoiceRecordLength);
    WriteText(invoice, inv::kInvoiceNumber, number);
    WriteText(invoice, inv::kRecordKind, inv::kKindInvoice);
    WriteText(invoice, inv::kKeyCode, "Interest");
    WriteText(invoice, inv::kCustomerNumber, ReadText(customer, cu::kCustomerNumber));
    WriteText(invoice, inv::kCompanyNumber, companyNumber);
    inv::SetInvoiceDate(invoice, dateText, format);
    WriteText(invoice, inv::kPrintedFlag, options.markPrinted ? "Y" : "");
    WriteText(invoice, inv::kNotes, options.comments);
    WriteText(invoice, inv::kTerms, options.terms);
    WriteText(invoice, inv::kStatementNote, options.statementNote);
    WriteText(invoice, inv::kInvoiceType, "P");
    WriteText(invoice, inv::kShortName, shortName);
    for (common::TextField f : {inv::kNetAmount, inv::kTotalAmount, inv::kBalanceDue}) WriteText(invoice, f, charge);
    for (common::TextField f : {inv::kTaxAmount, inv::kPaidAmount}) WriteText(invoice, f, "0.00");

    common::RecordBuffer line(inv::kLineRecordLength);
    WriteText(line, inv::kLineCompanyNumber, companyNumber);
    WriteText(line, inv::kLineInvoiceNumber, number);
    WriteText(line, inv::kLineDateKey, ReadText(invoice, inv::kDateKey));
    WriteText(line, inv::kLineKind, "P");
    WriteText(line, inv::kLineCustomerNumber, ReadText(customer, cu::kCustomerNumber));
    WriteText(line, inv::kLineShortName, shortName);
    WriteText(line, inv::kLineProductCode, "Interest");
    WriteText(line, inv::kLineText, LineText(charge));

    common::RecordBuffer after = customer;
    const invoicing::BalanceChange change{Money(), std::nullopt, row.charge, *date, dateText, Money(), number, false};
    if (!invoicing::ApplyToCustomer(after, change, today, limits->days.data(), format))
      return fail("The balance of customer " + row.number +
                  " would not fit its field with this charge. No interest invoices were created.");

    if (write) {
      // The invoice and its line first; the customer is charged only once they are written.
      std::int32_t ref = 0;
      if (!inv::AddInvoice(blocks.invoices, invoice, ref, prompter))
        return fail("Add Late Fee Failed. " + StatusText() + " No interest invoices were created.");
      if (!inv::AddLine(blocks.lines, line, ref, prompter))
        return fail("TDtl add failed. " + StatusText() + " No interest invoices were created.");
      if (!records::ModifyKeyedRecord(blocks.customers, cu::CustomerFileKind(), *customerRef, after, customer, prompter))
        return fail("The balance of customer " + row.number + " could not be written " + StatusText() +
                    ". No interest invoices were created.");
    }
    InterestRow done = row;
    done.invoiceNumber = number;
    result.rows.push_back(done);
    result.total += row.charge;
    lastUsed = n;
    ++n;
  }

  result.company = common::RecordBuffer(company.size());
  std::copy(company.begin(), company.end(), result.company.begin());
  if (!invoicing::ApplyToCompany(result.company, result.total, nullptr))
    return fail("The company balance would not fit its field with these charges. No interest invoices were created.");
  if (lastUsed >= 0) {
    WriteText(result.company, co::kNextInvoiceNumber, std::to_string(n));
    WriteText(result.company, co::kLastInvoiceNumber, std::to_string(lastUsed));
  }
  RememberInterestOptions(result.company, options);
  result.ok = true;
  return result;
}

InterestResult GenerateInterest(std::span<const std::uint8_t> company, const std::vector<InterestRow>& rows,
                                const InterestOptions& options, std::chrono::year_month_day today,
                                common::Prompter& prompter) {
  const std::string number = TrimBoth(ReadText(company, co::kCompanyNumber));
  BillingChange change;
  InterestResult result;
  if (!change.Begin(number, result.message)) return result;
  result = ApplyInterest(change.Blocks(), company, rows, options, today, prompter, true);
  if (!result.ok) {
    change.Abandon();
    return result;
  }
  result.ok = change.Finish(number, result.company, prompter, result.message, result.committedLate);
  if (!result.ok) result.rows.clear();
  return result;
}

InterestResult PreviewInterest(std::span<const std::uint8_t> company, const std::vector<InterestRow>& rows,
                               const InterestOptions& options, std::chrono::year_month_day today,
                               common::Prompter& prompter) {
  BillingReader reader;
  InterestResult result;
  if (!reader.Open(TrimBoth(ReadText(company, co::kCompanyNumber)), result.message)) return result;
  return ApplyInterest(reader.Blocks(), company, rows, options, today, prompter, false);
}

}  // namespace tf::billing
