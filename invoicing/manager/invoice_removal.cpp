#include "invoicing/manager/invoice_removal.h"

#include <algorithm>

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "invoicing/entry_numbers.h"
#include "invoicing/invoice_books.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;

const std::string kUndoFailedNote =
    " What was already changed could not all be taken back: run the books check.";

}  // namespace

Money CarriedBalance(std::span<const std::uint8_t> invoice) {
  if (TrimBoth(ReadText(invoice, inv::kRecordKind)) == inv::kKindRepeatMaster) return Money();
  return common::ParseAmount(common::RemoveCommas(ReadText(invoice, inv::kBalanceDue)), common::BlankAmount::Zero)
      .value_or(Money());
}

RemovalOutcome RemoveInvoice(const RemovalFiles& files, std::span<const std::uint8_t> record, std::int32_t ref,
                             records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
                             const common::Clock& clock) {
  RemovalOutcome outcome;
  const std::string number = TrimBoth(ReadText(record, inv::kInvoiceNumber));
  const Money open = CarriedBalance(record);
  const auto date = inv::InvoiceDateOf(record);
  const int agingDays[3] = {std::atoi(ReadText(book.Current(), co::kAgingDays1).c_str()),
                            std::atoi(ReadText(book.Current(), co::kAgingDays2).c_str()),
                            std::atoi(ReadText(book.Current(), co::kAgingDays3).c_str())};
  const common::DateFormat format = common::DateFormatFromCode(TrimBoth(ReadText(book.Current(), co::kDateFormat)));

  // 1. The balances after the delete, worked out before anything is written.
  common::RecordBuffer customerBefore = cu::NewCustomerRecord();
  std::optional<std::int32_t> customerRef;
  common::RecordBuffer customerAfter = customerBefore;
  if (!open.IsZero()) {
    customerRef = cu::FindCustomerByNumber(files.customers, ReadText(record, inv::kCustomerNumber), customerBefore);
    if (!customerRef && !engine::EngineOK) {
      outcome.failure = kDeleteFailed;
      return outcome;
    }
    customerAfter = customerBefore;
    // An unreadable date cannot say which aging amount holds the balance: the balance alone
    // moves, and the next aging run puts the amounts right.
    const BalanceChange change{open, date, Money(), date.value_or(clock.Today()), "", Money(), "", false};
    common::RecordBuffer company(co::kCompanyRecordLength);
    std::copy(book.Current().begin(), book.Current().end(), company.begin());
    if ((customerRef && !ApplyToCustomer(customerAfter, change, clock.Today(), agingDays, format)) ||
        !ApplyToCompany(company, -open, nullptr)) {
      outcome.failure = std::string(kDeleteFailed) + ": " + std::string(kBalanceTooLarge);
      return outcome;
    }
  }

  // 2. The record.
  if (!inv::DeleteInvoice(files.invoices, record, ref, prompter)) {
    outcome.failure = kDeleteFailed;
    return outcome;
  }

  // 3. At once its balances: the customer, then the company. A balance that cannot be written
  // puts the record back.
  if (!open.IsZero()) {
    bool undoFailed = false;
    auto restore = [&] {
      std::int32_t newRef = 0;
      undoFailed |= !inv::AddInvoice(files.invoices, record, newRef, prompter);
    };
    if (customerRef && !records::ModifyKeyedRecord(files.customers, cu::CustomerFileKind(), *customerRef, customerAfter,
                                                   customerBefore, prompter)) {
      restore();
      outcome.failure = std::string(kDeleteFailed) + ": the customer's balance could not be lowered, so invoice " +
                        number + " was kept." + (undoFailed ? kUndoFailedNote : "");
      return outcome;
    }
    bool fits = true;
    const common::RecordBuffer companyBefore = [&] {
      common::RecordBuffer r(co::kCompanyRecordLength);
      std::copy(book.Current().begin(), book.Current().end(), r.begin());
      return r;
    }();
    bool companyWritten = book.UpdateCurrentCompany(
        [&](std::span<std::uint8_t> work) { fits = ApplyToCompany(work, -open, nullptr); }, prompter, status);
    if (!companyWritten && fits &&
        !std::equal(companyBefore.begin(), companyBefore.end(), book.Current().begin())) {
      // The record was rewritten and only closing the file failed: the balance is lowered.
      companyWritten = true;
      outcome.problems.push_back("The company file could not be closed properly (engine status " +
                                 std::to_string(engine::EngineStatus) + "); run the books check.");
    }
    if (!companyWritten || !fits) {
      if (customerRef)
        undoFailed |= !records::ModifyKeyedRecord(files.customers, cu::CustomerFileKind(), *customerRef, customerBefore,
                                                  customerAfter, prompter);
      restore();
      outcome.failure = std::string(kDeleteFailed) + ": the company balance could not be lowered, so invoice " +
                        number + " was kept." + (undoFailed ? kUndoFailedNote : "");
      return outcome;
    }
    if (!customerRef)
      outcome.problems.push_back("The customer " + TrimBoth(ReadText(record, inv::kCustomerNumber)) +
                                 " of invoice " + number + " is not on file: no customer balance was lowered.");
  }
  outcome.deleted = true;

  // 4. The body, unless another record still carries the number (its lines are its own then).
  const bool memo = ReadText(record, inv::kInvoiceType) == "M";
  const auto others = inv::ReadInvoiceRecords(files.invoices, number);
  if (others && others->empty()) {
    if (const auto lines = inv::ReadInvoiceLines(files.lines, number)) {
      for (const inv::StoredRecord& line : *lines) {
        if (!inv::DeleteLine(files.lines, line.record, line.ref, prompter)) {
          outcome.problems.emplace_back(kDeleteLinesFailed);
          break;
        }
        ++outcome.lines;
      }
    } else {
      outcome.problems.emplace_back(kDeleteLinesFailed);
    }
    if (memo) {
      std::int32_t memoRef = 0;
      if (inv::FindMemo(files.memos, number, memoRef, prompter)) {
        common::RecordBuffer memoRecord(inv::kMemoRecordLength);
        engine::GetRecord(files.memos, memoRef, std::span<std::uint8_t>(memoRecord));
        if (!engine::EngineOK || !inv::DeleteMemo(files.memos, memoRecord, memoRef, prompter))
          outcome.problems.emplace_back(kDeleteMemoFailed);
      } else if (engine::EngineOK) {
        outcome.memoMissing = true;
      } else {
        outcome.problems.emplace_back(kDeleteMemoFailed);
      }
    }
  }
  outcome.status = memo ? "Deleted memo invoice " + number + "."
                        : "Deleted invoice " + number + " containing " + std::to_string(outcome.lines) +
                              " line item(s).";
  return outcome;
}

}  // namespace tf::invoicing
