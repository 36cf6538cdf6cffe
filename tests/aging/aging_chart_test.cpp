// The aging chart: when a run shows it, the proportional heights of its four shapes, which
// never leave their frame, and their hints.

#include "aging/aging_chart.h"

#include <gtest/gtest.h>

#include <numeric>

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/company_record.h"

namespace tf::aging {
namespace {

using common::Money;

AgingSums Sums(const char* a, const char* b, const char* c, const char* d) {
  return {{*common::ParseAmount(a), *common::ParseAmount(b), *common::ParseAmount(c), *common::ParseAmount(d)}};
}

TEST(AgingChart, WhetherARunShowsIt) {
  EXPECT_EQ(DecideChart(Money(), true), ChartVerdict::Nothing);
  EXPECT_EQ(DecideChart(Money::FromWhole(-1), true), ChartVerdict::CreditBalance);
  EXPECT_EQ(DecideChart(Money::FromWhole(-1), false), ChartVerdict::CreditBalance);
  EXPECT_EQ(DecideChart(Money::FromCents(1), true), ChartVerdict::Show);
  EXPECT_EQ(DecideChart(Money::FromCents(1), false), ChartVerdict::Nothing);
}

TEST(AgingChart, HeightsAreProportionalAndStayInsideTheFrame) {
  const struct {
    const char* name;
    AgingSums totals;
    int frame;
    std::array<int, 4> heights;
  } cases[] = {
      {"50/30/15/5", Sums("50", "30", "15", "5"), 200, {100, 60, 30, 10}},
      {"one category", Sums("0", "0", "12.34", "0"), 150, {0, 0, 150, 0}},
      {"0.40 of 1000 still shows", Sums("999.60", "0.40", "0", "0"), 200, {196, 4, 0, 0}},
      // 33.5 % twice and 33 % round to 101 %: the tallest gives back the extra.
      {"rounding to 101 %", Sums("335", "335", "330", "0"), 100, {33, 34, 33, 0}},
      // Three 4-pixel minimums beside 99.7 %.
      {"minimums beside a full bar", Sums("997", "1", "1", "1"), 100, {88, 4, 4, 4}},
      // A credit draws nothing; the others share the frame.
      {"a credit category", Sums("150", "-50", "50", "0"), 100, {75, 0, 25, 0}},
      {"a frame too small for the minimums", Sums("1", "1", "1", "1"), 10, {4, 4, 2, 0}},
      {"no frame at all", Sums("1", "2", "3", "4"), 0, {0, 0, 0, 0}},
      {"nothing owed", Sums("0", "-5", "0", "0"), 100, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const std::array<int, 4> h = ShapeHeights(c.totals, c.frame);
    EXPECT_EQ(h, c.heights) << c.name;
    EXPECT_LE(std::accumulate(h.begin(), h.end(), 0), std::max(0, c.frame)) << c.name;
    for (int x : h) EXPECT_GE(x, 0) << c.name;
  }
}

TEST(AgingChart, ShapesStackFromTheFrameTopWithTheirHints) {
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  common::WriteText(company, records::company::kAgingCaption1, " Current: ");
  common::WriteText(company, records::company::kAgingCaption2, "31-60:");
  common::WriteText(company, records::company::kAgingCaption3, "61-90:");
  common::WriteText(company, records::company::kAgingDays3, "90");
  const Chart chart = DrawChart(Sums("1200", "500", "300", "0"), company, {10, 20, 40, 200});
  EXPECT_EQ(chart.panelHint, "Total A/R: 2,000.00");
  const int tops[4] = {20, 140, 190, 220};
  const int heights[4] = {120, 50, 30, 0};
  const char* hints[4] = {"Current: 1,200.00", "31-60: 500.00", "61-90: 300.00", "Over 90 Days: 0.00"};
  for (int k = 0; k < 4; ++k) {
    const ChartShape& s = chart.shapes[std::size_t(k)];
    EXPECT_EQ(s.rect.left, 10);
    EXPECT_EQ(s.rect.width, 40);
    EXPECT_EQ(s.rect.top, tops[k]) << k;
    EXPECT_EQ(s.rect.height, heights[k]) << k;
    EXPECT_EQ(s.hint, hints[k]);
  }
}

}  // namespace
}  // namespace tf::aging
