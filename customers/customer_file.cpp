#include "customers/customer_file.h"

#include "customers/customer_record.h"

namespace tf::customers {
namespace {

using engine::EngineOK;

// The first entry >= key on keyNr, read into the record, when its field compares equal.
std::optional<std::int32_t> FindExact(engine::FileBlock* handle, int keyNr, const std::string& key,
                                      TextField field, std::string_view wanted,
                                      std::span<std::uint8_t> record) {
  std::string found = key;
  std::int32_t ref = 0;
  engine::SearchKey(handle, keyNr, ref, found);
  if (!EngineOK) return std::nullopt;
  engine::GetRecord(handle, ref, record.data());
  if (!EngineOK) return std::nullopt;
  if (ComparableText(common::ReadText(record, field)) != ComparableText(wanted)) return std::nullopt;
  return ref;
}

}  // namespace

const shell::RecordFileKind& CustomerFileKind() {
  static const shell::RecordFileKind kind{"Customers", kCustomerRecordLength, CustomerKeyDescriptors(),
                                          [](std::span<const std::uint8_t> record, int keyNr) {
                                            return CustomerKey(record, keyNr);
                                          }};
  return kind;
}

bool OpenCustomerFile(engine::FileBlock*& handle, std::string_view companyNumber,
                      common::Prompter& prompter, engine::RebuildStatus& status) {
  return shell::OpenRecordFile(handle, CustomerFileName(companyNumber), CustomerFileKind(),
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

}  // namespace tf::customers
