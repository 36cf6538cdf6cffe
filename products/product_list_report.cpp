#include "products/product_list_report.h"

#include "common/date_time_format.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "common/text_report_viewer.h"
#include "records/product_record.h"
#include "products/product_text.h"

namespace tf::products {
namespace {

using common::Cut;
using common::PadRight;
using engine::EngineOK;

const std::string kRule(80, '-');

void AddProductLines(std::span<const std::uint8_t> rec, std::vector<std::string>& lines) {
  const std::string description = common::TrimBoth(common::ReadText(rec, records::product::kProductDescription));
  if (description.empty()) return;
  lines.push_back(PadRight(description, 32) + "    Code: " + PadRight(common::ReadText(rec, records::product::kProductCode), 10) +
                  "    Price: " + PadRight(ShownPrice(common::ReadText(rec, records::product::kSalesPrice)), 12));
  lines.push_back("Setup Date: " + PadRight(common::ReadText(rec, records::product::kSetupDate), 10) +
                  "      Last Modified: " + PadRight(common::ReadText(rec, records::product::kLastChangedDate), 10) +
                  "   Taxed: " + (common::ReadBool(rec, records::product::kTaxable) ? "Y" : "N"));
  lines.push_back(kRule);
}

}  // namespace

std::vector<std::string> ProductListLines(engine::FileBlock* file, int keyNr, std::string_view companyName,
                                          std::chrono::local_seconds now) {
  std::vector<std::string> lines;
  lines.push_back(Cut("Product List for " + std::string(companyName), 52));
  lines.push_back("Date: " + common::FormatDateTime(common::kLongDateTimePattern, now));
  lines.push_back(kRule);

  common::RecordBuffer blank(records::product::kProductRecordLength);
  common::RecordBuffer rec(records::product::kProductRecordLength);
  std::string key = records::product::ProductKey(blank, keyNr);
  std::int32_t ref = 0;
  for (engine::SearchKey(file, keyNr, ref, key); EngineOK; engine::NextKey(file, keyNr, ref, key)) {
    engine::GetRecord(file, ref, std::span<std::uint8_t>(rec));
    if (EngineOK) AddProductLines(rec, lines);
  }
  for (auto& line : lines) line = Cut(line, common::kReportLineWidth);
  return lines;
}

std::string ProductListCaption(int keyNr) {
  return keyNr == records::product::kKeyByCode ? "Product List by Code" : "Product List by Description";
}

}  // namespace tf::products
