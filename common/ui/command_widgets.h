#pragma once
// The commands of a window as its controls: a tool button, a menu action and the row of dialog
// buttons, each carrying its control name as objectName so that every window builds them alike
// and tests find them by name.

#include <QAbstractButton>
#include <QAction>
#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <functional>
#include <initializer_list>

namespace tf::common::ui {

// A flat tool button with the standard `icon` above `hint`, which is also its tool tip.
QToolButton* ToolButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap icon);

// A push button that Enter does not press unless it has the focus (not an auto-default button).
QPushButton* PushButton(QWidget* parent, const char* name, const char* text);

// A menu command named `name` showing `text`.
QAction* Action(QObject* parent, const char* name, const char* text);

// Makes `edit` at least wide enough to show `characters` of the widest letter in its font, so
// that a field never hides part of the longest text it takes.
void ShowWholeText(QLineEdit* edit, int characters);

// Enter (Return, or Enter on the keypad) in `widget` runs `action` and goes no further: it does
// not press the dialog's default button.
void OnEnterKey(QWidget* widget, std::function<void()> action);

// The dialog's buttons in a row at the right.
QHBoxLayout* ButtonRow(std::initializer_list<QAbstractButton*> buttons);

}  // namespace tf::common::ui
