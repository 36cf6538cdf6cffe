#include "records/product_fields.h"

#include "common/record_fields.h"
#include "records/product_record.h"

namespace tf::records::product {

const std::vector<std::string>& ProductFieldNames() {
  static const std::vector<std::string> names{"ProductCode",  "ProductDescription", "Taxable",        "SalesPrice",
                                              "ProductNotes", "SetupDate",          "LastChangedDate"};
  return names;
}

std::vector<std::string> ProductFieldValues(std::span<const unsigned char> record) {
  return {common::ReadText(record, kProductCode),  common::ReadText(record, kProductDescription),
          common::ReadBool(record, kTaxable) ? "Y" : "N",
          common::ReadText(record, kSalesPrice),   common::ReadText(record, kProductNotes),
          common::ReadText(record, kSetupDate),    common::ReadText(record, kLastChangedDate)};
}

std::vector<std::string> DescribeProduct(std::span<const unsigned char> record) {
  const auto values = ProductFieldValues(record);
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < values.size(); ++k) lines.push_back(ProductFieldNames()[k] + ": " + values[k]);
  return lines;
}

std::vector<std::string> ProductKeys(std::span<const unsigned char> record) {
  return {ProductKey(record, kKeyByCode), ProductKey(record, kKeyByDescription)};
}

}  // namespace tf::records::product
