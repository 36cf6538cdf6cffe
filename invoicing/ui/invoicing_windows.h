#pragma once
// The invoicing windows the main window opens: InstallInvoicingWindows creates them as children
// of the main window and registers their commands, so the program adds them in one call.

#include "invoicing/ui/invoice_form.h"
#include "invoicing/ui/term_edit.h"
#include "shell/ui/main_form.h"

namespace tf::invoicing::ui {

// The payment terms editor on "Edit Payment Terms"; the Invoice Manager on its command, with
// invoice entry picking customers and products through the Customer and Product Managers
// installed before it.
void InstallInvoicingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::invoicing::ui
