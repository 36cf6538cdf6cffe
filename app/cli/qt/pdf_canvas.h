#pragma once
// The tool's PDF output: the program's own PDF print canvas, on the toolkit's offscreen
// platform so that the tool prints with no display.

#include <memory>
#include <string>

#include "common/print_canvas.h"

namespace tf::cli::qt {

// A canvas writing `path`; the toolkit is started (offscreen) the first time.
std::unique_ptr<common::PrintCanvas> OffscreenPdfCanvas(const std::string& path);

}  // namespace tf::cli::qt
