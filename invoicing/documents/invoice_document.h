#pragma once
// The document data set: everything a printed, e-mailed or viewed invoice shows, collected once
// from the invoice, line, memo and customer files for one invoice number, so that the three
// layouts read the same values.
//
// One number can stand on several invoice records: a partly paid invoice ("Z") and its payment
// records ("X"). The header (kind, type, printed flag, date, terms, reference, paid date,
// e-mailed date) comes from the invoice itself, the record of kind I, G, Z or R; a payment
// record read after it would otherwise date the document by the payment and print empty terms.
// Only a number without such a record (a deposit and what was taken from it) takes its header
// from the last record read. The amounts are summed over every record of the number, so that
// payments show as paid.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/money.h"
#include "engine/core/engine.h"

namespace tf::invoicing::documents {

// The open file blocks a document is collected from (the invoice file also takes the marks).
struct DocumentFiles {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  engine::FileBlock* memos = nullptr;
  engine::FileBlock* customers = nullptr;
};

// One line item as the documents show it. Numbers keep the decimals they were typed with; a
// comment row (no numbers) shows blank numbers.
struct DocumentLine {
  std::string code;         // trimmed product code
  std::string quantity;     // ",0" with the typed decimals; as stored when it is no number
  std::string description;  // trimmed
  std::string unitPrice;    // ",0" with the typed decimals
  std::string taxMark;      // "Y", "N" or blank (a comment)
  std::string extension;    // ",0.00"
  // Whether the row holds anything to print.
  bool Printable() const;
};

struct InvoiceDocument {
  // Header, from the invoice record of the number.
  std::string number;
  std::string kind;          // RecordKind
  std::string invoiceType;   // "P", "M" or "D"
  std::string printedFlag;
  std::string date;          // InvoiceDate as stored
  std::string reference;     // Notes
  std::string terms;
  std::string accountNumber; // CustomerNumber
  std::string paidDate;      // DatePaid in the company's date order
  std::string emailedDate;
  std::string repeatCount;
  std::string nextDueDate;

  // Customer.
  bool customerFound = false;
  std::string billName;
  std::array<std::string, 4> billTo;
  std::array<std::string, 4> shipTo;
  std::string customerNotes;
  bool notesOnInvoices = false;
  std::string email;
  std::string mailSortCode;
  std::string customerType;
  std::array<std::string, 4> aging;  // ",0.00"

  // Amounts over every record of the number.
  common::Money total;
  common::Money tax;
  common::Money paid;
  common::Money net;      // total - tax
  common::Money balance;  // total - paid

  // Body.
  bool memo = false;
  bool memoMissing = false;           // a memo invoice without its memo record
  std::vector<DocumentLine> lines;    // product invoices, in line order
  std::array<std::string, 25> memoLines;

  bool IsRepeatMaster() const { return kind == "R"; }
  bool IsDeposit() const { return kind == "D" || kind == "T"; }
  bool IsCredit() const { return balance.IsNegative(); }
  bool AlreadyPrinted() const { return printedFlag == "Y"; }
};

inline constexpr std::string_view kMemoMissingText = "Error reading memo data.";

struct CollectOutcome {
  std::optional<InvoiceDocument> document;
  std::string error;  // why there is none
};

// Reads every record of `number` (trimmed, upper-cased) with its customer and body. No
// document when the number has no record, an amount is not a number, or a file cannot be read;
// `error` then says so in a sentence. `company` is the company record (date order of the paid
// date).
CollectOutcome CollectDocument(const DocumentFiles& files, std::string_view number,
                               std::span<const std::uint8_t> company);

// A line record as the documents show it.
DocumentLine DocumentLineOf(std::span<const std::uint8_t> lineRecord);

// A number as typed ("1,000", "1.5", "2"), shown with thousands separators and its own decimals
// (up to six); blank for an empty text, the trimmed text itself when it is no number.
std::string ShowTypedNumber(std::string_view stored);

// The number whose header record a collection takes: the first record of kind I, G, Z or R,
// else the last one; -1 for none.
int HeaderRecordIndex(const std::vector<std::string>& kinds);

}  // namespace tf::invoicing::documents
