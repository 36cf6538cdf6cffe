#pragma once
// The picture of each command on its tool button: the desktop theme's icon where the theme has
// one, else one of the style's own.

#include <QIcon>
#include <QStyle>

#include "shell/main_window_model.h"

namespace tf::shell::ui {

QIcon CommandIcon(CommandId id, const QStyle* style);

}  // namespace tf::shell::ui
