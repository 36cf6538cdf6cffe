#pragma once
// The tool's PDF output: Qt's PDF writer on the offscreen platform, so that `print` works on a
// machine without any display, through the same print canvas the windows print with.

#include <memory>
#include <string>

#include "common/print_canvas.h"

namespace tf::cli::ui {

// A canvas writing `file` (US Letter, 300 units per inch); starts the application object the
// writer needs on first use.
std::unique_ptr<common::PrintCanvas> PdfFileCanvas(const std::string& file);

}  // namespace tf::cli::ui
