#include "common/ui/qt_print_canvas.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrintDialog>

#include <algorithm>

#include "common/ui/qt_font.h"
#include "common/ui/qt_text.h"

namespace tf::common::ui {
namespace {

constexpr std::int32_t kWhite = 0x00FFFFFF;

struct PrinterChoice {
  bool chosen = false;
  QString printerName;
  QPageLayout layout;
  // "Print to File (PDF)": the file the set-up printer writes.
  QPrinter::OutputFormat format = QPrinter::NativeFormat;
  QString fileName;
};

PrinterChoice& SetUpPrinter() {
  static PrinterChoice choice;
  return choice;
}

Qt::BrushStyle QtBrushStyle(BrushStyle style) {
  switch (style) {
    case BrushStyle::Solid: return Qt::SolidPattern;
    case BrushStyle::Clear: return Qt::NoBrush;
    case BrushStyle::Horizontal: return Qt::HorPattern;
    case BrushStyle::Vertical: return Qt::VerPattern;
    case BrushStyle::FDiagonal: return Qt::FDiagPattern;
    case BrushStyle::BDiagonal: return Qt::BDiagPattern;
    case BrushStyle::Cross: return Qt::CrossPattern;
    case BrushStyle::DiagCross: return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

void UseCanvasResolution(QPrinter& printer) {
  // Ask for the canvas's own resolution; a driver that insists on another one is handled by
  // scaling the painter.
  printer.setResolution(PrintCanvas::kUnitsPerInch);
  printer.setFullPage(false);
}

}  // namespace

QtPrintCanvas::QtPrintCanvas(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {
  pen_ = QPen(QColor(0, 0, 0));
  pen_.setWidthF(1);
  brush_ = QBrush(ToQColor(kWhite), Qt::SolidPattern);
  fontSpec_.face = "Arial";
  ApplyFont();
}

QtPrintCanvas::~QtPrintCanvas() {
  if (printing_) {
    printer_->abort();
    painter_.end();
  }
}

double QtPrintCanvas::Scale() const {
  return static_cast<double>(printer_->resolution()) / kUnitsPerInch;
}

void QtPrintCanvas::SetTitle(std::string_view title) { printer_->setDocName(ToQString(title)); }

void QtPrintCanvas::SetOrientation(PageOrientation orientation) {
  if (printing_) return;
  printer_->setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
}

PageOrientation QtPrintCanvas::Orientation() const {
  return printer_->pageLayout().orientation() == QPageLayout::Landscape
             ? PageOrientation::Landscape
             : PageOrientation::Portrait;
}

bool QtPrintCanvas::BeginDoc() {
  if (printing_) return false;
  if (!painter_.begin(printer_.get())) return false;
  printing_ = true;
  double s = Scale();
  painter_.scale(s, s);
  ApplyFont();
  ApplyTools();
  return true;
}

void QtPrintCanvas::NewPage() {
  if (!printing_) return;
  printer_->newPage();
  // Some paint engines start a page with a fresh state; keep the job's scale and tools.
  painter_.resetTransform();
  double s = Scale();
  painter_.scale(s, s);
  ApplyTools();
  painter_.setFont(font_);
}

bool QtPrintCanvas::EndDoc() {
  if (!printing_) return false;
  printing_ = false;
  bool ok = painter_.end();
  return ok && printer_->printerState() != QPrinter::Error &&
         printer_->printerState() != QPrinter::Aborted;
}

int QtPrintCanvas::PageWidth() const {
  return static_cast<int>(printer_->pageRect(QPrinter::DevicePixel).width() / Scale());
}

int QtPrintCanvas::PageHeight() const {
  return static_cast<int>(printer_->pageRect(QPrinter::DevicePixel).height() / Scale());
}

void QtPrintCanvas::ApplyFont() {
  font_ = ToQFont(fontSpec_);
  // Point sizes are turned into device pixels at the device resolution and then scaled again
  // by the painter; divide the scale out once so a 10-point font is 10 points on paper.
  font_.setPointSizeF(font_.pointSizeF() / Scale());
  if (printing_) painter_.setFont(font_);
}

void QtPrintCanvas::ApplyTools() {
  if (!printing_) return;
  painter_.setPen(pen_);
  painter_.setBrush(brush_);
  // The printer canvas draws text on a box of a solid brush's colour and lets anything else
  // show through.
  painter_.setBackgroundMode(brushStyle_ == BrushStyle::Solid ? Qt::OpaqueMode
                                                              : Qt::TransparentMode);
  painter_.setBackground(QBrush(brush_.color()));
}

void QtPrintCanvas::SetFont(const FontSpec& font) {
  fontSpec_ = font;
  if (fontSpec_.face.empty()) fontSpec_.face = "Arial";
  ApplyFont();
}

int QtPrintCanvas::TextWidth(std::string_view text) {
  QFontMetricsF metrics(font_, printer_.get());
  return static_cast<int>(metrics.horizontalAdvance(ToQString(text)) + 0.5);
}

int QtPrintCanvas::TextHeight(std::string_view) {
  QFontMetricsF metrics(font_, printer_.get());
  return static_cast<int>(metrics.height() + 0.5);
}

void QtPrintCanvas::TextOut(int x, int y, std::string_view text) {
  if (!printing_) return;
  QFontMetricsF metrics(font_, printer_.get());
  QPen saved = painter_.pen();
  painter_.setPen(ToQColor(fontSpec_.colour));
  painter_.drawText(QPointF(x, y + metrics.ascent()), ToQString(text));
  painter_.setPen(saved);
}

void QtPrintCanvas::SetPenWidth(int width) {
  pen_.setWidthF(std::max(width, 1));
  ApplyTools();
}

void QtPrintCanvas::SetPenColour(std::int32_t colour) {
  pen_.setColor(ToQColor(colour));
  ApplyTools();
}

void QtPrintCanvas::SetBrush(BrushStyle style, std::int32_t colour) {
  brushStyle_ = style;
  brush_ = QBrush(ToQColor(colour), QtBrushStyle(style));
  ApplyTools();
}

void QtPrintCanvas::Line(int x1, int y1, int x2, int y2) {
  if (!printing_) return;
  painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void QtPrintCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!printing_) return;
  painter_.drawRect(QRectF(left, top, right - left, bottom - top));
}

bool QtPrintCanvas::DrawBitmap(int left, int top, int right, int bottom, const std::string& path) {
  QImage image(QFile::decodeName(path.c_str()));
  if (image.isNull()) return false;
  if (printing_) painter_.drawImage(QRectF(left, top, right - left, bottom - top), image);
  return true;
}

std::unique_ptr<QtPrintCanvas> PdfPrintCanvas(const QString& fileName) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(fileName);
  printer->setPageSize(QPageSize(QPageSize::Letter));
  const double mm = kPdfMarginInches * 25.4;
  printer->setPageMargins(QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter);
  UseCanvasResolution(*printer);
  return std::make_unique<QtPrintCanvas>(std::move(printer));
}

std::unique_ptr<QPrinter> NewPrinter() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  const PrinterChoice& choice = SetUpPrinter();
  if (choice.chosen) {
    if (choice.format == QPrinter::PdfFormat) {
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(choice.fileName);
    } else {
      printer->setPrinterName(choice.printerName);
    }
    printer->setPageLayout(choice.layout);
  }
  UseCanvasResolution(*printer);
  return printer;
}

std::unique_ptr<QtPrintCanvas> DefaultPrinterCanvas() {
  return std::make_unique<QtPrintCanvas>(NewPrinter());
}

std::unique_ptr<QtPrintCanvas> ChoosePrinterCanvas(QWidget* parent) {
  std::unique_ptr<QPrinter> printer = NewPrinter();
  QPrintDialog dialog(printer.get(), parent);
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  UseCanvasResolution(*printer);
  return std::make_unique<QtPrintCanvas>(std::move(printer));
}

bool PrinterSetup(QWidget* parent) {
  std::unique_ptr<QPrinter> printer = NewPrinter();
  QPrintDialog dialog(printer.get(), parent);
  dialog.setWindowTitle(QStringLiteral("Printer Setup"));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
  if (dialog.exec() != QDialog::Accepted) return false;
  PrinterChoice& choice = SetUpPrinter();
  choice.chosen = true;
  choice.printerName = printer->printerName();
  choice.layout = printer->pageLayout();
  choice.format = printer->outputFormat();
  choice.fileName = printer->outputFileName();
  return true;
}

}  // namespace tf::common::ui
