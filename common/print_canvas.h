#pragma once
// A page-oriented printer canvas: invoices, statements, reports, envelopes, labels and letters
// are all drawn through it. Coordinates are device units of a fixed 300 per inch, origin at the
// top-left of the printable page, so the layouts' numbers mean the same on every printer and in
// a PDF. Texts are the program's byte strings (Latin-1); implementations convert for display.
//
// A job: SetTitle / SetOrientation, BeginDoc, drawing with NewPage between pages, EndDoc.
// Implementations: common/ui/qt_print_canvas.h (a system printer or a PDF file) and
// RecordingCanvas (common/recording_canvas.h) for tests.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/stored_font.h"

namespace tf::common {

// What a job that could not be started or finished tells the user; nothing is then recorded
// as printed.
inline constexpr std::string_view kPrintingFailedText = "Printing failed.";

enum class PageOrientation { Portrait, Landscape };

enum class BrushStyle {
  Solid,
  Clear,  // hollow: rectangles are outlined only
  Horizontal,
  Vertical,
  FDiagonal,
  BDiagonal,
  Cross,
  DiagCross,
};

class PrintCanvas {
 public:
  static constexpr int kUnitsPerInch = 300;

  virtual ~PrintCanvas() = default;

  // Before BeginDoc.
  virtual void SetTitle(std::string_view title) = 0;
  virtual void SetOrientation(PageOrientation orientation) = 0;
  virtual PageOrientation Orientation() const = 0;

  // Starts the job; false when it cannot start (no printer, unwritable file). Then nothing
  // else may be drawn.
  virtual bool BeginDoc() = 0;
  virtual void NewPage() = 0;
  // Ends the job and sends it; false when the output could not be completed.
  virtual bool EndDoc() = 0;

  // The printable page in device units, for the current orientation.
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;

  virtual void SetFont(const FontSpec& font) = 0;
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
  // `text` with its top-left corner at (x, y), in the current font and its colour.
  virtual void TextOut(int x, int y, std::string_view text) = 0;

  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenColour(std::int32_t colour) = 0;  // 0x00BBGGRR
  // A solid brush also backs the text drawn while it is current: TextOut fills the text's
  // cell with the brush colour, as printer canvases always have (the default brush is solid
  // white). Choose BrushStyle::Clear before writing over shading or lines that must show.
  virtual void SetBrush(BrushStyle style, std::int32_t colour) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // Outlined with the pen and filled with the brush (not filled for BrushStyle::Clear).
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  // The image file scaled into the rectangle; false when it cannot be read.
  virtual bool DrawBitmap(int left, int top, int right, int bottom, const std::string& path) = 0;
};

}  // namespace tf::common
