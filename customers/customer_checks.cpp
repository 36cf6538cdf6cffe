#include "customers/customer_checks.h"

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/text.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::customers {

bool FileCustomerLookup::HasNumber(std::string_view number) {
  common::RecordBuffer scratch(records::customer::kCustomerRecordLength);
  return records::customer::FindCustomerByNumber(handle_, number, scratch).has_value();
}

std::optional<std::string> FileCustomerLookup::NumberOfName(std::string_view name) {
  common::RecordBuffer scratch(records::customer::kCustomerRecordLength);
  if (!records::customer::FindCustomerByName(handle_, name, scratch)) return std::nullopt;
  return records::customer::ComparableText(common::ReadText(scratch, records::customer::kCustomerNumber));
}

std::optional<CheckFailure> CheckCustomerForm(CustomerForm& form,
                                              const std::optional<std::string>& editedNumber,
                                              CustomerLookup& lookup) {
  if (common::TrimBoth(form.name).empty())
    return CheckFailure{CustomerControl::CName, std::string(kNameMissingText), std::string(kNameMissingCaption)};
  if (form.shortName.empty()) form.shortName = ShortNameOf(form.name);
  if (!form.email.empty() && form.email.find('@') == std::string::npos)
    return CheckFailure{CustomerControl::EMadd, std::string(kBadEMailText), std::string(kBadEMailCaption)};
  const std::string number = records::customer::ComparableText(form.number);
  if (number != editedNumber && lookup.HasNumber(number))
    return CheckFailure{CustomerControl::CNo, std::string(kNumberTakenText), std::string(kNumberTakenCaption)};
  if (std::optional<std::string> holder = lookup.NumberOfName(form.name); holder && holder != editedNumber)
    return CheckFailure{CustomerControl::CName, std::string(kNameTakenText), std::string(kNameTakenCaption)};
  const std::string limit = common::TrimBoth(common::RemoveCommas(form.creditLimit));
  if (!limit.empty() && !common::ParseAmount(limit))
    return CheckFailure{CustomerControl::CLimit, std::string(kBadCreditLimitText), {}};
  return std::nullopt;
}

}  // namespace tf::customers
