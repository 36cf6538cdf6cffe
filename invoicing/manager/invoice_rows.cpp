#include "invoicing/manager/invoice_rows.h"

#include "browse/browse_source.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
using common::PadRight;
using common::ReadText;
using common::TrimBoth;

// Right-aligned in `width`; a longer text keeps every character.
std::string PadLeft(std::string_view text, std::size_t width) {
  return text.size() >= width ? std::string(text) : std::string(width - text.size(), ' ') + std::string(text);
}

// A stored amount as the list shows it; a text that is no amount shows as stored.
std::string Shown(std::string_view stored) {
  const auto amount = common::ParseAmount(common::RemoveCommas(stored));
  return amount ? common::FormatComma0_00(*amount) : TrimBoth(stored);
}

std::string Row(std::span<const std::uint8_t> r, std::string_view number, std::string_view shortName,
                const std::string amounts[3]) {
  return PadRight(PadRight(ReadText(r, inv::kDateKey), 10) + " " + PadRight(ReadText(r, inv::kRecordKind), 1) + " " +
                      PadRight(number, 9) + " " + PadRight(ReadText(r, inv::kCustomerNumber), 8) + " " +
                      PadRight(shortName, 10) + " " + PadLeft(amounts[0], 12) + " " + PadLeft(amounts[1], 12) + " " +
                      PadLeft(amounts[2], 12) + " " + PadRight(ReadText(r, inv::kKeyCode), 8) + " " +
                      PadRight(ReadText(r, inv::kDatePaid), 10) + " " + PadRight(ReadText(r, inv::kCompanyNumber), 5),
                  browse::kMaxRowText);
}

}  // namespace

std::string InvoiceListHeader() {
  return PadRight(PadRight("Year/Mo/Dy", 10) + " T " + PadRight("Invoice#", 9) + " " + PadRight("Cust#", 8) + " " +
                      PadRight("Short Name", 10) + " " + PadLeft("Grand Total", 12) + " " + PadLeft("Amount Due", 12) +
                      " " + PadLeft("Paid Amount", 12) + " " + PadRight("Key Code", 8) + " " +
                      PadRight("Date Paid", 10) + " CO#",
                  browse::kMaxRowText);
}

bool IsBadInvoiceRecord(std::span<const std::uint8_t> r) {
  return TrimBoth(ReadText(r, inv::kTotalAmount)).empty() || TrimBoth(ReadText(r, inv::kBalanceDue)).empty() ||
         TrimBoth(ReadText(r, inv::kPaidAmount)).empty();
}

std::string InvoiceRow(std::span<const std::uint8_t> r) {
  if (IsBadInvoiceRecord(r)) {
    const std::string zero[3] = {"0", "0", "0"};
    return Row(r, "DELETE ME", "BAD RECORD", zero);
  }
  const std::string amounts[3] = {Shown(ReadText(r, inv::kTotalAmount)), Shown(ReadText(r, inv::kBalanceDue)),
                                  Shown(ReadText(r, inv::kPaidAmount))};
  return Row(r, TrimBoth(ReadText(r, inv::kInvoiceNumber)), ReadText(r, inv::kShortName), amounts);
}

std::string UnreadableInvoiceRow(std::string_view key) {
  return PadRight("****  " + std::string(key), browse::kMaxRowText);
}

customers::QuickViewInvoice QuickViewInvoiceOf(std::span<const std::uint8_t> r, std::span<const std::uint8_t> company) {
  customers::QuickViewInvoice v;
  const std::string kind = TrimBoth(ReadText(r, inv::kRecordKind));
  v.type = inv::RecordKindText(r);
  std::string what = ReadText(r, inv::kInvoiceType) == "M" ? "(Memo Invoice)" : "(Product Invoice)";
  if (kind == inv::kKindDeposit || kind == inv::kKindPartialPayment) what = "(Payment Record)";
  if (kind == inv::kKindDepositTaken) what = "(Applied Deposit)";
  v.number = TrimBoth(ReadText(r, inv::kInvoiceNumber)) + "   " + what;
  v.date = TrimBoth(ReadText(r, inv::kInvoiceDate));
  if (kind == inv::kKindRepeatMaster) {
    // The next due date is always stored month first.
    std::string next = TrimBoth(ReadText(r, inv::kNextDueDate));
    if (TrimBoth(ReadText(company, records::company::kDateFormat)) == "D")
      next = common::RearrangeDateText(next, common::DateFormat::MonthFirst, common::DateFormat::DayFirst);
    v.date += "\n - Next Due: " + next;
    v.repeat = true;
  }
  const auto total = common::ParseAmount(common::RemoveCommas(ReadText(r, inv::kTotalAmount)), common::BlankAmount::Zero);
  const auto balance = common::ParseAmount(common::RemoveCommas(ReadText(r, inv::kBalanceDue)), common::BlankAmount::Zero);
  v.total = Shown(ReadText(r, inv::kTotalAmount));
  v.balanceDue = Shown(ReadText(r, inv::kBalanceDue));
  // A partly paid invoice keeps its entry's paid amount; what it has received shows in its balance.
  v.paid = kind == inv::kKindPartlyPaid && total && balance ? common::FormatComma0_00(*total - *balance)
                                                             : Shown(ReadText(r, inv::kPaidAmount));
  if (ReadText(r, inv::kPrintedFlag) == "Y") {
    v.printed = true;
    const std::string emailed = TrimBoth(ReadText(r, inv::kEMailedDate));
    v.printedText = emailed.size() > 2 ? "E-Mailed: " + emailed : "* Printed *";
  }
  return v;
}

}  // namespace tf::invoicing
