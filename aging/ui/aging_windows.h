#pragma once
// The aging in the main window: InstallAgingWindows puts the chart into the chart panel, makes
// it the aging run the main window starts once a day (at start-up and after a company switch)
// and registers the aging chart command, so the program adds it in one call.

#include "aging/ui/aging_chart_panel.h"
#include "shell/ui/main_form.h"

namespace tf::aging::ui {

TAgingChart* InstallAgingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::aging::ui
