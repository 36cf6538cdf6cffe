#pragma once
// Modal messages: every warning, confirmation and question the program asks goes through a
// Prompter, so screen models stay free of any UI toolkit and tests can script the answers.
// The window implementation shows a message box (common/ui/qt_prompter.h); tests use
// ScriptedPrompter (common/scripted_prompter.h).

#include <string>
#include <string_view>

namespace tf::common {

enum class PromptIcon { None, Exclamation, Information, Question, Error };
enum class PromptButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class PromptAnswer { OK, Cancel, Yes, No };

struct PromptMessage {
  std::string text;
  std::string caption;
  PromptIcon icon = PromptIcon::Exclamation;
  PromptButtons buttons = PromptButtons::OK;
  // The button that Enter presses; when it is not one of `buttons` the first button is.
  PromptAnswer defaultAnswer = PromptAnswer::OK;
};

class Prompter {
 public:
  virtual ~Prompter() = default;

  // Shows the message and waits for the answer. Closing the box without a button answers
  // Cancel for OK/Cancel and Yes/No/Cancel, No for Yes/No and OK for OK.
  virtual PromptAnswer Show(const PromptMessage& message) = 0;

  // The common shapes.
  void Inform(std::string_view text, std::string_view caption = {},
              PromptIcon icon = PromptIcon::Exclamation) {
    Show({std::string(text), std::string(caption), icon, PromptButtons::OK, PromptAnswer::OK});
  }
  // True for Yes.
  bool AskYesNo(std::string_view text, std::string_view caption = {},
                PromptAnswer defaultAnswer = PromptAnswer::Yes) {
    return Show({std::string(text), std::string(caption), PromptIcon::Question,
                 PromptButtons::YesNo, defaultAnswer}) == PromptAnswer::Yes;
  }
  // True for OK.
  bool AskOKCancel(std::string_view text, std::string_view caption = {},
                   PromptIcon icon = PromptIcon::Information) {
    return Show({std::string(text), std::string(caption), icon, PromptButtons::OKCancel,
                 PromptAnswer::OK}) == PromptAnswer::OK;
  }
};

}  // namespace tf::common
