#pragma once
// The Report Wizard on the main window's report command, in one call.

#include "shell/ui/main_form.h"

namespace tf::reports::ui {

void InstallReportWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::reports::ui
