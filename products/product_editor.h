#pragma once
// The product editor ("Add Product" / "Edit Product") without its window: the field texts, the
// status panels, and the checks OK runs in order. The dialog stays open at the first failing
// check with the focus on its field.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "engine/core/engine.h"

namespace tf::products {

// Field limits of the dialog, the record's capacities.
inline constexpr int kCodeMaxLength = 10;
inline constexpr int kPriceMaxLength = 10;
inline constexpr int kDescriptionMaxLength = 32;
inline constexpr int kNotesMaxLength = 150;

inline constexpr std::string_view kAddProductCaption = "Add Product";
inline constexpr std::string_view kEditProductCaption = "Edit Product";
inline constexpr std::string_view kEditorHelpTopic = "NewProduct";
// The previous code while adding: no trimmed, upper-cased code equals it.
inline constexpr std::string_view kNoPreviousCode = "/";

enum class EditorField { None, PNum, PSell, PDesc, PNote };

struct ProductFields {
  std::string code;         // PNum
  std::string price;        // PSell
  bool taxable = false;     // CheckBox1
  std::string description;  // PDesc
  std::string notes;        // PNote
};

class ProductEditor {
 public:
  // `file` is the open product file block, searched for a duplicate code.
  ProductEditor(engine::FileBlock* file, common::Prompter& prompter) : file_(file), prompter_(prompter) {}

  // Proposes a new product: empty fields, price "0.00", setup date `today`.
  void StartAdd(std::string_view today);
  // Shows `record` for editing.
  void StartEdit(std::span<const std::uint8_t> record);

  // OKBtnClick: true when the dialog may close with OK. On false `Focus()` names the field.
  bool OkBtnClick();

  // Writes the fields into the record (cut to their capacities). Adding also blanks the price
  // to "0.00" and sets the setup date; editing sets the last changed date.
  void StoreAdded(std::span<std::uint8_t> record, std::string_view today) const;
  void StoreEdited(std::span<std::uint8_t> record, std::string_view today) const;

  ProductFields fields;
  const std::string& Caption() const { return caption_; }
  const std::string& SetupPanel() const { return setupPanel_; }
  const std::string& ChangedPanel() const { return changedPanel_; }
  const std::string& PreviousCode() const { return previousCode_; }
  EditorField Focus() const { return focus_; }

 private:
  void StoreCommon(std::span<std::uint8_t> record) const;
  bool CodeTakenByAnother();

  engine::FileBlock* file_;
  common::Prompter& prompter_;
  std::string caption_;
  std::string setupPanel_;
  std::string changedPanel_;
  std::string previousCode_;
  EditorField focus_ = EditorField::PNum;
};

}  // namespace tf::products
