#pragma once
// The printed invoice: one copy (the invoice itself, a packing slip or a file copy) of a
// document drawn on the print canvas at 300 units per inch. Each page carries the header (logo,
// title, large number, duplicate notice, company block), the bill-to and ship-to addresses and
// the reference lines; then come the line table (or the memo text), the totals and the footer
// (sales message or the customer's notes, the account status). A table longer than a page goes
// on with "Continued on page number N ..." and the page head again.

#include <string>
#include <string_view>

#include "common/print_canvas.h"
#include "invoicing/documents/invoice_document.h"
#include "invoicing/documents/layout_options.h"

namespace tf::invoicing::documents {

enum class CopyKind { Invoice, PackingSlip, FileCopy };

inline constexpr std::string_view kRepeatMasterTitle = "REPEAT MASTER SETUP";
inline constexpr std::string_view kCreditTitle = "C  R  E  D  I  T";
inline constexpr std::string_view kDuplicateNotice = "** Duplicate Invoice **";
inline constexpr std::string_view kPackingSlipNote = "This is a packing slip. Please pay from invoice.";
inline constexpr std::string_view kHiddenAmount = "xxxxxxxxxx";

// "Invoice - ", "Packing Slip - " or "File Copy - " followed by the number.
std::string JobTitle(CopyKind copy, std::string_view number);

// The title a copy prints under (its company title, or the repeat master's or the credit's).
std::string CopyTitle(CopyKind copy, const InvoiceDocument& doc, const LayoutOptions& options);

// Draws one copy on `canvas`, whose job has begun and stands on a fresh page; the pages drawn.
int DrawInvoiceCopy(common::PrintCanvas& canvas, const InvoiceDocument& doc, CopyKind copy,
                    const LayoutOptions& options);

}  // namespace tf::invoicing::documents
