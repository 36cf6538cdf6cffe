#pragma once
// The customer record: a 1008-byte image in the customer file block of a company, its two keys
// (name, unique; number, duplicates allowed by the index) and how customer numbers are
// proposed.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/record_fields.h"
#include "engine/core/engine.h"

namespace tf::records::customer {

using common::FlagField;
using common::TextField;

inline constexpr int kCustomerRecordLength = 1008;

inline constexpr TextField kCustomerNumber{4, 8};
inline constexpr TextField kCustomerName{13, 35};
inline constexpr TextField kBalance{49, 12};
inline constexpr TextField kLastPaymentDate{62, 10};
inline constexpr TextField kLastInvoiceNumber{73, 9};
inline constexpr TextField kCustomerType{83, 25};
inline constexpr TextField kTaxExempt{109, 1};
inline constexpr TextField kCreditLimit{111, 10};
inline constexpr TextField kTerms{122, 35};
inline constexpr TextField kBillAddress1{158, 35};
inline constexpr TextField kBillAddress2{194, 35};
inline constexpr TextField kBillAddress3{230, 35};
inline constexpr TextField kBillAddress4{266, 35};
inline constexpr TextField kPhone1{302, 25};
inline constexpr TextField kShipAddress1{328, 35};
inline constexpr TextField kShipAddress2{364, 35};
inline constexpr TextField kShipAddress3{400, 35};
inline constexpr TextField kShipAddress4{436, 35};
inline constexpr TextField kPhone2{472, 25};
inline constexpr TextField kAgingAmount1{498, 10};
inline constexpr TextField kAgingAmount2{509, 10};
inline constexpr TextField kAgingAmount3{520, 10};
inline constexpr TextField kAgingAmount4{531, 10};
inline constexpr TextField kNotes{542, 240};
inline constexpr FlagField kNotesOnInvoices{783};
inline constexpr FlagField kNotesOnStatements{785};
inline constexpr TextField kShortName{800, 10};
inline constexpr TextField kMailSortCode{811, 15};
inline constexpr FlagField kCreditHold{853};
inline constexpr TextField kEMail{855, 50};

inline constexpr TextField kBillAddress[4] = {kBillAddress1, kBillAddress2, kBillAddress3, kBillAddress4};
inline constexpr TextField kShipAddress[4] = {kShipAddress1, kShipAddress2, kShipAddress3, kShipAddress4};
inline constexpr TextField kAgingAmount[4] = {kAgingAmount1, kAgingAmount2, kAgingAmount3, kAgingAmount4};

// Key numbers of the customer file block.
inline constexpr int kKeyByName = 1;
inline constexpr int kKeyByNumber = 2;
inline constexpr int kNameKeyLength = 30;
inline constexpr int kNumberKeyLength = 8;

// Key 1: the trimmed name padded to 30 and upper-cased; key 2: the trimmed number padded to 8
// and upper-cased; any other key number: empty.
std::string CustomerKey(std::span<const std::uint8_t> record, int keyNr);

// The key 2 text of a customer number, as invoices build theirs too.
std::string CustomerNumberKey(std::string_view number);
// The key 1 text of a name.
std::string CustomerNameKey(std::string_view name);

// Trimmed and upper-cased: how customer numbers and names are compared.
std::string ComparableText(std::string_view text);

// Both keys of a live record, for the integrity checker.
std::vector<std::string> CustomerKeys(std::span<const unsigned char> record);

// (30, no duplicates), (8, duplicates).
std::vector<engine::KeyDescriptor> CustomerKeyDescriptors();

// The customer file block of a company: its trimmed number followed by "C", cut to 8.
std::string CustomerFileName(std::string_view companyNumber);

// The number proposed after `used` was added: its leading integer (as the run-time reads it;
// no leading digits reads as 0) plus one, written without leading zeros ("0012" -> "13",
// "A-7" -> "1").
std::string NextCustomerNumberAfter(std::string_view used);

}  // namespace tf::records::customer
