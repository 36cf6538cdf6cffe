#include "products/product_editor.h"

#include <algorithm>
#include <optional>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/product_file.h"

namespace tf::products {
namespace {

namespace product = records::product;
using browse::Outcome;

constexpr std::string_view kZeroPrice = "0.00";

// The code as it would be stored (cut to the field), trimmed and upper-cased.
std::string CodeForCompare(std::string_view code) {
  return common::UpperCase(common::TrimBoth(common::Cut(code, kCodeMaxLength)));
}

}  // namespace

void ProductEditor::BeginAdd(engine::FileBlock* products, browse::SaveStep save, std::string_view today) {
  mode_ = Mode::Add;
  products_ = products;
  save_ = std::move(save);
  today_ = today;
  form_ = ProductForm{};
  form_.price = kZeroPrice;
  title_ = kAddProductCaption;
  setupPanel_ = "Setup Date: " + std::string(today);
  changedPanel_ = "Last Changed:";
  previousCode_ = kNoPreviousCode;
  focus_ = ProductControl::PNum;
  record_.Clear();
  oldImage_.Clear();
  ref_ = 0;
}

void ProductEditor::BeginEdit(engine::FileBlock* products, browse::SaveStep save, std::span<const std::uint8_t> record,
                              std::int32_t ref, std::string_view today) {
  mode_ = Mode::Edit;
  products_ = products;
  save_ = std::move(save);
  today_ = today;
  form_.code = common::ReadText(record, product::kProductCode);
  form_.price = common::ReadText(record, product::kSalesPrice);
  form_.taxable = common::ReadBool(record, product::kTaxable);
  form_.description = common::ReadText(record, product::kProductDescription);
  form_.notes = common::ReadText(record, product::kProductNotes);
  title_ = kEditProductCaption;
  setupPanel_ = "Setup Date: " + common::ReadText(record, product::kSetupDate);
  changedPanel_ = "Last Changed: " + common::ReadText(record, product::kLastChangedDate);
  previousCode_ = CodeForCompare(form_.code);
  focus_ = ProductControl::PNum;
  std::copy(record.begin(), record.end(), oldImage_.begin());
  record_ = oldImage_;
  ref_ = ref;
}

std::optional<std::string> ProductEditor::CodeTakenByAnother() const {
  const std::string wanted = CodeForCompare(form_.code);
  if (previousCode_ == wanted || !products_) return std::nullopt;
  common::RecordBuffer other(product::kProductRecordLength);
  std::int32_t ref = 0;
  if (!product::ReadProductByCode(products_, form_.code, ref, other)) return std::nullopt;
  if (CodeForCompare(common::ReadText(other, product::kProductCode)) != wanted) return std::nullopt;
  return "This Product Code already exists for: " +
         common::TrimBoth(common::ReadText(other, product::kProductDescription)) + ". Use a different code.";
}

Outcome ProductEditor::Ok() {
  if (common::TrimBoth(form_.code).empty()) {
    focus_ = ProductControl::PNum;
    return Outcome::Failed("You need to enter a product code.", "Product Code", common::PromptIcon::Exclamation);
  }
  if (common::TrimBoth(form_.description).empty()) {
    focus_ = ProductControl::PDesc;
    return Outcome::Failed("You need to enter a product description or name.", "Product Description",
                           common::PromptIcon::Exclamation);
  }
  if (std::optional<std::string> taken = CodeTakenByAnother()) {
    focus_ = ProductControl::PNum;
    return Outcome::Failed(*taken, "Product Code", common::PromptIcon::Exclamation);
  }
  // A price that is not a plain decimal ("1,000.00", "abc") is not refused: it becomes zero.
  if (!common::ParseAmount(form_.price)) form_.price = kZeroPrice;
  const common::RecordBuffer image = Image();
  if (Outcome saved = save_ ? save_(image) : Outcome::Done(); saved.IsFailed()) {
    focus_ = ProductControl::PNum;
    return saved;
  }
  record_ = image;
  return Outcome::Done();
}

common::RecordBuffer ProductEditor::Image() const {
  common::RecordBuffer record = mode_ == Mode::Add ? common::RecordBuffer(product::kProductRecordLength) : oldImage_;
  common::WriteText(record, product::kProductCode, form_.code);
  common::WriteText(record, product::kProductDescription, form_.description);
  common::WriteBool(record, product::kTaxable, form_.taxable);
  common::WriteText(record, product::kProductNotes, form_.notes);
  if (mode_ == Mode::Add) {
    common::WriteText(record, product::kSalesPrice,
                      common::TrimBoth(form_.price).empty() ? std::string(kZeroPrice) : form_.price);
    common::WriteText(record, product::kSetupDate, today_);
  } else {
    common::WriteText(record, product::kSalesPrice, form_.price);
    common::WriteText(record, product::kLastChangedDate, today_);
  }
  return record;
}

}  // namespace tf::products
