#include "customers/customer_list_report.h"

#include "common/date_time_format.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "common/text_report_viewer.h"
#include "records/customer_record.h"

namespace tf::customers {
namespace {

using common::PadRight;
using common::ReadText;

// An amount text shown ",0.00"; a text that is no amount is shown as it is.
std::string Shown(const std::string& stored) {
  auto amount = common::ParseTypedAmount(stored, common::BlankAmount::Zero);
  return amount ? common::FormatComma0_00(*amount) : stored;
}

}  // namespace

std::vector<std::string> CustomerListLines(engine::FileBlock* customers, const std::string& companyName,
                                           std::chrono::local_seconds now, bool withAddresses, bool byNumber) {
  const std::string rule(80, '-');
  std::vector<std::string> lines = {"Customer List for " + companyName,
                                    "Date: " + common::FormatDateTime(common::kLongDateTimePattern, now), rule};
  common::RecordBuffer r(records::customer::kCustomerRecordLength);
  const int keyNr = byNumber ? records::customer::kKeyByNumber : records::customer::kKeyByName;
  std::string key;
  std::int32_t ref = 0;
  engine::SearchKey(customers, keyNr, ref, key);
  while (engine::EngineOK) {
    engine::GetRecord(customers, ref, std::span<std::uint8_t>(r));
    if (engine::EngineOK && !common::TrimBoth(ReadText(r, records::customer::kCustomerNumber)).empty()) {
      std::string limit = ReadText(r, records::customer::kCreditLimit);
      if (limit.empty()) limit = "0.00";
      lines.push_back(PadRight(ReadText(r, records::customer::kCustomerName), 35) + "     Number: " +
                      PadRight(ReadText(r, records::customer::kCustomerNumber), 8) + "    Balance: " + Shown(ReadText(r, records::customer::kBalance)));
      lines.push_back("Short Name: " + PadRight(ReadText(r, records::customer::kShortName), 10) + "    Type: " +
                      PadRight(ReadText(r, records::customer::kCustomerType), 25) + "   Last Pmt: " + ReadText(r, records::customer::kLastPaymentDate));
      lines.push_back("Credit Limit: " + PadRight(Shown(limit), 12) + "    Last Invoice: " +
                      PadRight(ReadText(r, records::customer::kLastInvoiceNumber), 10) + "   Tax Exempt: " + ReadText(r, records::customer::kTaxExempt));
      lines.push_back("Phone1: " + PadRight(ReadText(r, records::customer::kPhone1), 25) + "     Phone2: " + ReadText(r, records::customer::kPhone2));
      lines.push_back("Payment Terms: " + ReadText(r, records::customer::kTerms));
      if (withAddresses) {
        lines.push_back(PadRight("Billing Address:", 35) + "     Shipping Address:");
        for (int k = 0; k < 4; ++k)
          lines.push_back(PadRight(ReadText(r, records::customer::kBillAddress[k]), 35) + "     " + ReadText(r, records::customer::kShipAddress[k]));
      }
      lines.push_back(rule);
    }
    engine::NextKey(customers, keyNr, ref, key);
  }
  for (std::string& line : lines) line = common::Cut(line, common::kReportLineWidth);
  return lines;
}

}  // namespace tf::customers
