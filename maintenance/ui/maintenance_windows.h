#pragma once
// The maintenance windows the main window opens: InstallMaintenanceWindows creates the password
// dialog and the backup window as children of the main window, plugs the password check into
// its start-up and the backup offer into its closing, and registers "Password Setup", "Delete
// Paid Invoices", "Backup Data Files" and "Rebuild Data Files".

#include <functional>

#include "maintenance/passwords.h"
#include "maintenance/ui/pw_dlg.h"
#include "maintenance/ui/qz_bk_up.h"
#include "shell/ui/main_form.h"

namespace tf::maintenance::ui {

struct MaintenanceWindows {
  TPWDlg* passwordDialog = nullptr;
  TQZBkUp* backup = nullptr;
  // The password check, for the other windows that guard a command with it (the Company
  // Manager's edit and delete).
  std::function<bool()> checkPassword;
};

MaintenanceWindows InstallMaintenanceWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::maintenance::ui
