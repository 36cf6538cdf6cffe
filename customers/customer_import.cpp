#include "customers/customer_import.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "customers/customer_checks.h"
#include "records/customer_fields.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "records/walk_by_key.h"

namespace tf::customers {
namespace {

using common::CsvError;

std::vector<std::string> ColumnNames() {
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

// Y or N in either case; blank is the editor's default.
std::optional<bool> ReadYesNo(const std::string& text, bool blank) {
  const std::string t = common::UpperCase(common::TrimBoth(text));
  if (t == "Y") return true;
  if (t == "N") return false;
  if (t.empty()) return blank;
  return std::nullopt;
}

// The form a row fills, or the first problem of the row.
std::optional<std::string> RowToForm(const RowValues& v, const CustomerImportSettings& settings, CustomerForm& form) {
  form.name = v.Or("CustomerName", "");
  form.terms = v.Get("Terms") ? *v.Get("Terms") : settings.defaultTerms;
  form.type = v.Or("CustomerType", "");
  const auto taxExempt = ReadYesNo(v.Or("TaxExempt", ""), false);
  if (!taxExempt) return std::string("TaxExempt: must be Y or N");
  form.taxExempt = *taxExempt ? "Y" : "N";
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
    auto yes = ReadYesNo(v.Or(c.name, ""), false);
    if (!yes) return std::string(c.name) + ": must be Y or N";
    *c.target = *yes;
  }
  return std::nullopt;
}

// The fields the program keeps itself: the balance and the aging amounts come from invoices and
// payments, so only zero is taken (written "0.00"); the last payment date must be a date; the
// last invoice number a one-line text that fits.
std::optional<std::string> ReadKeptFields(const RowValues& v, const CustomerImportSettings& settings,
                                          common::RecordBuffer& record) {
  for (const char* name : {"Balance", "AgingAmount1", "AgingAmount2", "AgingAmount3", "AgingAmount4"}) {
    auto amount = common::ParseTypedAmount(v.Or(name, ""), common::BlankAmount::Zero);
    if (!amount) return std::string(name) + ": not a valid amount";
    if (!amount->IsZero())
      return std::string(name) +
             ": only 0.00 can be imported (balances come from the invoices and payments entered)";
    common::WriteText(record, Field(name).text, "0.00");
  }
  const std::string paid = v.Or("LastPaymentDate", "");
  if (!common::TrimBoth(paid).empty() && !common::ParseDate(paid, settings.dateFormat))
    return "LastPaymentDate: not a date in the form " + std::string(common::DatePattern(settings.dateFormat));
  const std::string invoice = v.Or("LastInvoiceNumber", "");
  for (const auto& [name, text, capacity] :
       {std::tuple{"LastPaymentDate", paid, records::customer::kLastPaymentDate.capacity},
        std::tuple{"LastInvoiceNumber", invoice, records::customer::kLastInvoiceNumber.capacity}})
    if (auto problem = common::StoredTextProblem(name, text, capacity, common::TextKind::Line)) return problem;
  common::WriteText(record, records::customer::kLastPaymentDate, paid);
  common::WriteText(record, records::customer::kLastInvoiceNumber, invoice);
  return std::nullopt;
}

void Report(CustomerImport& result, CsvError error) {
  ++result.problems;
  if (result.errors.size() < kMaxReportedProblems) result.errors.push_back(std::move(error));
}

}  // namespace

CustomerImport ImportCustomerRows(engine::FileBlock* stage, std::istream& csv, const CustomerImportSettings& settings,
                                  common::Prompter& prompter) {
  CustomerImport result;
  // A company that proposes no number would give every row a blank one.
  result.nextCustomerNumber = common::TrimBoth(settings.nextCustomerNumber).empty()
                                  ? records::customer::NextCustomerNumberAfter("")
                                  : settings.nextCustomerNumber;
  common::CsvTableReader reader(csv, ColumnNames(), {"CustomerName"});
  for (const CsvError& e : reader.headerErrors()) Report(result, e);
  // Rows read under a wrong header would only repeat its problem.
  if (!reader.headerOk()) return result;
  FileCustomerLookup lookup(stage);
  common::CsvNamedRow row;
  std::vector<CsvError> passedOver;
  while (reader.Next(row, passedOver)) {
    for (CsvError& e : passedOver) Report(result, std::move(e));
    passedOver.clear();
    if (row.Refused()) continue;
    const RowValues values(row);
    CustomerForm form;
    common::RecordBuffer record(records::customer::kCustomerRecordLength);
    std::optional<std::string> problem = RowToForm(values, settings, form);
    std::string number = values.Or("CustomerNumber", "");
    const bool proposed = common::TrimBoth(number).empty();
    if (proposed) number = result.nextCustomerNumber;
    form.number = number;
    if (!problem) problem = ReadKeptFields(values, settings, record);
    if (!problem) {
      if (auto failure = CheckCustomerForm(form, std::nullopt, lookup, FieldNames::Columns)) {
        problem = failure->text;
        if (proposed && failure->focus == CustomerControl::CNo && form.number.size() > kNumberLimit)
          problem = "CustomerNumber: the proposed number " + form.number + " is longer than 8 characters";
      }
    }
    if (problem) {
      Report(result, {row.line, *problem});
      continue;
    }
    FormToRecord(form, record);
    std::int32_t ref = 0;
    if (!records::AddKeyedRecord(stage, records::customer::CustomerFileKind(), record, ref, prompter)) {
      result.writeFailed = true;
      return result;
    }
    ++result.added;
    result.nextCustomerNumber = records::customer::NextCustomerNumberAfter(form.number);
  }
  for (CsvError& e : passedOver) Report(result, std::move(e));
  std::stable_sort(result.errors.begin(), result.errors.end(),
                   [](const CsvError& a, const CsvError& b) { return a.line < b.line; });
  return result;
}

bool ExportCustomers(engine::FileBlock* handle, std::ostream& out) {
  out << common::CsvLine(ColumnNames());
  std::vector<std::string> fields;
  return records::WalkByKey(handle, records::customer::CustomerFileKind(), records::customer::kKeyByName,
                            [&](std::span<const std::uint8_t> record) {
                              fields.clear();
                              for (const records::customer::NamedCustomerField& f : records::customer::CustomerFields())
                                fields.push_back(common::ReadText(record, f.text));
                              out << common::CsvLine(fields);
                            });
}

}  // namespace tf::customers
