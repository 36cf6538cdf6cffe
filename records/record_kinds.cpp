#include "records/record_kinds.h"

#include <fnmatch.h>

#include "records/company_fields.h"
#include "records/company_record.h"
#include "records/customer_fields.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/product_fields.h"
#include "records/product_file.h"

namespace tf::records {

const RecordKind* RecordKindRegistry::Find(std::string_view blockName) const {
  std::string name(blockName);
  for (const RecordKind& kind : kinds_)
    if (fnmatch(kind.blockPattern.c_str(), name.c_str(), 0) == 0) return &kind;
  return nullptr;
}

const RecordKindRegistry& BuiltInRecordKinds() {
  static const RecordKindRegistry registry = [] {
    RecordKindRegistry r;
    r.Add({"companies", std::string(company::kCompanyFileBlock), company::CompanyKeys, company::DescribeCompany,
           &company::CompanyFileKind()});
    // Every company's file blocks: the company number followed by one letter.
    r.Add({"customers", "[0-9]*C", customer::CustomerKeys, customer::DescribeCustomer, &customer::CustomerFileKind()});
    r.Add({"products", "[0-9]*P", product::ProductKeys, product::DescribeProduct, &product::ProductFileKind()});
    r.Add({"invoices", "[0-9]*I", invoice::InvoiceKeys, invoice::DescribeInvoice, &invoice::InvoiceFileKind()});
    r.Add({"invoice lines", "[0-9]*D", invoice::LineKeys, invoice::DescribeLine, &invoice::LineFileKind()});
    r.Add({"memos", "[0-9]*M", invoice::MemoKeys, invoice::DescribeMemo, &invoice::MemoFileKind()});
    return r;
  }();
  return registry;
}

}  // namespace tf::records
