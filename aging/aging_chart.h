#pragma once
// The aging chart: whether a run shows it, and the four stacked shapes of its bar with their
// hints, computed without any widget.
//
// Each category's share of the bar is its percentage of what the customers owe, rounded to a
// whole number; a category that is not zero gets at least 4 pixels so that it can be pointed
// at. The shapes always stay inside the frame: a category that is a credit (negative) draws no
// height and the shares are taken of the positive categories only (of the whole total they
// would add up to more than the frame); rounded percentages that add up to 101 and the 4-pixel
// minimum are taken off the tallest shape; and whatever still cannot fit is cut at the frame's
// bottom.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "aging/aging_rules.h"
#include "common/money.h"

namespace tf::aging {

inline constexpr std::string_view kChartCaption = "Aging Chart";
inline constexpr std::string_view kNoOpenInvoices = "You do not have any open invoices.";
inline constexpr std::string_view kChartShowing = "The Aging Chart is currently showing.";
inline constexpr std::string_view kCreditBalance =
    "Your Accounts Receivable is a credit balance. Unable to display Aging Chart. Run your Accounts Receivable "
    "Report (Report Wizard) instead.";
inline constexpr std::string_view kHoldMouse = "Hold mouse over color to see aging amount...";
inline constexpr int kMinimumShapeHeight = 4;

// What follows a run.
enum class ChartVerdict {
  Nothing,       // the total is zero, or the chart is not wanted
  CreditBalance, // the total is negative: kCreditBalance, no chart
  Show,          // draw it and show the panel
};
// `wanted`: the company's ShowAgingChart, or a run on demand.
ChartVerdict DecideChart(common::Money total, bool wanted);

struct ChartRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ChartShape {
  ChartRect rect;
  std::string hint;
};

struct Chart {
  std::array<ChartShape, kCategories> shapes;
  std::string panelHint;  // "Total A/R: 1,234.50"
};

// The shapes of `totals` in the frame `frame` (the bevel's rectangle); captions and the third
// limit come from the company record.
Chart DrawChart(const AgingSums& totals, std::span<const std::uint8_t> company, ChartRect frame);

// The heights alone, for a frame `frameHeight` pixels tall.
std::array<int, kCategories> ShapeHeights(const AgingSums& totals, int frameHeight);

}  // namespace tf::aging
