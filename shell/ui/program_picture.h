#pragma once
// The program's picture (a ledger sheet with a tally), drawn rather than loaded so that it
// needs no image plugin: the splash window shows it and it is the windows' icon where the
// desktop has none installed.

#include <QIcon>
#include <QPixmap>

namespace tf::shell::ui {

QPixmap ProgramPicture(int size);
// The desktop's "tallyfold" icon when installed, else the drawn picture.
QIcon ProgramIcon();

}  // namespace tf::shell::ui
