// TListWindow: loads a report file, saves it as RTF or plain text, prints it.

#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QtTest>

#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/ui/list_window.h"
#include "common/ui/qt_print_canvas.h"
#include "test_support.h"
#include "tests/support/external_peer.h"

using namespace tf::common;
using namespace tf::common::ui;
using namespace tf::common::ui::test;

namespace {

const std::string kReport =
    "Product List by Code\r\n"
    "\r\n"
    "A100      Widget {large}                 1.50\r\n"
    "B200      Caf\xe9 table \\ oak          1,250.00\r\n";

std::string Slurp(const QString& path) { return ReadWholeFile(QFile::encodeName(path).toStdString()); }

}  // namespace

class TListWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>(MakeTempDir());
    QVERIFY(dir_->isValid());
    report_ = dir_->filePath(QStringLiteral("TXTTEMP.TXT"));
    ReplaceFile(QFile::encodeName(report_).toStdString(), kReport);
  }
  void cleanup() { dir_.reset(); }

  void loadsTheFileIntoTheView() {
    ScriptedPrompter prompter;
    TListWindow w(nullptr, &prompter);
    QVERIFY(w.LoadFile(QFile::encodeName(report_).toStdString(), "Product List by Code"));
    auto* view = w.findChild<QPlainTextEdit*>(QStringLiteral("LView"));
    QVERIFY(view);
    QCOMPARE(w.windowTitle(), QStringLiteral("Product List by Code"));
    QCOMPARE(view->blockCount(), 4);
    QCOMPARE(view->document()->findBlockByNumber(3).text(),
             QString::fromUtf8("B200      Caf\u00e9 table \\ oak          1,250.00"));
    QCOMPARE(view->textCursor().position(), 0);
    QCOMPARE(view->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(view->isReadOnly());
    QVERIFY(prompter.Shown().empty());
    for (auto [name, caption] : {std::pair{"PrintButn", "Print"}, {"SaveButn", "Save to File"},
                                 {"FontButn", "Font/Color"}, {"SpeedButton2", "Close"}}) {
      auto* b = w.findChild<QPushButton*>(QString::fromLatin1(name));
      QVERIFY2(b, name);
      QCOMPARE(b->text(), QString::fromLatin1(caption));
    }
  }

  void aMissingFileIsReported() {
    ScriptedPrompter prompter;
    TListWindow w(nullptr, &prompter);
    std::string missing = QFile::encodeName(dir_->filePath(QStringLiteral("none.txt"))).toStdString();
    QVERIFY(!w.LoadFile(missing, "Customer List"));
    QCOMPARE(prompter.Texts(), std::vector<std::string>{"Cannot read " + missing});
    QVERIFY(w.LView->toPlainText().isEmpty());
  }

  void savesRtfInTheViewFontAndPlainTextForATxtName() {
    ScriptedPrompter prompter;
    TListWindow w(nullptr, &prompter);
    w.SetViewFont(FontSpec{"Courier New", 9, 0x000080, kFontBold});
    QVERIFY(w.LoadFile(QFile::encodeName(report_).toStdString(), "Product List by Code"));
    w.ProposeFileName("Product");
    QCOMPARE(w.ProposedFileName(), QStringLiteral("Product.RTF"));

    QString rtf = dir_->filePath(QStringLiteral("Product.RTF"));
    QVERIFY(w.SaveToFile(rtf));
    std::string saved = Slurp(rtf);
    QVERIFY(saved.starts_with("{\\rtf1\\ansi"));
    QVERIFY(saved.find("Courier New;") != std::string::npos);
    QVERIFY(saved.find("\\red128\\green0\\blue0;") != std::string::npos);
    QVERIFY(saved.find("\\fs18") != std::string::npos);
    QVERIFY(saved.find("\\b ") != std::string::npos);
    QVERIFY(saved.find("Widget \\{large\\}") != std::string::npos);
    QVERIFY(saved.find("Caf\\'e9 table \\\\ oak") != std::string::npos);
    QCOMPARE(std::count(saved.begin(), saved.end(), '{'), std::count(saved.begin(), saved.end(), '}'));

    QString txt = dir_->filePath(QStringLiteral("product list.TxT"));
    QVERIFY(w.SaveToFile(txt));
    QCOMPARE(Slurp(txt), kReport);
    QVERIFY(prompter.Shown().empty());
  }

  void aFileThatCannotBeWrittenIsReportedAndTheOldOneKept() {
    ScriptedPrompter prompter;
    TListWindow w(nullptr, &prompter);
    QVERIFY(w.LoadFile(QFile::encodeName(report_).toStdString(), "Customer List"));
    QString bad = dir_->filePath(QStringLiteral("no/such/folder/x.RTF"));
    QVERIFY(!w.SaveToFile(bad));
    QCOMPARE(prompter.Texts(), std::vector<std::string>{"Cannot write " + bad.toStdString()});
    QCOMPARE(prompter.Shown()[0].caption, std::string("Customer List"));
  }

  void fontAndColourApplyToTheView() {
    TListWindow w;
    QFont f(QStringLiteral("DejaVu Sans Mono"), 14);
    f.setItalic(true);
    w.ApplyViewFont(f, QColor(0, 0, 255));
    QCOMPARE(w.LView->font().pointSize(), 14);
    QCOMPARE(w.LView->palette().color(QPalette::Text), QColor(0, 0, 255));
    FontSpec stored = w.ViewFont();
    QCOMPARE(stored.size, 14);
    QCOMPARE(stored.colour, 0x00FF0000);
    QCOMPARE(int(stored.style), int(kFontItalic));
  }

  void printsTheTextWithTheCaptionAsTitle() {
    TF_NEED_PEERS_QTEST("cannot read the printed PDF back (poppler-utils)", "pdftotext");
    TListWindow w;
    QVERIFY(w.LoadFile(QFile::encodeName(report_).toStdString(), "Product List by Code"));
    QString pdf = dir_->filePath(QStringLiteral("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(w.PrintTo(printer));
    QCOMPARE(printer.docName(), QStringLiteral("Product List by Code"));
    auto text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.has_value());
    QVERIFY2(text->contains(QStringLiteral("A100")) && text->contains(QStringLiteral("1,250.00")),
             qPrintable(*text));
    QVERIFY(text->indexOf(QStringLiteral("Product List by Code")) < text->indexOf(QStringLiteral("A100")));
    auto info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    if (info) QVERIFY2(info->contains(QStringLiteral("Product List by Code")), qPrintable(*info));
  }

  // A list in a large font: every line, the 80-character rules and the 85-character lines
  // alike, prints on one line of the page (the font is made smaller to fit), and the pages
  // hold as many lines as that font allows.
  void wideReportLinesPrintOnOneLine() {
    TF_NEED_PEERS_QTEST("cannot read the printed PDF back (poppler-utils)", "pdftotext");
    std::string report;
    const int kEntries = 60;
    for (int k = 0; k < kEntries; ++k) {
      std::string first = "Entry " + std::to_string(1000 + k);
      first += std::string(85 - first.size() - 3, '.') + "END";
      report += first + "\r\n" + std::string(80, '-') + "\r\n";
    }
    const QString file = dir_->filePath(QStringLiteral("WIDE.TXT"));
    ReplaceFile(QFile::encodeName(file).toStdString(), report);
    TListWindow w;
    QVERIFY(w.LoadFile(QFile::encodeName(file).toStdString(), "Customer List by Name"));
    w.ApplyViewFont(QFont(QStringLiteral("DejaVu Sans Mono"), 16), QColor(0, 0, 0));
    const QString pdf = dir_->filePath(QStringLiteral("wide.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    QVERIFY(w.PrintTo(printer));
    auto text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.has_value());
    int rules = 0, entries = 0;
    for (QString line : text->split(QLatin1Char('\n'))) {
      line = line.trimmed();
      if (line.isEmpty() || line.startsWith(QLatin1Char('\f'))) line.remove(QLatin1Char('\f'));
      if (line.isEmpty()) continue;
      if (line == QString(80, QLatin1Char('-'))) {
        ++rules;
      } else if (line.startsWith(QStringLiteral("Entry "))) {
        QVERIFY2(line.endsWith(QStringLiteral("END")) && line.size() == 85, qPrintable(line));
        ++entries;
      } else {
        QFAIL(qPrintable(QStringLiteral("a report line broke: ") + line));
      }
    }
    QCOMPARE(rules, kEntries);
    QCOMPARE(entries, kEntries);
    // 16 points would take four pages for 120 lines at most; the shrunk font takes fewer.
    auto info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.has_value());
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(*info);
    QVERIFY2(pages.hasMatch(), qPrintable(*info));
    QVERIFY2(pages.captured(1).toInt() <= 3, qPrintable(*info));
  }

  // A job that cannot start (no file can be written where the printer was pointed) is
  // reported as failed, with nothing claimed as printed.
  void aJobThatCannotStartIsAFailure() {
    TListWindow w;
    QVERIFY(w.LoadFile(QFile::encodeName(report_).toStdString(), "Product List by Code"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir_->filePath(QStringLiteral("no/such/folder/list.pdf")));
    QVERIFY(!w.PrintTo(printer));
    QVERIFY(!QFile::exists(dir_->filePath(QStringLiteral("no/such/folder/list.pdf"))));
  }

  // The page font keeps the view's face and never grows; it shrinks only as far as needed.
  void pageFontShrinksOnlyToFit() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFont small(QStringLiteral("DejaVu Sans Mono"), 6);
    const QStringList lines{QString(85, QLatin1Char('x'))};
    const qreal width = QFontMetricsF(QFont(small, &printer), &printer).horizontalAdvance(lines[0]);
    QCOMPARE(PageFont(small, lines, printer, width * 2).pointSizeF(), 6.0);
    const QFont big = PageFont(QFont(QStringLiteral("DejaVu Sans Mono"), 12), lines, printer, width);
    QCOMPARE(big.family(), small.family());
    QVERIFY(big.pointSizeF() < 12.0);
    QVERIFY(QFontMetricsF(big, &printer).horizontalAdvance(lines[0]) <= width);
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString report_;
};

namespace tf::common::ui::test {
int RunListWindowTests(int argc, char** argv) {
  TListWindowTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "list_window_test.moc"
