#pragma once
// Customer lists in and out as CSV: a header row of the record's field names (only
// CustomerName is required), one customer a row. An import checks every row as the customer
// editor checks a new customer, and against the rows before it, and reports every bad row by
// its line; the caller keeps the rows only when there is none.
//
// The rows are read one at a time and each good one is added at once to the file block given,
// which is a stage (records/staged_block.h) that the caller puts in place of the customer
// file only when the whole file was good: memory stays the same for ten rows or ten million,
// and the rows before a row are found in the stage when the row is checked.

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"
#include "common/date_text.h"
#include "common/prompter.h"
#include "engine/core/engine.h"

namespace tf::customers {

// A file with many bad rows reports the first ones and counts the rest.
inline constexpr std::size_t kMaxReportedProblems = 100;

struct CustomerImport {
  std::vector<common::CsvError> errors;  // the first kMaxReportedProblems problems, in line order
  std::size_t problems = 0;              // all of them
  std::size_t added = 0;                 // good rows added to the stage
  bool writeFailed = false;              // an add failed in the engine (EngineStatus tells why)
  // The company's next proposal once these customers are added.
  std::string nextCustomerNumber;
  bool Good() const { return problems == 0 && !writeFailed; }
};

struct CustomerImportSettings {
  std::string nextCustomerNumber;  // the company's proposal for the first row without a number
  std::string defaultTerms;        // the terms of a row without a Terms column
  common::DateFormat dateFormat = common::DateFormat::MonthFirst;  // of LastPaymentDate
};

// Reads, checks and adds the rows. A row without CustomerNumber (or with a blank one) takes
// the running proposal, starting at the company's (at 1 when that is blank); a row without
// TaxExempt, CreditLimit or Terms takes what the editor proposes ("N", "0.00", the default
// terms), and a blank flag is the editor's unchecked box. Balance and the aging amounts must
// be zero (the program keeps them from invoices and payments); LastPaymentDate, when given,
// a date in the company's format; notes have their line breaks made CR LF.
CustomerImport ImportCustomerRows(engine::FileBlock* stage, std::istream& csv, const CustomerImportSettings& settings,
                                  common::Prompter& prompter);

// Every customer in name order, with a header row of every field name. False when the file
// could not be read to the end of its index, or the index does not list every customer
// (EngineStatus tells an engine failure): a damaged file is never exported in part.
bool ExportCustomers(engine::FileBlock* handle, std::ostream& csv);

}  // namespace tf::customers
