// The builders and the arrangement against the plain reference (report_reference.cpp) on a
// generated company of a few hundred invoice records and their lines: every report over several
// ranges, then every sort column with and without sub-totals, and a re-sort of the sorted grid.
// The generated books mix what sorting and totals must get right: upper- and lower-case texts
// that sort together, blank and leading-blank cells, credits, texts that are no amount, long
// descriptions, repeated lines that tie on every column, and (in one variant) a control
// character that sorts below the blank.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "common/date_text.h"
#include "reports/report_builders.h"
#include "tests/reports/report_fixture.h"
#include "tests/reports/report_reference.h"
#include "tests/support/data_folder_test.h"

namespace tf::reports {
namespace {

using namespace std::chrono;
using testing::InvoiceRow;
using testing::LineRow;

// Every row exactly: its type and its cells untrimmed.
using ExactRows = std::vector<std::pair<RowType, std::vector<std::string>>>;
ExactRows Exact(const Report& r) {
  ExactRows rows;
  for (const ReportRow& row : r.rows) rows.emplace_back(row.Type(), row.Cells());
  return rows;
}

std::string Describe(const ExactRows& rows, std::size_t at) {
  if (at >= rows.size()) return "(no row)";
  std::string text = std::to_string(int(rows[at].first)) + ":";
  for (const std::string& c : rows[at].second) text += "[" + c + "]";
  return text;
}

// The first row where two grids differ, said in words; empty when they are the same.
std::string FirstDifference(const Report& mine, const Report& theirs) {
  std::string out;
  if (mine.caption != theirs.caption) out += "caption " + mine.caption + " / " + theirs.caption + "; ";
  std::vector<std::string> a, b;
  for (const auto& c : mine.columns) a.push_back(c.heading + "/" + std::to_string(c.width) + (c.amount ? "A" : ""));
  for (const auto& c : theirs.columns) b.push_back(c.heading + "/" + std::to_string(c.width) + (c.amount ? "A" : ""));
  if (a != b) out += "columns differ; ";
  if (std::tie(mine.head1, mine.head2, mine.head3, mine.lastSortColumn, mine.lastRightColumn, mine.messageCaption) !=
      std::tie(theirs.head1, theirs.head2, theirs.head3, theirs.lastSortColumn, theirs.lastRightColumn,
               theirs.messageCaption))
    out += "headings or limits differ; ";
  const ExactRows x = Exact(mine), y = Exact(theirs);
  for (std::size_t i = 0; i < std::max(x.size(), y.size()); ++i)
    if (i >= x.size() || i >= y.size() || x[i] != y[i]) {
      out += "row " + std::to_string(i) + " of " + std::to_string(x.size()) + "/" + std::to_string(y.size()) + ": " +
             Describe(x, i) + " / " + Describe(y, i);
      break;
    }
  return out;
}

struct Books {
  std::vector<InvoiceRow> invoices;
  std::vector<LineRow> lines;
};

Books Generate(unsigned seed, bool controlCharacter) {
  std::mt19937 random(seed);
  const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  const std::vector<std::string> kinds{"I", "I", "I", "I", "G", "Z", "X", "D", "T", "R", "i"};
  std::vector<std::string> shortNames{"ANN", "ann", "Ann B", "", "BOB", "Bob", "ZED", " LEAD", "ANN ", "\xC9mile",
                                      "a", "A B", "AB", "ab!"};
  if (controlCharacter) shortNames.push_back("AB\x01Z");
  const std::vector<std::string> customers{"C1", "c1", "C10", "C2", "ABC", "abc", "Z9", "100", "99"};
  const std::vector<std::string> amounts{"0.00", "10.00", "-25.00", "1234.5", "99999.99", "0.01", "250",
                                         "-0.50", "7.25", "100.00", "abc", "", "12.3.4"};
  const std::vector<std::string> keyCodes{"", "WEB", "web", "Mail", "*none*", "Z", "a b"};
  const std::vector<std::string> codes{"W1", "w1", "", "G10", "SVC", "svc", "W1"};
  const std::vector<std::string> descriptions{"Widget", "widget", "Widget large", "Gadget", "", "gadget ",
                                              "A very long description, 32 ch.", "Z", " indented"};
  const std::vector<std::string> quantities{"1", "2", "-1", "10.5", "", "3", "1,000", "x"};
  const std::vector<std::string> prices{"25.00", "1.5", "", "0.125", "-4.00", "999999", "n/a"};
  Books books;
  for (int i = 0; i < 320; ++i) {
    InvoiceRow r;
    r.kind = pick(kinds);
    r.number = i % 17 == 0 ? "inv" + std::to_string(i) : std::to_string(5000 + (i * 7919) % 1000);
    if (i % 41 == 0) r.number = "";  // a record without a number is never listed
    r.customer = pick(customers);
    r.shortName = pick(shortNames);
    const year_month_day day = sys_days{2023y / January / 1} + days{int(random() % 730)};
    r.date = common::FormatDate(day, common::DateFormat::MonthFirst);
    r.net = pick(amounts);
    r.tax = pick(amounts);
    r.total = pick(amounts);
    r.paid = pick(amounts);
    r.balance = pick(amounts);
    r.keyCode = pick(keyCodes);
    switch (random() % 5) {
      case 0: r.datePaid = ""; break;
      case 1: r.datePaid = "x"; break;
      case 2: r.datePaid = "24/1"; break;
      default: {
        r.datePaid = common::FormatDateKey(sys_days{day} + days{int(random() % 90)});
      }
    }
    r.paidFlag = random() % 3 == 0 ? "P" : "";
    if (r.kind == "R") {
      r.nextDue = random() % 4 ? "04/01/2024" : "";
      r.repeatUnit = random() % 2 ? "M" : "D";
      r.repeatCount = std::to_string(random() % 20);
    }
    books.invoices.push_back(r);
    const int lineCount = int(random() % 5);
    for (int l = 0; l < lineCount; ++l) {
      LineRow line;
      line.invoice = r.number;
      line.kind = random() % 9 == 0 ? "R" : (random() % 9 == 0 ? "r" : "P");
      line.dateKey = common::FormatDateKey(day);
      line.code = pick(codes);
      line.customer = r.customer;
      line.shortName = r.shortName;
      line.quantity = pick(quantities);
      line.description = pick(descriptions);
      line.price = pick(prices);
      line.mark = "Y";
      line.extension = pick(amounts);
      books.lines.push_back(line);
      if (random() % 7 == 0) books.lines.push_back(line);  // the same line twice: a tie on every column
    }
  }
  return books;
}

class ReportDifferential : public test::DataFolderTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    books_ = Generate(GetParam() ? 11u : 5u, GetParam());
    testing::WriteBooks(books_.invoices, books_.lines);
  }
  // Ranges from the first day whose records are a few short of a quarter of the file's and a few
  // beyond it, for the invoice file and for the line file: where the choice between walking the
  // index and one pass over the file turns.
  std::vector<DateRange> QuarterRanges() const {
    std::vector<sys_days> invoiceDays, lineDays;
    for (const InvoiceRow& r : books_.invoices)
      invoiceDays.push_back(sys_days{*common::ParseDate(r.date, common::DateFormat::MonthFirst)});
    for (const LineRow& l : books_.lines) lineDays.push_back(sys_days{*common::ParseDateKey(l.dateKey)});
    std::vector<DateRange> out;
    for (std::vector<sys_days>* dates : {&invoiceDays, &lineDays}) {
      std::sort(dates->begin(), dates->end());
      const std::size_t quarter = dates->size() / 4;
      for (std::size_t at : {quarter - 3, quarter + 3}) out.push_back({dates->front(), year_month_day{(*dates)[at]}});
      // And ending at the last day, from a little after and a little before three quarters.
      for (std::size_t at : {dates->size() - quarter + 3, dates->size() - quarter - 3})
        out.push_back({year_month_day{(*dates)[at]}, year_month_day{dates->back()}});
    }
    return out;
  }
  Books books_;
  common::RecordBuffer company_ = testing::ReportCompany();
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

class ReportDifferentialLines : public test::DataFolderTest {
 protected:
  common::RecordBuffer company_ = testing::ReportCompany();
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

TEST_P(ReportDifferential, EveryReportSortAndTotalMatchesThePlainReference) {
  const ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15} + hours{9}};
  std::vector<DateRange> ranges{
      {2023y / January / 1, 2024y / December / 31},
      {2024y / March / 1, 2024y / March / 31},
      {2023y / July / 4, 2023y / July / 4},
      {2030y / January / 1, 2030y / December / 31},
  };
  for (const DateRange& r : QuarterRanges()) ranges.push_back(r);
  int compared = 0, arranged = 0;
  for (ReportKind kind : ReportKinds()) {
    for (const DateRange& range : ranges) {
      if (!UsesDateRange(kind) && &range != &ranges.front()) continue;
      SCOPED_TRACE(std::string(ReportName(kind)) + " from " + common::FormatDateKey(range.from) + " to " +
                   common::FormatDateKey(range.to));
      const BuildOutcome mine = BuildReport({kind, range}, source);
      const BuildOutcome theirs = reference::BuildReport({kind, range}, source);
      ASSERT_EQ(mine.result, theirs.result) << mine.message;
      EXPECT_EQ(mine.message, theirs.message);
      EXPECT_EQ(mine.caption, theirs.caption);
      ++compared;
      if (!mine.report) continue;
      EXPECT_EQ(FirstDifference(*mine.report, *theirs.report), "") << "as built";
      for (std::size_t column = 0; column <= std::size_t(mine.report->lastSortColumn) + 1; ++column) {
        for (bool subTotals : {true, false}) {
          SCOPED_TRACE("column " + std::to_string(column) + (subTotals ? " with" : " without") + " sub-totals");
          Report a = *mine.report, b = *theirs.report;
          ASSERT_EQ(ArrangeReport(a, column, subTotals), reference::ArrangeReport(b, column, subTotals));
          EXPECT_EQ(FirstDifference(a, b), "");
          // The window sorts the sorted grid again: on column 2 and with sub-totals toggled.
          ASSERT_EQ(ArrangeReport(a, 2, !subTotals), reference::ArrangeReport(b, 2, !subTotals));
          EXPECT_EQ(FirstDifference(a, b), "") << "sorted again";
          ++arranged;
        }
      }
    }
  }
  EXPECT_EQ(compared, 5 * 12 + 2);
  EXPECT_GE(arranged, 100);
}

// More distinct unit prices and quantities than the builder keeps formatted at once, so texts
// that share a place in its table take turns there; each line still shows its own.
TEST_F(ReportDifferentialLines, ManyDistinctPricesAndQuantitiesEachShownAsItsOwn) {
  std::vector<LineRow> lines;
  for (int i = 0; i < 9000; ++i) {
    const std::string date = common::FormatDateKey(sys_days{2024y / January / 1} + days{i % 300});
    const std::string price = std::to_string(i) + "." + std::to_string(i % 1000);
    const std::string quantity = std::to_string(i % 4500) + (i % 3 ? ".5" : "");
    lines.push_back({std::to_string(1000 + i), "P", date, "P" + std::to_string(i % 97), "C1", "ANN", quantity,
                     "Item " + std::to_string(i % 311), price, "Y", std::to_string(i) + ".25"});
  }
  testing::WriteBooks({}, lines);
  const ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15}};
  const ReportRequest request{ReportKind::SalesReport, {2024y / January / 1, 2024y / December / 31}};
  const BuildOutcome mine = BuildReport(request, source);
  const BuildOutcome theirs = reference::BuildReport(request, source);
  ASSERT_TRUE(mine.report && theirs.report);
  EXPECT_EQ(mine.report->RecordCount(), 9000u);
  EXPECT_EQ(FirstDifference(*mine.report, *theirs.report), "");
}

INSTANTIATE_TEST_SUITE_P(Books, ReportDifferential, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithAControlCharacter" : "Printable"; });

}  // namespace
}  // namespace tf::reports
