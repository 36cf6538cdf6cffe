#include "customers/customer_invoices.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_record.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "records/staged_block.h"

namespace tf::customers {
namespace {

using engine::EngineOK;

using records::invoice::kInvoiceRecordLength;
constexpr common::TextField kInvoiceCustomerNumber = records::invoice::kCustomerNumber;
constexpr int kInvoiceCustomerKey = records::invoice::kKeyByCustomer;

// The invoice file: the handle already open, or opened here (and closed by the guard). A
// missing file is reported as `missing`.
bool OpenInvoices(engine::FileBlockGuard& block, engine::FileBlock*& handle, engine::FileBlock* open,
                  std::string_view companyNumber, bool& missing) {
  missing = false;
  if (open) {
    handle = open;
    return true;
  }
  engine::OpenFileBlock(block.handle(), records::invoice::InvoiceFileName(companyNumber));
  // Records of another length would be read past the end of the invoice buffers.
  if (EngineOK) records::KeepIfOfKind(block.handle(), records::invoice::InvoiceFileKind());
  handle = block.get();
  if (EngineOK) return true;
  missing = engine::EngineStatus == engine::status::kFileNotFound;
  return false;
}

// The first invoice whose key 2 is this number's key, by ref; nothing when there is none.
std::optional<std::int32_t> FirstInvoiceOf(engine::FileBlock* handle, std::string_view number, bool& failed) {
  std::string key = records::customer::CustomerNumberKey(number);
  std::int32_t ref = 0;
  engine::SearchKey(handle, kInvoiceCustomerKey, ref, key);
  failed = !EngineOK && engine::EngineErrorClass() != 1;
  if (!EngineOK) return std::nullopt;
  if (records::customer::ComparableText(key) != records::customer::ComparableText(number)) return std::nullopt;
  return ref;
}

// The invoice file for a change, through the shared open (its rebuild offer included); a
// company without one has nothing to change (`missing`) and gets none made here.
bool OpenInvoicesToChange(engine::FileBlockGuard& block, engine::FileBlock*& handle, engine::FileBlock* open,
                          std::string_view companyNumber, common::Prompter& prompter,
                          engine::RebuildStatus& status, bool& missing) {
  missing = false;
  if (open) {
    handle = open;
    return true;
  }
  const std::string name = records::invoice::InvoiceFileName(companyNumber);
  std::error_code ec;
  // A switch of a staged change cut short may be about to bring the file: the open finishes it.
  if (!std::filesystem::exists(std::filesystem::symlink_status(engine::EngineFileName(name, engine::FileKind::Data), ec)) &&
      !records::StagedChangePending(name)) {
    missing = true;
    return false;
  }
  if (!records::OpenRecordFile(block.handle(), name, records::invoice::InvoiceFileKind(), {}, prompter, status))
    return false;
  handle = block.get();
  return true;
}

}  // namespace

RenumberResult RenumberCustomerInvoices(std::string_view companyNumber, std::string_view oldNumber,
                                        std::string_view newNumber, common::Prompter& prompter,
                                        engine::RebuildStatus& status, engine::FileBlock* open) {
  RenumberResult result;
  engine::FileBlockGuard block;
  engine::FileBlock* invoices = nullptr;
  bool missing = false;
  if (!OpenInvoicesToChange(block, invoices, open, companyNumber, prompter, status, missing)) {
    result.complete = missing;
    return result;
  }
  const std::string number = common::TrimBoth(newNumber);
  const std::string oldKey = records::customer::CustomerNumberKey(oldNumber);
  const std::string newKey = records::customer::CustomerNumberKey(number);
  if (oldKey == newKey) return result;
  common::RecordBuffer invoice(kInvoiceRecordLength), before(kInvoiceRecordLength);
  // Each moved invoice leaves the old number's keys, so the search always finds the next one.
  for (;;) {
    bool failed = false;
    std::optional<std::int32_t> ref = FirstInvoiceOf(invoices, oldNumber, failed);
    if (!ref) {
      result.complete = !failed;
      break;
    }
    engine::GetRecord(invoices, *ref, std::span<std::uint8_t>(invoice));
    if (!EngineOK) return result.complete = false, result;
    before = invoice;
    common::WriteText(invoice, kInvoiceCustomerNumber, number);
    engine::AddKey(invoices, kInvoiceCustomerKey, *ref, newKey);
    if (!EngineOK) return result.complete = false, result;
    engine::PutRecord(invoices, *ref, invoice.data());
    if (EngineOK) engine::DeleteKey(invoices, kInvoiceCustomerKey, *ref, oldKey);
    if (!EngineOK) {
      // Back to the old number: the record as it was and only its old key.
      engine::PutRecord(invoices, *ref, before.data());
      engine::DeleteKey(invoices, kInvoiceCustomerKey, *ref, newKey);
      result.complete = false;
      break;
    }
    ++result.changed;
  }
  block.Close();  // a handle passed in stays open
  return result;
}

std::optional<bool> CustomerHasInvoices(std::string_view companyNumber, std::string_view number,
                                        engine::FileBlock* open) {
  engine::FileBlockGuard block;
  engine::FileBlock* invoices = nullptr;
  bool missing = false;
  if (!OpenInvoices(block, invoices, open, companyNumber, missing)) {
    if (missing) return false;
    return std::nullopt;
  }
  bool failed = false;
  std::optional<std::int32_t> ref = FirstInvoiceOf(invoices, number, failed);
  if (failed) return std::nullopt;
  if (!ref) return false;
  common::RecordBuffer invoice(kInvoiceRecordLength);
  engine::GetRecord(invoices, *ref, std::span<std::uint8_t>(invoice));
  if (!EngineOK) return std::nullopt;
  return records::customer::ComparableText(common::ReadText(invoice, kInvoiceCustomerNumber)) == records::customer::ComparableText(number);
}

}  // namespace tf::customers
