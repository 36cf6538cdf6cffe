#pragma once
// Deleting an invoice record from the books, after the manager's refusals and questions: the
// record, then at once the balances it carried (the customer's balance and aging amount, the
// company balance), then its lines and memo. The balances follow the record immediately so
// that no failure later on can leave a customer owing for an invoice that is gone; should a
// balance not be written, the record is put back and nothing is lost. A repeat master carries
// no balance and leaves the balances alone.
//
// What a record carried is its BalanceDue: what every save, payment and deposit adds to the
// customer (and what the books check sums). A record listed as "DELETE ME" (empty amounts)
// carried nothing.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/money.h"
#include "common/prompter.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"

namespace tf::invoicing {

inline constexpr std::string_view kDeleteFailed = "Delete operation failed";
inline constexpr std::string_view kDeleteLinesFailed = "Delete detail recs failed";
inline constexpr std::string_view kDeleteMemoFailed = "Memo record deletion failed";

struct RemovalFiles {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  engine::FileBlock* memos = nullptr;
  engine::FileBlock* customers = nullptr;
};

struct RemovalOutcome {
  bool deleted = false;
  std::string failure;                // why nothing was deleted (the record is on file as before)
  std::vector<std::string> problems;  // what went wrong after the record and its balances were gone
  int lines = 0;                      // line records deleted
  bool memoMissing = false;           // a memo invoice without its memo record
  std::string status;                 // "Deleted invoice ... containing n line item(s)."
};

// The open amount a record carries into its customer's balance (0 for a master and for a
// record whose BalanceDue is empty or no amount).
common::Money CarriedBalance(std::span<const std::uint8_t> invoice);

// Deletes invoice record `ref` (read as `record`) with its balances, lines and memo. The
// company's balance is written through the company book.
RemovalOutcome RemoveInvoice(const RemovalFiles& files, std::span<const std::uint8_t> record, std::int32_t ref,
                             records::CompanyBook& book, common::Prompter& prompter, engine::RebuildStatus& status,
                             const common::Clock& clock);

}  // namespace tf::invoicing
