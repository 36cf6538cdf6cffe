#include <gtest/gtest.h>

#include <algorithm>

#include "common/recording_canvas.h"
#include "reports/report_output.h"
#include "tests/reports/report_fixture.h"

namespace tf::reports {
namespace {

using Strings = std::vector<std::string>;

Report SmallRegister() {
  Report r;
  r.kind = ReportKind::InvoiceRegister;
  r.lastSortColumn = 3;
  r.lastRightColumn = 6;
  r.head1 = "Acme Books";
  r.head2 = "Date: Friday, March 15, 2024, 02:30 PM";
  r.head3 = "Selected records from 03/01/2024 to 03/31/2024";
  r.columns = {{"Year/Mo/Dy", 10, false}, {"Invoice#", 9, false},  {"Short Name", 10, false},
               {"Customer", 8, false},    {"Net Amount", 12, true}, {"Tax Amount", 12, true},
               {"Grand Total", 12, true}, {"C", 1, false}};
  r.rows.emplace_back(RowType::Record, Strings{"2024/03/05", "101", "", "C2", "1,050.00", "0.00", "1,050.00", "I"});
  r.rows.emplace_back(RowType::Record, Strings{"2024/03/06", "102", "ANN", "C1", "-20.00", "0.00", "-20.00", "I"});
  EXPECT_TRUE(ArrangeReport(r, 0, false));
  return r;
}

TEST(SavedReport, CaptionHeadingsThenOneLinePerRowInFixedCells) {
  const Strings lines = ReportTextLines(SmallRegister());
  const std::string blank12(12, ' ');
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Invoice Register by Date");
  EXPECT_EQ(lines[1], "Acme Books");
  EXPECT_EQ(lines[2], "Date: Friday, March 15, 2024, 02:30 PM");
  EXPECT_EQ(lines[3], "Selected records from 03/01/2024 to 03/31/2024");
  EXPECT_EQ(lines[4], " ");
  EXPECT_EQ(lines[5], " Year/Mo/Dy   Invoice#     Short Name   Customer     Net Amount   Tax Amount   Grand Total "
                      " C           ");
  EXPECT_EQ(lines[6], std::string(" 2024/03/05  ") + " 101         " + " " + blank12 + " C2          " +
                          "     1,050.00" + "         0.00" + "     1,050.00" + " I           ");
  EXPECT_EQ(lines[7], std::string(" 2024/03/06  ") + " 102         " + " ANN         " + " C1          " +
                          "       -20.00" + "         0.00" + "       -20.00" + " I           ");
  EXPECT_EQ(lines[8], std::string(8 * 13, ' '));
  EXPECT_EQ(lines[9], std::string(3 * 13, ' ') + " Grand Total " + "     1,030.00" + "         0.00" +
                          "     1,030.00" + " " + blank12);
  const std::string text = ReportText(SmallRegister());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
  EXPECT_NE(text.find("Acme Books\r\n"), std::string::npos);
}

// Totals of a large sales report outgrow the 12 characters of an amount cell; cut, the quantity
// 1,069,641.000 would read 1,069,641.00 and the amount 28,218,864.50 would read 28,218,864.5.
TEST(SavedReport, AnAmountLongerThanItsCellIsSavedWhole) {
  Report r;
  r.kind = ReportKind::SalesReport;
  r.lastSortColumn = 5;
  r.columns = {{"Quantity", 12, true}, {"Line Amount", 12, true}};
  r.rows.emplace_back(RowType::MonthTotal, Strings{"1,069,641.000", "28,218,864.50"});
  r.rows.emplace_back(RowType::Record, Strings{"1.000", "-0.50"});
  const Strings lines = ReportTextLines(r);
  EXPECT_EQ(lines[6], " 1,069,641.000 28,218,864.50");
  EXPECT_EQ(lines[7], "        1.000        -0.50");
}

TEST(SavedReport, TheProductDescriptionTakes32Characters) {
  Report r;
  r.kind = ReportKind::SalesReport;
  r.lastSortColumn = 5;
  r.columns = {{"Product Description", 32, false}, {"Product#", 10, false}};
  r.rows.emplace_back(RowType::Record, Strings{"Widget", "W1"});
  const Strings lines = ReportTextLines(r);
  EXPECT_EQ(lines[5], " Product Description              Product#    ");
  EXPECT_EQ(lines[6], " Widget                           W1          ");
}

TEST(CsvReport, RealColumnsWithPlainNumbersAndNoSpacingRows) {
  EXPECT_EQ(ReportCsv(SmallRegister()),
            "Year/Mo/Dy,Invoice#,Short Name,Customer,Net Amount,Tax Amount,Grand Total,C\r\n"
            "2024/03/05,101,,C2,1050.00,0.00,1050.00,I\r\n"
            "2024/03/06,102,ANN,C1,-20.00,0.00,-20.00,I\r\n"
            ",,,Grand Total,1030.00,0.00,1030.00,\r\n");
}

Report LongRegister(std::size_t records) {
  Report r = SmallRegister();
  r.rows.clear();
  for (std::size_t i = 0; i < records; ++i)
    r.rows.emplace_back(RowType::Record, Strings{"2024/03/05", std::to_string(1000 + i), "ANN", "C1", "1.00", "0.00",
                                                 "1.00", "I"});
  EXPECT_TRUE(ArrangeReport(r, 0, true));
  return r;
}

bool HasLine(const Strings& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

TEST(PrintedReport, PagesCarryTheHeadingAndEndWithContinuedOrComplete) {
  const Report r = LongRegister(70);
  common::RecordingCanvas canvas;
  const PrintSettings settings = PrintSettingsOf(testing::ReportCompany());
  EXPECT_EQ(settings.leftMargin, 60);
  EXPECT_EQ(settings.topMargin, 90);
  ASSERT_TRUE(PrintReport(canvas, r, settings));
  EXPECT_EQ(canvas.Title(), "Invoice Register");
  ASSERT_EQ(canvas.PageCount(), 2u);
  for (std::size_t page = 0; page < 2; ++page) {
    const Strings lines = canvas.ReadingLines(page);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Acme Books");
    EXPECT_EQ(lines[1], "Invoice Register by Date Page " + std::to_string(page + 1));
    EXPECT_EQ(lines[2], "Date: Friday, March 15, 2024, 02:30 PM");
    EXPECT_EQ(lines[3], "Selected records from 03/01/2024 to 03/31/2024");
    EXPECT_EQ(lines[4], "Year/Mo/Dy Invoice# Short Name Customer Net Amount Tax Amount Grand Total C");
    for (const common::RecordingCanvas::Text& t : canvas.Texts(page)) {
      EXPECT_GE(t.x, 60);
      EXPECT_GE(t.y, 90);
      EXPECT_LE(t.y, canvas.PageHeight() - 100);
    }
  }
  EXPECT_EQ(canvas.ReadingLines(0).back(), "Continued on page 2 ...");
  EXPECT_EQ(canvas.ReadingLines(1).back(), "Report Complete. 70 records printed.");
  const Strings last = canvas.ReadingLines(1);
  EXPECT_TRUE(HasLine(last, "** Totals 70.00 0.00 70.00"));
  EXPECT_TRUE(HasLine(last, "Grand Total 70.00 0.00 70.00"));
  // Every record printed once over the two pages.
  std::size_t printed = 0;
  for (std::size_t page = 0; page < 2; ++page)
    for (const std::string& line : canvas.ReadingLines(page)) printed += line.starts_with("2024/03/05 ");
  EXPECT_EQ(printed, 70u);
}

TEST(PrintedReport, AmountsAreRightAlignedAndTheHeadingIsFramedByHeavyRules) {
  const Report r = SmallRegister();
  common::RecordingCanvas canvas;
  ASSERT_TRUE(PrintReport(canvas, r, PrintSettings{}));
  int right1050 = -1, right20 = -1;
  for (const auto& t : canvas.Texts(0)) {
    if (t.text == "1,050.00" && right1050 < 0) right1050 = t.x + canvas.TextWidth(t.text);
    if (t.text == "-20.00" && right20 < 0) right20 = t.x + canvas.TextWidth(t.text);
  }
  EXPECT_GT(right1050, 0);
  EXPECT_EQ(right1050, right20);
  const Strings& ops = canvas.Page(0);
  // Above and below the heading row and the grand total row.
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "Pen 3"), 4);
}

TEST(PrintedReport, TheSalesReportPrintsInLandscapeAndPutsTheOrientationBack) {
  Report r;
  r.kind = ReportKind::SalesReport;
  r.lastSortColumn = 5;
  r.lastRightColumn = 8;
  r.columns = {{"Product Description", 32, false}, {"Line Amount", 12, true}};
  r.rows.emplace_back(RowType::Record, Strings{"Widget", "50.00"});
  common::RecordingCanvas canvas;
  ASSERT_TRUE(PrintReport(canvas, r, PrintSettings{}));
  const Strings& ops = canvas.Ops();
  const auto landscape = std::find(ops.begin(), ops.end(), "Orientation Landscape");
  const auto begin = std::find(ops.begin(), ops.end(), "BeginDoc");
  ASSERT_NE(landscape, ops.end());
  EXPECT_LT(landscape, begin);
  EXPECT_EQ(canvas.Orientation(), common::PageOrientation::Portrait);
}

TEST(PrintedReport, APrinterThatRefusesIsAFailure) {
  common::RecordingCanvas canvas;
  canvas.FailBeginDoc();
  EXPECT_FALSE(PrintReport(canvas, SmallRegister(), PrintSettings{}));
  EXPECT_EQ(canvas.PageCount(), 0u);
  common::RecordingCanvas ending;
  ending.FailEndDoc();
  EXPECT_FALSE(PrintReport(ending, SmallRegister(), PrintSettings{}));
}

}  // namespace
}  // namespace tf::reports
