#include "correspondence/starter_layouts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/recording_canvas.h"
#include "common/side_file.h"
#include "correspondence/label_sheet.h"
#include "tests/support/temp_folder.h"

namespace tf::correspondence {
namespace {

TEST(StarterLayouts, ANewFolderGetsBothSheetsAndOpensOnTheLetterOne) {
  test::TempFolder folder(test::TempFolder::Enter);
  std::ofstream("A4-24.LBL") << "the user's own";
  ASSERT_EQ(CreateStarterLabelLayouts(), "");
  EXPECT_EQ(common::ReadWholeFile("A4-24.LBL"), "the user's own");  // left alone
  const OpenedLayout letter = ReadLabelLayoutFile("LETTER30.LBL");
  ASSERT_TRUE(letter.layout) << letter.problem;
  EXPECT_EQ(LayoutRecord(*letter.layout), LayoutRecord(StarterLayouts()[0].layout));
  const LastLayout last = FindLastLayout();
  ASSERT_EQ(last.state, LastLayout::State::Named);
  EXPECT_EQ(last.path, folder / "LETTER30.LBL");

  // A last layout already chosen stays chosen.
  std::filesystem::remove("A4-24.LBL");
  ASSERT_EQ(RecordLastLayout("LETTER30.LBL"), std::nullopt);
  std::filesystem::remove("LETTER30.LBL");
  ASSERT_EQ(RecordLastLayout("A4-24.LBL"), std::nullopt);  // named before it exists
  ASSERT_EQ(CreateStarterLabelLayouts(), "");
  EXPECT_EQ(FindLastLayout().path, folder / "A4-24.LBL");
}

TEST(StarterLayouts, EverySheetPrintsWholeOnAPrintablePage) {
  for (const StarterLayout& s : StarterLayouts()) {
    SCOPED_TRACE(s.fileName);
    EXPECT_EQ(GeometryProblem(s.layout, ""), std::nullopt);
    const SheetGeometry g = Geometry(s.layout);
    common::RecordingCanvas canvas;
    // The last row's five lines of text end above the printable page's foot, and a long name
    // fits its label and the page's width even as wide as the recording canvas draws it (every
    // character 0.6 of the size, wider than a real face's average).
    canvas.BeginDoc();
    canvas.SetFont(s.layout.Font);
    const int line = canvas.TextHeight(kLineHeightSample);
    const int nameWidth = canvas.TextWidth(std::string(30, 'n'));
    canvas.EndDoc();
    EXPECT_LE(g.topMargin + (g.rows - 1) * g.labelHeight + 5 * line, canvas.PageHeight());
    EXPECT_LE(g.leftMargin + (g.columns - 1) * g.labelWidth + nameWidth, canvas.PageWidth());
    EXPECT_LE(5 * line, g.labelHeight);
    EXPECT_LE(nameWidth, g.labelWidth);
  }
}

}  // namespace
}  // namespace tf::correspondence
