#pragma once
// The company windows the main window opens: InstallCompanyWindows creates the Company Manager
// (with its options screen) as a child of the main window and registers "Company Manager",
// which switches the current company when the manager closes with a choice: the company chosen,
// or, after an edit of the current company without a choice, the current company read again.

#include <functional>

#include "companies/ui/list_comps.h"
#include "shell/ui/main_form.h"

namespace tf::companies::ui {

// `checkPassword` guards editing and deleting a company.
TListComps& InstallCompanyWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services,
                                  std::function<bool()> checkPassword);

// What the main window does once the manager closed: false when nothing changes.
bool SwitchCompanyAfterManager(shell::ui::TMainForm& main, CompanyManager::Choice choice,
                               const common::RecordBuffer& picked, const shell::ui::WindowServices& services);

}  // namespace tf::companies::ui
