#include "records/customer_fields.h"

namespace tf::records::customer {

const std::vector<NamedCustomerField>& CustomerFields() {
  static const std::vector<NamedCustomerField> fields = {
      {"CustomerNumber", kCustomerNumber},
      {"CustomerName", kCustomerName},
      {"Balance", kBalance},
      {"LastPaymentDate", kLastPaymentDate},
      {"LastInvoiceNumber", kLastInvoiceNumber},
      {"CustomerType", kCustomerType},
      {"TaxExempt", kTaxExempt},
      {"CreditLimit", kCreditLimit},
      {"Terms", kTerms},
      {"BillAddress1", kBillAddress1},
      {"BillAddress2", kBillAddress2},
      {"BillAddress3", kBillAddress3},
      {"BillAddress4", kBillAddress4},
      {"Phone1", kPhone1},
      {"ShipAddress1", kShipAddress1},
      {"ShipAddress2", kShipAddress2},
      {"ShipAddress3", kShipAddress3},
      {"ShipAddress4", kShipAddress4},
      {"Phone2", kPhone2},
      {"AgingAmount1", kAgingAmount1},
      {"AgingAmount2", kAgingAmount2},
      {"AgingAmount3", kAgingAmount3},
      {"AgingAmount4", kAgingAmount4},
      {"Notes", kNotes},
      {"NotesOnInvoices", {kNotesOnInvoices.offset, 1}, true},
      {"NotesOnStatements", {kNotesOnStatements.offset, 1}, true},
      {"ShortName", kShortName},
      {"MailSortCode", kMailSortCode},
      {"CreditHold", {kCreditHold.offset, 1}, true},
      {"EMail", kEMail},
  };
  return fields;
}

std::vector<std::string> DescribeCustomer(std::span<const unsigned char> record) {
  std::vector<std::string> lines;
  for (const NamedCustomerField& f : CustomerFields())
    lines.push_back(std::string(f.name) + ": " + common::ReadText(record, f.text));
  return lines;
}

}  // namespace tf::records::customer
