#pragma once
// The window implementation of Prompter: a modal QMessageBox with the program's caption, icon,
// buttons and default button.

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "common/prompter.h"

namespace tf::common::ui {

QMessageBox::Icon MessageBoxIcon(PromptIcon icon);
QMessageBox::StandardButtons MessageBoxButtons(PromptButtons buttons);
// The button Enter presses: `answer` when the box has it, else the first button.
QMessageBox::StandardButton MessageBoxDefaultButton(PromptButtons buttons, PromptAnswer answer);
// The button that Escape or closing the box presses (Cancel, No for Yes/No, OK for OK).
QMessageBox::StandardButton MessageBoxEscapeButton(PromptButtons buttons);
// The answer for the button the box returned; anything unexpected counts as the escape button.
PromptAnswer AnswerFromButton(PromptButtons buttons, int button);

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  // The window the boxes are centred on and modal to; may change as windows open and close.
  void SetParent(QWidget* parent) { parent_ = parent; }
  QWidget* Parent() const { return parent_; }

  PromptAnswer Show(const PromptMessage& message) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tf::common::ui
