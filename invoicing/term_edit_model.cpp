#include "invoicing/term_edit_model.h"

#include "common/text.h"

namespace tf::invoicing {

void TermEditModel::Show(const std::filesystem::path& file) {
  file_ = file;
  terms_ = LoadTerms(file_);
  EndEditing();
}

void TermEditModel::EndEditing() {
  mode_ = Mode::None;
  box_.clear();
  prompt_.clear();
  selected_ = terms_.empty() ? -1 : 0;
}

void TermEditModel::Add() {
  mode_ = Mode::Add;
  prompt_ = std::string(kAddTermPrompt);
  box_.clear();
}

void TermEditModel::Edit() {
  if (selected_ < 0) return;
  mode_ = Mode::Edit;
  prompt_ = std::string(kEditTermPrompt);
  box_ = terms_[std::size_t(selected_)];
}

bool TermEditModel::Ok(std::string_view text, common::Prompter& prompter) {
  if (mode_ == Mode::None) return false;
  // A text of blanks only is no term either.
  if (common::TrimBoth(text).empty()) {
    prompter.Inform(kNoTermText, kNoTermCaption);
    return false;
  }
  std::string term = common::Cut(text, kMaxTermLength);
  if (mode_ == Mode::Add) terms_.push_back(std::move(term));
  else if (selected_ >= 0) terms_[std::size_t(selected_)] = std::move(term);
  SortTerms(terms_);
  EndEditing();
  return true;
}

void TermEditModel::Delete(common::Prompter& prompter) {
  if (terms_.size() == 1) {
    prompter.Inform(kLastTermText, kLastTermCaption);
    return;
  }
  if (selected_ < 0 || std::size_t(selected_) >= terms_.size()) return;
  // A term is typed again by hand if deleted by a slip of the mouse: ask first.
  if (!prompter.AskYesNo(kDeleteTermQuestion, kLastTermCaption, common::PromptAnswer::No)) return;
  terms_.erase(terms_.begin() + selected_);
  EndEditing();
}

void TermEditModel::Click(int index) {
  EndEditing();
  if (index >= 0 && std::size_t(index) < terms_.size()) selected_ = index;
}

void TermEditModel::Close() { SaveTerms(terms_, file_); }

}  // namespace tf::invoicing
