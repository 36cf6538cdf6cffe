// The rows of a report and the memory behind them: text shared in the report's blocks, rows that
// outlive a copy's or a move's source, cells exchanged in place, and the choice between the
// quick keyed sort and the cell-by-cell one when a cell holds a character below the blank.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "reports/report_builders.h"
#include "reports/row_text.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/data_folder_test.h"

namespace tf::reports {
namespace {

using namespace std::chrono;
using testing::RowTexts;
using Strings = std::vector<std::string>;

TEST(RowText, EveryPieceKeepsItsTextAcrossBlocks) {
  RowText text;
  // Sizes that end blocks part-way, one larger than any block, and many small ones.
  std::vector<std::size_t> sizes;
  for (std::size_t i = 0; i < 4000; ++i) sizes.push_back(1 + (i * 7919) % 700);
  sizes.insert(sizes.begin() + 1000, std::size_t(9) << 20);
  std::vector<std::pair<char*, std::size_t>> pieces;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    char* at = text.Allocate(sizes[i]);
    std::memset(at, 'a' + int(i % 26), sizes[i]);
    pieces.emplace_back(at, sizes[i]);
  }
  std::size_t total = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const auto [at, size] = pieces[i];
    total += size;
    ASSERT_EQ(std::string_view(at, size), std::string(size, char('a' + int(i % 26)))) << "piece " << i;
  }
  EXPECT_GE(text.Held(), total);
  // Copies start empty; a move takes the blocks along.
  const RowText copy = text;
  EXPECT_EQ(copy.Held(), 0u);
  const std::size_t held = text.Held();
  RowText moved = std::move(text);
  EXPECT_EQ(moved.Held(), held);
  EXPECT_EQ(std::string_view(pieces.back().first, 1), std::string(1, char('a' + int((pieces.size() - 1) % 26))));
}

class ReportRows : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    testing::WriteBooks(testing::FixtureInvoices(), testing::FixtureLines());
  }
  std::optional<Report> Sales() {
    const ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15}};
    BuildOutcome outcome = BuildReport({ReportKind::SalesReport, {2024y / January / 1, 2024y / December / 31}}, source);
    return std::move(outcome.report);
  }
  common::RecordBuffer company_ = testing::ReportCompany();
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

TEST_F(ReportRows, RowsOutliveTheReportTheyWereCopiedOrMovedFrom) {
  std::optional<Report> built = Sales();
  ASSERT_TRUE(built);
  const Strings expected = RowTexts(*built);
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_GT(built->text.Held(), 0u);  // the builder's rows keep their text in the report

  Report copy = *built;
  std::vector<ReportRow> loose = built->rows;  // rows copied out on their own
  Report moved = std::move(*built);
  built.reset();
  EXPECT_EQ(RowTexts(copy), expected);
  EXPECT_EQ(RowTexts(moved), expected);
  Report fromLoose;
  fromLoose.rows = std::move(loose);
  EXPECT_EQ(RowTexts(fromLoose), expected);

  // Assigned over another report, the rows it held go and the new ones read right.
  Report target = *Sales();
  target = moved;
  moved = Report{};
  EXPECT_EQ(RowTexts(target), expected);
  // Sorted and re-sorted (rows moved about, cells exchanged), the records still read right.
  ASSERT_TRUE(ArrangeReport(target, 1, true));
  ASSERT_TRUE(ArrangeReport(target, 1, false));
  target.rows.erase(std::remove_if(target.rows.begin(), target.rows.end(),
                                   [](const ReportRow& row) { return row.Type() != RowType::Record; }),
                    target.rows.end());
  Strings back = RowTexts(target), wanted = expected;
  std::sort(back.begin(), back.end());
  std::sort(wanted.begin(), wanted.end());
  EXPECT_EQ(back, wanted);
}

TEST(ReportRow, SwapCellsExchangesTwoCellsAndKeepsTheOthers) {
  const std::string longCell(300, 'L');  // longer than the in-place copy's small buffer
  struct Case {
    Strings cells;
    std::size_t a, b;
    Strings expected;
  };
  const Case cases[] = {
      {{"alpha", "b", "charlie", "d"}, 0, 2, {"charlie", "b", "alpha", "d"}},
      {{"alpha", "b", "charlie", "d"}, 2, 0, {"charlie", "b", "alpha", "d"}},
      {{"alpha", "b", "charlie", "d"}, 2, 3, {"alpha", "b", "d", "charlie"}},
      {{"", "xyz", "", "w"}, 0, 1, {"xyz", "", "", "w"}},
      {{"x", "", "yy"}, 1, 2, {"x", "yy", ""}},
      {{longCell, "short", "mid"}, 0, 2, {"mid", "short", longCell}},
      {{"a", "b"}, 1, 1, {"a", "b"}},
      {{"a", "b"}, 0, 5, {"a", "b"}},  // a cell the row does not have: nothing changes
  };
  for (const Case& c : cases) {
    ReportRow owned(RowType::Record, c.cells);
    owned.SwapCells(c.a, c.b);
    EXPECT_EQ(owned.Cells(), c.expected) << c.a << "<->" << c.b;
    RowText text;
    std::vector<std::string_view> views(c.cells.begin(), c.cells.end());
    ReportRow shared(RowType::Record, views, text);
    shared.SwapCells(c.a, c.b);
    EXPECT_EQ(shared.Cells(), c.expected) << c.a << "<->" << c.b << " in shared text";
  }
}

// With a character below the blank anywhere in the rows the padded order holds: "AB\x01" sorts
// before "AB" (padded with blanks), where a key ending the text with a 0 byte would put it after.
// The character is moved through every place of an eight-character word by lengthening the cell
// before it.
TEST(ArrangeReport, ACharacterBelowTheBlankAnywhereInARowKeepsThePaddedOrder) {
  for (std::size_t before = 0; before < 17; ++before) {
    Report r;
    r.kind = ReportKind::InvoiceRegister;
    r.lastSortColumn = 3;
    r.columns = {{"Year/Mo/Dy", 10, false}, {"Invoice#", 9, false},   {"Short Name", 10, false},
                 {"Customer", 8, false},    {"Net Amount", 12, true}, {"Tax Amount", 12, true},
                 {"Grand Total", 12, true}, {"C", 1, false}};
    const std::string date = "2024/03/01", number(before, 'N');
    r.rows.emplace_back(RowType::Record, Strings{date, number, "AB", "C1", "1.00", "0.00", "1.00", "I"});
    r.rows.emplace_back(RowType::Record, Strings{date, number, "AB\x01", "C1", "2.00", "0.00", "2.00", "I"});
    ASSERT_TRUE(ArrangeReport(r, 0, false));
    EXPECT_EQ(r.rows[0].Cell(2), "AB\x01") << before << " characters before it";
  }
}

}  // namespace
}  // namespace tf::reports
