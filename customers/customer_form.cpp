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

const std::vector<CustomerTextField>& CustomerTextFields() {
  using C = CustomerControl;
  using K = common::TextKind;
  static const std::vector<CustomerTextField> fields = {
      {C::CNo, "Customer #", "CustomerNumber", kNumberLimit, K::Line, &CustomerForm::number},
      {C::CName, "Customer / Company Name", "CustomerName", kNameLimit, K::Line, &CustomerForm::name},
      {C::CTerms, "Payment Terms", "Terms", kTermsLimit, K::Line, &CustomerForm::terms},
      {C::CustType, "Customer Type", "CustomerType", kTypeLimit, K::Line, &CustomerForm::type},
      {C::CTE, "TE", "TaxExempt", kTaxExemptLimit, K::Line, &CustomerForm::taxExempt},
      {C::CLimit, "Credit Limit", "CreditLimit", kCreditLimitLimit, K::Line, &CustomerForm::creditLimit},
      {C::CAdd1Edit, "Billing Address line 1", "BillAddress1", kAddressLimit, K::Line, nullptr, 0},
      {C::CAdd2Edit, "Billing Address line 2", "BillAddress2", kAddressLimit, K::Line, nullptr, 1},
      {C::CAdd3Edit, "Billing Address line 3", "BillAddress3", kAddressLimit, K::Line, nullptr, 2},
      {C::CAdd4Edit, "Billing Address line 4", "BillAddress4", kAddressLimit, K::Line, nullptr, 3},
      {C::CShip1, "Shipping Address line 1", "ShipAddress1", kAddressLimit, K::Line, nullptr, -1, 0},
      {C::CShip2, "Shipping Address line 2", "ShipAddress2", kAddressLimit, K::Line, nullptr, -1, 1},
      {C::CShip3, "Shipping Address line 3", "ShipAddress3", kAddressLimit, K::Line, nullptr, -1, 2},
      {C::CShip4, "Shipping Address line 4", "ShipAddress4", kAddressLimit, K::Line, nullptr, -1, 3},
      {C::CstNote, "Notes / Comments", "Notes", kNotesLimit, K::Notes, &CustomerForm::notes},
      {C::CPhone1, "Phone1", "Phone1", kPhoneLimit, K::Line, &CustomerForm::phone1},
      {C::CPhone2, "Phone2", "Phone2", kPhoneLimit, K::Line, &CustomerForm::phone2},
      {C::ShortName, "Short Name", "ShortName", kShortNameLimit, K::Line, &CustomerForm::shortName},
      {C::MListCode, "Mail List Sort Code", "MailSortCode", kMailSortCodeLimit, K::Line, &CustomerForm::mailSortCode},
      {C::EMadd, "E-Mail", "EMail", kEMailLimit, K::Line, &CustomerForm::email},
  };
  return fields;
}

std::string& TextOf(CustomerForm& form, const CustomerTextField& field) {
  if (field.text) return form.*field.text;
  return field.billLine >= 0 ? form.bill[field.billLine] : form.ship[field.shipLine];
}

const std::string& TextOf(const CustomerForm& form, const CustomerTextField& field) {
  return TextOf(const_cast<CustomerForm&>(form), field);
}

void SetTyped(CustomerForm& form, CustomerControl control, std::string_view utf8) {
  for (const CustomerTextField& field : CustomerTextFields()) {
    if (field.control != control) continue;
    common::Latin1Conversion converted = common::ConvertToLatin1(utf8);
    // Text that is not UTF-8 at all cannot come from a window; it is refused all the same.
    if (converted.badOffset && !converted.unstorable) converted.unstorable = U'\uFFFD';
    if (converted.unstorable && !form.unstorable) form.unstorable = UnstorableTyped{control, *converted.unstorable};
    TextOf(form, field) = std::move(converted.latin1);
    return;
  }
}

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
