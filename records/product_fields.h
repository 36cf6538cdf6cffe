#pragma once
// The product record's fields by name, in record order: what the command-line tool dumps,
// exports and imports, and the key list the integrity checker compares the indexes with.

#include <span>
#include <string>
#include <vector>

namespace tf::records::product {

// Field names in record order: ProductCode, ProductDescription, Taxable, SalesPrice,
// ProductNotes, SetupDate, LastChangedDate.
const std::vector<std::string>& ProductFieldNames();

// The values of a record in that order; Taxable as "Y" or "N".
std::vector<std::string> ProductFieldValues(std::span<const unsigned char> record);

// "Name: value" lines of a record, for dumps.
std::vector<std::string> DescribeProduct(std::span<const unsigned char> record);

// Keys 1 and 2 of a record.
std::vector<std::string> ProductKeys(std::span<const unsigned char> record);

}  // namespace tf::records::product
