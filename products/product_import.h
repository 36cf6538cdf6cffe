#pragma once
// Product lists in and out as CSV: a header row of the record's field names (ProductCode and
// ProductDescription required), one product a row. An import checks every row as the product
// editor checks a new product, and against the rows before it, before anything is written: a
// file with any bad row is refused whole, with every bad row reported by its line. Rows are
// added in file order, each as the Product Manager adds one.

#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"
#include "common/date_text.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"

namespace tf::products {

struct ProductImport {
  std::vector<common::CsvError> errors;  // empty: the records may be written
  std::vector<common::RecordBuffer> records;
};

// Reads and checks the rows. A row without SetupDate (or with a blank one) gets `today`; dates
// given must be valid in `dateFormat`. A blank or absent SalesPrice is "0.00"; Taxable is Y or
// N (blank: N).
ProductImport PlanProductImport(engine::FileBlock* file, std::string_view csvText, std::string_view today,
                                common::DateFormat dateFormat);

// Adds the planned records in order. On a failure the records already added are removed again
// and false is returned, with EngineStatus telling the first failure.
bool WriteProductImport(engine::FileBlock* file, const ProductImport& plan, common::Prompter& prompter);

// Every product in code order, with a header row of every field name. False when the file
// could not be read to its end (EngineStatus tells why).
bool ExportProducts(engine::FileBlock* file, std::string& csv);

}  // namespace tf::products
