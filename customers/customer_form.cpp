#include "customers/customer_form.h"

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "customers/customer_record.h"

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
  f.number = ReadText(r, kCustomerNumber);
  f.name = ReadText(r, kCustomerName);
  f.terms = ReadText(r, kTerms);
  f.type = ReadText(r, kCustomerType);
  f.taxExempt = ReadText(r, kTaxExempt);
  f.creditLimit = ReadText(r, kCreditLimit);
  if (f.creditLimit.empty()) f.creditLimit = "0.00";
  for (int k = 0; k < 4; ++k) {
    f.bill[k] = ReadText(r, kBillAddress[k]);
    f.ship[k] = ReadText(r, kShipAddress[k]);
  }
  f.notes = ReadText(r, kNotes);
  f.phone1 = ReadText(r, kPhone1);
  f.phone2 = ReadText(r, kPhone2);
  f.shortName = ReadText(r, kShortName);
  f.mailSortCode = ReadText(r, kMailSortCode);
  f.email = ReadText(r, kEMail);
  f.creditHold = ReadFlag(r, kCreditHold);
  f.notesOnInvoices = ReadFlag(r, kNotesOnInvoices);
  f.notesOnStatements = ReadFlag(r, kNotesOnStatements);
  return f;
}

void FormToRecord(const CustomerForm& f, std::span<std::uint8_t> r) {
  WriteText(r, kCustomerNumber, f.number);
  WriteText(r, kCustomerName, f.name);
  WriteText(r, kTerms, f.terms);
  WriteText(r, kCustomerType, f.type);
  WriteText(r, kTaxExempt, common::UpperCase(f.taxExempt));
  std::string limit = common::TrimBoth(common::RemoveCommas(f.creditLimit));
  WriteText(r, kCreditLimit, limit.empty() ? "0.00" : limit);
  for (int k = 0; k < 4; ++k) {
    WriteText(r, kBillAddress[k], f.bill[k]);
    WriteText(r, kShipAddress[k], f.ship[k]);
  }
  WriteText(r, kNotes, f.notes);
  WriteText(r, kPhone1, f.phone1);
  WriteText(r, kPhone2, f.phone2);
  WriteText(r, kShortName, f.shortName);
  WriteText(r, kMailSortCode, f.mailSortCode);
  WriteText(r, kEMail, f.email);
  WriteFlag(r, kCreditHold, f.creditHold);
  WriteFlag(r, kNotesOnInvoices, f.notesOnInvoices);
  WriteFlag(r, kNotesOnStatements, f.notesOnStatements);
}

}  // namespace tf::customers
