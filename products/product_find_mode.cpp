#include "products/product_find_mode.h"

#include "common/record_fields.h"
#include "records/product_record.h"

namespace tf::products {

std::vector<finder::FindColumn> ProductFindMode::Columns() const {
  return {{"Product#", 100}, {"Description", 200}, {"Unit Price", 85}};
}

int ProductFindMode::RecordLength() const { return records::product::kProductRecordLength; }

std::vector<std::string> ProductFindMode::Cells(std::span<const std::uint8_t> record) const {
  return SearchedFields(record);
}

std::vector<std::string> ProductFindMode::SearchedFields(std::span<const std::uint8_t> record) const {
  return {common::ReadText(record, records::product::kProductCode), common::ReadText(record, records::product::kProductDescription),
          common::ReadText(record, records::product::kSalesPrice)};
}

}  // namespace tf::products
