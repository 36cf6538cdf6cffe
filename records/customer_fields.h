#pragma once
// The customer record's fields by name, in record order: what the command-line tool dumps,
// exports and imports.

#include <span>
#include <string>
#include <vector>

#include "records/customer_record.h"

namespace tf::records::customer {

struct NamedCustomerField {
  const char* name;  // "CustomerName"
  TextField text;    // a Y/N flag is a text of capacity 1 at its offset
  bool flag = false;
};

const std::vector<NamedCustomerField>& CustomerFields();

// "Name: value" lines of a record, for dumps.
std::vector<std::string> DescribeCustomer(std::span<const unsigned char> record);

}  // namespace tf::records::customer
