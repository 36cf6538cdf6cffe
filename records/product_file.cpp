#include "records/product_file.h"

#include "records/product_record.h"

namespace tf::records::product {

using engine::EngineOK;

const records::RecordFileKind& ProductFileKind() {
  static const records::RecordFileKind kind{"Products", kProductRecordLength, ProductKeyDescriptors(),
                                            [](std::span<const std::uint8_t> record, int keyNr) {
                                              return ProductKey(record, keyNr);
                                            }};
  return kind;
}

bool OpenProductFile(engine::FileBlock*& handle, std::string_view companyNumber,
                     common::Prompter& prompter, engine::RebuildStatus& status) {
  return records::OpenRecordFile(handle, ProductFileName(companyNumber), ProductFileKind(),
                                 {std::string(kNewProductFileText), std::string(kNewProductFileCaption),
                                  common::PromptButtons::OK},
                                 prompter, status);
}

bool FindProductByCode(engine::FileBlock* handle, std::string_view code, std::int32_t& ref,
                       std::string& foundKey) {
  foundKey = CodeKey(code);
  engine::SearchKey(handle, kKeyByCode, ref, foundKey);
  return EngineOK;
}

bool ReadProductByCode(engine::FileBlock* handle, std::string_view code, std::int32_t& ref,
                       std::span<std::uint8_t> record) {
  std::string key;
  if (!FindProductByCode(handle, code, ref, key) || key != CodeKey(code)) return false;
  engine::GetRecord(handle, ref, std::span<std::uint8_t>(record));
  return EngineOK;
}

}  // namespace tf::records::product
