#include "common/recording_canvas.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tf::common {
namespace {

int Points(const FontSpec& font) {
  int size = std::abs(font.size);
  return size < 1 ? 10 : size;
}

std::string StyleLetters(std::uint8_t style) {
  std::string s;
  if (style & kFontBold) s += 'B';
  if (style & kFontItalic) s += 'I';
  if (style & kFontUnderline) s += 'U';
  if (style & kFontStrikeOut) s += 'S';
  return s.empty() ? "-" : s;
}

std::string Numbers(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) {
    if (!s.empty()) s += ' ';
    s += std::to_string(v);
  }
  return s;
}

}  // namespace

std::string ColourText(std::int32_t colour) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(colour));
  return buf;
}

std::string_view BrushStyleName(BrushStyle style) {
  switch (style) {
    case BrushStyle::Solid: return "Solid";
    case BrushStyle::Clear: return "Clear";
    case BrushStyle::Horizontal: return "Horizontal";
    case BrushStyle::Vertical: return "Vertical";
    case BrushStyle::FDiagonal: return "FDiagonal";
    case BrushStyle::BDiagonal: return "BDiagonal";
    case BrushStyle::Cross: return "Cross";
    case BrushStyle::DiagCross: return "DiagCross";
  }
  return "?";
}

RecordingCanvas::RecordingCanvas(int portraitWidth, int portraitHeight)
    : portraitWidth_(portraitWidth), portraitHeight_(portraitHeight) {}

void RecordingCanvas::Record(std::string op) {
  if (printing_) pages_.back().push_back(op);
  ops_.push_back(std::move(op));
}

void RecordingCanvas::RequirePrinting(std::string_view what) const {
  if (!printing_) throw std::logic_error(std::string(what) + " outside a print job");
}

void RecordingCanvas::SetTitle(std::string_view title) {
  title_ = title;
  Record("Title " + title_);
}

void RecordingCanvas::SetOrientation(PageOrientation orientation) {
  if (printing_) throw std::logic_error("orientation changed during a print job");
  orientation_ = orientation;
  Record(orientation == PageOrientation::Landscape ? "Orientation Landscape"
                                                   : "Orientation Portrait");
}

bool RecordingCanvas::BeginDoc() {
  if (printing_) throw std::logic_error("BeginDoc during a print job");
  ops_.push_back("BeginDoc");
  if (failBegin_) return false;
  printing_ = true;
  started_ = true;
  pages_.emplace_back();
  texts_.emplace_back();
  return true;
}

void RecordingCanvas::NewPage() {
  RequirePrinting("NewPage");
  ops_.push_back("NewPage");
  pages_.emplace_back();
  texts_.emplace_back();
}

bool RecordingCanvas::EndDoc() {
  RequirePrinting("EndDoc");
  ops_.push_back("EndDoc");
  printing_ = false;
  finished_ = !failEnd_;
  return finished_;
}

int RecordingCanvas::PageWidth() const {
  return orientation_ == PageOrientation::Portrait ? portraitWidth_ : portraitHeight_;
}

int RecordingCanvas::PageHeight() const {
  return orientation_ == PageOrientation::Portrait ? portraitHeight_ : portraitWidth_;
}

void RecordingCanvas::SetFont(const FontSpec& font) {
  font_ = font;
  Record("Font " + font.face + " " + std::to_string(font.size) + " " + ColourText(font.colour) +
         " " + StyleLetters(font.style));
}

int RecordingCanvas::TextWidth(std::string_view text) {
  // 0.6 em per character: points * 300 / 72 * 0.6 = points * 2.5.
  return static_cast<int>(text.size()) * Points(font_) * 5 / 2;
}

int RecordingCanvas::TextHeight(std::string_view) {
  // 1.2 em: points * 300 / 72 * 1.2 = points * 5.
  return Points(font_) * 5;
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text) {
  RequirePrinting("TextOut");
  texts_.back().push_back(Text{x, y, std::string(text), font_});
  Record("TextOut " + Numbers({x, y}) + " " + std::string(text));
}

void RecordingCanvas::SetPenWidth(int width) { Record("Pen " + std::to_string(width)); }

void RecordingCanvas::SetPenColour(std::int32_t colour) { Record("PenColour " + ColourText(colour)); }

void RecordingCanvas::SetBrush(BrushStyle style, std::int32_t colour) {
  Record("Brush " + std::string(BrushStyleName(style)) + " " + ColourText(colour));
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  RequirePrinting("Line");
  Record("Line " + Numbers({x1, y1, x2, y2}));
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequirePrinting("Rectangle");
  Record("Rectangle " + Numbers({left, top, right, bottom}));
}

bool RecordingCanvas::DrawBitmap(int left, int top, int right, int bottom, const std::string& path) {
  RequirePrinting("DrawBitmap");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  Record("Bitmap " + Numbers({left, top, right, bottom}) + " " + path);
  return true;
}

std::vector<std::string> RecordingCanvas::ReadingLines(std::size_t page) const {
  std::vector<Text> sorted = texts_.at(page);
  std::stable_sort(sorted.begin(), sorted.end(), [](const Text& a, const Text& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (i == 0 || sorted[i].y != sorted[i - 1].y) {
      lines.push_back(sorted[i].text);
    } else {
      lines.back() += ' ' + sorted[i].text;
    }
  }
  return lines;
}

}  // namespace tf::common
