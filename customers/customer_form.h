#pragma once
// The texts of the customer editor's fields, and how they go into and come out of a record.
// Shared by the editor and by the import of customer lists, which fill the same fields.

#include <cstdint>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/stored_text.h"

namespace tf::customers {

// The editor's controls that a check can send the focus to.
enum class CustomerControl {
  None, CNo, CName, CTerms, CustType, CTE, CLimit, EMadd, ShortName,
  CAdd1Edit, CAdd2Edit, CAdd3Edit, CAdd4Edit, CShip1, CShip2, CShip3, CShip4,
  CstNote, CPhone1, CPhone2, MListCode,
};

// A character typed into a box that no record can hold (beyond Latin-1): where, and which.
struct UnstorableTyped {
  CustomerControl control = CustomerControl::None;
  char32_t character = 0;
};

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
  // The first character typed (SetTyped) that Latin-1 cannot hold; "&Ok" refuses it.
  std::optional<UnstorableTyped> unstorable;
};

// One text field of the editor: its control, its caption in the window, its column in a CSV
// file, its capacity and kind, and where the form keeps it.
struct CustomerTextField {
  CustomerControl control;
  const char* caption;  // "Customer / Company Name"
  const char* column;   // "CustomerName"
  std::size_t capacity;
  common::TextKind kind;
  std::string CustomerForm::* text = nullptr;  // nullptr for the address lines (arrays)
  int billLine = -1, shipLine = -1;
};
const std::vector<CustomerTextField>& CustomerTextFields();
std::string& TextOf(CustomerForm& form, const CustomerTextField& field);
const std::string& TextOf(const CustomerForm& form, const CustomerTextField& field);

// Puts text typed in a window (UTF-8) into the field of `control` as a record holds it
// (Latin-1). A character Latin-1 cannot hold is noted in `form.unstorable` (the first one)
// and the field keeps the typed text's storable part, so nothing is lost without "&Ok" telling.
void SetTyped(CustomerForm& form, CustomerControl control, std::string_view utf8);

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
