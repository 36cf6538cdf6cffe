#include "app/cli/qt/pdf_canvas.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

#include "common/ui/qt_print_canvas.h"

namespace tf::cli::qt {
namespace {

// Fonts and the paint engine need an application object; the tool has none of its own. It
// lives until the tool ends, on the offscreen platform unless the caller chose another: the
// tool runs from scripts and over ssh and never needs a display.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  // The tool speaks in its own sentences: Qt's notes about the session (no runtime folder, no
  // display) are not the user's business. Real failures still reach the error stream.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "tallyfold-cli: %s\n", qPrintable(message));
  });
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tallyfold-cli";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
}

}  // namespace

std::unique_ptr<common::PrintCanvas> OffscreenPdfCanvas(const std::string& path) {
  EnsureApplication();
  return common::ui::PdfPrintCanvas(QFile::decodeName(path.c_str()));
}

}  // namespace tf::cli::qt
