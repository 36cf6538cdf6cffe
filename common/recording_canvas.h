#pragma once
// A PrintCanvas that draws nothing and records every call as a readable line, for tests of
// printed layouts:
//
//   Title Invoice 1001          Orientation Landscape       BeginDoc    NewPage    EndDoc
//   Font Arial 10 0x000000FF BI  (face, points, colour, style letters B I U S or "-")
//   TextOut 120 300 Hello       Line 10 20 300 20           Rectangle 0 0 100 50
//   Pen 2                       PenColour 0x00FF0000        Brush FDiagonal 0x00C0C0C0
//   Bitmap 0 0 300 150 logo.bmp
//
// Text metrics are fixed and need no fonts: every character is 0.6 of the point size wide and
// a line is 1.2 of it high, in 300-per-inch units (a 10-point character is 25 units wide, a
// 10-point line 50 units high). Drawing outside BeginDoc..EndDoc throws std::logic_error, as
// a layout that does it is wrong.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/print_canvas.h"

namespace tf::common {

class RecordingCanvas : public PrintCanvas {
 public:
  // A printable Letter page at 300 units per inch with a quarter-inch unprintable border.
  static constexpr int kLetterWidth = 2400;
  static constexpr int kLetterHeight = 3150;

  explicit RecordingCanvas(int portraitWidth = kLetterWidth, int portraitHeight = kLetterHeight);

  // What a text drawn on a page looked like.
  struct Text {
    int x;
    int y;
    std::string text;
    FontSpec font;
  };

  void SetTitle(std::string_view title) override;
  void SetOrientation(PageOrientation orientation) override;
  PageOrientation Orientation() const override { return orientation_; }

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
  // True when the file exists (nothing is decoded).
  bool DrawBitmap(int left, int top, int right, int bottom, const std::string& path) override;

  // Makes the next BeginDoc / EndDoc fail, to test how a layout handles a printer that refuses.
  void FailBeginDoc(bool fail = true) { failBegin_ = fail; }
  void FailEndDoc(bool fail = true) { failEnd_ = fail; }

  // Every call in order, including those outside pages.
  const std::vector<std::string>& Ops() const { return ops_; }
  // The calls made while each page was current (0-based), without BeginDoc / NewPage / EndDoc.
  std::size_t PageCount() const { return pages_.size(); }
  const std::vector<std::string>& Page(std::size_t index) const { return pages_.at(index); }
  // The texts drawn on a page, in drawing order.
  const std::vector<Text>& Texts(std::size_t page) const { return texts_.at(page); }
  // The texts of a page in reading order (top to bottom, then left to right), one line per
  // distinct y, pieces joined by single blanks: a quick way to compare a page's words.
  std::vector<std::string> ReadingLines(std::size_t page) const;

  bool Started() const { return started_; }
  bool Finished() const { return finished_; }
  const std::string& Title() const { return title_; }
  const FontSpec& Font() const { return font_; }

 private:
  void Record(std::string op);
  void RequirePrinting(std::string_view what) const;

  int portraitWidth_;
  int portraitHeight_;
  PageOrientation orientation_ = PageOrientation::Portrait;
  std::string title_;
  FontSpec font_{"Arial", 10, 0, 0};
  bool printing_ = false;
  bool started_ = false;
  bool finished_ = false;
  bool failBegin_ = false;
  bool failEnd_ = false;
  std::vector<std::string> ops_;
  std::vector<std::vector<std::string>> pages_;
  std::vector<std::vector<Text>> texts_;
};

// "0x00BBGGRR" as eight upper-case hex digits.
std::string ColourText(std::int32_t colour);
std::string_view BrushStyleName(BrushStyle style);

}  // namespace tf::common
