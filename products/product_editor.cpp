#include "products/product_editor.h"

#include <algorithm>
#include <optional>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
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

struct ProductTextField {
  ProductControl control;
  const char* caption;
  std::size_t capacity;
  common::TextKind kind;
  std::string ProductForm::* text;
};

constexpr ProductTextField kTextFields[] = {
    {ProductControl::PNum, "Product Code", kCodeMaxLength, common::TextKind::Line, &ProductForm::code},
    {ProductControl::PSell, "Sales Price", kPriceMaxLength, common::TextKind::Line, &ProductForm::price},
    {ProductControl::PDesc, "Product Description", kDescriptionMaxLength, common::TextKind::Line, &ProductForm::description},
    {ProductControl::PNote, "Notes/Comments", kNotesMaxLength, common::TextKind::Notes, &ProductForm::notes},
};

const ProductTextField* FieldOf(ProductControl control) {
  for (const ProductTextField& f : kTextFields)
    if (f.control == control) return &f;
  return nullptr;
}

// The price as stored: "0.00" when blank, else the typed text without thousands separators;
// nothing when it is no amount.
std::optional<std::string> StoredPrice(std::string_view typed) {
  const std::string trimmed = common::TrimBoth(typed);
  if (trimmed.empty()) return std::string(kZeroPrice);
  if (!common::ParseTypedAmount(trimmed)) return std::nullopt;
  return common::WithoutThousandsSeparators(trimmed);
}

}  // namespace

void SetTyped(ProductForm& form, ProductControl control, std::string_view utf8) {
  const ProductTextField* field = FieldOf(control);
  if (!field) return;
  common::Latin1Conversion converted = common::ConvertToLatin1(utf8);
  // Text that is not UTF-8 at all cannot come from a window; it is refused all the same.
  if (converted.badOffset && !converted.unstorable) converted.unstorable = U'\uFFFD';
  if (converted.unstorable && !form.unstorable) form.unstorable = std::pair(control, *converted.unstorable);
  form.*field->text = std::move(converted.latin1);
}

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
  if (form_.unstorable) {
    focus_ = form_.unstorable->first;
    const ProductTextField* field = FieldOf(focus_);
    return Outcome::Failed(common::UnstorableCharacterText(field ? field->caption : "", form_.unstorable->second),
                           field ? field->caption : "", common::PromptIcon::Exclamation);
  }
  if (common::TrimBoth(form_.code).empty()) {
    focus_ = ProductControl::PNum;
    return Outcome::Failed("You need to enter a product code.", "Product Code", common::PromptIcon::Exclamation);
  }
  if (common::TrimBoth(form_.description).empty()) {
    focus_ = ProductControl::PDesc;
    return Outcome::Failed("You need to enter a product description or name.", "Product Description",
                           common::PromptIcon::Exclamation);
  }
  // Notes left as they were stored are not measured again: how a window shows their line
  // breaks must not make them too long.
  const std::string storedNotes = common::ReadText(oldImage_, product::kProductNotes);
  const bool notesAsStored =
      mode_ == Mode::Edit && common::StoredLineBreaks(storedNotes) == common::StoredLineBreaks(form_.notes);
  form_.notes = notesAsStored ? storedNotes : common::StoredLineBreaks(form_.notes);
  for (const ProductTextField& f : kTextFields) {
    if (notesAsStored && f.control == ProductControl::PNote) continue;
    // A price is stored without its thousands separators: that is what must fit.
    const std::string& text = form_.*f.text;
    const std::string stored =
        f.control == ProductControl::PSell ? common::WithoutThousandsSeparators(text).value_or(text) : text;
    if (auto problem = common::StoredTextProblem(f.caption, stored, f.capacity, f.kind)) {
      focus_ = f.control;
      return Outcome::Failed(*problem, f.caption, common::PromptIcon::Exclamation);
    }
  }
  if (std::optional<std::string> taken = CodeTakenByAnother()) {
    focus_ = ProductControl::PNum;
    return Outcome::Failed(*taken, "Product Code", common::PromptIcon::Exclamation);
  }
  // A price that is no amount is refused: storing "0.00" in its place would lose it unseen. A
  // stored price left as it was is kept to the byte.
  const bool priceAsStored = mode_ == Mode::Edit && form_.price == common::ReadText(oldImage_, product::kSalesPrice);
  if (!StoredPrice(form_.price)) {
    focus_ = ProductControl::PSell;
    return Outcome::Failed(std::string(kBadPriceText), std::string(kBadPriceCaption), common::PromptIcon::Exclamation);
  }
  if (!priceAsStored) form_.price = *StoredPrice(form_.price);
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
  const std::string stored = common::ReadText(oldImage_, product::kProductNotes);
  if (mode_ == Mode::Edit && common::StoredLineBreaks(stored) == common::StoredLineBreaks(form_.notes)) {
    // Opening and saving a product never changes its notes: a window shows every kind of line
    // break alike.
    const auto field = product::kProductNotes;
    std::copy_n(oldImage_.begin() + std::ptrdiff_t(field.offset), field.capacity + 1,
                record.begin() + std::ptrdiff_t(field.offset));
  } else {
    common::WriteText(record, product::kProductNotes, form_.notes);
  }
  const bool priceAsStored = mode_ == Mode::Edit && form_.price == common::ReadText(oldImage_, product::kSalesPrice);
  common::WriteText(record, product::kSalesPrice,
                    priceAsStored ? form_.price : StoredPrice(form_.price).value_or(form_.price));
  if (mode_ == Mode::Add) {
    common::WriteText(record, product::kSetupDate, today_);
  } else {
    common::WriteText(record, product::kLastChangedDate, today_);
  }
  return record;
}

}  // namespace tf::products
