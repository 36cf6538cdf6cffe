#include "products/product_import.h"

#include <algorithm>
#include <optional>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "products/product_editor.h"
#include "common/text.h"
#include "records/product_fields.h"
#include "records/product_record.h"
#include "records/product_file.h"
#include "records/record_file.h"
#include "records/walk_by_key.h"

namespace tf::products {
namespace {

enum Column { kCode, kDescription, kTaxableColumn, kPrice, kNotes, kSetup, kChanged };

const common::TextField kTextOf[] = {records::product::kProductCode, records::product::kProductDescription, {}, records::product::kSalesPrice,
                                     records::product::kProductNotes, records::product::kSetupDate, records::product::kLastChangedDate};

std::string Value(const common::CsvNamedRow& row, Column c) { return row.values[c].value_or(""); }

// The first problem of a row, or nothing; fills `record` when there is none.
std::optional<std::string> RowToRecord(const common::CsvNamedRow& row, std::string_view today,
                                       common::DateFormat dateFormat, common::RecordBuffer& record) {
  const auto& names = records::product::ProductFieldNames();
  const std::string code = Value(row, kCode);
  if (common::TrimBoth(code).empty()) return "You need to enter a product code.";
  if (common::TrimBoth(Value(row, kDescription)).empty()) return "You need to enter a product description or name.";
  const std::string notes = common::StoredLineBreaks(Value(row, kNotes));
  for (Column c : {kCode, kDescription, kPrice, kNotes, kSetup, kChanged})
    if (auto problem = common::StoredTextProblem(names[c], c == kNotes ? notes : Value(row, c), kTextOf[c].capacity,
                                                 c == kNotes ? common::TextKind::Notes : common::TextKind::Line))
      return problem;
  // Read as the editor reads a typed price: refused when it is no amount, never made 0.00.
  std::string price = common::TrimBoth(Value(row, kPrice));
  if (price.empty()) price = "0.00";
  if (!common::ParseTypedAmount(price)) return "SalesPrice: " + std::string(kBadPriceText);
  price = *common::WithoutThousandsSeparators(price);
  const std::string taxable = common::UpperCase(common::TrimBoth(Value(row, kTaxableColumn)));
  if (taxable != "Y" && taxable != "N" && !taxable.empty()) return "Taxable: must be Y or N";
  std::string setup = Value(row, kSetup);
  if (common::TrimBoth(setup).empty()) setup = today;
  const std::string changed = Value(row, kChanged);
  for (Column c : {kSetup, kChanged}) {
    const std::string& date = c == kSetup ? setup : changed;
    if (!common::TrimBoth(date).empty() && !common::ParseDate(date, dateFormat))
      return names[c] + ": not a date in the form " + std::string(common::DatePattern(dateFormat));
  }
  common::WriteText(record, records::product::kProductCode, code);
  common::WriteText(record, records::product::kProductDescription, Value(row, kDescription));
  common::WriteBool(record, records::product::kTaxable, taxable == "Y");
  common::WriteText(record, records::product::kSalesPrice, price);
  common::WriteText(record, records::product::kProductNotes, notes);
  common::WriteText(record, records::product::kSetupDate, setup);
  common::WriteText(record, records::product::kLastChangedDate, changed);
  return std::nullopt;
}

void Report(ProductImport& result, common::CsvError error) {
  ++result.problems;
  if (result.errors.size() < kMaxReportedProblems) result.errors.push_back(std::move(error));
}

}  // namespace

ProductImport ImportProductRows(engine::FileBlock* stage, std::istream& csv, std::string_view today,
                                common::DateFormat dateFormat, common::Prompter& prompter) {
  ProductImport result;
  common::CsvTableReader reader(csv, records::product::ProductFieldNames(), {"ProductCode", "ProductDescription"});
  for (const common::CsvError& e : reader.headerErrors()) Report(result, e);
  if (!reader.headerOk()) return result;
  common::CsvNamedRow row;
  std::vector<common::CsvError> passedOver;
  while (reader.Next(row, passedOver)) {
    for (common::CsvError& e : passedOver) Report(result, std::move(e));
    passedOver.clear();
    if (row.Refused()) continue;
    common::RecordBuffer record(records::product::kProductRecordLength);
    std::optional<std::string> problem = RowToRecord(row, today, dateFormat, record);
    if (!problem) {
      // The stage holds the file's products and the rows added before this one.
      common::RecordBuffer other(records::product::kProductRecordLength);
      std::int32_t ref = 0;
      if (records::product::ReadProductByCode(stage, common::ReadText(record, records::product::kProductCode), ref, other))
        problem = "This Product Code already exists for: " +
                  common::TrimBoth(common::ReadText(other, records::product::kProductDescription)) +
                  ". Use a different code.";
    }
    if (problem) {
      Report(result, {row.line, *problem});
      continue;
    }
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(stage, records::product::ProductFileKind(), record, ref, prompter)) {
      result.writeFailed = true;
      return result;
    }
    ++result.added;
  }
  for (common::CsvError& e : passedOver) Report(result, std::move(e));
  std::stable_sort(result.errors.begin(), result.errors.end(),
                   [](const common::CsvError& a, const common::CsvError& b) { return a.line < b.line; });
  return result;
}

bool ExportProducts(engine::FileBlock* file, std::ostream& out) {
  out << common::CsvLine(records::product::ProductFieldNames());
  return records::WalkByKey(file, records::product::ProductFileKind(), records::product::kKeyByCode,
                            [&](std::span<const std::uint8_t> record) {
                              out << common::CsvLine(records::product::ProductFieldValues(record));
                            });
}

}  // namespace tf::products
