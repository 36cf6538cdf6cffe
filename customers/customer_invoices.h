#pragma once
// What a customer's number means to the invoice file of its company: invoices carry the
// customer's number and are found by it through their key 2. Renumbering a customer moves its
// invoices along; a customer with any invoice on file may not be deleted.
//
// Written against the invoice record's layout (360 bytes, CustomerNumber a text of 8 at offset
// 25, key 2 the number built as the customer's key 2); the invoicing code owns that record
// and may route these through its own record header.

#include <optional>
#include <string>
#include <string_view>

#include "engine/core/engine.h"

namespace tf::customers {

// The invoice file block of a company (its trimmed number followed by "I").
std::string InvoiceFileName(std::string_view companyNumber);

struct RenumberResult {
  int changed = 0;     // invoices now carrying the new number
  bool complete = true; // false: an engine failure stopped it at one invoice
};

// Gives every invoice of `oldNumber` the number `newNumber` (trimmed), one at a time: record
// written, then its key 2 moved. A failure stops at that invoice with it left as it was; the
// invoices changed before stay changed. A company without an invoice file has nothing to move.
// `open` is the invoice file when a window (invoice entry picking a customer) holds it open
// already: a file block has one handle in the program, so it is used and left open.
RenumberResult RenumberCustomerInvoices(std::string_view companyNumber, std::string_view oldNumber,
                                        std::string_view newNumber, engine::FileBlock* open = nullptr);

// Whether an invoice of this customer number is on file (paid or not); nothing when the
// invoice file cannot be read, so that a caller refuses rather than guesses.
std::optional<bool> CustomerHasInvoices(std::string_view companyNumber, std::string_view number,
                                        engine::FileBlock* open = nullptr);

}  // namespace tf::customers
