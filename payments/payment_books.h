#pragma once
// Posting money received into the books of the current company: the invoice records of the
// items paid, the payment records beside them ("X" partial payments and payments of what an
// invoice still owed, "D" deposits on account, "T" deposits taken), then the customer's
// balance, aging amounts and last payment date, then the company balance.
//
// Each item is posted whole or not at all: a partial payment lowers its invoice and adds its
// "X" record, and if the "X" record cannot be added the invoice is put back. An item that
// cannot be posted is reported and the others are posted all the same; the balances then move
// by exactly what was posted. The customer and company records come last, and if either cannot
// be written everything the post wrote is taken back, so at every step every balance equals the
// sum of the records that exist.
//
// Dates: a "D" deposit keeps the day it was received in its DatePaid, and the "T" record of an
// offset carries the day of the offset in its InvoiceDate and DatePaid, so that each appears in
// the payment register on its own day with its own sign.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aging/aging_rules.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/money.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "payments/payment_items.h"
#include "records/company_store.h"

namespace tf::payments {

inline constexpr std::string_view kAddingDepositFailed = "Adding deposit failed.";
inline constexpr std::string_view kAddingPartialFailed = "Adding partial pmt failed.";
inline constexpr std::string_view kAddingPaymentFailed = "Adding reg pmt failed.";
inline constexpr std::string_view kCustomerMissing = "The customer is not on file. Nothing was posted.";
inline constexpr std::string_view kBalancesTooWide =
    "This payment would take a balance beyond the width it is stored in. Nothing was posted.";
inline constexpr std::string_view kBadCustomerBalance =
    "The customer's balance is not an amount; run the aging to repair it. Nothing was posted.";
inline constexpr std::string_view kBalancesNotUpdated =
    "The customer and company balances could not be updated, so nothing was posted.";
inline constexpr std::string_view kUndoFailed =
    " What was already written could not all be taken back: run the books check.";
inline constexpr std::string_view kFilesNotOpen = "The invoice file could not be read. Nothing was posted.";
inline constexpr std::string_view kBadPaymentDate = "The payment date is not a date. Nothing was posted.";

// What Post is asked to write.
struct PostRequest {
  std::string customerNumber;
  std::string dateText;  // the payment date as typed, in the company's format
  std::chrono::year_month_day date;
  std::string notes;     // StatementNote of the records written
  common::Money amount;  // the amount received (PAmt)
  std::vector<PaymentItem> items;  // the right list, in its order
};

struct PostOutcome {
  bool posted = false;              // something was written and stays written
  common::Money amount;             // what the balances moved by
  std::vector<std::string> failed;  // the items not posted: "<item text>: why"
  std::string message;              // nothing was posted, and why
};

class PaymentBooks {
 public:
  PaymentBooks(records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
               const common::Clock& clock);
  ~PaymentBooks();
  PaymentBooks(const PaymentBooks&) = delete;
  PaymentBooks& operator=(const PaymentBooks&) = delete;

  // Opens the current company's customer, invoice and company files (repairing or creating them
  // as the user agrees). False when one cannot be opened; those opened are closed again.
  bool Open();
  void Close();
  bool IsOpen() const { return invoices_ != nullptr; }
  // The customer manager opens the customer and company files itself while it picks a
  // customer (a file block has one handle in the program): they are let go meanwhile.
  void ReleaseShared();
  bool TakeShared();
  engine::FileBlock* Invoices() const { return invoices_; }
  engine::FileBlock* Customers() const { return customers_; }

  // The customer of exactly this number, as stored.
  std::optional<common::RecordBuffer> FindCustomer(std::string_view number);

  // The customer's open items: every record of it (invoice key 2) not settled ("P") and not a
  // repeat master, in the left list's order. Records whose balance is no amount are left out
  // and named in `unreadable`. Nothing on an engine failure.
  std::optional<std::vector<PaymentItem>> OpenItems(std::string_view customerNumber, common::DateFormat format,
                                                    std::vector<std::string>& unreadable);

  PostOutcome Post(const PostRequest& request);

  // The deposit number the next deposit gets: "DP" + n, the first n from the live records + 1
  // on whose number no record exists. Nothing on an engine failure or when it would not fit 9
  // characters.
  std::optional<std::string> NextDepositNumber();

 private:
  // The company record with its balance moved by `delta`: written, and the current company
  // refreshed. `before` / `after` / `ref` tell how to take it back.
  bool UpdateCompany(common::Money delta, common::RecordBuffer& before, common::RecordBuffer& after,
                     std::int32_t& ref);

  records::CompanyBook& book_;
  common::Prompter& prompter_;
  engine::RebuildStatus& status_;
  const common::Clock& clock_;
  engine::FileBlock* companies_ = nullptr;
  engine::FileBlock* customers_ = nullptr;
  engine::FileBlock* invoices_ = nullptr;
};

}  // namespace tf::payments
