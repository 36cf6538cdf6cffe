#include "reports/ui/offscreen_pdf.h"

#include <QGuiApplication>

#include <cstdlib>

#include "common/ui/qt_print_canvas.h"

namespace tf::reports::ui {

std::unique_ptr<common::PrintCanvas> OffscreenPdfCanvas(const std::string& path) {
  if (QCoreApplication::instance() == nullptr) {
    // Lives until the process ends: Qt wants its arguments to outlive the application.
    static int argc = 1;
    static char name[] = "tallyfold-cli";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
  }
  return common::ui::PdfPrintCanvas(QString::fromStdString(path));
}

}  // namespace tf::reports::ui
