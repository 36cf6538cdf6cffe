#pragma once
// The Label Wizard in the main window: InstallLabelWindows creates it as a child of the main
// window on the run's label queue, picks customers through the Customer Manager, and registers
// the "Label Wizard" command (which the free e-mail message's "&Queue" button runs too).

#include "correspondence/ui/lbl_wiz.h"
#include "shell/ui/main_form.h"

namespace tf::correspondence::ui {

Tlblwiz& InstallLabelWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::correspondence::ui
