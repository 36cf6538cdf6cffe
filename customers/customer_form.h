#pragma once
// The texts of the customer editor's fields, and how they go into and come out of a record.
// Shared by the editor and by the import of customer lists, which fill the same fields.

#include <cstdint>
#include <span>
#include <string>

namespace tf::customers {

// The editor's controls that a check can send the focus to.
enum class CustomerControl { None, CNo, CName, CTerms, CustType, CTE, CLimit, EMadd, ShortName };

struct CustomerForm {
  std::string number;      // CNo, at most 8
  std::string name;        // CName, 35
  std::string terms;       // CTerms, 35
  std::string type;        // CustType, 25
  std::string taxExempt;   // CTE, 1
  std::string creditLimit; // CLimit, 10
  std::string bill[4];     // CAdd1Edit..CAdd4Edit, 35 each
  std::string ship[4];     // CShip1..CShip4, 35 each
  std::string notes;       // CstNote, 240
  std::string phone1;      // CPhone1, 25
  std::string phone2;      // CPhone2, 25
  std::string shortName;   // ShortName, 10
  std::string mailSortCode;// MListCode, 15
  std::string email;       // EMadd, 50
  bool creditHold = false;         // CRHold
  bool notesOnInvoices = false;    // NotesOnInv
  bool notesOnStatements = false;  // NotesOnStmnt
};

// Field limits of the editor's boxes.
inline constexpr std::size_t kNumberLimit = 8, kNameLimit = 35, kTermsLimit = 35, kTypeLimit = 25,
                             kTaxExemptLimit = 1, kCreditLimitLimit = 10, kAddressLimit = 35,
                             kNotesLimit = 240, kPhoneLimit = 25, kShortNameLimit = 10,
                             kMailSortCodeLimit = 15, kEMailLimit = 50;

// The short name made from a name: with no blank its first 10 characters, else its first
// character and up to 9 characters after the first blank ("John Smith" -> "JSmith").
std::string ShortNameOf(const std::string& name);

// The fields of a stored record (an empty credit limit shows "0.00").
CustomerForm FormFromRecord(std::span<const std::uint8_t> record);

// Writes the editable fields into the record: the credit limit without commas ("0.00" when
// empty), TaxExempt upper-cased, the three flags "Y" or "N". Balance, aging amounts, last
// payment date and last invoice number are left alone.
void FormToRecord(const CustomerForm& form, std::span<std::uint8_t> record);

}  // namespace tf::customers
