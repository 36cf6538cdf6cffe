#pragma once
// What a customer's number means to the invoice file of its company: invoices carry the
// customer's number and are found by it through their key 2. Renumbering a customer moves its
// invoices along; a customer with any invoice on file may not be deleted.
// The invoice record and its keys are read through records/invoice_record.h.

#include <optional>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::customers {

struct RenumberResult {
  int changed = 0;     // invoices now carrying the new number
  bool complete = true; // false: the invoice file could not be opened, or an engine failure
                        // stopped it at one invoice
};

// Told when the invoices could not all follow a new customer number; the customer then keeps
// its old number.
inline constexpr std::string_view kRenumberFailedText =
    "The invoices of this customer could not be changed to the new customer number, so the "
    "customer keeps its number ";
// Told when, after that, the invoices moved could not all be moved back or the customer could
// not be given its old number again: the customer and some of its invoices now disagree.
inline constexpr std::string_view kRenumberUndoFailedText =
    "The invoices of this customer could not all be changed to the new customer number, and "
    "putting them back failed too: the customer has number ";

// Gives every invoice of `oldNumber` the number `newNumber` (trimmed), one at a time: record
// written, then its key 2 moved. A failure stops at that invoice with it left as it was; the
// invoices changed before stay changed (renumbering back from `newNumber` returns them). A
// company without an invoice file has nothing to move. The invoice file is opened as every
// record file is (a damaged index is offered a rebuild through `prompter` and `status`).
// `open` is the invoice file when a window (invoice entry picking a customer) holds it open
// already: a file block has one handle in the program, so it is used and left open.
RenumberResult RenumberCustomerInvoices(std::string_view companyNumber, std::string_view oldNumber,
                                        std::string_view newNumber, common::Prompter& prompter,
                                        engine::RebuildStatus& status, engine::FileBlock* open = nullptr);

// Whether an invoice of this customer number is on file (paid or not); nothing when the
// invoice file cannot be read, so that a caller refuses rather than guesses.
std::optional<bool> CustomerHasInvoices(std::string_view companyNumber, std::string_view number,
                                        engine::FileBlock* open = nullptr);

}  // namespace tf::customers
