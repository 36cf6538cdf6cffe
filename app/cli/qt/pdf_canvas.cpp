#include "app/cli/qt/pdf_canvas.h"

#include <QApplication>

#include "common/ui/qt_print_canvas.h"

namespace tf::cli::qt {

std::unique_ptr<common::PrintCanvas> OffscreenPdfCanvas(const std::string& path) {
  if (!QCoreApplication::instance()) {
    // The tool runs from scripts and over ssh: it never needs a display, whatever DISPLAY says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tallyfold-cli";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
  }
  return common::ui::PdfPrintCanvas(QString::fromStdString(path));
}

}  // namespace tf::cli::qt
