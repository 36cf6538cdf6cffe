#include "products/product_store.h"

#include "common/text.h"
#include "records/product_record.h"

namespace tf::products {

using engine::EngineOK;

const records::RecordFileKind& ProductFileKind() {
  static const records::RecordFileKind kind{
      "Products", records::product::kProductRecordLength, records::product::ProductKeyDescriptors(),
      [](std::span<const std::uint8_t> record, int keyNr) { return records::product::ProductKey(record, keyNr); }};
  return kind;
}

ProductState& Products() {
  static ProductState state;
  return state;
}

bool OpenProducts(const std::string& name, common::Prompter& prompter, engine::RebuildStatus& status) {
  const records::CreateNotice notice{std::string(kNewProductFileNotice), std::string(kNewProductFileCaption),
                                   common::PromptButtons::OK};
  return records::OpenRecordFile(Products().file, name, ProductFileKind(), notice, prompter, status);
}

void CloseProducts() {
  if (Products().file) engine::CloseFileBlock(Products().file);
  Products().file = nullptr;
}

void CreateProducts(const std::string& name) {
  const auto& keys = records::product::ProductKeyDescriptors();
  engine::MakeFileBlock(name, records::product::kProductRecordLength, int(keys.size()), keys);
}

bool RebuildProducts(const std::string& name, engine::RebuildStatus& status) {
  return records::RebuildRecordFile(name, ProductFileKind(), status);
}

bool AddProduct(engine::FileBlock* file, std::span<const std::uint8_t> record, std::int32_t& ref,
                common::Prompter& prompter) {
  return records::AddKeyedRecord(file, ProductFileKind(), record, ref, prompter);
}

bool UpdateProduct(engine::FileBlock* file, std::span<const std::uint8_t> unedited,
                   std::span<const std::uint8_t> edited, std::int32_t ref, common::Prompter& prompter) {
  return records::ModifyKeyedRecord(file, ProductFileKind(), ref, edited, unedited, prompter);
}

bool DeleteProduct(engine::FileBlock* file, std::int32_t ref, std::span<const std::uint8_t> record,
                   common::Prompter& prompter) {
  return records::DeleteKeyedRecord(file, ProductFileKind(), ref, record, prompter);
}

bool FindProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::string& foundKey) {
  foundKey = records::product::CodeKey(code);
  engine::SearchKey(file, records::product::kKeyByCode, ref, foundKey);
  return EngineOK;
}

bool ReadProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::span<std::uint8_t> record) {
  std::string key;
  if (!FindProductByCode(file, code, ref, key) || key != records::product::CodeKey(code)) return false;
  engine::GetRecord(file, ref, record.data());
  return EngineOK;
}

}  // namespace tf::products
