#pragma once
// The customer editor (TEditDlg "Edit Record") without the screen: the field texts, the
// auto-copy of billing lines to shipping lines, the short name on leaving the name, and "&Ok":
// the checks in order, then the record image handed to the Customer Manager's save step, which
// writes it (browse/manager_model.h). A failed check or save keeps the editor open with the
// focus on the field concerned.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browse/manager_model.h"
#include "common/record_buffer.h"
#include "customers/customer_checks.h"
#include "customers/customer_form.h"
#include "engine/core/engine.h"

namespace tf::customers {

inline constexpr std::string_view kAddCustomerTitle = "Add Customer";
inline constexpr std::string_view kEditCustomerTitle = "Edit Customer";
inline constexpr std::string_view kAddFailedText = "Add operation failed";
inline constexpr std::string_view kModifyFailedText = "Modify operation failed";

class CustomerEditor {
 public:
  enum class Mode { Add, Edit };

  // `customers` is the open customer file the checks look into, `save` the manager's step that
  // writes the record image once the checks passed.
  //
  // A new customer: every field empty except the proposed number, TE "N", credit limit
  // "0.00" and the company's default terms; check boxes cleared; balance "0.00".
  void BeginAdd(engine::FileBlock* customers, browse::SaveStep save, const std::string& nextCustomerNumber,
                const std::string& defaultTerms);
  // An existing customer read from the list: its record is kept as the old image.
  void BeginEdit(engine::FileBlock* customers, browse::SaveStep save, std::span<const std::uint8_t> record,
                 std::int32_t ref);

  // On show: the terms list, the focus on CNo, "&Auto-Copy to Shipping" as the company says.
  void Show(std::vector<std::string> terms, bool autoCopyBillToShip);

  Mode EditMode() const { return mode_; }
  const std::string& Title() const { return title_; }
  const std::string& BalanceText() const { return balance_; }
  const std::vector<std::string>& Terms() const { return terms_; }
  CustomerForm& Form() { return form_; }
  const CustomerForm& Form() const { return form_; }
  // The trimmed, upper-cased number of the customer being edited; "0" while adding.
  std::string EditedNumber() const { return editedNumber_ ? *editedNumber_ : "0"; }

  bool AutoCopy() const { return autoCopy_; }
  void SetAutoCopy(bool on) { autoCopy_ = on; }
  // A billing line (0..3) typed: copied to the shipping line while auto-copy is on.
  void SetBilling(int line, std::string text);
  void CopyBillingToShipping();  // Button1
  void ClearShipping();          // Button2
  // Leaving CName: an empty short name is made from the name.
  void NameExit();

  // "&Ok": the checks, then the record image saved. Done when the editor may close; otherwise
  // the failure to show, with Focus() naming the field.
  browse::Outcome Ok();
  CustomerControl Focus() const { return focus_; }

  // The record the fields make: a new one with a zero balance and zero aging amounts, or the
  // old image with the editable fields written over it.
  common::RecordBuffer Image() const;

  // After a successful Ok: the record as written.
  const common::RecordBuffer& Record() const { return record_; }
  // The ref of the customer being edited (0 while adding).
  std::int32_t Ref() const { return ref_; }
  // The number the customer had when the editor opened (trimmed, upper-cased), and whether Ok
  // changed it.
  bool NumberChanged() const;
  const common::RecordBuffer& OldImage() const { return oldImage_; }

 private:
  Mode mode_ = Mode::Add;
  engine::FileBlock* customers_ = nullptr;
  browse::SaveStep save_;
  std::string title_;
  std::string balance_;
  std::vector<std::string> terms_;
  CustomerForm form_;
  bool autoCopy_ = false;
  std::optional<std::string> editedNumber_;
  CustomerControl focus_ = CustomerControl::CNo;
  common::RecordBuffer record_{1008};
  common::RecordBuffer oldImage_{1008};
  std::int32_t ref_ = 0;
};

}  // namespace tf::customers
