#pragma once
// A PDF canvas for programs without a window of their own (the command-line tool): Qt's PDF
// writer needs a GUI application object for its fonts, so one is made on the offscreen
// platform when the process has none, and no display is needed.

#include <memory>
#include <string>

#include "common/print_canvas.h"

namespace tf::reports::ui {

std::unique_ptr<common::PrintCanvas> OffscreenPdfCanvas(const std::string& path);

}  // namespace tf::reports::ui
