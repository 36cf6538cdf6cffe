#include "app/cli/ui/pdf_output.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

#include "common/ui/qt_print_canvas.h"

namespace tf::cli::ui {
namespace {

// Fonts and the paint engine need an application object; the tool has none of its own. It
// lives until the tool ends, on the offscreen platform unless the caller chose another.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  // The tool speaks in its own sentences: Qt's notes about the session (no runtime folder, no
  // display) are not the user's business. Real failures still reach the error stream.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "tallyfold-cli: %s\n", qPrintable(message));
  });
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tallyfold-cli";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
}

}  // namespace

std::unique_ptr<common::PrintCanvas> PdfFileCanvas(const std::string& file) {
  EnsureApplication();
  return common::ui::PdfPrintCanvas(QFile::decodeName(file.c_str()));
}

}  // namespace tf::cli::ui
