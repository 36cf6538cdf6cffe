#pragma once
// The customer windows the main window opens: InstallCustomerWindows creates them as children
// of the main window and registers their commands, so the program adds them in one call.

#include "customers/ui/demo_form.h"
#include "shell/ui/main_form.h"

namespace tf::customers::ui {

// The Customer Manager on the "Customer Manager" command. It works on the main window's company
// book and label queue, and its title follows the main window's output choice. The window is
// returned for the windows that pick customers through it.
TDemoForm& InstallCustomerWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::customers::ui
