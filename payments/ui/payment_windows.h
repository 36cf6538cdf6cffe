#pragma once
// The payment windows the main window opens: InstallPaymentWindows creates them as children of
// the main window and registers their command, so the program adds them in one call.

#include "payments/ui/pay_box.h"
#include "shell/ui/main_form.h"

namespace tf::payments::ui {

// The Payment Wizard on "Payment Wizard..." / "Payments", picking customers through the
// Customer Manager installed before it. A post changes balances the aging chart shows, so the
// chart's own refresh is left to its next run.
void InstallPaymentWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::payments::ui
