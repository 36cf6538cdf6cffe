#pragma once
// The company record's fields by name, in record order, for dumps; and its key list, for the
// integrity checker.

#include <span>
#include <string>
#include <vector>

namespace tf::records::company {

// "Name: value" lines of a record: texts and Y/N flags as stored, booleans as "Y" or "N",
// fonts as "face, size pt, colour C, style S". A record of another length gives one line
// saying so.
std::vector<std::string> DescribeCompany(std::span<const unsigned char> record);

// Keys 1 and 2 of a record (none for a record of another length).
std::vector<std::string> CompanyKeys(std::span<const unsigned char> record);

}  // namespace tf::records::company
