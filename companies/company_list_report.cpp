#include "companies/company_list_report.h"

#include "common/date_time_format.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "common/text_report_viewer.h"
#include "records/company_record.h"

namespace tf::companies {

namespace company = records::company;
using common::PadRight;

std::vector<std::string> CompanyListLines(engine::FileBlock* companies, int keyNr, std::chrono::local_seconds now) {
  const std::string rule(80, '-');
  std::vector<std::string> lines{"Tallyfold Company List",
                                 "Date: " + common::FormatDateTime(common::kLongDateTimePattern, now), rule};
  common::RecordBuffer record(company::kCompanyRecordLength);
  std::string key;
  std::int32_t ref = 0;
  for (engine::SearchKey(companies, keyNr, ref, key); engine::EngineOK && ref != 0;
       engine::NextKey(companies, keyNr, ref, key)) {
    engine::GetRecord(companies, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) continue;
    const std::string number = common::ReadText(record, company::kCompanyNumber);
    if (common::TrimBoth(number).empty()) continue;
    const std::string balance =
        common::FormatComma0_00(common::ParseAmount(common::ReadText(record, company::kCompanyBalance))
                                    .value_or(common::Money{}));
    lines.push_back(PadRight(common::ReadText(record, company::kCompanyName), 35) + "    Number: " +
                    PadRight(number, 5) + "    A/R: " + PadRight(balance, 12));
    lines.push_back(rule);
  }
  engine::EngineOK = true;
  for (std::string& line : lines) line = common::Cut(line, common::kReportLineWidth);
  return lines;
}

std::string CompanyListCaption(int keyNr) {
  return keyNr == company::kNumberKey ? "Company List by Number" : "Company List by Name";
}

}  // namespace tf::companies
