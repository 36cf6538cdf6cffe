#pragma once
// F1 in any window does what the window's own Help button does (its topic), as a user of a
// desktop program expects; a window without one is left alone.

#include <QApplication>

namespace tf::common::ui {

void InstallHelpKey(QApplication& app);

}  // namespace tf::common::ui
