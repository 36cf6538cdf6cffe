#pragma once
// The Report Wizard's builders and arrangement written the plain way, as a reference for the
// differential test: every record read where its index entry leads (one read per entry), rows
// sorted by comparing padded, upper-cased cells character by character, totals summed from the
// cells as they come. Slow and simple on purpose; the program's own are checked against them.

#include <cstddef>

#include "reports/report_builders.h"
#include "reports/report_grid.h"

namespace tf::reports::reference {

BuildOutcome BuildReport(const ReportRequest& request, const ReportSource& source);
bool ArrangeReport(Report& report, std::size_t sortColumn, bool subTotals);

}  // namespace tf::reports::reference
