#include "products/product_editor.h"

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/product_record.h"
#include "products/product_store.h"

namespace tf::products {
namespace {

constexpr std::string_view kZeroPrice = "0.00";

// The code as it would be stored (cut to the field), trimmed and upper-cased.
std::string CodeForCompare(std::string_view code) {
  return common::UpperCase(common::TrimBoth(common::Cut(code, kCodeMaxLength)));
}

}  // namespace

void ProductEditor::StartAdd(std::string_view today) {
  fields = ProductFields{};
  fields.price = kZeroPrice;
  caption_ = kAddProductCaption;
  setupPanel_ = "Setup Date: " + std::string(today);
  changedPanel_ = "Last Changed:";
  previousCode_ = kNoPreviousCode;
  focus_ = EditorField::PNum;
}

void ProductEditor::StartEdit(std::span<const std::uint8_t> record) {
  fields.code = common::ReadText(record, records::product::kProductCode);
  fields.price = common::ReadText(record, records::product::kSalesPrice);
  fields.taxable = common::ReadBool(record, records::product::kTaxable);
  fields.description = common::ReadText(record, records::product::kProductDescription);
  fields.notes = common::ReadText(record, records::product::kProductNotes);
  caption_ = kEditProductCaption;
  setupPanel_ = "Setup Date: " + common::ReadText(record, records::product::kSetupDate);
  changedPanel_ = "Last Changed: " + common::ReadText(record, records::product::kLastChangedDate);
  previousCode_ = CodeForCompare(fields.code);
  focus_ = EditorField::PNum;
}

bool ProductEditor::CodeTakenByAnother() {
  const std::string wanted = CodeForCompare(fields.code);
  if (previousCode_ == wanted || !file_) return false;
  common::RecordBuffer other(records::product::kProductRecordLength);
  std::int32_t ref = 0;
  if (!ReadProductByCode(file_, fields.code, ref, other)) return false;
  if (CodeForCompare(common::ReadText(other, records::product::kProductCode)) != wanted) return false;
  prompter_.Inform("This Product Code already exists for: " +
                       common::TrimBoth(common::ReadText(other, records::product::kProductDescription)) +
                       ". Use a different code.",
                   "Product Code");
  return true;
}

bool ProductEditor::OkBtnClick() {
  if (common::TrimBoth(fields.code).empty()) {
    prompter_.Inform("You need to enter a product code.", "Product Code");
    focus_ = EditorField::PNum;
    return false;
  }
  if (common::TrimBoth(fields.description).empty()) {
    prompter_.Inform("You need to enter a product description or name.", "Product Description");
    focus_ = EditorField::PDesc;
    return false;
  }
  if (CodeTakenByAnother()) {
    focus_ = EditorField::PNum;
    return false;
  }
  // A price that is not a plain decimal ("1,000.00", "abc") is not refused: it becomes zero.
  if (!common::ParseAmount(fields.price)) fields.price = kZeroPrice;
  return true;
}

void ProductEditor::StoreCommon(std::span<std::uint8_t> record) const {
  common::WriteText(record, records::product::kProductCode, fields.code);
  common::WriteText(record, records::product::kProductDescription, fields.description);
  common::WriteBool(record, records::product::kTaxable, fields.taxable);
  common::WriteText(record, records::product::kProductNotes, fields.notes);
}

void ProductEditor::StoreAdded(std::span<std::uint8_t> record, std::string_view today) const {
  StoreCommon(record);
  common::WriteText(record, records::product::kSalesPrice,
                    common::TrimBoth(fields.price).empty() ? std::string(kZeroPrice) : fields.price);
  common::WriteText(record, records::product::kSetupDate, today);
}

void ProductEditor::StoreEdited(std::span<std::uint8_t> record, std::string_view today) const {
  StoreCommon(record);
  common::WriteText(record, records::product::kSalesPrice, fields.price);
  common::WriteText(record, records::product::kLastChangedDate, today);
}

}  // namespace tf::products
