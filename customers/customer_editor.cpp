#include "customers/customer_editor.h"

#include <algorithm>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "records/customer_record.h"

namespace tf::customers {

void CustomerEditor::BeginAdd(engine::FileBlock* customers, browse::SaveStep save,
                              const std::string& nextCustomerNumber, const std::string& defaultTerms) {
  mode_ = Mode::Add;
  customers_ = customers;
  save_ = std::move(save);
  title_ = std::string(kAddCustomerTitle);
  balance_ = "0.00";
  editedNumber_.reset();
  record_.Clear();
  oldImage_.Clear();
  ref_ = 0;
  form_ = CustomerForm{};
  form_.number = nextCustomerNumber;
  form_.taxExempt = "N";
  form_.creditLimit = "0.00";
  form_.terms = defaultTerms;
}

void CustomerEditor::BeginEdit(engine::FileBlock* customers, browse::SaveStep save,
                               std::span<const std::uint8_t> record, std::int32_t ref) {
  mode_ = Mode::Edit;
  customers_ = customers;
  save_ = std::move(save);
  title_ = std::string(kEditCustomerTitle);
  std::copy(record.begin(), record.end(), record_.begin());
  oldImage_ = record_;
  ref_ = ref;
  form_ = FormFromRecord(record);
  editedNumber_ = records::customer::ComparableText(form_.number);
  auto balance = common::ParseAmount(common::ReadText(record, records::customer::kBalance), common::BlankAmount::Zero);
  balance_ = balance ? common::FormatComma0_00(*balance) : common::ReadText(record, records::customer::kBalance);
}

void CustomerEditor::Show(std::vector<std::string> terms, bool autoCopyBillToShip) {
  terms_ = std::move(terms);
  autoCopy_ = autoCopyBillToShip;
  focus_ = CustomerControl::CNo;
}

void CustomerEditor::SetBilling(int line, std::string text) {
  if (line < 0 || line > 3) return;
  form_.bill[line] = std::move(text);
  if (autoCopy_) form_.ship[line] = form_.bill[line];
}

void CustomerEditor::CopyBillingToShipping() {
  for (int k = 0; k < 4; ++k) form_.ship[k] = form_.bill[k];
}

void CustomerEditor::ClearShipping() {
  for (auto& line : form_.ship) line.clear();
}

void CustomerEditor::NameExit() {
  if (form_.shortName.empty()) form_.shortName = ShortNameOf(form_.name);
}

browse::Outcome CustomerEditor::Ok() {
  FileCustomerLookup lookup(customers_);
  // Notes left as they were stored are not measured again: how a window shows their line
  // breaks must not make them too long. Image() keeps their stored bytes.
  const std::string storedNotes = common::ReadText(oldImage_, records::customer::kNotes);
  const bool notesAsStored =
      mode_ == Mode::Edit && common::StoredLineBreaks(storedNotes) == common::StoredLineBreaks(form_.notes);
  if (notesAsStored) form_.notes.clear();
  std::optional<CheckFailure> failure = CheckCustomerForm(form_, editedNumber_, lookup);
  if (notesAsStored) form_.notes = storedNotes;
  if (failure) {
    focus_ = failure->focus;
    return browse::Outcome::Failed(failure->text, failure->caption, common::PromptIcon::Exclamation);
  }
  const common::RecordBuffer next = Image();
  if (browse::Outcome saved = save_ ? save_(next) : browse::Outcome::Done(); saved.IsFailed()) {
    focus_ = CustomerControl::CNo;
    return saved;
  }
  record_ = next;
  return browse::Outcome::Done();
}

common::RecordBuffer CustomerEditor::Image() const {
  common::RecordBuffer next = mode_ == Mode::Add ? common::RecordBuffer(records::customer::kCustomerRecordLength) : oldImage_;
  FormToRecord(form_, next);
  // Notes whose only difference from the stored ones is how their line breaks are written
  // (a window shows every break alike) are left as stored: opening and saving a customer never
  // changes what it holds.
  if (mode_ == Mode::Edit) {
    const std::string stored = common::ReadText(oldImage_, records::customer::kNotes);
    if (common::StoredLineBreaks(stored) == common::StoredLineBreaks(form_.notes)) {
      const auto field = records::customer::kNotes;
      std::copy_n(oldImage_.begin() + std::ptrdiff_t(field.offset), field.capacity + 1,
                  next.begin() + std::ptrdiff_t(field.offset));
    }
  }
  if (mode_ == Mode::Add) {
    common::WriteText(next, records::customer::kBalance, "0.00");
    for (const auto& amount : records::customer::kAgingAmount) common::WriteText(next, amount, "0.00");
  }
  return next;
}

bool CustomerEditor::NumberChanged() const {
  return mode_ == Mode::Edit && records::customer::ComparableText(common::ReadText(record_, records::customer::kCustomerNumber)) != editedNumber_;
}

}  // namespace tf::customers
