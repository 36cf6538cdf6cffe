#include "finder/invoice_find_mode.h"

#include "common/record_fields.h"
#include "records/invoice_record.h"

namespace tf::finder {

namespace inv = records::invoice;
using common::ReadText;

std::vector<FindColumn> InvoiceFindMode::Columns() const {
  return {{"Year/Mo/Dy", 80},  {"Invoice#", 60},       {"Customer#", 75},
          {"Key Code", 75},    {"Short Name", 80},     {"Statement Note", 130},
          {"Reference/Notes/Comments", 400}};
}

int InvoiceFindMode::RecordLength() const { return inv::kInvoiceRecordLength; }

std::vector<std::string> InvoiceFindMode::Cells(std::span<const std::uint8_t> r) const {
  return {ReadText(r, inv::kDateKey),   ReadText(r, inv::kInvoiceNumber), ReadText(r, inv::kCustomerNumber),
          ReadText(r, inv::kKeyCode),   ReadText(r, inv::kShortName),     ReadText(r, inv::kStatementNote),
          ReadText(r, inv::kNotes)};
}

std::vector<std::string> InvoiceFindMode::SearchedFields(std::span<const std::uint8_t> r) const {
  return {ReadText(r, inv::kCustomerNumber), ReadText(r, inv::kDateKey), ReadText(r, inv::kStatementNote),
          ReadText(r, inv::kNotes),          ReadText(r, inv::kInvoiceNumber), ReadText(r, inv::kKeyCode),
          ReadText(r, inv::kShortName)};
}

}  // namespace tf::finder
