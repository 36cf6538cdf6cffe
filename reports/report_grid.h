#pragma once
// A report of the Report Wizard as a grid of text cells: the column headings, the record rows
// the builder made, and the total and blank rows that sorting inserts. Every row carries its
// type, so re-sorting and toggling sub-totals take the record rows back whatever their cells
// hold (a record whose sort cell is blank is still a record).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/money.h"
#include "reports/row_text.h"

namespace tf::reports {

enum class ReportKind {
  InvoiceRegister,
  PaymentRegister,
  AccountsReceivable,
  SalesReport,
  KeyCodeInquiry,
  TaxReport,
  RepeatBillingList,
};

// The seven reports in the order the wizard lists them.
std::span<const ReportKind> ReportKinds();
// "Invoice Register", ... as the list shows them.
std::string_view ReportName(ReportKind kind);
// The description the wizard shows for a report.
std::string_view ReportDescription(ReportKind kind);
// False for the reports that search all dates (Accounts Receivable, Repeat Billing List).
bool UsesDateRange(ReportKind kind);
// A report by its name, ignoring case, with "-" or "_" standing for blanks ("sales-report");
// a leading part of a name that fits one report only counts too ("sales", "tax").
std::optional<ReportKind> ReportNamed(std::string_view name);

enum class RowType : std::uint8_t { Record, SubTotal, MonthTotal, GrandTotal, Blank };

inline constexpr std::size_t kMaxColumns = 9;

// One row: its cells kept in one run of exactly their characters, so a report of millions of
// lines stays compact (a row is 32 bytes besides its text). A row made with a RowText keeps its
// characters in the RowText's blocks and lives no longer than it: the builders make a report's
// records in the report's own `text`. Any other row, and any copy of a row, holds its text itself.
class ReportRow {
 public:
  ReportRow() = default;
  ReportRow(RowType type, std::span<const std::string> cells);
  ReportRow(RowType type, std::span<const std::string_view> cells);
  ReportRow(RowType type, std::span<const std::string_view> cells, RowText& text);
  ReportRow(const ReportRow& other);
  ReportRow& operator=(const ReportRow& other);
  // A row moved from is left without cells.
  ReportRow(ReportRow&& other) noexcept
      : text_(std::exchange(other.text_, nullptr)),
        ends_(other.ends_),
        type_(other.type_),
        count_(std::exchange(other.count_, std::uint8_t(0))),
        owned_(std::exchange(other.owned_, false)) {}
  ReportRow& operator=(ReportRow&& other) noexcept {
    if (this != &other) {
      Free();
      text_ = std::exchange(other.text_, nullptr);
      ends_ = other.ends_;
      type_ = other.type_;
      count_ = std::exchange(other.count_, std::uint8_t(0));
      owned_ = std::exchange(other.owned_, false);
    }
    return *this;
  }
  ~ReportRow() { Free(); }

  RowType Type() const { return type_; }
  std::size_t CellCount() const { return count_; }
  std::string_view Cell(std::size_t column) const {
    if (column >= count_) return {};
    const std::size_t begin = column == 0 ? 0 : ends_[column - 1];
    return std::string_view(text_ + begin, ends_[column] - begin);
  }
  std::vector<std::string> Cells() const;
  // Every cell's characters, one after the other.
  std::string_view Text() const { return std::string_view(text_, Size()); }
  // Exchanges two cells, in place.
  void SwapCells(std::size_t a, std::size_t b);

 private:
  // Lays the cells out in `text`, which holds their total length.
  void Lay(std::span<const std::string_view> cells, char* text);
  void Free() {
    if (owned_) delete[] text_;
  }
  std::size_t Size() const { return count_ == 0 ? 0 : ends_[count_ - 1]; }

  char* text_ = nullptr;
  std::array<std::uint16_t, kMaxColumns> ends_{};
  RowType type_ = RowType::Blank;
  std::uint8_t count_ = 0;
  bool owned_ = false;  // text_ was allocated for this row alone
};

struct ReportColumn {
  std::string heading;
  std::size_t width = 0;  // the cell's length in the report line
  bool amount = false;    // an amount field (right-justified in the line)
};

struct Report {
  ReportKind kind = ReportKind::InvoiceRegister;
  std::string caption;         // the window caption
  std::string messageCaption;  // the caption of the report's messages
  int lastSortColumn = 0;
  int lastRightColumn = 0;
  std::vector<ReportColumn> columns;  // in their current order
  RowText text;                       // the record rows' characters (before `rows`, which borrow them)
  std::vector<ReportRow> rows;        // records, then (once arranged) total and blank rows
  std::string head1, head2, head3;    // company name, date printed, what was selected

  std::size_t RecordCount() const;
  // The column headed "Product Description" is the wide one of the saved and printed layouts.
  bool IsDescriptionColumn(std::size_t column) const;
};

// A cell holding an amount: its trimmed text contains "." and the first character after a
// leading whole number (an optional "-" and digits) is "," or "."; and it reads as a number
// once its commas are taken out. So 1,234.50, -40.00 and 0.00 are amounts; 2024/01/31,
// 30 Days and ABC are not.
bool IsAmountCell(std::string_view cell);
// The value of an amount cell; nothing for any other cell.
std::optional<common::Money> AmountOf(std::string_view cell);

// Sorts the records on column `sortColumn`, which becomes column 0 by exchanging it with column
// 0 (so sorting twice on a column restores the first order of columns), in case-insensitive
// order of the cells; then inserts the totals: with `subTotals`, a "** Totals" row and a blank
// row after each group of equal column-0 cells (first 32 characters), and, when column 0 holds
// dates on a dated report, a "Month Total" row and a blank row where the month changes; at the
// end a blank row and the "Grand Total" row. Old total and blank rows are dropped first, never
// a record. Sets the caption to the report's name + " by " + the sort column's heading.
// False, changing nothing, when there is no record or the column may not be sorted on.
bool ArrangeReport(Report& report, std::size_t sortColumn, bool subTotals);

// The caption a report gets from the heading of its column 0.
std::string SortedCaption(const Report& report);

// The columns a report totals, where its total rows put their labels, and which of its totals
// are quantities (",0.000" rather than ",0.00").
struct TotalLayout {
  std::vector<std::size_t> sumColumns;
  std::size_t labelColumn = 0;
  bool monthTotals = false;
  std::optional<std::size_t> quantityColumn;
};
TotalLayout TotalsOf(ReportKind kind);

inline constexpr std::string_view kSubTotalLabel = "** Totals";
inline constexpr std::string_view kGrandTotalLabel = "Grand Total";
inline constexpr std::string_view kMonthTotalLabel = "Month Total";

}  // namespace tf::reports
