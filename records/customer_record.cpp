#include "records/customer_record.h"

#include "common/integer_text.h"
#include "common/key_text.h"
#include "common/money_format.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::records::customer {

std::string CustomerNumberKey(std::string_view number) {
  return common::BuildKey(number, kNumberKeyLength);
}

std::string CustomerNameKey(std::string_view name) { return common::BuildKey(name, kNameKeyLength); }

std::string ComparableText(std::string_view text) { return common::UpperCase(common::TrimBoth(text)); }

std::string CustomerKey(std::span<const std::uint8_t> record, int keyNr) {
  switch (keyNr) {
    case kKeyByName:
      return CustomerNameKey(common::ReadText(record, kCustomerName));
    case kKeyByNumber:
      return CustomerNumberKey(common::ReadText(record, kCustomerNumber));
    default:
      return {};
  }
}

std::vector<std::string> CustomerKeys(std::span<const unsigned char> record) {
  return {CustomerKey(record, kKeyByName), CustomerKey(record, kKeyByNumber)};
}

std::vector<engine::KeyDescriptor> CustomerKeyDescriptors() {
  return {{kNameKeyLength, 0}, {kNumberKeyLength, 1}};
}

std::string CustomerFileName(std::string_view companyNumber) {
  return common::Cut(records::company::CompanyFileName(companyNumber, 'C'), 8);
}

std::string NextCustomerNumberAfter(std::string_view used) {
  return common::Format0(common::LeadingIntegerValue(used) + 1);
}

}  // namespace tf::records::customer
