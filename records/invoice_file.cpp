#include "records/invoice_file.h"

#include <string>
#include <utility>

#include "common/record_fields.h"
#include "records/invoice_record.h"

namespace tf::records::invoice {
namespace {

using Named = std::pair<const char*, TextField>;

std::vector<std::string> Describe(std::span<const unsigned char> record, std::span<const Named> fields) {
  std::vector<std::string> lines;
  for (const auto& [name, field] : fields) lines.push_back(std::string(name) + ": " + common::ReadText(record, field));
  return lines;
}

}  // namespace

const RecordFileKind& InvoiceFileKind() {
  static const RecordFileKind kind{"Invoices", kInvoiceRecordLength, InvoiceKeyDescriptors(), InvoiceKey};
  return kind;
}

const RecordFileKind& LineFileKind() {
  static const RecordFileKind kind{"Invoices", kLineRecordLength, LineKeyDescriptors(), LineKey};
  return kind;
}

const RecordFileKind& MemoFileKind() {
  static const RecordFileKind kind{"Memo Records", kMemoRecordLength, MemoKeyDescriptors(), MemoKey};
  return kind;
}

std::vector<std::string> DescribeInvoice(std::span<const unsigned char> record) {
  static const Named fields[] = {
      {"InvoiceNumber", kInvoiceNumber}, {"RecordKind", kRecordKind},       {"KeyCode", kKeyCode},
      {"CustomerNumber", kCustomerNumber}, {"CompanyNumber", kCompanyNumber}, {"InvoiceDate", kInvoiceDate},
      {"PrintedFlag", kPrintedFlag},     {"InvoiceMonth", kInvoiceMonth},   {"InvoiceDay", kInvoiceDay},
      {"InvoiceYear", kInvoiceYear},     {"DateKey", kDateKey},             {"Notes", kNotes},
      {"Terms", kTerms},                 {"StatementNote", kStatementNote}, {"InvoiceType", kInvoiceType},
      {"ShortName", kShortName},         {"NetAmount", kNetAmount},         {"TaxAmount", kTaxAmount},
      {"TotalAmount", kTotalAmount},     {"PaidAmount", kPaidAmount},       {"BalanceDue", kBalanceDue},
      {"DatePaid", kDatePaid},           {"RepeatUnit", kRepeatUnit},       {"PaidFlag", kPaidFlag},
      {"NextDueDate", kNextDueDate},     {"RepeatInterval", kRepeatInterval}, {"RepeatCount", kRepeatCount},
      {"EMailedDate", kEMailedDate},
  };
  return Describe(record, fields);
}

std::vector<std::string> DescribeLine(std::span<const unsigned char> record) {
  static const Named fields[] = {
      {"LineText", kLineText},           {"LineKind", kLineKind},
      {"CompanyNumber", kLineCompanyNumber}, {"InvoiceNumber", kLineInvoiceNumber},
      {"DateKey", kLineDateKey},         {"ProductCode", kLineProductCode},
      {"CustomerNumber", kLineCustomerNumber}, {"ShortName", kLineShortName},
  };
  return Describe(record, fields);
}

std::vector<std::string> DescribeMemo(std::span<const unsigned char> record) {
  std::vector<Named> fields = {{"InvoiceNumber", kMemoInvoiceNumber}};
  static const std::string names[kMemoLineCount] = {
      "MemoLine1",  "MemoLine2",  "MemoLine3",  "MemoLine4",  "MemoLine5",  "MemoLine6",  "MemoLine7",
      "MemoLine8",  "MemoLine9",  "MemoLine10", "MemoLine11", "MemoLine12", "MemoLine13", "MemoLine14",
      "MemoLine15", "MemoLine16", "MemoLine17", "MemoLine18", "MemoLine19", "MemoLine20", "MemoLine21",
      "MemoLine22", "MemoLine23", "MemoLine24", "MemoLine25"};
  for (int n = 1; n <= kMemoLineCount; ++n) fields.push_back({names[n - 1].c_str(), MemoLine(n)});
  return Describe(record, fields);
}

}  // namespace tf::records::invoice
