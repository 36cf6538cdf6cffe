#include "reports/report_grid.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/text.h"

namespace tf::reports {
namespace {

constexpr std::array kKinds = {
    ReportKind::InvoiceRegister, ReportKind::PaymentRegister, ReportKind::AccountsReceivable, ReportKind::SalesReport,
    ReportKind::KeyCodeInquiry,  ReportKind::TaxReport,       ReportKind::RepeatBillingList,
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string Normalised(std::string_view name) {
  std::string out;
  for (char c : common::TrimBoth(name)) out += (c == '-' || c == '_') ? ' ' : Upper(c);
  return out;
}

// The character of a cell at place i of its column as the report line holds it: text cells
// padded on the right, amounts on the left. Upper-cased, for the case-insensitive order.
char PaddedAt(std::string_view cell, std::size_t i, std::size_t width, bool amount) {
  if (amount) {
    const std::size_t pad = width > cell.size() ? width - cell.size() : 0;
    return i < pad ? ' ' : (i - pad < cell.size() ? Upper(cell[i - pad]) : ' ');
  }
  return i < cell.size() ? Upper(cell[i]) : ' ';
}

int CompareRows(const ReportRow& a, const ReportRow& b, const std::vector<ReportColumn>& columns) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::string_view x = a.Cell(c), y = b.Cell(c);
    const std::size_t width = std::max({columns[c].width, x.size(), y.size()});
    for (std::size_t i = 0; i < width; ++i) {
      const unsigned char p = PaddedAt(x, i, width, columns[c].amount);
      const unsigned char q = PaddedAt(y, i, width, columns[c].amount);
      if (p != q) return p < q ? -1 : 1;
    }
  }
  return 0;
}

bool SameGroup(std::string_view a, std::string_view b) {
  a = a.substr(0, 32);
  b = b.substr(0, 32);
  const std::string x = common::UpperCase(common::TrimBoth(a)), y = common::UpperCase(common::TrimBoth(b));
  return x == y;
}

// "MM/YYYY" of a column-0 date key "YYYY/MM/DD".
std::string MonthOf(std::string_view dateKey) {
  const std::string_view month = dateKey.size() > 5 ? dateKey.substr(5, 2) : std::string_view{};
  return std::string(month) + "/" + std::string(dateKey.substr(0, 4));
}

struct Sums {
  std::vector<common::Money> values;
  explicit Sums(std::size_t n) : values(n) {}
  void Clear() { std::fill(values.begin(), values.end(), common::Money{}); }
};

}  // namespace

std::span<const ReportKind> ReportKinds() { return kKinds; }

std::string_view ReportName(ReportKind kind) {
  switch (kind) {
    case ReportKind::InvoiceRegister: return "Invoice Register";
    case ReportKind::PaymentRegister: return "Payment Register";
    case ReportKind::AccountsReceivable: return "Accounts Receivable";
    case ReportKind::SalesReport: return "Sales Report";
    case ReportKind::KeyCodeInquiry: return "Key Code Inquiry";
    case ReportKind::TaxReport: return "Tax Report";
    case ReportKind::RepeatBillingList: return "Repeat Billing List";
  }
  return {};
}

std::string_view ReportDescription(ReportKind kind) {
  switch (kind) {
    case ReportKind::InvoiceRegister:
      return "Lists all invoices created in the selected period. Shows Net,Tax and Total. Use this report to see "
             "what customers you have billed.";
    case ReportKind::PaymentRegister:
      return "Lists all payments received in the selected period. Shows Total, Paid and Balance.  Use this report "
             "to see the payments you have processed.";
    case ReportKind::AccountsReceivable:
      return "Shows all open items which make up your Accounts Receivable Balance. This report also shows how old "
             "your unpaid invoices are (Aging Analysis).";
    case ReportKind::SalesReport:
      return "Shows all products you have sold in the selected period.";
    case ReportKind::KeyCodeInquiry:
      return "Lists all invoices created in the selected period. Shows Net,Tax and Total. This report includes your "
             "Key Code for sub-totaling instead of Customer Number.";
    case ReportKind::TaxReport:
      return "Lists all invoices PAID in the selected period.  Unlike the Payment Register, this report shows the "
             "Tax and Key Code columns. Use to view taxes collected or collections by Key Code.";
    case ReportKind::RepeatBillingList:
      return "Lists all master repeat billings (Type R) that you have currently on file. This report is helpful for "
             "reviewing accounts you have on a repeat billing cycle.";
  }
  return {};
}

bool UsesDateRange(ReportKind kind) {
  return kind != ReportKind::AccountsReceivable && kind != ReportKind::RepeatBillingList;
}

std::optional<ReportKind> ReportNamed(std::string_view name) {
  const std::string wanted = Normalised(name);
  if (wanted.empty()) return std::nullopt;
  std::optional<ReportKind> prefixMatch;
  int prefixMatches = 0;
  for (ReportKind k : kKinds) {
    const std::string full = Normalised(ReportName(k));
    if (full == wanted) return k;
    if (full.starts_with(wanted)) {
      prefixMatch = k;
      ++prefixMatches;
    }
  }
  return prefixMatches == 1 ? prefixMatch : std::nullopt;
}

// --- rows --------------------------------------------------------------------------------------

ReportRow::ReportRow(RowType type, std::span<const std::string> cells) : type_(type) {
  std::vector<std::string_view> views(cells.begin(), cells.end());
  Assign(views);
}

ReportRow::ReportRow(RowType type, std::span<const std::string_view> cells) : type_(type) { Assign(cells); }

void ReportRow::Assign(std::span<const std::string_view> cells) {
  if (cells.size() > kMaxColumns) throw std::invalid_argument("a report row holds at most nine cells");
  std::size_t total = 0;
  for (std::string_view c : cells) total += c.size();
  if (total > 0xFFFF) throw std::invalid_argument("a report row's cells are too long");
  std::string text;
  text.reserve(total);
  count_ = std::uint8_t(cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    text += cells[i];
    ends_[i] = std::uint16_t(text.size());
  }
  text_ = std::move(text);
}

std::string_view ReportRow::Cell(std::size_t column) const {
  if (column >= count_) return {};
  const std::size_t begin = column == 0 ? 0 : ends_[column - 1];
  return std::string_view(text_).substr(begin, ends_[column] - begin);
}

std::vector<std::string> ReportRow::Cells() const {
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < count_; ++i) cells.emplace_back(Cell(i));
  return cells;
}

void ReportRow::SwapCells(std::size_t a, std::size_t b) {
  if (a == b || a >= count_ || b >= count_) return;
  std::vector<std::string> cells = Cells();
  std::swap(cells[a], cells[b]);
  std::vector<std::string_view> views(cells.begin(), cells.end());
  Assign(views);
}

std::size_t Report::RecordCount() const {
  return std::size_t(std::count_if(rows.begin(), rows.end(), [](const ReportRow& r) { return r.Type() == RowType::Record; }));
}

bool Report::IsDescriptionColumn(std::size_t column) const {
  return column < columns.size() && columns[column].heading == "Product Description";
}

// --- amounts -----------------------------------------------------------------------------------

bool IsAmountCell(std::string_view cell) {
  const std::string text = common::TrimBoth(cell);
  if (text.find('.') == std::string::npos) return false;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;  // credits count too
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i >= text.size() || (text[i] != ',' && text[i] != '.')) return false;
  return common::ParseAmount(common::RemoveCommas(text)).has_value();
}

std::optional<common::Money> AmountOf(std::string_view cell) {
  if (!IsAmountCell(cell)) return std::nullopt;
  return common::ParseAmount(common::RemoveCommas(common::TrimBoth(cell)));
}

// --- totals ------------------------------------------------------------------------------------

TotalLayout TotalsOf(ReportKind kind) {
  switch (kind) {
    case ReportKind::InvoiceRegister:
    case ReportKind::PaymentRegister:
    case ReportKind::KeyCodeInquiry:
      return {{4, 5, 6}, 3, true, std::nullopt};
    case ReportKind::TaxReport:
      return {{5, 6}, 4, true, std::nullopt};
    case ReportKind::AccountsReceivable:
    case ReportKind::RepeatBillingList:
      return {{6}, 5, false, std::nullopt};
    case ReportKind::SalesReport:
      return {{7, 8}, 6, true, 7};
  }
  return {};
}

std::string SortedCaption(const Report& report) {
  const std::string heading = report.columns.empty() ? std::string() : common::TrimBoth(report.columns[0].heading);
  const std::string name(ReportName(report.kind));
  if (heading.find("Year/Mo") != std::string::npos) return name + " by Date";
  return name + " by " + heading;
}

bool ArrangeReport(Report& report, std::size_t sortColumn, bool subTotals) {
  if (report.RecordCount() == 0) return false;
  if (sortColumn > std::size_t(std::max(report.lastSortColumn, 0)) || sortColumn >= report.columns.size()) return false;

  std::vector<ReportRow> records;
  records.reserve(report.RecordCount());
  for (ReportRow& row : report.rows)
    if (row.Type() == RowType::Record) records.push_back(std::move(row));
  report.rows.clear();

  if (sortColumn != 0) {
    std::swap(report.columns[0], report.columns[sortColumn]);
    for (ReportRow& row : records) row.SwapCells(0, sortColumn);
  }
  std::stable_sort(records.begin(), records.end(), [&](const ReportRow& a, const ReportRow& b) {
    return CompareRows(a, b, report.columns) < 0;
  });

  const TotalLayout layout = TotalsOf(report.kind);
  const std::size_t n = report.columns.size();
  const std::string& heading0 = report.columns[0].heading;
  const bool monthTotals = subTotals && layout.monthTotals &&
                           (heading0.find("Date") != std::string::npos || heading0.find("Year/Mo") != std::string::npos);

  Sums group(n), month(n), grand(n);
  const auto totalRow = [&](RowType type, const Sums& sums) {
    std::vector<std::string> cells(n);
    if (type == RowType::MonthTotal) {
      cells[layout.labelColumn] = std::string(kMonthTotalLabel);
    } else {
      cells[layout.labelColumn] = std::string(type == RowType::GrandTotal ? kGrandTotalLabel : kSubTotalLabel);
    }
    for (std::size_t c : layout.sumColumns)
      cells[c] = layout.quantityColumn == c ? common::FormatComma0_000(sums.values[c])
                                            : common::FormatComma0_00(sums.values[c]);
    return cells;
  };
  const auto blank = [&] { return ReportRow(RowType::Blank, std::vector<std::string>(n)); };

  std::vector<ReportRow>& out = report.rows;
  out.reserve(records.size() + (subTotals ? records.size() / 2 : 0) + 2);
  bool monthTotalsShown = false;
  std::string previousCell, previousMonth;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const ReportRow& row = records[i];
    const std::string_view cell0 = row.Cell(0);
    if (subTotals && i > 0 && !SameGroup(cell0, previousCell)) {
      out.emplace_back(RowType::SubTotal, totalRow(RowType::SubTotal, group));
      out.push_back(blank());
      group.Clear();
      const std::string monthText = MonthOf(cell0);
      if (monthTotals && monthText != previousMonth) {
        std::vector<std::string> cells = totalRow(RowType::MonthTotal, month);
        cells[layout.labelColumn - 1] = "(" + previousMonth + ")";
        out.emplace_back(RowType::MonthTotal, cells);
        out.push_back(blank());
        month.Clear();
        monthTotalsShown = true;
      }
    }
    for (std::size_t c : layout.sumColumns)
      if (const auto amount = AmountOf(row.Cell(c))) {
        group.values[c] += *amount;
        month.values[c] += *amount;
        grand.values[c] += *amount;
      }
    previousCell = std::string(cell0);
    previousMonth = MonthOf(cell0);
    out.push_back(std::move(records[i]));
  }
  if (subTotals) {
    out.emplace_back(RowType::SubTotal, totalRow(RowType::SubTotal, group));
    if (monthTotalsShown) {
      out.push_back(blank());
      std::vector<std::string> cells = totalRow(RowType::MonthTotal, month);
      cells[layout.labelColumn - 1] = "(" + previousMonth + ")";
      out.emplace_back(RowType::MonthTotal, cells);
    }
  }
  out.push_back(blank());
  out.emplace_back(RowType::GrandTotal, totalRow(RowType::GrandTotal, grand));
  report.caption = SortedCaption(report);
  return true;
}

}  // namespace tf::reports
