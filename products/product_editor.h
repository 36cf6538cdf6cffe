#pragma once
// The product editor ("Add Product" / "Edit Product") without its window: the field texts, the
// status panels, and OK: the checks in order, then the record image handed to the Product
// Manager's save step, which writes it (browse/manager_model.h). A failed check or save keeps
// the dialog open with the focus on its field.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "browse/manager_model.h"
#include "common/help_topics.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "records/product_record.h"

namespace tf::products {

// Field limits of the dialog, the record's capacities.
inline constexpr int kCodeMaxLength = 10;
inline constexpr int kPriceMaxLength = 10;
inline constexpr int kDescriptionMaxLength = 32;
inline constexpr int kNotesMaxLength = 150;

inline constexpr std::string_view kAddProductCaption = "Add Product";
inline constexpr std::string_view kEditProductCaption = "Edit Product";
inline constexpr std::string_view kEditorHelpTopic = common::help::kNewProduct;
// The previous code while adding: no trimmed, upper-cased code equals it.
inline constexpr std::string_view kNoPreviousCode = "/";

// The dialog's controls that a check can send the focus to.
enum class ProductControl { None, PNum, PSell, PDesc, PNote };

struct ProductForm {
  std::string code;         // PNum
  std::string price;        // PSell
  bool taxable = false;     // CheckBox1
  std::string description;  // PDesc
  std::string notes;        // PNote
  // The first character typed (SetTyped) that Latin-1 cannot hold, and its box; OK refuses it.
  std::optional<std::pair<ProductControl, char32_t>> unstorable;
};

// Puts text typed in the dialog (UTF-8) into the field of `control` as a record holds it
// (Latin-1), noting the first character Latin-1 cannot hold in `form.unstorable`.
void SetTyped(ProductForm& form, ProductControl control, std::string_view utf8);

inline constexpr std::string_view kBadPriceText =
    "The sales price is not an amount. Type digits with a \".\" for the cents and, if you like, \",\" "
    "between thousands (1250.00 or 1,250.00).";
inline constexpr std::string_view kBadPriceCaption = "Sales Price";

class ProductEditor {
 public:
  enum class Mode { Add, Edit };

  // `products` is the open product file block the checks search for a duplicate code, `save`
  // the manager's step that writes the record image once the checks passed, `today` the date
  // in the company's format.
  //
  // A new product: empty fields, price "0.00", setup date `today`.
  void BeginAdd(engine::FileBlock* products, browse::SaveStep save, std::string_view today);
  // `record` (at `ref`) for editing; its last changed date becomes `today`.
  void BeginEdit(engine::FileBlock* products, browse::SaveStep save, std::span<const std::uint8_t> record,
                 std::int32_t ref, std::string_view today);

  // OK: the checks in order, then the record image saved. Done when the dialog may close;
  // otherwise the failure to show, with Focus() naming the field.
  browse::Outcome Ok();

  // The record the fields make (after Ok's checks they fit their capacities): a blank price is
  // "0.00" and a typed one is kept without its thousands separators; adding, a new record with
  // the setup date; editing, the record as read with the fields and the last changed date
  // written over it, and notes that differ from the stored ones only in how their line breaks
  // are written left as stored.
  common::RecordBuffer Image() const;

  Mode EditMode() const { return mode_; }
  ProductForm& Form() { return form_; }
  const ProductForm& Form() const { return form_; }
  const std::string& Title() const { return title_; }
  const std::string& SetupPanel() const { return setupPanel_; }
  const std::string& ChangedPanel() const { return changedPanel_; }
  const std::string& PreviousCode() const { return previousCode_; }
  ProductControl Focus() const { return focus_; }
  // After a successful Ok: the record as written.
  const common::RecordBuffer& Record() const { return record_; }
  // The ref of the product being edited (0 while adding).
  std::int32_t Ref() const { return ref_; }

 private:
  // The message when the code is another product's; nothing when it is free.
  std::optional<std::string> CodeTakenByAnother() const;

  Mode mode_ = Mode::Add;
  engine::FileBlock* products_ = nullptr;
  browse::SaveStep save_;
  ProductForm form_;
  std::string today_;
  std::string title_;
  std::string setupPanel_;
  std::string changedPanel_;
  std::string previousCode_;
  ProductControl focus_ = ProductControl::PNum;
  common::RecordBuffer record_{records::product::kProductRecordLength};
  common::RecordBuffer oldImage_{records::product::kProductRecordLength};
  std::int32_t ref_ = 0;
};

}  // namespace tf::products
