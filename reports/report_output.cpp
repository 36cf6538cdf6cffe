#include "reports/report_output.h"

#include <algorithm>

#include "common/csv.h"
#include "common/integer_text.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::reports {
namespace {

std::string SavedCell(const Report& report, std::size_t column, std::string_view cell) {
  // An amount is never cut: a total of ten million or more ("12,894,267.00") has 13 characters,
  // and cut to 12 it would read as another number. It then takes the room it needs.
  if (IsAmountCell(cell)) return common::AlignRight(cell, std::max<std::size_t>(12, common::TrimBoth(cell).size()));
  return common::PadRight(cell, report.IsDescriptionColumn(column) ? 32 : 12);
}

std::string SavedLine(const Report& report, const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) line += " " + SavedCell(report, c, cells[c]);
  return line;
}

std::vector<std::string> Headings(const Report& report) {
  std::vector<std::string> h;
  for (const ReportColumn& c : report.columns) h.push_back(c.heading);
  return h;
}

}  // namespace

std::vector<std::string> ReportTextLines(const Report& report) {
  std::vector<std::string> lines = {report.caption, report.head1, report.head2, report.head3, " "};
  lines.push_back(SavedLine(report, Headings(report)));
  for (const ReportRow& row : report.rows) lines.push_back(SavedLine(report, row.Cells()));
  return lines;
}

std::string ReportText(const Report& report) {
  std::string text;
  for (const std::string& line : ReportTextLines(report)) text += line + "\r\n";
  return text;
}

std::string ReportCsv(const Report& report) {
  std::string csv = common::CsvLine(Headings(report));
  for (const ReportRow& row : report.rows) {
    if (row.Type() == RowType::Blank) continue;
    std::vector<std::string> cells;
    for (std::string_view cell : row.Cells()) {
      std::string text = common::TrimBoth(cell);
      cells.push_back(IsAmountCell(text) ? common::RemoveCommas(text) : text);
    }
    csv += common::CsvLine(cells);
  }
  return csv;
}

common::FontSpec ReportFont() { return {"Arial", 10, 0, common::kFontBold}; }

PrintSettings PrintSettingsOf(std::span<const std::uint8_t> company) {
  namespace co = records::company;
  PrintSettings s;
  s.leftMargin = int(std::max<std::int64_t>(0, common::LeadingIntegerValue(common::ReadText(company, co::kLeftFormMargin))));
  s.topMargin = int(std::max<std::int64_t>(0, common::LeadingIntegerValue(common::ReadText(company, co::kTopFormMargin))));
  return s;
}

std::string CompletionLine(std::size_t records) {
  return "Report Complete. " + std::to_string(records) + " records printed.";
}

namespace {

class ReportPrinter {
 public:
  ReportPrinter(common::PrintCanvas& canvas, const Report& report, const PrintSettings& settings)
      : c_(canvas), report_(report), s_(settings) {}

  bool Print() {
    const common::PageOrientation before = c_.Orientation();
    if (report_.kind == ReportKind::SalesReport) c_.SetOrientation(common::PageOrientation::Landscape);
    c_.SetTitle(ReportName(report_.kind));
    if (!c_.BeginDoc()) {
      c_.SetOrientation(before);
      return false;
    }
    c_.SetFont(s_.font);
    c_.SetBrush(common::BrushStyle::Clear, 0xFFFFFF);
    line_ = c_.TextHeight("MXjpy");
    Measure();
    y_ = s_.topMargin;
    PageHeading();
    for (const ReportRow& row : report_.rows) {
      if (y_ > c_.PageHeight() - 200) NextPage();
      Row(row.Cells(), row.Type(), false);
    }
    c_.TextOut(s_.leftMargin, c_.PageHeight() - 100, CompletionLine(report_.RecordCount()));
    const bool ended = c_.EndDoc();
    c_.SetOrientation(before);
    return ended;
  }

 private:
  bool RightAligned(std::size_t column, std::string_view cell) const {
    return IsAmountCell(cell) ||
           (int(column) > report_.lastSortColumn && int(column) <= report_.lastRightColumn);
  }

  void Measure() {
    const std::size_t n = report_.columns.size();
    widths_.assign(n, 0);
    right_.assign(n, false);
    const int amountWidth = c_.TextWidth("9,999,999.99");
    gap_ = c_.TextWidth("Xx");
    const auto take = [&](std::size_t c, std::string_view cell, bool heading) {
      widths_[c] = std::max(widths_[c], c_.TextWidth(cell));
      if (!heading && RightAligned(c, cell)) right_[c] = true;
    };
    for (std::size_t c = 0; c < n; ++c) take(c, report_.columns[c].heading, true);
    for (const ReportRow& row : report_.rows)
      for (std::size_t c = 0; c < n; ++c) take(c, row.Cell(c), false);
    for (std::size_t c = 0; c < n; ++c)
      if (right_[c]) widths_[c] = std::max(widths_[c], amountWidth);
  }

  int ColumnX(std::size_t column) const {
    int x = s_.leftMargin;
    for (std::size_t c = 0; c < column; ++c) x += widths_[c] + gap_;
    return x;
  }

  void HeavyRule(int x1, int x2, int y) {
    c_.SetPenWidth(3);
    c_.Line(x1, y, x2, y);
    c_.SetPenWidth(1);
  }

  void Row(const std::vector<std::string>& cells, RowType type, bool heading) {
    const int lineEnd = ColumnX(cells.size()) - gap_;
    const bool framed = heading || type == RowType::GrandTotal || type == RowType::MonthTotal;
    if (framed) HeavyRule(s_.leftMargin, lineEnd, y_);
    if (type == RowType::SubTotal) HeavyRule(ColumnX(TotalsOf(report_.kind).labelColumn), lineEnd, y_);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const std::string text = common::TrimBoth(cells[c]);
      if (text.empty()) continue;
      int x = ColumnX(c);
      if (right_[c] && (heading || RightAligned(c, text))) x += widths_[c] - c_.TextWidth(text);
      c_.TextOut(x, y_, text);
    }
    y_ += line_;
    if (framed) HeavyRule(s_.leftMargin, lineEnd, y_);
  }

  void PageHeading() {
    const int x0 = s_.leftMargin;
    c_.TextOut(x0, y_, report_.head1);
    y_ += line_;
    c_.TextOut(x0, y_, report_.caption);
    c_.TextOut(c_.PageWidth() - 500, y_, "Page " + std::to_string(page_));
    y_ += line_;
    c_.TextOut(x0, y_, report_.head2);
    y_ += line_;
    c_.TextOut(x0, y_, report_.head3);
    y_ += 3 * line_;
    std::vector<std::string> headings;
    for (const ReportColumn& col : report_.columns) headings.push_back(col.heading);
    Row(headings, RowType::Record, true);
  }

  void NextPage() {
    c_.TextOut(s_.leftMargin, c_.PageHeight() - 100, "Continued on page " + std::to_string(page_ + 1) + " ...");
    c_.NewPage();
    ++page_;
    y_ = s_.topMargin;
    PageHeading();
  }

  common::PrintCanvas& c_;
  const Report& report_;
  const PrintSettings& s_;
  std::vector<int> widths_;
  std::vector<bool> right_;
  int gap_ = 0;
  int line_ = 0;
  int y_ = 0;
  int page_ = 1;
};

}  // namespace

bool PrintReport(common::PrintCanvas& canvas, const Report& report, const PrintSettings& settings) {
  return ReportPrinter(canvas, report, settings).Print();
}

}  // namespace tf::reports
