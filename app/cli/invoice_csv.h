#pragma once
// Invoices in and out as CSV: one row per line item with the invoice's own fields repeated on
// each of its rows, or one row per memo invoice carrying its body. The header row names the
// columns (Columns()); InvoiceNumber, CustomerNumber and InvoiceDate are required.
//
// An import drives invoice entry for every invoice, so each is checked as the invoice dialog
// checks it (the same checks, in the same order, with the same messages) and saved as the
// dialog's save writes it: the invoice record, its memo, its lines, and its open amount carried
// into the customer's balance and aging amount and into the company balance and invoice
// numbering. Entry's questions get the answers a person bringing over history would give: a
// no-charge invoice and a customer over the credit limit are taken; a payment term the terms
// list does not know is kept on the invoice without joining the list. Amounts the file gives
// besides what entry computes (NetAmount, TaxAmount and TotalAmount of a line-item invoice,
// each line's Extension) must agree with it: nothing is taken over silently.
//
// The rows are read one at a time, an invoice's rows (at most 99) together; each good invoice
// goes at once into the stages given, which the caller puts in place of the files only when
// the whole file was good, so later rows are checked against the invoices before them.

#include <cstddef>
#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/csv.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"

namespace tf::cli {

// The columns, in the order an export writes them.
const std::vector<std::string>& InvoiceColumns();

// The blocks an import adds to (their stages) or an export reads.
struct InvoiceBlocks {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  engine::FileBlock* memos = nullptr;
  engine::FileBlock* customers = nullptr;
};

struct InvoiceImport {
  std::vector<common::CsvError> errors;  // the first problems, in line order
  std::size_t problems = 0;              // all of them
  std::size_t invoices = 0;              // good invoices added to the stages
  std::size_t lines = 0;                 // their line records
  bool writeFailed = false;              // an add failed in the engine (EngineStatus tells why)
  bool Good() const { return problems == 0 && !writeFailed; }
};

// Reads, checks and adds the invoices of `csv`. `company` is the company record: its balance
// and invoice numbering move with every invoice added, as a save moves them. Aging is counted
// from `clock`'s today, as entry counts it.
InvoiceImport ImportInvoiceRows(const InvoiceBlocks& stages, std::istream& csv, std::span<std::uint8_t> company,
                                const common::Clock& clock);

// Every invoice in invoice number order with its lines or memo body, under a header row of
// every column. False with `problem` set when a block could not be read through, its index
// does not list every invoice, or an invoice cannot be written as rows (a kind of record
// entry does not make, a memo invoice without its body): a file is never exported in part.
bool ExportInvoices(const InvoiceBlocks& files, std::span<const std::uint8_t> company, std::ostream& csv,
                    std::string& problem);

}  // namespace tf::cli
