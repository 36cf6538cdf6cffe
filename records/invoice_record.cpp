#include "records/invoice_record.h"

#include "common/key_text.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::records::invoice {
namespace {

// "%-Ns" of the field as stored: padded, never trimmed, upper-cased or cut below 30.
std::string Padded(std::span<const std::uint8_t> record, TextField field, std::size_t width) {
  return common::Cut(common::PadRight(common::ReadText(record, field), width), common::kMaxKeyText);
}

}  // namespace

std::string InvoiceNumberKey(std::string_view number) { return common::BuildKey(number, 9); }

std::string InvoiceKey(std::span<const std::uint8_t> record, int keyNr) {
  switch (keyNr) {
    case kKeyByNumber:
      return InvoiceNumberKey(common::ReadText(record, kInvoiceNumber));
    case kKeyByCustomer:
      return common::BuildKey(common::ReadText(record, kCustomerNumber), 8);
    case kKeyByDate:
      return Padded(record, kDateKey, 10);
    case kKeyByKeyCode:
      return common::BuildKey(common::ReadText(record, kKeyCode), 8);
    case kKeyByKind:
      return common::BuildKey(common::TrimBoth(common::ReadText(record, kRecordKind)) +
                                  common::TrimBoth(common::ReadText(record, kInvoiceNumber)),
                              10);
    case kKeyByDatePaid:
      return Padded(record, kDatePaid, 10);
    default:
      return {};
  }
}

std::vector<std::string> InvoiceKeys(std::span<const unsigned char> record) {
  std::vector<std::string> keys;
  for (int k = 1; k <= kInvoiceKeyCount; ++k) keys.push_back(InvoiceKey(record, k));
  return keys;
}

const std::vector<engine::KeyDescriptor>& InvoiceKeyDescriptors() {
  static const std::vector<engine::KeyDescriptor> keys = {{9, 1}, {8, 1}, {10, 1}, {10, 1}, {10, 1}, {10, 1}};
  return keys;
}

std::string LineKey(std::span<const std::uint8_t> record, int keyNr) {
  switch (keyNr) {
    case kLineKeyByDate:
      return common::BuildKey(common::ReadText(record, kLineDateKey), 10);
    case kLineKeyByInvoice:
      return InvoiceNumberKey(common::ReadText(record, kLineInvoiceNumber));
    default:
      return {};
  }
}

std::vector<std::string> LineKeys(std::span<const unsigned char> record) {
  return {LineKey(record, kLineKeyByDate), LineKey(record, kLineKeyByInvoice)};
}

const std::vector<engine::KeyDescriptor>& LineKeyDescriptors() {
  static const std::vector<engine::KeyDescriptor> keys = {{10, 1}, {9, 1}};
  return keys;
}

std::string MemoKey(std::span<const std::uint8_t> record, int keyNr) {
  return keyNr == 1 ? InvoiceNumberKey(common::ReadText(record, kMemoInvoiceNumber)) : std::string();
}

std::vector<std::string> MemoKeys(std::span<const unsigned char> record) { return {MemoKey(record, 1)}; }

const std::vector<engine::KeyDescriptor>& MemoKeyDescriptors() {
  static const std::vector<engine::KeyDescriptor> keys = {{9, 0}};
  return keys;
}

std::string InvoiceFileName(std::string_view companyNumber) { return company::CompanyFileName(companyNumber, 'I'); }
std::string LineFileName(std::string_view companyNumber) { return company::CompanyFileName(companyNumber, 'D'); }
std::string MemoFileName(std::string_view companyNumber) { return company::CompanyFileName(companyNumber, 'M'); }

}  // namespace tf::records::invoice
