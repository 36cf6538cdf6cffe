#include "common/recording_canvas.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tf::common {
namespace {

using Lines = std::vector<std::string>;

TEST(RecordingCanvas, RecordsAJobCallByCallAndSplitsItIntoPages) {
  RecordingCanvas c;
  c.SetTitle("Invoice 1001");
  c.SetOrientation(PageOrientation::Portrait);
  ASSERT_TRUE(c.BeginDoc());
  c.SetFont(FontSpec{"Arial", 12, 0x0000FF, kFontBold | kFontItalic});
  c.TextOut(120, 300, "Hello");
  c.SetPenWidth(2);
  c.SetPenColour(0xFF0000);
  c.Line(10, 20, 300, 20);
  c.NewPage();
  c.SetBrush(BrushStyle::FDiagonal, 0xC0C0C0);
  c.Rectangle(0, 0, 100, 50);
  ASSERT_TRUE(c.EndDoc());

  EXPECT_EQ(c.Ops(), (Lines{"Title Invoice 1001", "Orientation Portrait", "BeginDoc",
                            "Font Arial 12 0x000000FF BI", "TextOut 120 300 Hello", "Pen 2",
                            "PenColour 0x00FF0000", "Line 10 20 300 20", "NewPage",
                            "Brush FDiagonal 0x00C0C0C0", "Rectangle 0 0 100 50", "EndDoc"}));
  ASSERT_EQ(c.PageCount(), 2u);
  EXPECT_EQ(c.Page(0), (Lines{"Font Arial 12 0x000000FF BI", "TextOut 120 300 Hello", "Pen 2",
                              "PenColour 0x00FF0000", "Line 10 20 300 20"}));
  EXPECT_EQ(c.Page(1), (Lines{"Brush FDiagonal 0x00C0C0C0", "Rectangle 0 0 100 50"}));
  ASSERT_EQ(c.Texts(0).size(), 1u);
  EXPECT_EQ(c.Texts(0)[0].font.size, 12);
  EXPECT_EQ(c.Title(), "Invoice 1001");
  EXPECT_TRUE(c.Finished());
}

TEST(RecordingCanvas, TextMetricsFollowThePointSize) {
  RecordingCanvas c;
  struct Case {
    int points;
    std::string text;
    int width;
    int height;
  };
  const Case cases[] = {
      {10, "ABCD", 100, 50},  // 25 units a character, 50 a line at 10 points
      {12, "ABCD", 120, 60},
      {8, "", 0, 40},
      {-10, "AB", 50, 50},    // a stored negative size counts by its magnitude
      {0, "A", 25, 50},       // no size: 10 points
  };
  for (const Case& k : cases) {
    c.SetFont(FontSpec{"Courier New", k.points, 0, 0});
    EXPECT_EQ(c.TextWidth(k.text), k.width) << k.points << " '" << k.text << "'";
    EXPECT_EQ(c.TextHeight(k.text), k.height) << k.points;
  }
}

TEST(RecordingCanvas, LandscapeSwapsThePageSides) {
  RecordingCanvas c(2400, 3150);
  EXPECT_EQ(c.PageWidth(), 2400);
  EXPECT_EQ(c.PageHeight(), 3150);
  c.SetOrientation(PageOrientation::Landscape);
  EXPECT_EQ(c.Orientation(), PageOrientation::Landscape);
  EXPECT_EQ(c.PageWidth(), 3150);
  EXPECT_EQ(c.PageHeight(), 2400);
}

TEST(RecordingCanvas, DrawingOutsideAJobIsALayoutFault) {
  RecordingCanvas c;
  EXPECT_THROW(c.TextOut(0, 0, "x"), std::logic_error);
  EXPECT_THROW(c.Line(0, 0, 1, 1), std::logic_error);
  EXPECT_THROW(c.NewPage(), std::logic_error);
  EXPECT_THROW(c.EndDoc(), std::logic_error);
  // Measuring and choosing tools before the job is normal.
  c.SetFont(FontSpec{"Arial", 10, 0, 0});
  EXPECT_EQ(c.TextWidth("ab"), 50);
  ASSERT_TRUE(c.BeginDoc());
  EXPECT_THROW(c.SetOrientation(PageOrientation::Landscape), std::logic_error);
  ASSERT_TRUE(c.EndDoc());
  EXPECT_THROW(c.Rectangle(0, 0, 1, 1), std::logic_error);
}

TEST(RecordingCanvas, RefusedJobDrawsNothing) {
  RecordingCanvas c;
  c.FailBeginDoc();
  EXPECT_FALSE(c.BeginDoc());
  EXPECT_FALSE(c.Started());
  EXPECT_EQ(c.PageCount(), 0u);
  EXPECT_THROW(c.TextOut(0, 0, "x"), std::logic_error);

  RecordingCanvas d;
  d.FailEndDoc();
  ASSERT_TRUE(d.BeginDoc());
  EXPECT_FALSE(d.EndDoc());
  EXPECT_FALSE(d.Finished());
}

TEST(RecordingCanvas, BitmapIsRecordedOnlyWhenTheFileExists) {
  tf::test::TempFolder dir;
  std::string logo = dir / "logo.bmp";
  std::ofstream(logo) << "BM";
  RecordingCanvas c;
  ASSERT_TRUE(c.BeginDoc());
  EXPECT_FALSE(c.DrawBitmap(0, 0, 300, 150, dir / "missing.bmp"));
  EXPECT_TRUE(c.DrawBitmap(0, 0, 300, 150, logo));
  EXPECT_EQ(c.Page(0), (Lines{"Bitmap 0 0 300 150 " + logo}));
}

TEST(RecordingCanvas, ReadingLinesSortTopToBottomThenLeftToRight) {
  RecordingCanvas c;
  ASSERT_TRUE(c.BeginDoc());
  c.TextOut(900, 200, "Total");
  c.TextOut(100, 100, "Bill");
  c.TextOut(100, 200, "Amount");
  c.TextOut(400, 100, "To");
  c.NewPage();
  c.TextOut(0, 0, "Page 2");
  EXPECT_EQ(c.ReadingLines(0), (Lines{"Bill To", "Amount Total"}));
  EXPECT_EQ(c.ReadingLines(1), (Lines{"Page 2"}));
  EXPECT_THROW(c.ReadingLines(2), std::out_of_range);
}

TEST(RecordingCanvas, ColourTextAndBrushNames) {
  EXPECT_EQ(ColourText(0), "0x00000000");
  EXPECT_EQ(ColourText(0x00FFFFFF), "0x00FFFFFF");
  EXPECT_EQ(ColourText(-16777208), "0xFF000008");
  EXPECT_EQ(BrushStyleName(BrushStyle::Clear), "Clear");
  EXPECT_EQ(BrushStyleName(BrushStyle::DiagCross), "DiagCross");
}

}  // namespace
}  // namespace tf::common
