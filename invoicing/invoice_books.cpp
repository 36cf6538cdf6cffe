#include "invoicing/invoice_books.h"

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "invoicing/entry_numbers.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using common::WriteText;


// An amount field rewritten only when its value changes.
bool AddToAmount(std::span<std::uint8_t> record, common::TextField field, Money delta, std::size_t width) {
  const Money value = common::StoredAmount(ReadText(record, field)) + delta;
  if (!FitsWidth(value, width)) return false;
  if (!delta.IsZero()) WriteText(record, field, common::Format0_00(value));
  return true;
}

std::string WithUndo(std::string_view message, bool undoFailed) {
  return std::string(message) + (undoFailed ? std::string(kUndoFailed) : std::string());
}

void CloseIfOpen(engine::FileBlock*& handle) {
  if (handle) engine::CloseFileBlock(handle);
  handle = nullptr;
}

}  // namespace

int AgingBucket(std::chrono::year_month_day invoiceDate, std::chrono::year_month_day today, const int agingDays[3]) {
  const long days = (std::chrono::sys_days{today} - std::chrono::sys_days{invoiceDate}).count();
  if (days <= agingDays[0]) return 0;
  if (days <= agingDays[1]) return 1;
  if (days <= agingDays[2]) return 2;
  return 3;
}

bool ApplyToCustomer(std::span<std::uint8_t> customer, const BalanceChange& change, std::chrono::year_month_day today,
                     const int agingDays[3], common::DateFormat format) {
  common::RecordBuffer work(customer.size());
  std::copy(customer.begin(), customer.end(), work.begin());
  if (!AddToAmount(work, cu::kBalance, change.newOpen - change.oldOpen, kCustomerBalanceWidth)) return false;
  const int newBucket = AgingBucket(change.newDate, today, agingDays);
  if (change.oldDate && !change.oldOpen.IsZero()) {
    const int oldBucket = AgingBucket(*change.oldDate, today, agingDays);
    if (!AddToAmount(work, cu::kAgingAmount[oldBucket], -change.oldOpen, kAmountWidth)) return false;
  }
  if (!AddToAmount(work, cu::kAgingAmount[newBucket], change.newOpen, kAmountWidth)) return false;
  if (!change.invoiceNumber.empty()) WriteText(work, cu::kLastInvoiceNumber, change.invoiceNumber);
  if (change.paid > Money()) {
    bool move = true;
    if (change.keepLaterPaymentDate) {
      // Dates, not texts: "12/01/2023" is earlier than "02/01/2024" whatever the letters say.
      const std::string stored = TrimBoth(ReadText(work, cu::kLastPaymentDate));
      const auto last = common::ParseDate(stored, format);
      move = stored.empty() || !last || *last < change.newDate;
    }
    if (move && ReadText(work, cu::kLastPaymentDate) != change.newDateText)
      WriteText(work, cu::kLastPaymentDate, change.newDateText);
  }
  std::copy(work.begin(), work.end(), customer.begin());
  return true;
}

bool ApplyToCompany(std::span<std::uint8_t> company, Money delta, const std::string* usedNumber) {
  if (!AddToAmount(company, co::kCompanyBalance, delta, kAmountWidth)) return false;
  if (usedNumber) {
    const bool prefix = common::ReadFlag(company, co::kYearMonthPrefix);
    const std::string next = inv::NextInvoiceNumberAfter(ReadText(company, co::kNextInvoiceNumber), *usedNumber, prefix);
    WriteText(company, co::kNextInvoiceNumber, next);
    WriteText(company, co::kLastInvoiceNumber, *usedNumber);
  }
  return true;
}

InvoiceBooks::InvoiceBooks(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
                           const common::Clock& clock)
    : book_(book), prompter_(prompter), status_(status), clock_(clock), lastInvoiceDate_(clock.Today()) {}

InvoiceBooks::~InvoiceBooks() { Close(); }

bool InvoiceBooks::Open() {
  Close();
  const std::string company = TrimBoth(ReadText(book_.Current(), co::kCompanyNumber));
  if (cu::OpenCustomerFile(customers_, company, prompter_, status_) &&
      records::OpenCompanyFile(companies_, prompter_, status_) && inv::OpenInvoiceFile(invoices_, company, prompter_, status_) &&
      inv::OpenLineFile(lines_, company, prompter_, status_) && inv::OpenMemoFile(memos_, company, prompter_, status_))
    return true;
  Close();
  return false;
}

void InvoiceBooks::Close() {
  CloseIfOpen(memos_);
  CloseIfOpen(lines_);
  CloseIfOpen(invoices_);
  CloseIfOpen(customers_);
  CloseIfOpen(companies_);
}

void InvoiceBooks::ReleaseShared() {
  CloseIfOpen(companies_);
  CloseIfOpen(customers_);
}

bool InvoiceBooks::TakeShared() {
  const std::string company = TrimBoth(ReadText(book_.Current(), co::kCompanyNumber));
  if (!customers_ && !cu::OpenCustomerFile(customers_, company, prompter_, status_)) return false;
  return companies_ || records::OpenCompanyFile(companies_, prompter_, status_);
}

std::optional<bool> InvoiceBooks::NumberExists(const std::string& number) {
  std::int32_t ref = 0;
  if (inv::FindInvoice(invoices_, number, ref, prompter_)) return true;
  if (!engine::EngineOK) return std::nullopt;
  return false;
}

std::optional<EntryCustomer> InvoiceBooks::FindCustomer(std::string_view number) {
  common::RecordBuffer record = cu::NewCustomerRecord();
  if (!TakeShared() || !cu::FindCustomerByNumber(customers_, number, record)) return std::nullopt;
  return EntryCustomer::FromRecord(record);
}

bool InvoiceBooks::MayEdit(std::span<const std::uint8_t> invoice) {
  const std::string kind = ReadText(invoice, inv::kRecordKind);
  if (common::ReadFlag(book_.Current(), co::kRequireAuditTrail)) {
    prompter_.Inform("The audit trail feature is turned on. Unable to modify record.", "Audit Trail");
    return false;
  }
  if (kind == inv::kKindPartlyPaid || kind == inv::kKindPartialPayment) {
    prompter_.Inform("This record is part of a partial-payment record and may not be edited.", "Partial Payments");
    return false;
  }
  if (kind == inv::kKindRepeatMaster)
    prompter_.Inform(
        "This is a repeat billing master record.  Changes to this record will be reflected in future generated "
        "invoices.",
        "Please Note", common::PromptIcon::Information);
  const Money paid = common::StoredAmount(ReadText(invoice, inv::kPaidAmount));
  const Money total = common::StoredAmount(ReadText(invoice, inv::kTotalAmount));
  if (paid != total && ReadText(invoice, inv::kPaidFlag) == "P" && paid > Money()) {
    prompter_.Inform(
        "This record has been paid. You may not edit this record. You can use the Invoice-View menu option to look "
        "at this invoice.",
        "Paid Item");
    return false;
  }
  if (kind == inv::kKindDeposit) {
    prompter_.Inform("This record is a deposit. You may not edit this record, however, you can delete it.",
                     "Deposit on Account");
    return false;
  }
  if (kind == inv::kKindDepositTaken) {
    prompter_.Inform("This record is a deposit which has been previously offset (taken). Unable to edit this record.",
                     "Deposit Taken");
    return false;
  }
  if (ReadText(invoice, inv::kPrintedFlag) == "Y" &&
      !prompter_.AskYesNo("This invoice has been printed. Are you sure you want to edit this record?",
                          "Printed Invoice"))
    return false;
  return true;
}

bool InvoiceBooks::LoadForEdit(std::int32_t ref, InvoiceEntry& entry) {
  common::RecordBuffer invoice(inv::kInvoiceRecordLength);
  engine::GetRecord(invoices_, ref, std::span<std::uint8_t>(invoice));
  if (!engine::EngineOK) return false;
  const std::string number = ReadText(invoice, inv::kInvoiceNumber);
  const auto lines = inv::ReadInvoiceLines(lines_, number);
  if (!lines) return false;
  std::vector<common::RecordBuffer> lineRecords;
  for (const inv::StoredRecord& l : *lines) lineRecords.push_back(l.record);
  std::optional<common::RecordBuffer> memo;
  std::int32_t memoRef = 0;
  if (inv::FindMemo(memos_, number, memoRef, prompter_)) {
    memo.emplace(inv::kMemoRecordLength);
    engine::GetRecord(memos_, memoRef, std::span<std::uint8_t>(*memo));
    if (!engine::EngineOK) return false;
  } else if (ReadText(invoice, inv::kInvoiceType) == "M") {
    prompter_.Inform("Error reading memo data.");
  }
  const std::optional<EntryCustomer> customer = FindCustomer(ReadText(invoice, inv::kCustomerNumber));
  entry.BeginEdit(invoice, lineRecords, memo ? &*memo : nullptr, customer ? &*customer : nullptr);
  editRef_ = ref;
  return true;
}

bool InvoiceBooks::CompanyFits(Money delta) const {
  return FitsWidth(common::StoredAmount(ReadText(book_.Current(), co::kCompanyBalance)) + delta, kAmountWidth);
}

bool InvoiceBooks::UpdateCompany(Money delta, const std::string* usedNumber) {
  // The company file stays open with the others: opening and closing it (and making it durable)
  // at every save would cost more than the rest of the save.
  if (!TakeShared()) return false;
  const std::int32_t ref = records::FindCompany(companies_, ReadText(book_.Current(), co::kCompanyNumber));
  if (ref == 0) return false;
  common::RecordBuffer before(co::kCompanyRecordLength);
  engine::GetRecord(companies_, ref, std::span<std::uint8_t>(before));
  if (!engine::EngineOK) return false;
  common::RecordBuffer after = before;
  if (!ApplyToCompany(after, delta, usedNumber)) return false;
  if (!records::ModifyKeyedRecord(companies_, co::CompanyFileKind(), ref, after, before, prompter_)) return false;
  std::copy(after.begin(), after.end(), book_.Current().begin());
  return true;
}

bool InvoiceBooks::WriteBalances(const CustomerWrite& customer, Money delta, const std::string* usedNumber,
                                 bool& undoFailed) {
  const bool customerChanges = customer.ref != 0 && customer.after != customer.before;
  if (customerChanges && !records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), customer.ref, customer.after,
                                                     customer.before, prompter_))
    return false;
  if ((delta.IsZero() && !usedNumber) || UpdateCompany(delta, usedNumber)) return true;
  if (customerChanges)
    undoFailed |= !records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), customer.ref, customer.before,
                                              customer.after, prompter_);
  return false;
}

SaveOutcome InvoiceBooks::SaveNew(const InvoiceEntry& entry) {
  SaveOutcome outcome;
  const EntryCompany& company = entry.Company();
  const common::RecordBuffer invoice = entry.InvoiceRecord();
  const std::string number = ReadText(invoice, inv::kInvoiceNumber);
  const auto date = inv::InvoiceDateOf(invoice);
  if (!date || !entry.Customer()) {
    outcome.message = kAddFailed;
    return outcome;
  }
  const Money open = entry.Balance();
  const bool queueLabel = common::ReadFlag(book_.Current(), co::kLabelQueueOnNewInvoice);

  // 1. Every balance this save changes, before anything is written.
  CustomerWrite customer;
  if (!TakeShared()) {
    outcome.message = kAddFailed;
    return outcome;
  }
  const auto customerRef = cu::FindCustomerByNumber(customers_, entry.Customer()->number, customer.before);
  if (!customerRef) {
    outcome.message = engine::EngineOK ? std::string(kCustomerMissing) : std::string(kAddFailed);
    return outcome;
  }
  customer.ref = *customerRef;
  customer.after = customer.before;
  BalanceChange change{Money(), std::nullopt, open, *date, ReadText(invoice, inv::kInvoiceDate), entry.Paid(),
                       number, false};
  if (!ApplyToCustomer(customer.after, change, clock_.Today(), company.agingDays, company.dateFormat) ||
      !CompanyFits(open)) {
    outcome.message = kBalanceTooLarge;
    return outcome;
  }

  // 2. The invoice record and its memo, together.
  std::int32_t ref = 0;
  if (!inv::AddInvoice(invoices_, invoice, ref, prompter_)) {
    outcome.message = kAddFailed;
    return outcome;
  }
  bool undoFailed = false;
  auto undoInvoice = [&] { undoFailed |= !inv::DeleteInvoice(invoices_, invoice, ref, prompter_); };
  std::optional<common::RecordBuffer> memo;
  std::int32_t memoRef = 0;
  if (entry.Style() == InvoiceStyle::Memo) {
    memo = entry.MemoRecord(nullptr);
    if (!inv::AddMemo(memos_, *memo, memoRef, prompter_)) {
      undoInvoice();
      outcome.message = WithUndo(kMemoAddFailed, undoFailed);
      return outcome;
    }
  }
  auto undoMemo = [&] {
    if (memo) undoFailed |= !inv::DeleteMemo(memos_, *memo, memoRef, prompter_);
  };

  // 3. The balances: the customer, then the company.
  if (!WriteBalances(customer, open, &number, undoFailed)) {
    undoMemo();
    undoInvoice();
    outcome.message = WithUndo(kBalancesNotUpdated, undoFailed);
    return outcome;
  }
  outcome.saved = true;
  lastInvoiceDate_ = *date;
  if (labelQueue_ && queueLabel)
    labelQueue_->Add({ReadText(customer.after, cu::kCustomerNumber), ReadText(customer.after, cu::kCustomerName),
                      ReadText(customer.after, cu::kMailSortCode), ReadText(customer.after, cu::kCustomerType)});

  // 4. The lines.
  for (const common::RecordBuffer& line : entry.LineRecords({})) {
    std::int32_t lineRef = 0;
    if (inv::AddLine(lines_, line, lineRef, prompter_))
      ++outcome.lines;
    else
      outcome.problems.emplace_back(kDetailAddFailed);
  }
  outcome.status = "Added invoice " + number + " containing " + std::to_string(outcome.lines) + " line item(s).";
  return outcome;
}

SaveOutcome InvoiceBooks::SaveEdit(const InvoiceEntry& entry) {
  SaveOutcome outcome;
  const EntryCompany& company = entry.Company();
  const common::RecordBuffer& stored = entry.StoredInvoice();
  const common::RecordBuffer invoice = entry.InvoiceRecord();
  const std::string oldNumber = ReadText(stored, inv::kInvoiceNumber);
  const std::string number = ReadText(invoice, inv::kInvoiceNumber);
  const auto date = inv::InvoiceDateOf(invoice);
  if (!date || editRef_ == 0) {
    outcome.message = kModifyFailed;
    return outcome;
  }
  const bool master = entry.IsMaster();
  const Money oldOpen = entry.StoredTotal() - entry.StoredPaid();
  const Money newOpen = master ? Money() : entry.Balance();
  const Money delta = master ? Money() : newOpen - oldOpen;

  // The lines of the number before the edit, all collected before any of them changes: walking
  // the index while renumbering would skip lines.
  const auto oldLines = inv::ReadInvoiceLines(lines_, oldNumber);
  if (!oldLines) {
    outcome.message = kModifyFailed;
    return outcome;
  }

  // 1. Balances.
  CustomerWrite customer;
  if (!master) {
    if (!TakeShared()) {
      outcome.message = kModifyFailed;
      return outcome;
    }
    const auto customerRef = cu::FindCustomerByNumber(customers_, ReadText(stored, inv::kCustomerNumber), customer.before);
    if (!customerRef) {
      outcome.message = engine::EngineOK ? std::string(kCustomerMissing) : std::string(kModifyFailed);
      return outcome;
    }
    customer.ref = *customerRef;
    customer.after = customer.before;
    BalanceChange change{oldOpen, inv::InvoiceDateOf(stored), newOpen, *date, ReadText(invoice, inv::kInvoiceDate),
                         entry.Paid(), "", true};
    if (!ApplyToCustomer(customer.after, change, clock_.Today(), company.agingDays, company.dateFormat) ||
        !CompanyFits(delta)) {
      outcome.message = kBalanceTooLarge;
      return outcome;
    }
  }

  // 2. The invoice record and its memo.
  if (!inv::ModifyInvoice(invoices_, invoice, stored, editRef_, prompter_)) {
    outcome.message = kModifyFailed;
    return outcome;
  }
  bool undoFailed = false;
  auto undoInvoice = [&] { undoFailed |= !inv::ModifyInvoice(invoices_, stored, invoice, editRef_, prompter_); };
  std::optional<common::RecordBuffer> memoBefore, memoAfter;
  std::int32_t memoRef = 0;
  bool memoAdded = false;
  if (entry.Style() == InvoiceStyle::Memo) {
    if (inv::FindMemo(memos_, oldNumber, memoRef, prompter_)) {
      memoBefore.emplace(inv::kMemoRecordLength);
      engine::GetRecord(memos_, memoRef, std::span<std::uint8_t>(*memoBefore));
    }
    bool ok = engine::EngineOK;
    if (ok && memoBefore) {
      memoAfter = entry.MemoRecord(&*memoBefore);
      ok = inv::ModifyMemo(memos_, *memoAfter, *memoBefore, memoRef, prompter_);
    } else if (ok) {
      // The body had no memo record: it is written now rather than lost.
      memoAfter = entry.MemoRecord(nullptr);
      ok = memoAdded = inv::AddMemo(memos_, *memoAfter, memoRef, prompter_);
    }
    if (!ok) {
      undoInvoice();
      outcome.message = WithUndo(kMemoReplaceFailed, undoFailed);
      return outcome;
    }
  }
  auto undoMemo = [&] {
    if (!memoAfter) return;
    if (memoAdded)
      undoFailed |= !inv::DeleteMemo(memos_, *memoAfter, memoRef, prompter_);
    else
      undoFailed |= !inv::ModifyMemo(memos_, *memoBefore, *memoAfter, memoRef, prompter_);
  };

  // 3. Balances: customer, then company.
  if (!WriteBalances(customer, delta, nullptr, undoFailed)) {
    undoMemo();
    undoInvoice();
    outcome.message = WithUndo(kBalancesNotUpdated, undoFailed);
    return outcome;
  }
  outcome.saved = true;

  // 4. Lines: the stored ones rewritten in place (under the new number), the rest deleted,
  // further rows added.
  std::vector<common::RecordBuffer> storedImages;
  for (const inv::StoredRecord& l : *oldLines) storedImages.push_back(l.record);
  const std::vector<common::RecordBuffer> lines = entry.LineRecords(storedImages);
  for (std::size_t i = 0; i < std::max(lines.size(), oldLines->size()); ++i) {
    if (i < oldLines->size() && i < lines.size()) {
      if (inv::ModifyLine(lines_, lines[i], (*oldLines)[i].record, (*oldLines)[i].ref, prompter_))
        ++outcome.lines;
      else
        outcome.problems.emplace_back(kModifyFailed);
    } else if (i < oldLines->size()) {
      if (!inv::DeleteLine(lines_, (*oldLines)[i].record, (*oldLines)[i].ref, prompter_))
        outcome.problems.emplace_back(kDetailDeleteFailed);
    } else {
      std::int32_t lineRef = 0;
      if (inv::AddLine(lines_, lines[i], lineRef, prompter_))
        ++outcome.lines;
      else
        outcome.problems.emplace_back(kDetailAddFailed);
    }
  }
  outcome.status = "Editing invoice " + number + " completed.";
  return outcome;
}

}  // namespace tf::invoicing
