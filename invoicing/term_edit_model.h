#pragma once
// The payment terms dialog (TTermEdit, "Edit Payment Terms") without the screen: the sorted
// list, the add and edit modes of the editing box, delete, and "&Close", which writes the list
// to the terms file (closing any other way leaves the file as it was).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/help_topics.h"
#include "common/prompter.h"
#include "invoicing/payment_terms.h"

namespace tf::invoicing {

inline constexpr std::string_view kAddTermPrompt = "Enter new payment term and select Ok button...";
inline constexpr std::string_view kEditTermPrompt = "Edit this payment term and select Ok button...";
inline constexpr std::string_view kNoTermText = "You do not have any text entered.";
inline constexpr std::string_view kNoTermCaption = "Invalid Payment Term";
inline constexpr std::string_view kLastTermText = "You must have at least on payment term.";
inline constexpr std::string_view kLastTermCaption = "Delete Payment Term";
inline constexpr std::string_view kDeleteTermQuestion = "Are you sure you want to delete this payment term?";
inline constexpr std::string_view kTermsHelpTopic = common::help::kEditTerms;

class TermEditModel {
 public:
  enum class Mode { None, Add, Edit };

  // On show: the list from the terms file, the box emptied and disabled, Ok disabled, the
  // first term selected.
  void Show(const std::filesystem::path& file = kTermsFile);

  void Add();            // Button3
  void Edit();           // Button1: the selected term into the box
  // Button4: the box's text added (at its sorted place) or put over the selected term. False,
  // with the message shown, when the box is empty; the box keeps the focus then.
  bool Ok(std::string_view text, common::Prompter& prompter);
  // Button2: the selected term, once the user confirmed; never the last one.
  void Delete(common::Prompter& prompter);
  void Click(int index);  // a term clicked: any add or edit in progress is abandoned
  // OKBtn "&Close": the list replaces the terms file. Throws std::system_error.
  void Close();

  const std::vector<std::string>& Terms() const { return terms_; }
  int Selected() const { return selected_; }  // -1: none
  Mode EditMode() const { return mode_; }
  const std::string& BoxText() const { return box_; }
  bool BoxEnabled() const { return mode_ != Mode::None; }
  bool OkEnabled() const { return mode_ != Mode::None; }
  const std::string& Prompt() const { return prompt_; }

 private:
  void EndEditing();

  std::filesystem::path file_ = kTermsFile;
  std::vector<std::string> terms_;
  int selected_ = -1;
  Mode mode_ = Mode::None;
  std::string box_;
  std::string prompt_;
};

}  // namespace tf::invoicing
