#include "records/record_kinds.h"

#include <fnmatch.h>

#include <string>
#include <variant>

#include "records/company_fields.h"
#include "records/company_record.h"
#include "records/customer_fields.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/product_fields.h"
#include "records/product_file.h"
#include "records/product_record.h"

namespace tf::records {

const RecordKind* RecordKindRegistry::Find(std::string_view blockName) const {
  std::string name(blockName);
  for (const RecordKind& kind : kinds_)
    if (fnmatch(kind.blockPattern.c_str(), name.c_str(), 0) == 0) return &kind;
  return nullptr;
}

namespace {

using engine::RecordTextField;

RecordTextField Field(const char* name, common::TextField text) { return {name, text.offset, text.capacity}; }

std::vector<RecordTextField> CompanyTextFields() {
  std::vector<RecordTextField> out;
  for (const company::NamedField& f : company::CompanyFields()) {
    if (const auto* text = std::get_if<common::TextField>(&f.field)) out.push_back(Field(f.name, *text));
    if (const auto* flag = std::get_if<common::FlagField>(&f.field)) out.push_back({f.name, flag->offset, 1});
  }
  return out;
}

std::vector<RecordTextField> CustomerTextFields() {
  std::vector<RecordTextField> out;
  for (const customer::NamedCustomerField& f : customer::CustomerFields()) out.push_back(Field(f.name, f.text));
  return out;
}

std::vector<RecordTextField> ProductTextFields() {
  using namespace product;
  return {Field("ProductCode", kProductCode),   Field("ProductDescription", kProductDescription),
          Field("SalesPrice", kSalesPrice),     Field("ProductNotes", kProductNotes),
          Field("SetupDate", kSetupDate),       Field("LastChangedDate", kLastChangedDate)};
}

std::vector<RecordTextField> InvoiceTextFields() {
  using namespace invoice;
  return {Field("InvoiceNumber", kInvoiceNumber), Field("RecordKind", kRecordKind),
          Field("KeyCode", kKeyCode),             Field("CustomerNumber", kCustomerNumber),
          Field("CompanyNumber", kCompanyNumber), Field("InvoiceDate", kInvoiceDate),
          Field("PrintedFlag", kPrintedFlag),     Field("InvoiceMonth", kInvoiceMonth),
          Field("InvoiceDay", kInvoiceDay),       Field("InvoiceYear", kInvoiceYear),
          Field("DateKey", kDateKey),             Field("Notes", kNotes),
          Field("Terms", kTerms),                 Field("StatementNote", kStatementNote),
          Field("InvoiceType", kInvoiceType),     Field("ShortName", kShortName),
          Field("NetAmount", kNetAmount),         Field("TaxAmount", kTaxAmount),
          Field("TotalAmount", kTotalAmount),     Field("PaidAmount", kPaidAmount),
          Field("BalanceDue", kBalanceDue),       Field("DatePaid", kDatePaid),
          Field("RepeatUnit", kRepeatUnit),       Field("PaidFlag", kPaidFlag),
          Field("NextDueDate", kNextDueDate),     Field("RepeatInterval", kRepeatInterval),
          Field("RepeatCount", kRepeatCount),     Field("EMailedDate", kEMailedDate)};
}

std::vector<RecordTextField> LineTextFields() {
  using namespace invoice;
  return {Field("LineText", kLineText),           Field("LineKind", kLineKind),
          Field("CompanyNumber", kLineCompanyNumber), Field("InvoiceNumber", kLineInvoiceNumber),
          Field("DateKey", kLineDateKey),         Field("ProductCode", kLineProductCode),
          Field("CustomerNumber", kLineCustomerNumber), Field("ShortName", kLineShortName)};
}

std::vector<RecordTextField> MemoTextFields() {
  std::vector<RecordTextField> out{Field("InvoiceNumber", invoice::kMemoInvoiceNumber)};
  for (int n = 1; n <= invoice::kMemoLineCount; ++n)
    out.push_back({"MemoLine" + std::to_string(n), invoice::MemoLine(n).offset, invoice::MemoLine(n).capacity});
  return out;
}

}  // namespace

const RecordKindRegistry& BuiltInRecordKinds() {
  static const RecordKindRegistry registry = [] {
    RecordKindRegistry r;
    r.Add({"companies", std::string(company::kCompanyFileBlock), company::CompanyKeys, company::DescribeCompany,
           &company::CompanyFileKind(), CompanyTextFields()});
    // Every company's file blocks: the company number followed by one letter.
    r.Add({"customers", "[0-9]*C", customer::CustomerKeys, customer::DescribeCustomer, &customer::CustomerFileKind(),
           CustomerTextFields()});
    r.Add({"products", "[0-9]*P", product::ProductKeys, product::DescribeProduct, &product::ProductFileKind(),
           ProductTextFields()});
    r.Add({"invoices", "[0-9]*I", invoice::InvoiceKeys, invoice::DescribeInvoice, &invoice::InvoiceFileKind(),
           InvoiceTextFields()});
    r.Add({"invoice lines", "[0-9]*D", invoice::LineKeys, invoice::DescribeLine, &invoice::LineFileKind(),
           LineTextFields()});
    r.Add({"memos", "[0-9]*M", invoice::MemoKeys, invoice::DescribeMemo, &invoice::MemoFileKind(),
           MemoTextFields()});
    return r;
  }();
  return registry;
}

}  // namespace tf::records
