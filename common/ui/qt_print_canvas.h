#pragma once
// PrintCanvas on QPrinter + QPainter: a system printer or a PDF file. The painter is scaled so
// that 300 canvas units are one inch whatever the device resolution, with the origin at the
// top-left corner of the printable area.
//
// The printer the program uses is the one last chosen in "Printer Setup" (PrinterSetup): jobs
// printed without a dialog (DefaultPrinterCanvas) go there, and the print dialog starts there.

#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>

#include "common/print_canvas.h"

namespace tf::common::ui {

class QtPrintCanvas : public PrintCanvas {
 public:
  explicit QtPrintCanvas(std::unique_ptr<QPrinter> printer);
  // A job still running is aborted, not sent.
  ~QtPrintCanvas() override;

  void SetTitle(std::string_view title) override;
  void SetOrientation(PageOrientation orientation) override;
  PageOrientation Orientation() const override;

  bool BeginDoc() override;
  void NewPage() override;
  bool EndDoc() override;

  int PageWidth() const override;
  int PageHeight() const override;

  void SetFont(const FontSpec& font) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void TextOut(int x, int y, std::string_view text) override;

  void SetPenWidth(int width) override;
  void SetPenColour(std::int32_t colour) override;
  void SetBrush(BrushStyle style, std::int32_t colour) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  bool DrawBitmap(int left, int top, int right, int bottom, const std::string& path) override;

  QPrinter& Printer() { return *printer_; }

 private:
  double Scale() const;  // device pixels per canvas unit
  void ApplyFont();
  void ApplyTools();

  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  bool printing_ = false;
  FontSpec fontSpec_;
  QFont font_;
  QPen pen_;
  QBrush brush_;
  BrushStyle brushStyle_ = BrushStyle::Solid;
};

// Margins of the PDF page: the unprintable border of a typical office printer, so a layout
// looks in the file as it does on paper.
inline constexpr double kPdfMarginInches = 0.25;

// A canvas writing a PDF file (US Letter; orientation and title set on the canvas).
std::unique_ptr<QtPrintCanvas> PdfPrintCanvas(const QString& fileName);

// A printer with the settings chosen in Printer Setup (the system's default printer before).
std::unique_ptr<QPrinter> NewPrinter();

// A canvas on the set-up printer, without asking.
std::unique_ptr<QtPrintCanvas> DefaultPrinterCanvas();

// Shows the print dialog; the canvas on the chosen printer, or nothing when cancelled.
std::unique_ptr<QtPrintCanvas> ChoosePrinterCanvas(QWidget* parent);

// "Printer Setup": the printer and its paper for later jobs. True when the user accepted.
bool PrinterSetup(QWidget* parent);

}  // namespace tf::common::ui
