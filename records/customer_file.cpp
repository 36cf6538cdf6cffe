#include "records/customer_file.h"

#include "records/customer_record.h"

namespace tf::records::customer {
namespace {

using engine::EngineOK;

// The first entry >= key on keyNr, read into the record, when its field compares equal.
std::optional<std::int32_t> FindExact(engine::FileBlock* handle, int keyNr, const std::string& key,
                                      TextField field, std::string_view wanted,
                                      std::span<std::uint8_t> record) {
  std::string found = key;
  std::int32_t ref = 0;
  engine::SearchKey(handle, keyNr, ref, found);
  if (!EngineOK) {
    // A wanted key past the last one is a miss like any other, not a failure of the file.
    if (engine::EngineErrorClass() == 1) {
      EngineOK = true;
      engine::EngineStatus = 0;
    }
    return std::nullopt;
  }
  engine::GetRecord(handle, ref, std::span<std::uint8_t>(record));
  if (!EngineOK) return std::nullopt;
  if (ComparableText(common::ReadText(record, field)) != ComparableText(wanted)) return std::nullopt;
  return ref;
}

}  // namespace

const records::RecordFileKind& CustomerFileKind() {
  static const records::RecordFileKind kind{"Customers", kCustomerRecordLength, CustomerKeyDescriptors(),
                                          [](std::span<const std::uint8_t> record, int keyNr) {
                                            return CustomerKey(record, keyNr);
                                          }};
  return kind;
}

bool OpenCustomerFile(engine::FileBlock*& handle, std::string_view companyNumber,
                      common::Prompter& prompter, engine::RebuildStatus& status) {
  return records::OpenRecordFile(handle, CustomerFileName(companyNumber), CustomerFileKind(),
                               {std::string(kNewCustomerFileText), std::string(kNewCustomerFileCaption),
                                common::PromptButtons::OKCancel},
                               prompter, status);
}

std::optional<std::int32_t> FindCustomerByNumber(engine::FileBlock* handle, std::string_view number,
                                                 std::span<std::uint8_t> record) {
  return FindExact(handle, kKeyByNumber, CustomerNumberKey(number), kCustomerNumber, number, record);
}

std::optional<std::int32_t> FindCustomerByName(engine::FileBlock* handle, std::string_view name,
                                               std::span<std::uint8_t> record) {
  return FindExact(handle, kKeyByName, CustomerNameKey(name), kCustomerName, name, record);
}

}  // namespace tf::records::customer
