#include "products/product_store.h"

#include "common/text.h"
#include "products/product_record.h"

namespace tf::products {

using engine::EngineOK;

const shell::RecordFileKind& ProductFileKind() {
  static const shell::RecordFileKind kind{
      "Products", kProductRecordLength, ProductKeyDescriptors(),
      [](std::span<const std::uint8_t> record, int keyNr) { return ProductKey(record, keyNr); }};
  return kind;
}

ProductState& Products() {
  static ProductState state;
  return state;
}

bool OpenProducts(const std::string& name, common::Prompter& prompter, engine::RebuildStatus& status) {
  const shell::CreateNotice notice{std::string(kNewProductFileNotice), std::string(kNewProductFileCaption),
                                   common::PromptButtons::OK};
  return shell::OpenRecordFile(Products().file, name, ProductFileKind(), notice, prompter, status);
}

void CloseProducts() {
  if (Products().file) engine::CloseFileBlock(Products().file);
  Products().file = nullptr;
}

void CreateProducts(const std::string& name) {
  const auto& keys = ProductKeyDescriptors();
  engine::MakeFileBlock(name, kProductRecordLength, int(keys.size()), keys);
}

bool RebuildProducts(const std::string& name, engine::RebuildStatus& status) {
  return shell::RebuildRecordFile(name, ProductFileKind(), status);
}

bool AddProduct(engine::FileBlock* file, std::span<const std::uint8_t> record, std::int32_t& ref,
                common::Prompter& prompter) {
  return shell::AddKeyedRecord(file, ProductFileKind(), record, ref, prompter);
}

bool UpdateProduct(engine::FileBlock* file, std::span<const std::uint8_t> unedited,
                   std::span<const std::uint8_t> edited, std::int32_t ref, common::Prompter& prompter) {
  return shell::ModifyKeyedRecord(file, ProductFileKind(), ref, edited, unedited, prompter);
}

bool DeleteProduct(engine::FileBlock* file, std::int32_t ref, std::span<const std::uint8_t> record,
                   common::Prompter& prompter) {
  return shell::DeleteKeyedRecord(file, ProductFileKind(), ref, record, prompter);
}

bool FindProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::string& foundKey) {
  foundKey = CodeKey(code);
  engine::SearchKey(file, kKeyByCode, ref, foundKey);
  return EngineOK;
}

bool ReadProductByCode(engine::FileBlock* file, std::string_view code, std::int32_t& ref,
                       std::span<std::uint8_t> record) {
  std::string key;
  if (!FindProductByCode(file, code, ref, key) || key != CodeKey(code)) return false;
  engine::GetRecord(file, ref, record.data());
  return EngineOK;
}

}  // namespace tf::products
