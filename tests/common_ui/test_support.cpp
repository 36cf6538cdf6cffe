#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace tf::common::ui::test {

QTemporaryDir MakeTempDir() {
  QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                           : QDir::tempPath();
  return QTemporaryDir(base + QStringLiteral("/tf_common_ui_XXXXXX"));
}

std::optional<QString> RunTool(const QString& tool, const QStringList& args) {
  QString path = QStandardPaths::findExecutable(tool);
  if (path.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(path, args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    return std::nullopt;
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

std::optional<QList<PdfWord>> PdfWords(const QString& pdf) {
  auto html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  if (!html) return std::nullopt;
  QList<PdfWord> words;
  int page = 0;
  static const QRegularExpression pageRe(QStringLiteral("<page "));
  static const QRegularExpression wordRe(QStringLiteral(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
  for (const QString& line : html->split(QLatin1Char('\n'))) {
    if (line.contains(pageRe)) ++page;
    auto m = wordRe.match(line);
    if (!m.hasMatch()) continue;
    words.append(PdfWord{page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
  }
  return words;
}

QImage RenderPdfPage(const QString& pdf, int page, int dpi) {
  QString prefix = pdf + QStringLiteral(".render");
  auto out = RunTool(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-gray"), QStringLiteral("-png"), QStringLiteral("-r"),
                      QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                      QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"),
                      pdf, prefix});
  if (!out) return {};
  return QImage(prefix + QStringLiteral(".png"));
}

}  // namespace tf::common::ui::test
