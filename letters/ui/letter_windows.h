#pragma once
// The Form Letter Wizard in the main window: InstallLetterWindows creates it as a child of the
// main window and registers "Form Letter Wizard"; its Queue button opens the Label Wizard when
// that is installed.

#include "letters/ui/letter_wiz.h"
#include "shell/ui/main_form.h"

namespace tf::letters::ui {

TLetterWiz& InstallLetterWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::letters::ui
