#include "products/product_import.h"

#include <algorithm>
#include <optional>
#include <set>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/product_fields.h"
#include "records/product_record.h"
#include "records/product_file.h"
#include "records/record_file.h"

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
  for (Column c : {kCode, kDescription, kPrice, kNotes, kSetup, kChanged})
    if (Value(row, c).size() > kTextOf[c].capacity)
      return names[c] + ": longer than " + std::to_string(kTextOf[c].capacity) + " characters";
  const std::string code = Value(row, kCode);
  if (common::TrimBoth(code).empty()) return "You need to enter a product code.";
  if (common::TrimBoth(Value(row, kDescription)).empty()) return "You need to enter a product description or name.";
  // The editor quietly turns a price it cannot read into 0.00; a file is refused instead, so
  // that no price is lost without a word.
  std::string price = Value(row, kPrice);
  if (common::TrimBoth(price).empty()) price = "0.00";
  if (!common::ParseAmount(price)) return "SalesPrice: not a plain number (digits with \".\", no commas)";
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
  common::WriteText(record, records::product::kProductNotes, Value(row, kNotes));
  common::WriteText(record, records::product::kSetupDate, setup);
  common::WriteText(record, records::product::kLastChangedDate, changed);
  return std::nullopt;
}

}  // namespace

ProductImport PlanProductImport(engine::FileBlock* file, std::string_view csvText, std::string_view today,
                                common::DateFormat dateFormat) {
  ProductImport plan;
  common::CsvTable table = common::ReadCsvTable(csvText, records::product::ProductFieldNames(), {"ProductCode", "ProductDescription"});
  plan.errors = table.errors;
  std::set<std::string> codes;  // key 1 of the rows taken so far
  for (const common::CsvNamedRow& row : table.rows) {
    common::RecordBuffer record(records::product::kProductRecordLength);
    std::optional<std::string> problem = RowToRecord(row, today, dateFormat, record);
    if (!problem) {
      const std::string key = records::product::ProductKey(record, records::product::kKeyByCode);
      common::RecordBuffer other(records::product::kProductRecordLength);
      std::int32_t ref = 0;
      if (codes.count(key)) {
        problem = "ProductCode: " + common::TrimBoth(common::ReadText(record, records::product::kProductCode)) +
                  " appears on an earlier line";
      } else if (records::product::ReadProductByCode(file, common::ReadText(record, records::product::kProductCode), ref, other)) {
        problem = "This Product Code already exists for: " +
                  common::TrimBoth(common::ReadText(other, records::product::kProductDescription)) + ". Use a different code.";
      }
      codes.insert(key);
    }
    if (problem) {
      plan.errors.push_back({row.line, *problem});
      continue;
    }
    plan.records.push_back(std::move(record));
  }
  std::stable_sort(plan.errors.begin(), plan.errors.end(),
                   [](const common::CsvError& a, const common::CsvError& b) { return a.line < b.line; });
  if (!plan.errors.empty()) plan.records.clear();
  return plan;
}

bool WriteProductImport(engine::FileBlock* file, const ProductImport& plan, common::Prompter& prompter) {
  if (!plan.errors.empty()) return false;
  return records::AddKeyedRecords(file, records::product::ProductFileKind(), plan.records, prompter);
}

bool ExportProducts(engine::FileBlock* file, std::string& out) {
  out = common::CsvLine(records::product::ProductFieldNames());
  common::RecordBuffer record(records::product::kProductRecordLength);
  std::string key;
  std::int32_t ref = 0;
  engine::ClearKey(file, records::product::kKeyByCode);
  for (engine::NextKey(file, records::product::kKeyByCode, ref, key); engine::EngineOK; engine::NextKey(file, records::product::kKeyByCode, ref, key)) {
    engine::GetRecord(file, ref, record.data());
    if (!engine::EngineOK) return false;
    out += common::CsvLine(records::product::ProductFieldValues(record));
  }
  return engine::EngineStatus == engine::status::kNextPastEnd;
}

}  // namespace tf::products
