#pragma once
// The product windows the main window opens: InstallProductWindows creates them as children of
// the main window and registers their commands, so the program adds them in one call.

#include "products/ui/edit_prod.h"
#include "shell/ui/main_form.h"

namespace tf::products::ui {

// The Product Manager on the "Product Manager" command, on the main window's company book. The
// window is returned for the windows that pick products through it.
TEditProd& InstallProductWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::products::ui
