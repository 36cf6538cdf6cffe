#pragma once
// Shared pieces of the window tests: a temporary folder per test, running the poppler tools on
// a PDF, and the list of test classes main() runs.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace tf::common::ui::test {

// The folder is under /dev/shm when it exists, so parallel tests never share files.
QTemporaryDir MakeTempDir();

// Output of a command line tool, or nothing when the tool is not installed or failed.
std::optional<QString> RunTool(const QString& tool, const QStringList& args);

// One word of `pdftotext -bbox` output, in points from the page's top-left corner.
struct PdfWord {
  int page;
  double xMin, yMin, xMax, yMax;
  QString text;
};
std::optional<QList<PdfWord>> PdfWords(const QString& pdf);

// Page `page` (1-based) of a PDF rendered at `dpi` in grey, or a null image.
QImage RenderPdfPage(const QString& pdf, int page, int dpi);

int RunPrompterTests(int argc, char** argv);
int RunStatFormTests(int argc, char** argv);
int RunCalFormTests(int argc, char** argv);
int RunListWindowTests(int argc, char** argv);
int RunPrintCanvasTests(int argc, char** argv);
int RunHelpWindowTests(int argc, char** argv);
int RunRtfTextTests(int argc, char** argv);

}  // namespace tf::common::ui::test
