#pragma once
// How the Invoice Manager shows a record: its list row and heading, and the invoice part of
// the "Customer Data" window.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "customers/customer_quick_view.h"

namespace tf::invoicing {

// "Year/Mo/Dy T Invoice#  Cust#    Short Name  Grand Total ..." padded to the row width.
std::string InvoiceListHeader();

// DateKey, kind, number, customer, short name, total, balance due and paid (",0.00", right-
// aligned in 12), key code, date paid and company, padded to the row width. A record with an
// empty total, balance or paid shows "DELETE ME" / "BAD RECORD" with amounts "0": it can only be
// deleted (the record on file is left as it is).
std::string InvoiceRow(std::span<const std::uint8_t> record);
// A row the list could not read: "****  " and the entry's key.
std::string UnreadableInvoiceRow(std::string_view key);
// Whether the record is one the list shows as "DELETE ME".
bool IsBadInvoiceRecord(std::span<const std::uint8_t> record);

// The kind text, "number   (Product Invoice)" and the like, the date (a master's with its next
// due date), total, paid and balance, and the printed mark ("E-Mailed: " + date or
// "* Printed *").
customers::QuickViewInvoice QuickViewInvoiceOf(std::span<const std::uint8_t> record,
                                               std::span<const std::uint8_t> company);

}  // namespace tf::invoicing
