#include "customers/customer_find_mode.h"

#include "common/record_fields.h"
#include "records/customer_record.h"

namespace tf::customers {

using common::ReadText;

std::vector<finder::FindColumn> CustomerFindMode::Columns() const {
  return {{"Customer Name", 200}, {"Number", 50},          {"Phone Number", 0},   {"Address Line 1", 150},
          {"Address Line 2", 150}, {"Address Line 3", 150}, {"Address Line 4", 150}};
}

int CustomerFindMode::RecordLength() const { return records::customer::kCustomerRecordLength; }

std::vector<std::string> CustomerFindMode::Cells(std::span<const std::uint8_t> r) const {
  return {ReadText(r, records::customer::kCustomerName),    ReadText(r, records::customer::kCustomerNumber),  ReadText(r, records::customer::kPhone1),
          ReadText(r, records::customer::kBillAddress1),    ReadText(r, records::customer::kBillAddress2),    ReadText(r, records::customer::kBillAddress3),
          ReadText(r, records::customer::kBillAddress4)};
}

std::vector<std::string> CustomerFindMode::SearchedFields(std::span<const std::uint8_t> r) const {
  return {ReadText(r, records::customer::kCustomerNumber), ReadText(r, records::customer::kCustomerName), ReadText(r, records::customer::kPhone1),
          ReadText(r, records::customer::kBillAddress1),   ReadText(r, records::customer::kBillAddress2), ReadText(r, records::customer::kBillAddress3),
          ReadText(r, records::customer::kBillAddress4)};
}

}  // namespace tf::customers
