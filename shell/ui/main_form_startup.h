#pragma once
// The main window as the program starts it: the creation steps run on the data folder (the
// working directory) and their outcome is applied to a new TMainForm, together with what the
// window does when it first shows and when it closes.

#include <memory>

#include "common/clock.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "shell/ui/main_form.h"

namespace tf::shell::ui {

// Null when the program ends at once (the message that said why has been shown); the window is
// then never created.
std::unique_ptr<TMainForm> CreateMainForm(common::Prompter& prompter, const common::Clock& clock,
                                          engine::RebuildStatus& status);

}  // namespace tf::shell::ui
