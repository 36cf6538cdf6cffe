// QtPrintCanvas writing a PDF: a test page of text, lines, solid, hatched and hollow
// rectangles and a bitmap, read back with poppler's pdftotext (word positions) and pdftoppm
// (pixels). 300 canvas units are one inch; the page origin is a quarter inch in from the
// paper's corner.

#include <QImage>
#include <QPainter>
#include <QtTest>

#include "common/ui/qt_print_canvas.h"
#include "test_support.h"
#include "tests/support/external_peer.h"

using namespace tf::common;
using namespace tf::common::ui;
using namespace tf::common::ui::test;

namespace {

constexpr double kMarginPoints = kPdfMarginInches * 72;

// Canvas units to PDF points from the paper's corner.
double Points(int units) { return kMarginPoints + units * 72.0 / PrintCanvas::kUnitsPerInch; }

// Canvas units to pixels of a page rendered at `dpi`.
int Pixel(int units, int dpi) {
  return static_cast<int>((kPdfMarginInches + double(units) / PrintCanvas::kUnitsPerInch) * dpi);
}

const PdfWord* Find(const QList<PdfWord>& words, const QString& text) {
  for (const PdfWord& w : words) {
    if (w.text == text) return &w;
  }
  return nullptr;
}

// Mean grey level (0 black .. 255 white) and the share of dark pixels in a rectangle.
struct Ink {
  double mean;
  double darkShare;
  bool hasLight;
};
Ink Measure(const QImage& img, QRect r) {
  double sum = 0;
  int dark = 0, n = 0;
  bool light = false;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      int g = qGray(img.pixel(x, y));
      sum += g;
      dark += g < 128;
      light = light || g > 200;
      ++n;
    }
  }
  return Ink{sum / n, double(dark) / n, light};
}

}  // namespace

class QtPrintCanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>(MakeTempDir());
    QVERIFY(dir_->isValid());
  }
  void cleanup() { dir_.reset(); }

  void testPagePrintsWhereTheLayoutSays() {
    TF_NEED_PEERS_QTEST("cannot read the PDF back (poppler-utils)", "pdftotext", "pdftoppm");
    QString bitmap = dir_->filePath(QStringLiteral("logo.png"));
    QImage black(40, 40, QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(black.save(bitmap));

    QString pdf = dir_->filePath(QStringLiteral("page.pdf"));
    auto canvas = PdfPrintCanvas(pdf);
    canvas->SetTitle("Test Page");
    canvas->SetOrientation(PageOrientation::Portrait);
    QCOMPARE(canvas->PageWidth(), 2400);   // 8.5 inch less two quarter-inch margins
    QCOMPARE(canvas->PageHeight(), 3150);  // 11 inch less the margins
    QVERIFY(canvas->BeginDoc());
    canvas->SetFont(FontSpec{"Arial", 12, 0, 0});
    int alphaWidth = canvas->TextWidth("Alpha");
    int height = canvas->TextHeight("Alpha");
    QVERIFY2(height >= 45 && height <= 75, qPrintable(QString::number(height)));
    canvas->TextOut(300, 300, "Alpha");
    canvas->TextOut(1500, 300, "Beta");
    canvas->SetFont(FontSpec{"Courier New", 10, 0x0000FF, kFontBold});
    canvas->TextOut(300, 900, "Gamma");

    // Text takes the solid brush's colour as its background, and none with a clear brush.
    canvas->SetFont(FontSpec{"Arial", 12, 0, 0});
    canvas->SetBrush(BrushStyle::Solid, 0x808080);
    int shadedWidth = canvas->TextWidth("wax");
    canvas->TextOut(1900, 600, "wax");
    canvas->SetBrush(BrushStyle::Clear, 0x808080);
    canvas->TextOut(1900, 900, "wax");

    canvas->SetPenWidth(3);
    canvas->SetPenColour(0);
    canvas->SetBrush(BrushStyle::Solid, 0);
    canvas->Rectangle(300, 1200, 900, 1500);
    canvas->SetBrush(BrushStyle::FDiagonal, 0);
    canvas->Rectangle(1200, 1200, 1800, 1500);
    canvas->SetBrush(BrushStyle::Clear, 0);
    canvas->Rectangle(300, 1800, 900, 2100);
    QVERIFY(canvas->DrawBitmap(1200, 1800, 1500, 2100, QFile::encodeName(bitmap).toStdString()));
    QVERIFY(!canvas->DrawBitmap(1600, 1800, 1700, 2100,
                                QFile::encodeName(dir_->filePath("missing.bmp")).toStdString()));
    canvas->SetPenWidth(6);
    canvas->Line(300, 2400, 2100, 2400);
    canvas->NewPage();
    canvas->SetFont(FontSpec{"Arial", 24, 0, 0});
    canvas->TextOut(600, 600, "Delta");
    QVERIFY(canvas->EndDoc());

    auto words = PdfWords(pdf);
    QVERIFY(words.has_value());
    const PdfWord* alpha = Find(*words, QStringLiteral("Alpha"));
    const PdfWord* beta = Find(*words, QStringLiteral("Beta"));
    const PdfWord* gamma = Find(*words, QStringLiteral("Gamma"));
    const PdfWord* delta = Find(*words, QStringLiteral("Delta"));
    QVERIFY(alpha && beta && gamma && delta);
    auto near = [](double actual, double expected, double tolerance) {
      return std::abs(actual - expected) <= tolerance;
    };
    QVERIFY2(near(alpha->xMin, Points(300), 3), qPrintable(QString::number(alpha->xMin)));
    QVERIFY2(near(alpha->yMin, Points(300), 4), qPrintable(QString::number(alpha->yMin)));
    QVERIFY2(near(beta->xMin, Points(1500), 3), qPrintable(QString::number(beta->xMin)));
    QVERIFY(near(beta->yMin, alpha->yMin, 1));
    QVERIFY2(near(gamma->yMin, Points(900), 4), qPrintable(QString::number(gamma->yMin)));
    // The width measured before drawing is the width drawn.
    double drawn = alpha->xMax - alpha->xMin;
    QVERIFY2(near(drawn, alphaWidth * 72.0 / 300, 3),
             qPrintable(QStringLiteral("%1 vs %2").arg(drawn).arg(alphaWidth * 72.0 / 300)));
    QCOMPARE(alpha->page, 1);
    QCOMPARE(delta->page, 2);
    QVERIFY2(near(delta->xMin, Points(600), 4), qPrintable(QString::number(delta->xMin)));
    QVERIFY2(near(delta->yMin, Points(600), 6), qPrintable(QString::number(delta->yMin)));

    auto info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    if (info) {
      QVERIFY2(info->contains(QStringLiteral("Test Page")), qPrintable(*info));
      QVERIFY2(info->contains(QRegularExpression(QStringLiteral("Pages:\\s+2"))), qPrintable(*info));
      QVERIFY2(info->contains(QStringLiteral("612 x 792")), qPrintable(*info));
    }

    const int dpi = 300;  // a hatch line is one dot wide at the canvas resolution
    QImage page = RenderPdfPage(pdf, 1, dpi);
    QVERIFY(!page.isNull());
    auto inner = [&](int l, int t, int r, int b) {
      return QRect(QPoint(Pixel(l, dpi) + 4, Pixel(t, dpi) + 4),
                   QPoint(Pixel(r, dpi) - 4, Pixel(b, dpi) - 4));
    };
    Ink solid = Measure(page, inner(300, 1200, 900, 1500));
    Ink hatched = Measure(page, inner(1200, 1200, 1800, 1500));
    Ink hollow = Measure(page, inner(300, 1800, 900, 2100));
    Ink image = Measure(page, inner(1200, 1800, 1500, 2100));
    Ink border = Measure(page, QRect(Pixel(300, dpi) - 1, Pixel(1950, dpi), 3, 3));
    Ink line = Measure(page, QRect(Pixel(1000, dpi), Pixel(2400, dpi) - 2, 20, 5));
    Ink blank = Measure(page, inner(1900, 1800, 2300, 2100));
    QVERIFY2(solid.mean < 40, qPrintable(QString::number(solid.mean)));
    QVERIFY2(hatched.darkShare > 0.05 && hatched.darkShare < 0.8 && hatched.hasLight,
             qPrintable(QString::number(hatched.darkShare)));
    QVERIFY2(hollow.mean > 245, qPrintable(QString::number(hollow.mean)));
    QVERIFY2(border.mean < 128, qPrintable(QString::number(border.mean)));
    QVERIFY2(image.mean < 40, qPrintable(QString::number(image.mean)));
    QVERIFY2(line.darkShare > 0.3, qPrintable(QString::number(line.darkShare)));
    QVERIFY2(blank.mean > 250, qPrintable(QString::number(blank.mean)));
    // Above the lower-case letters the text cell holds nothing but its background.
    auto cellTop = [&](int y) {
      return QRect(QPoint(Pixel(1900, dpi) + 2, Pixel(y, dpi) + 2),
                   QPoint(Pixel(1900 + shadedWidth, dpi) - 2, Pixel(y + 15, dpi)));
    };
    Ink shaded = Measure(page, cellTop(600));
    Ink clear = Measure(page, cellTop(900));
    QVERIFY2(shaded.mean > 100 && shaded.mean < 160, qPrintable(QString::number(shaded.mean)));
    QVERIFY2(clear.mean > 250, qPrintable(QString::number(clear.mean)));
  }

  void landscapeTurnsThePage() {
    TF_NEED_PEERS_QTEST("cannot read the PDF back (poppler-utils)", "pdftotext");
    QString pdf = dir_->filePath(QStringLiteral("wide.pdf"));
    auto canvas = PdfPrintCanvas(pdf);
    canvas->SetOrientation(PageOrientation::Landscape);
    QCOMPARE(canvas->Orientation(), PageOrientation::Landscape);
    QCOMPARE(canvas->PageWidth(), 3150);
    QCOMPARE(canvas->PageHeight(), 2400);
    QVERIFY(canvas->BeginDoc());
    canvas->TextOut(2900, 100, "East");
    canvas->TextOut(100, 2200, "South");
    QVERIFY(canvas->EndDoc());
    auto words = PdfWords(pdf);
    QVERIFY(words.has_value());
    const PdfWord* east = Find(*words, QStringLiteral("East"));
    const PdfWord* south = Find(*words, QStringLiteral("South"));
    QVERIFY(east && south);
    QVERIFY2(std::abs(east->xMin - Points(2900)) <= 3, qPrintable(QString::number(east->xMin)));
    QVERIFY2(std::abs(south->yMin - Points(2200)) <= 4, qPrintable(QString::number(south->yMin)));
  }

  void metricsFollowTheFontSize() {
    auto canvas = PdfPrintCanvas(dir_->filePath(QStringLiteral("unused.pdf")));
    canvas->SetFont(FontSpec{"Arial", 10, 0, 0});
    int w10 = canvas->TextWidth("Statement of Account");
    int h10 = canvas->TextHeight("X");
    canvas->SetFont(FontSpec{"Arial", 20, 0, 0});
    int w20 = canvas->TextWidth("Statement of Account");
    int h20 = canvas->TextHeight("X");
    // A 10-point text of 20 characters is roughly an inch and a half at 300 units per inch.
    QVERIFY2(w10 > 250 && w10 < 650, qPrintable(QString::number(w10)));
    // Hinting at the device resolution keeps the two from scaling exactly.
    QVERIFY2(std::abs(w20 - 2 * w10) <= w10 / 25, qPrintable(QStringLiteral("%1 %2 %3 %4").arg(w10).arg(w20).arg(h10).arg(h20)));
    QVERIFY(std::abs(h20 - 2 * h10) <= 4);
    QCOMPARE(canvas->TextWidth(""), 0);
  }

  void aJobThatCannotStartReportsIt() {
    auto canvas = PdfPrintCanvas(dir_->filePath(QStringLiteral("no/such/folder/out.pdf")));
    QVERIFY(!canvas->BeginDoc());
    canvas->TextOut(0, 0, "ignored");  // nothing to draw on; must not crash
    QVERIFY(!canvas->EndDoc());
    auto other = PdfPrintCanvas(dir_->filePath(QStringLiteral("never.pdf")));
    QVERIFY(!other->EndDoc());
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
};

namespace tf::common::ui::test {
int RunPrintCanvasTests(int argc, char** argv) {
  QtPrintCanvasTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "print_canvas_test.moc"
