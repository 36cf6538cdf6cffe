#include "common/ui/qt_prompter.h"

#include <QApplication>

#include "common/ui/qt_text.h"

namespace tf::common::ui {
namespace {

QMessageBox::StandardButton ButtonFor(PromptAnswer answer) {
  switch (answer) {
    case PromptAnswer::OK: return QMessageBox::Ok;
    case PromptAnswer::Cancel: return QMessageBox::Cancel;
    case PromptAnswer::Yes: return QMessageBox::Yes;
    case PromptAnswer::No: return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton FirstButton(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::OK:
    case PromptButtons::OKCancel: return QMessageBox::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel: return QMessageBox::Yes;
  }
  return QMessageBox::Ok;
}

}  // namespace

QMessageBox::Icon MessageBoxIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::None: return QMessageBox::NoIcon;
    case PromptIcon::Exclamation: return QMessageBox::Warning;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Error: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons MessageBoxButtons(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::OK: return QMessageBox::Ok;
    case PromptButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton MessageBoxDefaultButton(PromptButtons buttons, PromptAnswer answer) {
  QMessageBox::StandardButton b = ButtonFor(answer);
  return MessageBoxButtons(buttons).testFlag(b) ? b : FirstButton(buttons);
}

QMessageBox::StandardButton MessageBoxEscapeButton(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::OK: return QMessageBox::Ok;
    case PromptButtons::YesNo: return QMessageBox::No;
    case PromptButtons::OKCancel:
    case PromptButtons::YesNoCancel: return QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

PromptAnswer AnswerFromButton(PromptButtons buttons, int button) {
  auto b = static_cast<QMessageBox::StandardButton>(button);
  if (!MessageBoxButtons(buttons).testFlag(b)) b = MessageBoxEscapeButton(buttons);
  switch (b) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    default: return PromptAnswer::OK;
  }
}

PromptAnswer QtPrompter::Show(const PromptMessage& message) {
  QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
  QMessageBox box(MessageBoxIcon(message.icon),
                  message.caption.empty() ? QApplication::applicationDisplayName()
                                          : ToQString(message.caption),
                  ToQString(message.text), MessageBoxButtons(message.buttons), parent);
  box.setDefaultButton(MessageBoxDefaultButton(message.buttons, message.defaultAnswer));
  box.setEscapeButton(MessageBoxEscapeButton(message.buttons));
  return AnswerFromButton(message.buttons, box.exec());
}

}  // namespace tf::common::ui
