#pragma once
// The main window taking on another current company: after a choice in the Company Manager,
// and after the data files were restored (the company state is read again from the files
// before any window reads them).

#include "common/clock.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "shell/company_switch.h"
#include "shell/ui/main_form.h"

namespace tf::shell::ui {

// Shows `view`: the caption, the background, the date format and working date and the output
// choice; then the daily aging runs when it is due.
void ApplyCompanyView(TMainForm& form, const CompanyView& view);

// Makes the book's work record the current company, saved as "LastCo.Dat" so that the next
// start opens it, and shows it. False when the start-up file cannot be written: the message has
// been shown and the current company is unchanged.
bool SwitchToWorkCompany(TMainForm& form, common::Prompter& prompter, const common::Clock& clock);

// Reads the current company again from "LastCo.Dat" and the company file and shows it. False
// when it cannot be read (the message has been shown): the program cannot go on.
bool ReloadCompany(TMainForm& form, common::Prompter& prompter, engine::RebuildStatus& status,
                   const common::Clock& clock);

}  // namespace tf::shell::ui
