#pragma once
// Saving what invoice entry collected into the books of the current company: the invoice
// record, its memo and its lines, the customer's balance, aging amount, last invoice number and
// last payment date, and the company balance with the invoice numbering.
//
// Write order, so that a failure at any step leaves the books consistent (every balance equals
// the sum of the records that exist):
//   1. every balance the save changes is computed and refused when it would not fit its field;
//   2. the invoice record, then its memo: a failed memo takes the invoice back;
//   3. the customer record, then the company record: a failure takes back what was written
//      before it (customer, memo, invoice);
//   4. the lines: a failed line is reported and the others are written; lines carry no money,
//      so the balances stay right.
// Nothing is written before step 2, and a failure is reported with what it left behind.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/money.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "correspondence/label_queue.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "invoicing/invoice_entry.h"
#include "records/company_store.h"
#include "records/invoice_file.h"

namespace tf::invoicing {

inline constexpr std::string_view kAddFailed = "Add operation failed";
inline constexpr std::string_view kModifyFailed = "Modify operation failed";
inline constexpr std::string_view kMemoAddFailed = "memo add operation failed";
inline constexpr std::string_view kMemoReplaceFailed = "memo replace operation failed";
inline constexpr std::string_view kDetailAddFailed = "detail add failed.";
inline constexpr std::string_view kDetailDeleteFailed = "Detail delete operation failed.";
inline constexpr std::string_view kBalanceTooLarge =
    "This invoice would take a balance beyond the width it is stored in. Nothing was saved.";
inline constexpr std::string_view kCustomerMissing = "The customer of this invoice is not on file. Nothing was saved.";
inline constexpr std::string_view kBalancesNotUpdated =
    "The balances could not be updated, so the invoice was not saved.";
inline constexpr std::string_view kUndoFailed =
    " What was already written could not all be taken back: run the books check.";

// The aging amount (0..3) an open amount of an invoice dated `invoiceDate` belongs to today:
// whole days since the invoice up to the company's first limit, the second, the third, beyond.
int AgingBucket(std::chrono::year_month_day invoiceDate, std::chrono::year_month_day today, const int agingDays[3]);

// One invoice's open amount before and after a save, as the customer and company see it.
struct BalanceChange {
  common::Money oldOpen;                                   // 0 for a new invoice
  std::optional<std::chrono::year_month_day> oldDate;      // its date before (edit)
  common::Money newOpen;
  std::chrono::year_month_day newDate;
  std::string newDateText;                                 // as the company writes dates
  common::Money paid;                                      // paid after the save
  std::string invoiceNumber;                               // new invoices: the last invoice number
  bool keepLaterPaymentDate = false;                       // edit: only an earlier or empty date moves
};

// The customer record after the change: Balance, the aging amounts, the last invoice number and
// the last payment date. False, with the record unchanged, when a balance would not fit.
bool ApplyToCustomer(std::span<std::uint8_t> customer, const BalanceChange& change,
                     std::chrono::year_month_day today, const int agingDays[3], common::DateFormat format);

// The company record after a save moved its customers' open amounts by `delta`:
// CompanyBalance, and after a new invoice (`usedNumber`) the next and last invoice numbers.
// False, with the record unchanged, when the balance would not fit.
bool ApplyToCompany(std::span<std::uint8_t> company, common::Money delta, const std::string* usedNumber);

struct SaveOutcome {
  bool saved = false;
  std::string message;                // why it was not saved, or what failed after it was
  std::vector<std::string> problems;  // line failures of a saved invoice
  int lines = 0;                      // line records written or kept
  std::string status;                 // "Added invoice ..." / "Editing invoice ... completed."
};

class InvoiceBooks {
 public:
  InvoiceBooks(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
               const common::Clock& clock);
  ~InvoiceBooks();
  InvoiceBooks(const InvoiceBooks&) = delete;
  InvoiceBooks& operator=(const InvoiceBooks&) = delete;

  // Opens the current company's customer, invoice, line and memo files and the company file (repairing or creating
  // them as the user agrees). False when one cannot be opened; those opened are closed again.
  bool Open();
  void Close();
  bool IsOpen() const { return invoices_ != nullptr; }
  // The customer and company files are let go while the customer manager picks a customer (it
  // opens both, to add a customer; a file block has one handle in the program) and taken back
  // afterwards.
  void ReleaseShared();
  bool TakeShared();
  engine::FileBlock* Customers() const { return customers_; }
  engine::FileBlock* Invoices() const { return invoices_; }
  engine::FileBlock* Lines() const { return lines_; }
  engine::FileBlock* Memos() const { return memos_; }

  // Whether an invoice record of this number exists; nothing when the file cannot be read.
  std::optional<bool> NumberExists(const std::string& number);
  // The customer of exactly this number.
  std::optional<EntryCustomer> FindCustomer(std::string_view number);

  // The refusals before an edit, in their order, with their messages; the repeat master's note
  // and the printed invoice's question. True when the edit may go on.
  bool MayEdit(std::span<const std::uint8_t> invoice);
  // Reads the invoice record `ref` with its lines, memo and customer into the entry (edit mode).
  bool LoadForEdit(std::int32_t ref, InvoiceEntry& entry);

  SaveOutcome SaveNew(const InvoiceEntry& entry);
  // The invoice loaded by LoadForEdit.
  SaveOutcome SaveEdit(const InvoiceEntry& entry);

  // The label queue of the run: a new invoice's customer joins it when the company asks for
  // that. Without one nothing is queued.
  void SetLabelQueue(correspondence::LabelQueue* queue) { labelQueue_ = queue; }

  // The date the next new invoice is proposed with: the last one added, at first today.
  std::chrono::year_month_day LastInvoiceDate() const { return lastInvoiceDate_; }

 private:
  struct CustomerWrite {
    std::int32_t ref = 0;
    common::RecordBuffer before{1008};
    common::RecordBuffer after{1008};
  };
  // The customer record, then the company's balance (and numbering, after an add); a failed
  // company update takes the customer back. False when either failed.
  bool WriteBalances(const CustomerWrite& customer, common::Money delta, const std::string* usedNumber,
                     bool& undoFailed);
  bool CompanyFits(common::Money delta) const;
  bool UpdateCompany(common::Money delta, const std::string* usedNumber);

  records::CompanyBook& book_;
  common::Prompter& prompter_;
  engine::RebuildStatus& status_;
  const common::Clock& clock_;
  engine::FileBlock* companies_ = nullptr;
  engine::FileBlock* customers_ = nullptr;
  engine::FileBlock* invoices_ = nullptr;
  engine::FileBlock* lines_ = nullptr;
  engine::FileBlock* memos_ = nullptr;
  std::chrono::year_month_day lastInvoiceDate_;
  correspondence::LabelQueue* labelQueue_ = nullptr;
  // The invoice being edited.
  std::int32_t editRef_ = 0;
};

}  // namespace tf::invoicing
