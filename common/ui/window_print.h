#pragma once
// "Print Window": the window's image on one page, as large as the page allows.

#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>

#include "common/print_canvas.h"

namespace tf::common::ui {

enum class PrintResult {
  Printed,
  Cancelled,  // the printer gave no canvas (the print dialog was cancelled)
  Failed,     // the image could not be taken, or the job could not begin or finish
};

// Grabs `window` and draws it scaled to the page width, or to the page height where the image
// is taller than the page, on a canvas from `printer` with `title` as the job's title. The
// printer is asked for only once the image is in hand.
PrintResult PrintWindowImage(QWidget& window, std::string_view title,
                             const std::function<std::unique_ptr<PrintCanvas>()>& printer);

}  // namespace tf::common::ui
