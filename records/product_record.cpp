#include "records/product_record.h"

#include "common/key_text.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::records::product {

const std::vector<engine::KeyDescriptor>& ProductKeyDescriptors() {
  static const std::vector<engine::KeyDescriptor> keys{{uint8_t(kCodeKeyLength), 0},
                                                       {uint8_t(kDescriptionKeyLength), 1}};
  return keys;
}

std::string ProductKey(std::span<const std::uint8_t> record, int keyNr) {
  switch (keyNr) {
    case kKeyByCode:
      return common::BuildKey(common::ReadText(record, kProductCode), kCodeKeyLength);
    case kKeyByDescription:
      return common::BuildKey(common::ReadText(record, kProductDescription), kDescriptionKeyLength);
    default:
      return {};
  }
}

std::string CodeKey(std::string_view code) {
  return common::BuildKey(common::Cut(code, kProductCode.capacity), kCodeKeyLength);
}

std::string ProductFileName(std::string_view companyNumber) {
  return common::Cut(records::company::CompanyFileName(companyNumber, 'P'), 8);
}

}  // namespace tf::records::product
