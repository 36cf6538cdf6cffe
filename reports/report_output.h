#pragma once
// A report leaves the program three ways: as a text file in the saved layout, as a CSV file with
// one column per grid column, and printed on the print canvas.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/print_canvas.h"
#include "common/stored_font.h"
#include "reports/report_grid.h"

namespace tf::reports {

// The saved text: the caption, the three heading lines, a line of one blank, then the heading
// row and every grid row, each cell after one blank: amounts right-justified in 12, the product
// description left-justified in 32, every other cell left-justified in 12 (never cut).
std::vector<std::string> ReportTextLines(const Report& report);
// The lines with CR LF after each.
std::string ReportText(const Report& report);

// The CSV file: the headings, then the record and total rows (blank rows are only spacing);
// amounts without their thousands separators, so a spreadsheet reads them as numbers.
std::string ReportCsv(const Report& report);

// The screen and grid font of the result screen.
common::FontSpec ReportFont();

// What the printed layout takes from the company.
struct PrintSettings {
  int leftMargin = 0;  // x of every line
  int topMargin = 0;   // y of the first line of a page
  common::FontSpec font = ReportFont();
};
// LeftFormMargin and TopFormMargin of a company record (blank or no number: 0).
PrintSettings PrintSettingsOf(std::span<const std::uint8_t> company);

// "Report Complete. N records printed."
std::string CompletionLine(std::size_t records);

// Prints the report as one job titled with the report's name (the sales report in landscape,
// the orientation put back afterwards): on each page the company name, the caption with the
// page number, the date printed, the selection line and the column headings; one line per row;
// "Continued on page N ..." at the foot of a full page; the completion line at the end. False
// when the job could not be started or finished.
bool PrintReport(common::PrintCanvas& canvas, const Report& report, const PrintSettings& settings);

}  // namespace tf::reports
