#include "companies/company_find_mode.h"

#include "common/record_fields.h"
#include "records/company_record.h"

namespace tf::companies {

namespace company = records::company;

std::vector<finder::FindColumn> CompanyFindMode::Columns() const {
  return {{"Company Name", 200},   {"Number", 50},         {"Address Line 1", 150},
          {"Address Line 2", 150}, {"Address Line 3", 150}, {"Address Line 4", 150}};
}

int CompanyFindMode::RecordLength() const { return company::kCompanyRecordLength; }

std::vector<std::string> CompanyFindMode::Cells(std::span<const std::uint8_t> record) const {
  return SearchedFields(record);
}

std::vector<std::string> CompanyFindMode::SearchedFields(std::span<const std::uint8_t> record) const {
  return {common::ReadText(record, company::kCompanyName), common::ReadText(record, company::kCompanyNumber),
          common::ReadText(record, company::kAddress1),    common::ReadText(record, company::kAddress2),
          common::ReadText(record, company::kAddress3),    common::ReadText(record, company::kAddress4)};
}

}  // namespace tf::companies
