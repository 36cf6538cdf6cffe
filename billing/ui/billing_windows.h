#pragma once
// The billing windows: InstallBillingWindows creates the Interest Wizard and the Repeat Billing
// Wizard as children of the main window and registers their commands, and gives the Invoice
// Manager (installed before it) its repeat billing set-up.

#include "shell/ui/main_form.h"

namespace tf::billing::ui {

void InstallBillingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::billing::ui
