#pragma once
// Product lists in and out as CSV: a header row of the record's field names (ProductCode and
// ProductDescription required), one product a row. An import checks every row as the product
// editor checks a new product, and against the rows before it, and reports every bad row by
// its line; the caller keeps the rows only when there is none.
//
// The rows are read one at a time and each good one is added at once, in file order, to the
// file block given, which is a stage (records/staged_block.h) that the caller puts in place of
// the product file only when the whole file was good: memory stays the same however long the
// file is, and the rows before a row are found in the stage when the row is checked.

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

namespace tf::products {

// A file with many bad rows reports the first ones and counts the rest.
inline constexpr std::size_t kMaxReportedProblems = 100;

struct ProductImport {
  std::vector<common::CsvError> errors;  // the first kMaxReportedProblems problems, in line order
  std::size_t problems = 0;              // all of them
  std::size_t added = 0;                 // good rows added to the stage
  bool writeFailed = false;              // an add failed in the engine (EngineStatus tells why)
  bool Good() const { return problems == 0 && !writeFailed; }
};

// Reads, checks and adds the rows. A row without SetupDate (or with a blank one) gets `today`;
// dates given must be valid in `dateFormat`. A blank or absent SalesPrice is "0.00", a given
// one an amount as typed in the editor (stored without thousands separators); Taxable is Y or
// N (blank: N); notes have their line breaks made CR LF.
ProductImport ImportProductRows(engine::FileBlock* stage, std::istream& csv, std::string_view today,
                                common::DateFormat dateFormat, common::Prompter& prompter);

// Every product in code order, with a header row of every field name. False when the file
// could not be read to the end of its index, or the index does not list every product
// (EngineStatus tells an engine failure): a damaged file is never exported in part.
bool ExportProducts(engine::FileBlock* file, std::ostream& csv);

}  // namespace tf::products
