#include "aging/aging_chart.h"

#include <algorithm>
#include <numeric>

#include "common/money_format.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::aging {

namespace co = records::company;
using common::Money;

ChartVerdict DecideChart(Money total, bool wanted) {
  if (total.IsZero()) return ChartVerdict::Nothing;
  if (total.IsNegative()) return ChartVerdict::CreditBalance;
  return wanted ? ChartVerdict::Show : ChartVerdict::Nothing;
}

std::array<int, kCategories> ShapeHeights(const AgingSums& totals, int frameHeight) {
  std::array<int, kCategories> heights{};
  const int room = std::max(0, frameHeight);
  Money positive;
  for (Money m : totals.amounts)
    if (m > Money()) positive += m;
  if (positive.IsZero()) return heights;
  for (std::size_t k = 0; k < heights.size(); ++k) {
    const Money t = totals.amounts[k];
    if (t <= Money()) continue;
    const std::int64_t percent = std::clamp<std::int64_t>(common::WholePercent(t, positive), 0, 100);
    heights[k] = int(percent * room / 100);
    if (heights[k] < kMinimumShapeHeight) heights[k] = std::min(kMinimumShapeHeight, room);
  }
  // Rounding and the minimum may ask for more than the frame holds: the tallest shapes give it
  // back, never below the minimum.
  int excess = std::accumulate(heights.begin(), heights.end(), 0) - room;
  while (excess > 0) {
    auto tallest = std::max_element(heights.begin(), heights.end());
    const int spare = *tallest - kMinimumShapeHeight;
    if (spare <= 0) break;
    const int take = std::min(spare, excess);
    *tallest -= take;
    excess -= take;
  }
  // A frame too small even for the minimums: what lies below its bottom is cut.
  int used = 0;
  for (int& h : heights) {
    h = std::min(h, room - used);
    used += h;
  }
  return heights;
}

Chart DrawChart(const AgingSums& totals, std::span<const std::uint8_t> company, ChartRect frame) {
  Chart chart;
  chart.panelHint = "Total A/R: " + common::FormatComma0_00(totals.Total());
  const std::array<int, kCategories> heights = ShapeHeights(totals, frame.height);
  const std::string captions[3] = {common::TrimBoth(common::ReadText(company, co::kAgingCaption1)),
                                   common::ReadText(company, co::kAgingCaption2),
                                   common::ReadText(company, co::kAgingCaption3)};
  int top = frame.top;
  for (std::size_t k = 0; k < chart.shapes.size(); ++k) {
    ChartShape& shape = chart.shapes[k];
    shape.rect = {frame.left, top, frame.width, heights[k]};
    top += heights[k];
    const std::string amount = common::FormatComma0_00(totals.amounts[k]);
    shape.hint = k < 3 ? captions[k] + " " + amount
                       : "Over " + common::ReadText(company, co::kAgingDays3) + " Days: " + amount;
  }
  return chart;
}

}  // namespace tf::aging
