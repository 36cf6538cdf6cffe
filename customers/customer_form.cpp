#include "customers/customer_form.h"

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"

namespace tf::customers {

using common::ReadFlag;
using common::ReadText;
using common::WriteFlag;
using common::WriteText;

std::string ShortNameOf(const std::string& name) {
  const std::size_t blank = name.find(' ');
  if (blank == std::string::npos) return common::Cut(name, kShortNameLimit);
  return common::Cut(name.substr(0, 1) + name.substr(blank + 1, kShortNameLimit - 1), kShortNameLimit);
}

CustomerForm FormFromRecord(std::span<const std::uint8_t> r) {
  CustomerForm f;
  f.number = ReadText(r, records::customer::kCustomerNumber);
  f.name = ReadText(r, records::customer::kCustomerName);
  f.terms = ReadText(r, records::customer::kTerms);
  f.type = ReadText(r, records::customer::kCustomerType);
  f.taxExempt = ReadText(r, records::customer::kTaxExempt);
  f.creditLimit = ReadText(r, records::customer::kCreditLimit);
  if (f.creditLimit.empty()) f.creditLimit = "0.00";
  for (int k = 0; k < 4; ++k) {
    f.bill[k] = ReadText(r, records::customer::kBillAddress[k]);
    f.ship[k] = ReadText(r, records::customer::kShipAddress[k]);
  }
  f.notes = ReadText(r, records::customer::kNotes);
  f.phone1 = ReadText(r, records::customer::kPhone1);
  f.phone2 = ReadText(r, records::customer::kPhone2);
  f.shortName = ReadText(r, records::customer::kShortName);
  f.mailSortCode = ReadText(r, records::customer::kMailSortCode);
  f.email = ReadText(r, records::customer::kEMail);
  f.creditHold = ReadFlag(r, records::customer::kCreditHold);
  f.notesOnInvoices = ReadFlag(r, records::customer::kNotesOnInvoices);
  f.notesOnStatements = ReadFlag(r, records::customer::kNotesOnStatements);
  return f;
}

void FormToRecord(const CustomerForm& f, std::span<std::uint8_t> r) {
  WriteText(r, records::customer::kCustomerNumber, f.number);
  WriteText(r, records::customer::kCustomerName, f.name);
  WriteText(r, records::customer::kTerms, f.terms);
  WriteText(r, records::customer::kCustomerType, f.type);
  WriteText(r, records::customer::kTaxExempt, common::UpperCase(f.taxExempt));
  std::string limit = common::TrimBoth(common::RemoveCommas(f.creditLimit));
  WriteText(r, records::customer::kCreditLimit, limit.empty() ? "0.00" : limit);
  for (int k = 0; k < 4; ++k) {
    WriteText(r, records::customer::kBillAddress[k], f.bill[k]);
    WriteText(r, records::customer::kShipAddress[k], f.ship[k]);
  }
  WriteText(r, records::customer::kNotes, f.notes);
  WriteText(r, records::customer::kPhone1, f.phone1);
  WriteText(r, records::customer::kPhone2, f.phone2);
  WriteText(r, records::customer::kShortName, f.shortName);
  WriteText(r, records::customer::kMailSortCode, f.mailSortCode);
  WriteText(r, records::customer::kEMail, f.email);
  WriteFlag(r, records::customer::kCreditHold, f.creditHold);
  WriteFlag(r, records::customer::kNotesOnInvoices, f.notesOnInvoices);
  WriteFlag(r, records::customer::kNotesOnStatements, f.notesOnStatements);
}

}  // namespace tf::customers
