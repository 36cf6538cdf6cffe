#include <gtest/gtest.h>

#include "reports/report_grid.h"
#include "tests/reports/report_fixture.h"

namespace tf::reports {
namespace {

using testing::Headings;
using testing::RowTexts;
using Strings = std::vector<std::string>;

TEST(AmountCell, TellsAmountsFromDatesDaysAndWords) {
  const std::pair<const char*, bool> cases[] = {
      {"1,234.50", true}, {"0.00", true},     {"-40.00", true},   {"-1,234.50", true}, {"  5.5 ", true},
      {".50", true},      {"2024/01/31", false}, {"30 Days", false}, {"ABC", false},      {"", false},
      {"12", false},      {"1.2.3", false},   {"--1.00", false},  {"-", false},        {"*none*", false},
      {"12.5 Days", false},
  };
  for (const auto& [cell, amount] : cases) EXPECT_EQ(IsAmountCell(cell), amount) << '"' << cell << '"';
  EXPECT_EQ(AmountOf("-1,234.50")->Micros(), -1'234'500'000);
  EXPECT_FALSE(AmountOf("2024/01/31").has_value());
}

TEST(ReportNames, FindReportsByNameOrAnUnambiguousStart) {
  EXPECT_EQ(ReportNamed("Invoice Register"), ReportKind::InvoiceRegister);
  EXPECT_EQ(ReportNamed("accounts-receivable"), ReportKind::AccountsReceivable);
  EXPECT_EQ(ReportNamed("sales"), ReportKind::SalesReport);
  EXPECT_EQ(ReportNamed("REPEAT_BILLING_LIST"), ReportKind::RepeatBillingList);
  EXPECT_FALSE(ReportNamed("register").has_value());  // a later word is no start
  EXPECT_FALSE(ReportNamed("profit").has_value());
  EXPECT_FALSE(ReportNamed("").has_value());
}

// An invoice register as a builder leaves it: a record whose short name is blank, a credit,
// thousands separators, and short names in two cases.
Report Register() {
  Report r;
  r.kind = ReportKind::InvoiceRegister;
  r.caption = "Invoice Register";
  r.lastSortColumn = 3;
  r.lastRightColumn = 6;
  r.columns = {{"Year/Mo/Dy", 10, false}, {"Invoice#", 9, false},  {"Short Name", 10, false},
               {"Customer", 8, false},    {"Net Amount", 12, true}, {"Tax Amount", 12, true},
               {"Grand Total", 12, true}, {"C", 1, false}};
  const std::vector<Strings> rows = {
      {"2024/03/05", "110", "bob", "C2", "-20.00", "0.00", "-20.00", "I"},
      {"2024/03/01", "105G3", "ANN", "C1", "40.00", "0.00", "40.00", "G"},
      {"2024/02/10", "102", "", "C3", "0.00", "0.00", "0.00", "I"},
      {"2024/03/05", "101", "BOB", "C2", "1,050.00", "0.00", "1,050.00", "I"},
      {"2024/03/01", "100", "ANN", "C1", "100.00", "8.25", "108.25", "I"},
  };
  for (const Strings& cells : rows) r.rows.emplace_back(RowType::Record, cells);
  return r;
}

TEST(ArrangeReport, DateOrderWithSubTotalsMonthTotalsAndCredits) {
  Report r = Register();
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  EXPECT_EQ(r.caption, "Invoice Register by Date");
  EXPECT_EQ(RowTexts(r), (Strings{
                             "2024/02/10|102||C3|0.00|0.00|0.00|I",
                             "S:|||** Totals|0.00|0.00|0.00|",
                             "B:|||||||",
                             "M:||(02/2024)|Month Total|0.00|0.00|0.00|",
                             "B:|||||||",
                             "2024/03/01|100|ANN|C1|100.00|8.25|108.25|I",
                             "2024/03/01|105G3|ANN|C1|40.00|0.00|40.00|G",
                             "S:|||** Totals|140.00|8.25|148.25|",
                             "B:|||||||",
                             "2024/03/05|101|BOB|C2|1,050.00|0.00|1,050.00|I",
                             "2024/03/05|110|bob|C2|-20.00|0.00|-20.00|I",
                             "S:|||** Totals|1,030.00|0.00|1,030.00|",
                             "B:|||||||",
                             "M:||(03/2024)|Month Total|1,170.00|8.25|1,178.25|",
                             "B:|||||||",
                             "G:|||Grand Total|1,170.00|8.25|1,178.25|",
                         }));
}

TEST(ArrangeReport, ABlankSortCellIsStillARecordAndCaseDoesNotSplitAGroup) {
  Report r = Register();
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  ASSERT_TRUE(ArrangeReport(r, 2, true));
  EXPECT_EQ(r.caption, "Invoice Register by Short Name");
  EXPECT_EQ(Headings(r)[0], "Short Name");
  EXPECT_EQ(Headings(r)[2], "Year/Mo/Dy");
  EXPECT_EQ(RowTexts(r), (Strings{
                             "|102|2024/02/10|C3|0.00|0.00|0.00|I",
                             "S:|||** Totals|0.00|0.00|0.00|",
                             "B:|||||||",
                             "ANN|100|2024/03/01|C1|100.00|8.25|108.25|I",
                             "ANN|105G3|2024/03/01|C1|40.00|0.00|40.00|G",
                             "S:|||** Totals|140.00|8.25|148.25|",
                             "B:|||||||",
                             "BOB|101|2024/03/05|C2|1,050.00|0.00|1,050.00|I",
                             "bob|110|2024/03/05|C2|-20.00|0.00|-20.00|I",
                             "S:|||** Totals|1,030.00|0.00|1,030.00|",
                             "B:|||||||",
                             "G:|||Grand Total|1,170.00|8.25|1,178.25|",
                         }));
  // Sub-totals off and on again: every record stays, only the grand total without them.
  ASSERT_TRUE(ArrangeReport(r, 0, false));
  EXPECT_EQ(r.RecordCount(), 5u);
  ASSERT_EQ(r.rows.size(), 7u);
  EXPECT_EQ(r.rows[5].Type(), RowType::Blank);
  EXPECT_EQ(RowTexts(r).back(), "G:|||Grand Total|1,170.00|8.25|1,178.25|");
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  EXPECT_EQ(r.RecordCount(), 5u);
}

TEST(ArrangeReport, SortingTwiceOnAColumnRestoresTheFirstLayout) {
  Report r = Register();
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  const Strings first = RowTexts(r);
  const Strings headings = Headings(r);
  ASSERT_TRUE(ArrangeReport(r, 2, true));
  EXPECT_NE(RowTexts(r), first);
  ASSERT_TRUE(ArrangeReport(r, 2, true));
  EXPECT_EQ(Headings(r), headings);
  EXPECT_EQ(RowTexts(r), first);
  EXPECT_EQ(r.caption, "Invoice Register by Date");
}

TEST(ArrangeReport, AColumnBeyondTheLastSortColumnOrNoRecordsChangesNothing) {
  Report r = Register();
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  const Strings before = RowTexts(r);
  EXPECT_FALSE(ArrangeReport(r, 4, true));
  EXPECT_FALSE(ArrangeReport(r, 9, true));
  EXPECT_EQ(RowTexts(r), before);
  EXPECT_EQ(r.caption, "Invoice Register by Date");
  Report empty = Register();
  empty.rows.clear();
  EXPECT_FALSE(ArrangeReport(empty, 0, true));
  EXPECT_TRUE(empty.rows.empty());
}

TEST(ArrangeReport, ReceivablesHaveNoMonthTotalsAndSumTheirBalances) {
  Report r;
  r.kind = ReportKind::AccountsReceivable;
  r.lastSortColumn = 5;
  r.lastRightColumn = 5;
  r.columns = {{"Category", 10, false}, {"Invoice#", 9, false}, {"Short Name", 10, false}, {"Customer", 8, false},
               {"Aging", 12, false},    {"Year/Mo/Dy", 12, false}, {"Balance Due", 12, true}, {"C", 1, false}};
  r.rows.emplace_back(RowType::Record, Strings{"Current:", "1", "A", "C1", "5 Days", "2024/03/10", "70.00", "I"});
  r.rows.emplace_back(RowType::Record, Strings{"Current:", "DP9", "", "C3", "7 Days", "2024/03/08", "-50.00", "D"});
  r.rows.emplace_back(RowType::Record, Strings{"31-60:", "2", "B", "C2", "40 Days", "2024/02/04", "1,000.00", "I"});
  ASSERT_TRUE(ArrangeReport(r, 5, true));
  EXPECT_EQ(r.caption, "Accounts Receivable by Date");
  EXPECT_EQ(RowTexts(r), (Strings{
                             "2024/02/04|2|B|C2|40 Days|31-60:|1,000.00|I",
                             "S:|||||** Totals|1,000.00|",
                             "B:|||||||",
                             "2024/03/08|DP9||C3|7 Days|Current:|-50.00|D",
                             "S:|||||** Totals|-50.00|",
                             "B:|||||||",
                             "2024/03/10|1|A|C1|5 Days|Current:|70.00|I",
                             "S:|||||** Totals|70.00|",
                             "B:|||||||",
                             "G:|||||Grand Total|1,020.00|",
                         }));
}

}  // namespace
}  // namespace tf::reports
