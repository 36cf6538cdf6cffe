#pragma once
// The company and customer records the invoicing tests start from: company 1 with a tax rate,
// next invoice number 100, month-first dates, line-item invoices and aging at 30/60/90 days;
// a customer with a balance (all of it in the first aging amount).

#include <string>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/company_record.h"
#include "records/customer_record.h"

namespace tf::invoicing::testing {

inline common::RecordBuffer InvoicingCompany(const std::string& taxRate) {
  namespace co = records::company;
  common::RecordBuffer c(co::kCompanyRecordLength);
  common::WriteText(c, co::kCompanyName, "Acme Books");
  common::WriteText(c, co::kCompanyNumber, "1");
  common::WriteText(c, co::kCompanyBalance, "0.00");
  common::WriteText(c, co::kNextInvoiceNumber, "100");
  common::WriteText(c, co::kTaxRate, taxRate);
  common::WriteBool(c, co::kCalculateTaxes, true);
  common::WriteText(c, co::kDefaultQuantity, "1");
  common::WriteText(c, co::kDefaultTerms, "Net 30 Days");
  common::WriteText(c, co::kDateFormat, "M");
  common::WriteText(c, co::kDefaultInvoiceType, "P");
  common::WriteText(c, co::kAgingDays1, "30");
  common::WriteText(c, co::kAgingDays2, "60");
  common::WriteText(c, co::kAgingDays3, "90");
  return c;
}

inline common::RecordBuffer InvoicingCustomer(const std::string& number, const std::string& name,
                                              const std::string& shortName, const std::string& balance = "0.00") {
  namespace cu = records::customer;
  common::RecordBuffer r(cu::kCustomerRecordLength);
  common::WriteText(r, cu::kCustomerNumber, number);
  common::WriteText(r, cu::kCustomerName, name);
  common::WriteText(r, cu::kShortName, shortName);
  common::WriteText(r, cu::kBalance, balance);
  common::WriteText(r, cu::kAgingAmount1, balance);
  return r;
}

}  // namespace tf::invoicing::testing
