#pragma once
// What the "View Invoice" window (Trtedit) shows of a document: the addresses, the reference
// lines, the kind of invoice, its lines or memo text, a status line for masters, generated
// invoices and deposits, and the totals.

#include <array>
#include <string>
#include <vector>

#include "invoicing/documents/invoice_document.h"
#include "invoicing/documents/layout_options.h"

namespace tf::invoicing::documents {

struct InvoiceView {
  std::string caption;  // "View Invoice# " + number
  std::string billName;
  std::array<std::string, 4> billTo;
  std::string shipToCaption;
  std::array<std::string, 4> shipTo;
  std::string date, number, account, terms, reference;  // with their labels
  std::string typeLine;
  bool memo = false;                  // the memo box takes the place of the list
  std::string memoText;               // lines joined by "\n"
  std::array<std::string, 7> headings;
  std::vector<std::array<std::string, 7>> rows;  // line number, code, quantity, description, price, tax, extension
  std::string status;
  std::string net, tax, total, paid, balance;  // with their labels where the window shows one
};

InvoiceView ViewOf(const InvoiceDocument& doc, const LayoutOptions& options);

}  // namespace tf::invoicing::documents
