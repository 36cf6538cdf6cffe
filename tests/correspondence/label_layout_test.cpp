#include "correspondence/label_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/record_fields.h"
#include "common/side_file.h"
#include "tests/support/temp_folder.h"

namespace tf::correspondence {
namespace {

LabelLayout Letter30() {
  LabelLayout l;
  l.Description = "Address labels 3 x 10";
  l.LeftMargin = "19";
  l.TopMargin = "105";
  l.ColumnsAcross = "3";
  l.RowsDown = "10";
  l.LabelWidth = "825";
  l.LabelHeight = "300";
  l.Font = {"DejaVu Sans", 9, 0x00112233, common::kFontBold | common::kFontItalic};
  l.UseShippingAddress = true;
  l.PrintReturnAddress = true;
  l.BitmapPath = "/home/user/logo.bmp";
  l.PrintLine = true;
  l.LineWidth = "2";
  l.SendToCaption = "To:";
  return l;
}

std::vector<std::uint8_t> Bytes(const common::RecordBuffer& r) { return {r.data(), r.data() + r.size()}; }

TEST(LabelLayout, TheRecordLaysEveryFieldAtItsOffsetAndReadsBack) {
  const LabelLayout l = Letter30();
  const std::vector<std::uint8_t> r = Bytes(LayoutRecord(l));
  ASSERT_EQ(r.size(), 444u);
  const auto text = [&](std::size_t at) { return std::string(r.begin() + at + 1, r.begin() + at + 1 + r[at]); };
  EXPECT_EQ(text(0), "Address labels 3 x 10");
  EXPECT_EQ(text(51), "19");
  EXPECT_EQ(text(55), "105");
  EXPECT_EQ(text(59), "3");
  EXPECT_EQ(text(61), "10");
  EXPECT_EQ(text(64), "825");
  EXPECT_EQ(text(69), "300");
  EXPECT_EQ(text(74), "DejaVu Sans");
  EXPECT_EQ(common::ReadInt32(r, {108}), 9);
  EXPECT_EQ(common::ReadInt32(r, {112}), 0x00112233);
  EXPECT_EQ(r[116], 3);
  EXPECT_EQ(r[117], 1);
  EXPECT_EQ(r[118], 1);
  EXPECT_EQ(text(119), "/home/user/logo.bmp");
  EXPECT_EQ(r[426], 1);
  EXPECT_EQ(text(427), "2");
  EXPECT_EQ(text(431), "To:");
  for (std::size_t at : {107u, 375u, 400u, 425u, 429u, 430u, 442u, 443u}) EXPECT_EQ(r[at], 0) << at;

  const LayoutContents back = ParseLayoutRecord(r);
  ASSERT_TRUE(back.layout) << back.problem;
  EXPECT_EQ(*back.layout, l);
}

TEST(LabelLayout, WithoutReturnAddressThePictureAndLineAreNotKept) {
  LabelLayout l = Letter30();
  l.PrintReturnAddress = false;
  const std::vector<std::uint8_t> r = Bytes(LayoutRecord(l));
  EXPECT_EQ(r[119], 1);
  EXPECT_EQ(r[120], ' ');
  EXPECT_EQ(r[426], 0);
}

TEST(LabelLayout, BytesThatCannotBeALayoutAreRefusedWithTheReason) {
  const std::vector<std::uint8_t> good = Bytes(LayoutRecord(Letter30()));
  const struct {
    const char* what;
    std::size_t size;
    std::size_t at;
    std::vector<std::uint8_t> bytes;
    std::string problem;
  } cases[] = {
      {"short", 443, 0, {}, "It holds 443 bytes; a label layout holds 444."},
      {"long", 445, 0, {}, "It holds 445 bytes; a label layout holds 444."},
      {"description length", 444, 0, {51}, "Its Layout Description has a length of 51, more than the 50 characters it can hold."},
      {"columns length", 444, 59, {2, '1', '2'}, "Its Columns Across has a length of 2, more than the 1 characters it can hold."},
      {"bitmap length", 444, 119, {255}, ""},  // 255 fits a path of 255
      {"caption length", 444, 431, {11}, "Its Send To Caption has a length of 11, more than the 10 characters it can hold."},
      {"font size 0", 444, 108, {0, 0, 0, 0}, "Its font size is 0; a label font is 1 to 144 points."},
      {"font size negative", 444, 108, {0xF6, 0xFF, 0xFF, 0xFF}, "Its font size is -10; a label font is 1 to 144 points."},
      {"font size huge", 444, 108, {0x00, 0x10, 0, 0}, "Its font size is 4096; a label font is 1 to 144 points."},
      {"rows negative", 444, 61, {2, '-', '1'}, "Its Rows Down is \"-1\", not a whole number."},
      {"width not a number", 444, 64, {4, '8', 'x', '2', '5'}, "Its Label Width is \"8x25\", not a whole number."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes = good;
    bytes.resize(c.size);
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + std::ptrdiff_t(c.at));
    const LayoutContents read = ParseLayoutRecord(bytes);
    EXPECT_EQ(read.problem, c.problem);
    EXPECT_EQ(bool(read.layout), c.problem.empty());
  }
}

TEST(LabelLayout, TheSheetNeedsSixNumbersAndCountsAndSizesOfAtLeastOne) {
  const struct {
    std::string LabelLayout::*field;
    const char* value;
    const char* problem;  // nullptr: accepted
  } cases[] = {
      {&LabelLayout::LeftMargin, "0", nullptr},
      {&LabelLayout::TopMargin, "000", nullptr},
      {&LabelLayout::LeftMargin, "", "You have an empty layout definition field. All six fields are required. Unable to print."},
      {&LabelLayout::LabelHeight, "   ", "You have an empty layout definition field. All six fields are required. Unable to print."},
      {&LabelLayout::ColumnsAcross, "0", "Columns Across is \"0\"; it must be a whole number of at least 1. Unable to print."},
      {&LabelLayout::RowsDown, "00", "Rows Down is \"00\"; it must be a whole number of at least 1. Unable to print."},
      {&LabelLayout::RowsDown, "-1", "Rows Down is \"-1\"; it must be a whole number of at least 1. Unable to print."},
      {&LabelLayout::LabelWidth, "0", "Label Width is \"0\"; it must be a whole number of at least 1. Unable to print."},
      {&LabelLayout::LabelHeight, "-300", "Label Height is \"-300\"; it must be a whole number of at least 1. Unable to print."},
      {&LabelLayout::TopMargin, "-5", "Top Margin is \"-5\"; it must be a whole number. Unable to print."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value));
    LabelLayout l = Letter30();
    l.*c.field = c.value;
    const auto problem = GeometryProblem(l, "Unable to print.");
    if (c.problem)
      EXPECT_EQ(problem, std::string(c.problem));
    else
      EXPECT_EQ(problem, std::nullopt);
  }
  const SheetGeometry g = Geometry(Letter30());
  EXPECT_EQ(g.LabelsPerSheet(), 30);
  EXPECT_EQ(g.labelWidth, 825);
}

TEST(LabelLayout, TheStartLabelLiesOnTheFirstSheet) {
  const SheetGeometry g = Geometry(Letter30());
  EXPECT_EQ(StartLabelProblem(g, 1), std::nullopt);
  EXPECT_EQ(StartLabelProblem(g, 30), std::nullopt);
  EXPECT_EQ(StartLabelProblem(g, 31),
            "Start at Label is 31, but a sheet of 3 x 10 labels has labels 1 to 30. Unable to print.");
  EXPECT_TRUE(StartLabelProblem(g, 0));
  // What the masked fields give: blank or a leading 0 count as 1.
  const std::pair<const char*, int> counts[] = {{"", 1}, {" ", 1}, {"0", 1}, {"05", 1}, {"5", 5}, {" 12", 12}, {"99", 99}};
  for (const auto& [text, n] : counts) EXPECT_EQ(CountOrOne(text), n) << text;
}

TEST(LabelLayout, SavingAndOpeningRememberTheFileAndAGoneFileIsForgotten) {
  test::TempFolder folder(test::TempFolder::Enter);
  EXPECT_EQ(FindLastLayout().state, LastLayout::State::None);

  ASSERT_EQ(SaveLabelLayout("SHEET.LBL", Letter30()), std::nullopt);
  EXPECT_EQ(std::filesystem::file_size("SHEET.LBL"), 444u);
  EXPECT_EQ(std::filesystem::file_size(kLastLayoutFile), 256u);
  LastLayout last = FindLastLayout();
  ASSERT_EQ(last.state, LastLayout::State::Named);
  EXPECT_EQ(last.path, std::filesystem::absolute("SHEET.LBL"));

  // Opening another records it and keeps a copy.
  LabelLayout other = Letter30();
  other.Description = "Other";
  ASSERT_EQ(SaveLabelLayout(folder / "OTHER.LBL", other), std::nullopt);
  ASSERT_EQ(SaveLabelLayout("SHEET.LBL", Letter30()), std::nullopt);
  std::filesystem::remove(kLayoutCopyFile);
  const OpenedLayout opened = OpenLabelLayout(folder / "OTHER.LBL");
  ASSERT_TRUE(opened.layout) << opened.problem;
  EXPECT_EQ(opened.layout->Description, "Other");
  EXPECT_EQ(FindLastLayout().path, folder / "OTHER.LBL");
  EXPECT_EQ(common::ReadWholeFile(kLayoutCopyFile), common::ReadWholeFile(folder / "OTHER.LBL"));

  // The file it names is gone: the record of it goes too.
  std::filesystem::remove(folder / "OTHER.LBL");
  last = FindLastLayout();
  EXPECT_EQ(last.state, LastLayout::State::Gone);
  EXPECT_FALSE(std::filesystem::exists(kLastLayoutFile));
  EXPECT_EQ(FindLastLayout().state, LastLayout::State::None);
}

TEST(LabelLayout, ARefusedSaveOrOpenWritesAndRecordsNothing) {
  test::TempFolder folder(test::TempFolder::Enter);
  LabelLayout zero = Letter30();
  zero.ColumnsAcross = "0";
  EXPECT_EQ(SaveLabelLayout("ZERO.LBL", zero),
            "Columns Across is \"0\"; it must be a whole number of at least 1. Unable to save.");
  LabelLayout longCaption = Letter30();
  longCaption.SendToCaption = "Deliver to:";
  EXPECT_EQ(SaveLabelLayout("LONG.LBL", longCaption),
            "The Send To Caption is longer than its 10 characters. Unable to save.");
  EXPECT_TRUE(folder.empty());

  std::ofstream("TEXT.LBL") << "not a layout";
  OpenedLayout opened = OpenLabelLayout("TEXT.LBL");
  EXPECT_FALSE(opened.layout);
  EXPECT_EQ(opened.problem, "The file TEXT.LBL is not a label layout that can be used. It holds 12 bytes; a label "
                            "layout holds 444.");
  opened = OpenLabelLayout("NONE.LBL");
  EXPECT_FALSE(opened.layout);
  EXPECT_EQ(opened.problem.rfind("The label layout NONE.LBL could not be read (", 0), 0u) << opened.problem;
  EXPECT_FALSE(std::filesystem::exists(kLastLayoutFile));
  EXPECT_FALSE(std::filesystem::exists(kLayoutCopyFile));
}

}  // namespace
}  // namespace tf::correspondence
