#include "customers/customer_import.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/text.h"
#include "customers/customer_checks.h"
#include "records/customer_fields.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"

namespace tf::customers {
namespace {

using common::CsvError;

// The file's customers and the rows of the import read before the current one.
class ImportLookup : public CustomerLookup {
 public:
  explicit ImportLookup(engine::FileBlock* handle) : file_(handle) {}
  bool HasNumber(std::string_view number) override {
    return numbers_.count(records::customer::ComparableText(number)) || file_.HasNumber(number);
  }
  std::optional<std::string> NumberOfName(std::string_view name) override {
    if (auto it = names_.find(records::customer::ComparableText(name)); it != names_.end()) return it->second;
    return file_.NumberOfName(name);
  }
  void Take(const std::string& number, const std::string& name) {
    numbers_.emplace(records::customer::ComparableText(number), true);
    names_.emplace(records::customer::ComparableText(name), records::customer::ComparableText(number));
  }

 private:
  FileCustomerLookup file_;
  std::map<std::string, bool> numbers_;
  std::map<std::string, std::string> names_;
};

std::vector<std::string> FieldNames() {
  std::vector<std::string> names;
  for (const records::customer::NamedCustomerField& f : records::customer::CustomerFields()) names.push_back(f.name);
  return names;
}

const records::customer::NamedCustomerField& Field(std::string_view name) {
  for (const records::customer::NamedCustomerField& f : records::customer::CustomerFields())
    if (name == f.name) return f;
  throw std::logic_error("no customer field " + std::string(name));
}

// The values of one row, by field name; absent columns read as nothing.
class RowValues {
 public:
  explicit RowValues(const common::CsvNamedRow& row) : row_(row) {}
  std::optional<std::string> Get(std::string_view name) const {
    const auto& fields = records::customer::CustomerFields();
    for (std::size_t k = 0; k < fields.size(); ++k)
      if (name == fields[k].name) return row_.values[k];
    return std::nullopt;
  }
  std::string Or(std::string_view name, std::string_view fallback) const {
    auto v = Get(name);
    return v ? *v : std::string(fallback);
  }

 private:
  const common::CsvNamedRow& row_;
};

// Y or N in either case; blank reads as N.
std::optional<bool> ReadYesNo(const std::string& text) {
  const std::string t = common::UpperCase(common::TrimBoth(text));
  if (t == "Y") return true;
  if (t == "N" || t.empty()) return false;
  return std::nullopt;
}

// The form a row fills, or the first problem of the row.
std::optional<std::string> RowToForm(const RowValues& v, CustomerForm& form) {
  for (const records::customer::NamedCustomerField& f : records::customer::CustomerFields()) {
    auto value = v.Get(f.name);
    if (value && !f.flag && value->size() > f.text.capacity)
      return std::string(f.name) + ": longer than " + std::to_string(f.text.capacity) + " characters";
  }
  form.name = v.Or("CustomerName", "");
  form.terms = v.Or("Terms", "");
  form.type = v.Or("CustomerType", "");
  form.taxExempt = v.Or("TaxExempt", "N");
  form.creditLimit = v.Or("CreditLimit", "0.00");
  for (int k = 0; k < 4; ++k) {
    form.bill[k] = v.Or("BillAddress" + std::to_string(k + 1), "");
    form.ship[k] = v.Or("ShipAddress" + std::to_string(k + 1), "");
  }
  form.notes = v.Or("Notes", "");
  form.phone1 = v.Or("Phone1", "");
  form.phone2 = v.Or("Phone2", "");
  form.shortName = v.Or("ShortName", "");
  form.mailSortCode = v.Or("MailSortCode", "");
  form.email = v.Or("EMail", "");
  struct FlagColumn { const char* name; bool* target; };
  for (FlagColumn c : {FlagColumn{"CreditHold", &form.creditHold}, FlagColumn{"NotesOnInvoices", &form.notesOnInvoices},
                       FlagColumn{"NotesOnStatements", &form.notesOnStatements}}) {
    auto yes = ReadYesNo(v.Or(c.name, ""));
    if (!yes) return std::string(c.name) + ": must be Y or N";
    *c.target = *yes;
  }
  return std::nullopt;
}

// Balance and aging amounts: a valid amount, written "0.00"; "0.00" when absent or blank.
std::optional<std::string> ReadAmounts(const RowValues& v, common::RecordBuffer& record) {
  for (const char* name : {"Balance", "AgingAmount1", "AgingAmount2", "AgingAmount3", "AgingAmount4"}) {
    auto amount = common::ParseTypedAmount(v.Or(name, ""), common::BlankAmount::Zero);
    if (!amount) return std::string(name) + ": not a valid amount";
    common::WriteText(record, Field(name).text, common::Format0_00(*amount));
  }
  return std::nullopt;
}

}  // namespace

CustomerImport PlanCustomerImport(engine::FileBlock* handle, std::string_view csvText,
                                  std::string_view nextCustomerNumber, std::string_view defaultTerms) {
  CustomerImport plan;
  // A company that proposes no number would give every row a blank one.
  plan.nextCustomerNumber = common::TrimBoth(nextCustomerNumber).empty() ? records::customer::NextCustomerNumberAfter("")
                                                                         : std::string(nextCustomerNumber);
  common::CsvTable table = common::ReadCsvTable(csvText, FieldNames(), {"CustomerName"});
  plan.errors = table.errors;
  // Rows read under a wrong header would only repeat its problem.
  if (!table.headerOk) table.rows.clear();
  ImportLookup lookup(handle);
  for (const common::CsvNamedRow& row : table.rows) {
    const RowValues values(row);
    CustomerForm form;
    std::optional<std::string> problem = RowToForm(values, form);
    if (!values.Get("Terms")) form.terms = std::string(defaultTerms);
    std::string number = values.Or("CustomerNumber", "");
    if (common::TrimBoth(number).empty()) number = plan.nextCustomerNumber;
    form.number = number;
    common::RecordBuffer record(records::customer::kCustomerRecordLength);
    if (!problem) problem = ReadAmounts(values, record);
    if (!problem) {
      if (auto failure = CheckCustomerForm(form, std::nullopt, lookup)) {
        problem = failure->text;
      } else if (form.number.size() > kNumberLimit) {
        problem = "CustomerNumber: the proposed number " + form.number + " is longer than 8 characters";
      }
    }
    if (problem) {
      plan.errors.push_back({row.line, *problem});
      continue;
    }
    FormToRecord(form, record);
    common::WriteText(record, records::customer::kLastPaymentDate, values.Or("LastPaymentDate", ""));
    common::WriteText(record, records::customer::kLastInvoiceNumber, values.Or("LastInvoiceNumber", ""));
    lookup.Take(form.number, form.name);
    plan.nextCustomerNumber = records::customer::NextCustomerNumberAfter(form.number);
    plan.records.push_back(std::move(record));
  }
  std::stable_sort(plan.errors.begin(), plan.errors.end(),
                   [](const CsvError& a, const CsvError& b) { return a.line < b.line; });
  if (!plan.errors.empty()) plan.records.clear();
  return plan;
}

bool WriteCustomerImport(engine::FileBlock* handle, const CustomerImport& plan, common::Prompter& prompter) {
  if (!plan.errors.empty()) return false;
  return records::AddKeyedRecords(handle, records::customer::CustomerFileKind(), plan.records, prompter);
}

std::string ExportCustomers(engine::FileBlock* handle) {
  std::string out = common::CsvLine(FieldNames());
  common::RecordBuffer record(records::customer::kCustomerRecordLength);
  std::string key;
  std::int32_t ref = 0;
  engine::SearchKey(handle, records::customer::kKeyByName, ref, key);
  while (engine::EngineOK) {
    engine::GetRecord(handle, ref, record.data());
    if (!engine::EngineOK) break;
    std::vector<std::string> fields;
    for (const records::customer::NamedCustomerField& f : records::customer::CustomerFields()) fields.push_back(common::ReadText(record, f.text));
    out += common::CsvLine(fields);
    engine::NextKey(handle, records::customer::kKeyByName, ref, key);
  }
  return out;
}

}  // namespace tf::customers
