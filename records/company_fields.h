#pragma once
// The company record's fields by name, in record order, for dumps; and its key list, for the
// integrity checker.

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "common/record_fields.h"
#include "common/stored_font.h"

namespace tf::records::company {

struct NamedField {
  const char* name;  // "CompanyName"
  std::variant<common::TextField, common::FlagField, common::BoolField, common::FontSpecField> field;
};

// Every field of the record, in record order.
const std::vector<NamedField>& CompanyFields();

// A field's value as `dump` and `company show` print it: texts and Y/N flags as stored,
// booleans as "Y" or "N", fonts as "face, size pt, colour C, style S".
std::string CompanyFieldValue(std::span<const unsigned char> record, const NamedField& field);

// "Name: value" lines of a record: texts and Y/N flags as stored, booleans as "Y" or "N",
// fonts as "face, size pt, colour C, style S". A record of another length gives one line
// saying so.
std::vector<std::string> DescribeCompany(std::span<const unsigned char> record);

// Keys 1 and 2 of a record (none for a record of another length).
std::vector<std::string> CompanyKeys(std::span<const unsigned char> record);

}  // namespace tf::records::company
