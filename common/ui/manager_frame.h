#pragma once
// The frame the manager windows share, top to bottom: the tool bar "ToolBar1", the company
// caption "Label1" on the panel "Panel1", the list, and the status bar "StatusBar1" with the
// count panel "StatusBar1Panel0" and the hint panel "StatusBar1Panel1".

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include <initializer_list>

namespace tf::common::ui {

struct ManagerFrame {
  QLabel* caption;
  QStatusBar* statusBar;
  QLabel* countPanel;
  QLabel* hintPanel;
};

// Lays out `window` (which must have no layout yet) around `list`; the hint panel shows `hint`.
ManagerFrame BuildManagerFrame(QDialog* window, std::initializer_list<QToolButton*> tools, QWidget* list,
                               const QString& hint);

// Right-clicking `list` opens `popup` where the pointer is.
void PopupOnRightClick(QWidget* list, QMenu* popup);

}  // namespace tf::common::ui
