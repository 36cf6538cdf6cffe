#include "payments/payment_books.h"

#include <algorithm>

#include "aging/aging_scan.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"

namespace tf::payments {
namespace {

namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;
using common::ReadText;
using common::RecordBuffer;
using common::WriteText;

using aging::kAmountWidth;
using aging::kCustomerBalanceWidth;
bool Fits(Money amount, std::size_t width) { return aging::FitsField(amount, width); }

std::optional<Money> Amount(std::string_view text) { return common::ParseAmount(text, common::BlankAmount::Zero); }

Money BalanceOf(std::span<const std::uint8_t> invoice) {
  return Amount(ReadText(invoice, inv::kBalanceDue)).value_or(Money());
}

void CloseIfOpen(engine::FileBlock*& handle) {
  if (handle) engine::CloseFileBlock(handle);
  handle = nullptr;
}

bool Settled(std::span<const std::uint8_t> invoice) { return ReadText(invoice, inv::kPaidFlag) == "P"; }

// One record the post wrote, and what it was before.
struct Change {
  bool added = false;
  std::int32_t ref = 0;
  RecordBuffer before{inv::kInvoiceRecordLength};  // a modify's record as it was
  RecordBuffer after{inv::kInvoiceRecordLength};   // as written
};

// The records one item (or the whole post) wrote, in order, with the balance they moved.
class Writer {
 public:
  Writer(engine::FileBlock* invoices, common::Prompter& prompter) : invoices_(invoices), prompter_(prompter) {}

  bool Add(const RecordBuffer& record) {
    Change c;
    c.added = true;
    c.after = record;
    if (!inv::AddInvoice(invoices_, record, c.ref, prompter_)) return false;
    changes_.push_back(std::move(c));
    return true;
  }
  bool Modify(const RecordBuffer& after, const RecordBuffer& before, std::int32_t ref) {
    if (!inv::ModifyInvoice(invoices_, after, before, ref, prompter_)) return false;
    changes_.push_back({false, ref, before, after});
    return true;
  }
  // What the records written moved the customer's open balance by.
  Money Delta() const {
    Money delta;
    for (const Change& c : changes_) delta += BalanceOf(c.after) - (c.added ? Money() : BalanceOf(c.before));
    return delta;
  }
  void Append(Writer& other) {
    for (Change& c : other.changes_) changes_.push_back(std::move(c));
    other.changes_.clear();
  }
  bool Empty() const { return changes_.empty(); }
  // Takes back every change, newest first; false when one of them could not be.
  bool Undo() {
    bool ok = true;
    for (auto c = changes_.rbegin(); c != changes_.rend(); ++c)
      ok &= c->added ? inv::DeleteInvoice(invoices_, c->after, c->ref, prompter_)
                     : inv::ModifyInvoice(invoices_, c->before, c->after, c->ref, prompter_);
    changes_.clear();
    return ok;
  }

 private:
  engine::FileBlock* invoices_;
  common::Prompter& prompter_;
  std::vector<Change> changes_;
};


}  // namespace

PaymentBooks::PaymentBooks(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
                           const common::Clock& clock)
    : book_(book), prompter_(prompter), status_(status), clock_(clock) {}

PaymentBooks::~PaymentBooks() { Close(); }

bool PaymentBooks::Open() {
  Close();
  const std::string company = common::TrimBoth(ReadText(book_.Current(), co::kCompanyNumber));
  if (cu::OpenCustomerFile(customers_, company, prompter_, status_) &&
      records::OpenCompanyFile(companies_, prompter_, status_) &&
      inv::OpenInvoiceFile(invoices_, company, prompter_, status_))
    return true;
  Close();
  return false;
}

void PaymentBooks::Close() {
  CloseIfOpen(invoices_);
  CloseIfOpen(customers_);
  CloseIfOpen(companies_);
}

void PaymentBooks::ReleaseShared() {
  CloseIfOpen(companies_);
  CloseIfOpen(customers_);
}

bool PaymentBooks::TakeShared() {
  const std::string company = common::TrimBoth(ReadText(book_.Current(), co::kCompanyNumber));
  if (!customers_ && !cu::OpenCustomerFile(customers_, company, prompter_, status_)) return false;
  return companies_ || records::OpenCompanyFile(companies_, prompter_, status_);
}

std::optional<RecordBuffer> PaymentBooks::FindCustomer(std::string_view number) {
  RecordBuffer record = cu::NewCustomerRecord();
  if (!TakeShared() || !cu::FindCustomerByNumber(customers_, number, record)) return std::nullopt;
  return record;
}

std::optional<std::vector<PaymentItem>> PaymentBooks::OpenItems(std::string_view customerNumber,
                                                                 common::DateFormat format,
                                                                 std::vector<std::string>& unreadable) {
  if (!invoices_) return std::nullopt;
  const auto records = inv::ReadCustomerInvoices(invoices_, customerNumber);
  if (!records) return std::nullopt;
  std::vector<PaymentItem> items;
  for (const inv::StoredRecord& r : *records) {
    if (Settled(r.record) || ReadText(r.record, inv::kRecordKind) == inv::kKindRepeatMaster) continue;
    if (auto item = ItemOfRecord(r.record, format))
      items.push_back(*item);
    else
      unreadable.push_back(common::TrimBoth(ReadText(r.record, inv::kInvoiceNumber)));
  }
  SortByText(items);
  return items;
}

std::optional<std::string> PaymentBooks::NextDepositNumber() {
  for (long n = long(engine::UsedRecords(invoices_)) + 1;; ++n) {
    if (!engine::EngineOK) return std::nullopt;
    const std::string number = "DP" + std::to_string(n);
    if (number.size() > inv::kInvoiceNumberWidth) return std::nullopt;
    std::int32_t ref = 0;
    if (inv::FindInvoice(invoices_, number, ref, prompter_)) continue;
    if (!engine::EngineOK) return std::nullopt;
    return number;
  }
}

namespace {

// What every record a post writes shares.
struct PostContext {
  const PostRequest& request;
  std::string customerNumber;  // as the customer record stores it
  std::string shortName;
  std::string companyNumber;
  common::DateFormat format;
  std::string payKey;  // the payment date as "yyyy/mm/dd"
};

// The records of `number` that belong to the customer, in key 1 order.
std::optional<std::vector<inv::StoredRecord>> RecordsOf(engine::FileBlock* invoices, const std::string& number,
                                                        const std::string& customerNumber) {
  auto records = inv::ReadInvoiceRecords(invoices, number);
  if (!records) return std::nullopt;
  std::erase_if(*records, [&](const inv::StoredRecord& r) {
    return aging::CustomerMatchKey(ReadText(r.record, inv::kCustomerNumber)) != aging::CustomerMatchKey(customerNumber);
  });
  return records;
}


// A new zero-filled record of the customer dated on the payment day.
RecordBuffer PaymentRecord(const PostContext& c, const std::string& number, std::string_view kind) {
  RecordBuffer r(inv::kInvoiceRecordLength);
  WriteText(r, inv::kInvoiceNumber, number);
  WriteText(r, inv::kRecordKind, kind);
  inv::SetInvoiceDate(r, c.request.dateText, c.format);
  WriteText(r, inv::kDatePaid, c.payKey);
  WriteText(r, inv::kStatementNote, c.request.notes);
  WriteText(r, inv::kCustomerNumber, c.customerNumber);
  WriteText(r, inv::kShortName, c.shortName);
  WriteText(r, inv::kCompanyNumber, c.companyNumber);
  for (common::TextField f : {inv::kNetAmount, inv::kTaxAmount, inv::kTotalAmount, inv::kBalanceDue})
    WriteText(r, f, "0.00");
  return r;
}

// Money received without an invoice: a "D" record, open for minus the amount until it is taken.
bool PostDeposit(const PostContext& c, const PaymentItem& item, const std::optional<std::string>& number, Writer& w,
                 std::string& why) {
  why = std::string(kAddingDepositFailed);
  if (item.amount <= Money() || !Fits(-item.amount, kAmountWidth) || !number) return false;
  RecordBuffer r = PaymentRecord(c, *number, inv::kKindDeposit);
  WriteText(r, inv::kInvoiceType, "D");
  WriteText(r, inv::kKeyCode, "Deposit");
  WriteText(r, inv::kPaidAmount, common::Format0_00(item.amount));
  WriteText(r, inv::kBalanceDue, common::Format0_00(-item.amount));
  WriteText(r, inv::kPaidFlag, "");
  return w.Add(r);
}

// Part of an invoice: its open record becomes "Z" with the balance lowered (settled when
// nothing is left), and an "X" record holds the money.
bool PostPartial(const PostContext& c, const PaymentItem& item, engine::FileBlock* invoices, Writer& w,
                 std::string& why) {
  why = std::string(kAddingPartialFailed);
  const auto records = RecordsOf(invoices, item.number, c.customerNumber);
  if (!records) return false;
  const inv::StoredRecord* open = nullptr;
  for (const inv::StoredRecord& r : *records) {
    const std::string kind = ReadText(r.record, inv::kRecordKind);
    if (!Settled(r.record) &&
        (kind == inv::kKindInvoice || kind == inv::kKindPartlyPaid || kind == inv::kKindGenerated)) {
      open = &r;
      break;
    }
  }
  if (!open) {
    why += " Invoice " + item.number + " has nothing open to pay.";
    return false;
  }
  const auto balance = Amount(ReadText(open->record, inv::kBalanceDue));
  if (!balance || item.amount <= Money() || item.amount > *balance) {
    why += " Invoice " + item.number + " owes " + common::FormatComma0_00(balance.value_or(Money())) + ".";
    return false;
  }
  RecordBuffer changed = open->record;
  const Money left = *balance - item.amount;
  WriteText(changed, inv::kBalanceDue, common::Format0_00(left));
  WriteText(changed, inv::kRecordKind, inv::kKindPartlyPaid);
  if (left.IsZero()) {
    WriteText(changed, inv::kPaidFlag, "P");
    WriteText(changed, inv::kDatePaid, c.payKey);
  }
  if (!w.Modify(changed, open->record, open->ref)) return false;
  RecordBuffer x = PaymentRecord(c, ReadText(open->record, inv::kInvoiceNumber), inv::kKindPartialPayment);
  WriteText(x, inv::kKeyCode, "Partial");
  WriteText(x, inv::kInvoiceType, ReadText(open->record, inv::kInvoiceType));
  WriteText(x, inv::kPaidFlag, "P");
  WriteText(x, inv::kPaidAmount, common::Format0_00(item.amount));
  return w.Add(x);
}

// All an invoice (or a deposit, or a credit) still has open. A record that carries no payment
// yet takes the money itself; otherwise an "X" record holds it ("T" for a deposit taken) and
// every open record of the number is settled.
bool PostInFull(const PostContext& c, const PaymentItem& item, engine::FileBlock* invoices, Writer& w,
                std::string& why) {
  why = std::string(kAddingPaymentFailed);
  const auto records = RecordsOf(invoices, item.number, c.customerNumber);
  if (!records) return false;
  std::vector<const inv::StoredRecord*> open;
  Money owed;
  for (const inv::StoredRecord& r : *records) {
    if (Settled(r.record) || ReadText(r.record, inv::kRecordKind) == inv::kKindRepeatMaster) continue;
    const auto balance = Amount(ReadText(r.record, inv::kBalanceDue));
    if (!balance) return false;
    open.push_back(&r);
    owed += *balance;
  }
  if (open.empty() || owed != item.amount) {
    why += " Invoice " + item.number + " has " + common::FormatComma0_00(owed) + " open.";
    return false;
  }
  const inv::StoredRecord& first = *open.front();
  const bool deposit = ReadText(first.record, inv::kRecordKind) == inv::kKindDeposit;
  RecordBuffer paid = first.record;
  WriteText(paid, inv::kPaidFlag, "P");
  WriteText(paid, inv::kBalanceDue, "0.00");
  WriteText(paid, inv::kDatePaid, c.payKey);
  WriteText(paid, inv::kStatementNote, c.request.notes);
  const auto alreadyPaid = Amount(ReadText(first.record, inv::kPaidAmount));
  if (open.size() == 1 && alreadyPaid && alreadyPaid->IsZero()) {
    WriteText(paid, inv::kPaidAmount, common::Format0_00(item.amount));
    return w.Modify(paid, first.record, first.ref);
  }
  // The money goes into a record of its own, dated on the payment day.
  inv::SetInvoiceDate(paid, c.request.dateText, c.format);
  WriteText(paid, inv::kPaidAmount, common::Format0_00(item.amount));
  WriteText(paid, inv::kTotalAmount, "0.00");
  WriteText(paid, inv::kTaxAmount, "0.00");
  WriteText(paid, inv::kRecordKind, deposit ? inv::kKindDepositTaken : inv::kKindPartialPayment);
  if (!w.Add(paid)) return false;
  for (const inv::StoredRecord* r : open) {
    RecordBuffer settled = r->record;
    WriteText(settled, inv::kPaidFlag, "P");
    WriteText(settled, inv::kBalanceDue, "0.00");
    // A deposit keeps the day it was received; the "T" record carries the day it was taken.
    const bool isDeposit = ReadText(r->record, inv::kRecordKind) == inv::kKindDeposit;
    WriteText(settled, inv::kRecordKind, isDeposit ? inv::kKindDeposit : inv::kKindPartlyPaid);
    if (!isDeposit) WriteText(settled, inv::kDatePaid, c.payKey);
    if (!w.Modify(settled, r->record, r->ref)) return false;
  }
  return true;
}

}  // namespace

bool PaymentBooks::UpdateCompany(Money delta, RecordBuffer& before, RecordBuffer& after, std::int32_t& ref) {
  if (!TakeShared()) return false;
  ref = records::FindCompany(companies_, ReadText(book_.Current(), co::kCompanyNumber));
  if (ref == 0) return false;
  engine::GetRecord(companies_, ref, std::span<std::uint8_t>(before));
  if (!engine::EngineOK) return false;
  const auto balance = Amount(ReadText(before, co::kCompanyBalance));
  if (!balance || !Fits(*balance + delta, kAmountWidth)) return false;
  after = before;
  if (!delta.IsZero()) WriteText(after, co::kCompanyBalance, common::Format0_00(*balance + delta));
  if (!records::ModifyKeyedRecord(companies_, co::CompanyFileKind(), ref, after, before, prompter_)) return false;
  std::copy(after.begin(), after.end(), book_.Current().begin());
  return true;
}

PostOutcome PaymentBooks::Post(const PostRequest& request) {
  PostOutcome out;
  if (!invoices_ || !TakeShared()) {
    out.message = kFilesNotOpen;
    return out;
  }
  const common::DateFormat format = common::DateFormatFromCode(ReadText(book_.Current(), co::kDateFormat));
  if (common::ParseDate(request.dateText, format) != std::optional(request.date)) {
    out.message = kBadPaymentDate;
    return out;
  }
  const auto limits = aging::ReadAgingLimits(book_.Current());
  if (!limits) {
    out.message = "There is a bad value in your aging days (Company Setup). Nothing was posted.";
    return out;
  }

  // 1. Before anything is written: the customer, and balances that will fit.
  RecordBuffer customer = cu::NewCustomerRecord();
  const auto customerRef = cu::FindCustomerByNumber(customers_, request.customerNumber, customer);
  if (!customerRef) {
    out.message = engine::EngineOK ? std::string(kCustomerMissing) : std::string(kFilesNotOpen);
    return out;
  }
  const auto customerBalance = Amount(ReadText(customer, cu::kBalance));
  const auto companyBalance = Amount(ReadText(book_.Current(), co::kCompanyBalance));
  if (!customerBalance || !companyBalance) {
    out.message = kBadCustomerBalance;
    return out;
  }
  if (!Fits(*customerBalance - request.amount, kCustomerBalanceWidth) ||
      !Fits(*companyBalance - request.amount, kAmountWidth)) {
    out.message = kBalancesTooWide;
    return out;
  }
  const PostContext context{request,
                            ReadText(customer, cu::kCustomerNumber),
                            ReadText(customer, cu::kShortName),
                            common::TrimBoth(ReadText(book_.Current(), co::kCompanyNumber)),
                            format,
                            common::FormatDateKey(request.date)};

  // 2. The items, each whole or not at all.
  Writer all(invoices_, prompter_);
  bool undoFailed = false;
  for (const PaymentItem& item : request.items) {
    Writer w(invoices_, prompter_);
    std::string why;
    bool ok = false;
    if (item.IsDeposit())
      ok = PostDeposit(context, item, NextDepositNumber(), w, why);
    else if (item.partial)
      ok = PostPartial(context, item, invoices_, w, why);
    else
      ok = PostInFull(context, item, invoices_, w, why);
    if (ok) {
      all.Append(w);
      continue;
    }
    undoFailed |= !w.Undo();
    out.failed.push_back(common::TrimBoth(item.Text()) + ": " + why);
  }
  if (all.Empty()) {
    if (undoFailed) out.message = std::string("Nothing was posted.") + std::string(kUndoFailed);
    return out;
  }
  const Money posted = -all.Delta();

  // 3. The customer: its balance by what was posted, its aging from its records as they are now.
  auto undoAll = [&](std::string_view why) {
    undoFailed |= !all.Undo();
    out.message = std::string(why) + (undoFailed ? std::string(kUndoFailed) : std::string());
    out.failed.clear();
    return out;
  };
  RecordBuffer before = cu::NewCustomerRecord();
  if (!cu::FindCustomerByNumber(customers_, request.customerNumber, before)) return undoAll(kBalancesNotUpdated);
  const auto storedBalance = Amount(ReadText(before, cu::kBalance));
  const auto aged = aging::CustomerAging(invoices_, request.customerNumber, clock_.Today(), *limits);
  if (!storedBalance || !aged) return undoAll(kBalancesNotUpdated);
  bool fits = Fits(*storedBalance - posted, kCustomerBalanceWidth) && Fits(*companyBalance - posted, kAmountWidth);
  for (Money m : aged->amounts) fits = fits && Fits(m, kAmountWidth);
  if (!fits) return undoAll(kBalancesTooWide);
  RecordBuffer after = before;
  if (!posted.IsZero()) WriteText(after, cu::kBalance, common::Format0_00(*storedBalance - posted));
  for (int k = 0; k < aging::kCategories; ++k) {
    const std::string text = common::Format0_00(aged->amounts[std::size_t(k)]);
    if (ReadText(after, cu::kAgingAmount[k]) != text) WriteText(after, cu::kAgingAmount[k], text);
  }
  if (ReadText(after, cu::kLastPaymentDate) != request.dateText) WriteText(after, cu::kLastPaymentDate, request.dateText);
  if (!records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), *customerRef, after, before, prompter_))
    return undoAll(kBalancesNotUpdated);

  // 4. The company.
  RecordBuffer companyBefore(co::kCompanyRecordLength), companyAfter(co::kCompanyRecordLength);
  std::int32_t companyRef = 0;
  if (!UpdateCompany(-posted, companyBefore, companyAfter, companyRef)) {
    undoFailed |= !records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), *customerRef, before, after, prompter_);
    return undoAll(kBalancesNotUpdated);
  }
  out.posted = true;
  out.amount = posted;
  return out;
}

}  // namespace tf::payments
