#pragma once
// Customer lists in and out as CSV: a header row of the record's field names (only
// CustomerName is required), one customer a row. An import checks every row as the customer
// editor checks a new customer, and against the rows before it, before anything is written:
// a file with any bad row is refused whole, with every bad row reported by its line.

#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"

namespace tf::customers {

struct CustomerImport {
  std::vector<common::CsvError> errors;  // empty: the records may be written
  std::vector<common::RecordBuffer> records;
  // The company's next proposal once these customers are added.
  std::string nextCustomerNumber;
};

// Reads and checks the rows. A row without CustomerNumber (or with a blank one) takes the
// running proposal, starting at `nextCustomerNumber` (at 1 when that is blank); a row without
// TaxExempt, CreditLimit or Terms takes what the editor proposes ("N", "0.00", `defaultTerms`).
CustomerImport PlanCustomerImport(engine::FileBlock* handle, std::string_view csvText,
                                  std::string_view nextCustomerNumber, std::string_view defaultTerms);

// Adds the planned records. On a failure the records already added are removed again and
// false is returned, with EngineStatus telling the first failure.
bool WriteCustomerImport(engine::FileBlock* handle, const CustomerImport& plan, common::Prompter& prompter);

// Every customer in name order, with a header row of every field name.
std::string ExportCustomers(engine::FileBlock* handle);

}  // namespace tf::customers
