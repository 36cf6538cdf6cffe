#include "customers/customer_checks.h"

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::customers {

bool FileCustomerLookup::HasNumber(std::string_view number) {
  common::RecordBuffer scratch(records::customer::kCustomerRecordLength);
  return records::customer::FindCustomerByNumber(handle_, number, scratch).has_value();
}

std::optional<std::string> FileCustomerLookup::NumberOfName(std::string_view name) {
  // Compared by key, not by whole name: two names equal in their first 30 characters have one
  // key, and the index holds each key once.
  const std::string wanted = records::customer::CustomerNameKey(name);
  std::string found = wanted;
  std::int32_t ref = 0;
  engine::SearchKey(handle_, records::customer::kKeyByName, ref, found);
  if (!engine::EngineOK || found != wanted) return std::nullopt;
  common::RecordBuffer scratch(records::customer::kCustomerRecordLength);
  engine::GetRecord(handle_, ref, std::span<std::uint8_t>(scratch));
  if (!engine::EngineOK) return std::nullopt;
  return records::customer::ComparableText(common::ReadText(scratch, records::customer::kCustomerNumber));
}

std::optional<CheckFailure> CheckCustomerForm(CustomerForm& form,
                                              const std::optional<std::string>& editedNumber,
                                              CustomerLookup& lookup, FieldNames names) {
  const auto nameOf = [&](const CustomerTextField& f) { return names == FieldNames::Captions ? f.caption : f.column; };
  if (form.unstorable) {
    for (const CustomerTextField& f : CustomerTextFields())
      if (f.control == form.unstorable->control)
        return CheckFailure{f.control, common::UnstorableCharacterText(nameOf(f), form.unstorable->character),
                            f.caption};
  }
  if (common::TrimBoth(form.name).empty())
    return CheckFailure{CustomerControl::CName, std::string(kNameMissingText), std::string(kNameMissingCaption)};
  if (form.shortName.empty()) form.shortName = ShortNameOf(form.name);
  if (common::TrimBoth(form.number).empty())
    return CheckFailure{CustomerControl::CNo, std::string(kNumberMissingText), std::string(kNumberTakenCaption)};
  form.notes = common::StoredLineBreaks(form.notes);
  for (const CustomerTextField& f : CustomerTextFields()) {
    // A credit limit is stored without its thousands separators: that is what must fit.
    const std::string& text = TextOf(form, f);
    const std::string stored = f.control == CustomerControl::CLimit
                                   ? common::TrimBoth(common::WithoutThousandsSeparators(text).value_or(text))
                                   : text;
    if (auto problem = common::StoredTextProblem(nameOf(f), stored, f.capacity, f.kind))
      return CheckFailure{f.control, *problem, f.caption};
  }
  if (!form.email.empty() && form.email.find('@') == std::string::npos)
    return CheckFailure{CustomerControl::EMadd, std::string(kBadEMailText), std::string(kBadEMailCaption)};
  const std::string number = records::customer::ComparableText(form.number);
  if (number != editedNumber && lookup.HasNumber(number))
    return CheckFailure{CustomerControl::CNo, std::string(kNumberTakenText), std::string(kNumberTakenCaption)};
  if (std::optional<std::string> holder = lookup.NumberOfName(form.name); holder && holder != editedNumber)
    return CheckFailure{CustomerControl::CName, std::string(kNameTakenText), std::string(kNameTakenCaption)};
  if (!common::ParseTypedAmount(form.creditLimit, common::BlankAmount::Zero))
    return CheckFailure{CustomerControl::CLimit, std::string(kBadCreditLimitText), {}};
  return std::nullopt;
}

}  // namespace tf::customers
