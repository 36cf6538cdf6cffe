#include "billing/interest_report.h"

#include "common/date_time_format.h"
#include "common/integer_text.h"
#include "common/money_format.h"
#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::billing {
namespace {

namespace co = records::company;
using common::Money;

}  // namespace

std::vector<std::vector<std::string>> InterestGrid(std::span<const std::uint8_t> company, const InterestOptions& options,
                                                   const std::vector<InterestRow>& rows, bool withInvoices) {
  std::vector<std::vector<std::string>> grid;
  std::vector<std::string> heading = {"Customer Name", "Customer#", AgeOptionCaption(company, options.ageOption),
                                      "Interest Chg."};
  if (withInvoices) heading.push_back("Invoice#");
  grid.push_back(heading);
  Money overdue, charge;
  for (const InterestRow& r : rows) {
    std::vector<std::string> row = {r.name, r.number, common::FormatComma0_00(r.overdue),
                                    common::FormatComma0_00(r.charge)};
    if (withInvoices) row.push_back(r.invoiceNumber);
    grid.push_back(row);
    overdue += r.overdue;
    charge += r.charge;
  }
  std::vector<std::string> totals = {"", "Totals:", common::FormatComma0_00(overdue), common::FormatComma0_00(charge)};
  if (withInvoices) totals.push_back("");
  grid.push_back(totals);
  return grid;
}

bool PrintInterestReport(common::PrintCanvas& c, std::span<const std::uint8_t> company, const InterestOptions& options,
                         const std::vector<InterestRow>& rows, std::chrono::local_seconds now) {
  const int x0 = int(std::max<std::int64_t>(0, common::LeadingIntegerValue(common::ReadText(company, co::kLeftFormMargin))));
  const int top = int(std::max<std::int64_t>(0, common::LeadingIntegerValue(common::ReadText(company, co::kTopFormMargin))));
  const auto grid = InterestGrid(company, options, rows, true);
  c.SetTitle(kInterestCharges);
  if (!c.BeginDoc()) return false;
  c.SetFont(common::ReadFontSpec(company, co::kEditorFont));
  c.SetBrush(common::BrushStyle::Clear, 0xFFFFFF);
  const int line = c.TextHeight("MXjpy");
  const int nameWidth = c.TextWidth(std::string(33, 'X'));
  const int columnWidth = c.TextWidth(std::string(11, 'X'));
  const int amountWidth = c.TextWidth("XXXXXXXXXX");
  int y = top;
  int page = 1;
  const std::string how = options.flatFee
                              ? "Created Invoices Dated: " + options.invoiceDate + " and charged a flat rate of " +
                                    options.flatRate + " as fee."
                              : "Created Invoices Dated: " + options.invoiceDate + " and charged " + options.percent +
                                    " percent interest.";
  auto row = [&](const std::vector<std::string>& cells, bool heading) {
    int x = x0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      const int width = k == 0 ? nameWidth : columnWidth;
      const std::string& text = cells[k];
      if (text.empty()) {
      } else if (!heading && k >= 2 && text.find('.') != std::string::npos)
        c.TextOut(x + amountWidth - c.TextWidth(text), y, text);
      else
        c.TextOut(x, y, text);
      x += width;
    }
    y += line;
  };
  auto heading = [&] {
    c.TextOut(x0, y, common::ReadText(company, co::kCompanyName));
    y += line;
    c.TextOut(x0, y, std::string(kInterestRunCaption));
    c.TextOut(c.PageWidth() - 500, y, "Page " + std::to_string(page));
    y += line;
    c.TextOut(x0, y, "Date: " + common::FormatDateTime(common::kLongDateTimePattern, now));
    y += line;
    c.TextOut(x0, y, how);
    y += 2 * line;
    row(grid.front(), true);
  };
  heading();
  for (std::size_t k = 1; k < grid.size(); ++k) {
    if (y > c.PageHeight() - 200) {
      c.TextOut(x0, c.PageHeight() - 100, "Continued on page " + std::to_string(page + 1) + " ...");
      c.NewPage();
      ++page;
      y = top;
      heading();
    }
    row(grid[k], false);
  }
  c.TextOut(x0, c.PageHeight() - 100, "Report Complete. " + std::to_string(grid.size() - 2) + " records printed.");
  return c.EndDoc();
}

}  // namespace tf::billing
