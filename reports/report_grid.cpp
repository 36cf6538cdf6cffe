#include "reports/report_grid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
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

std::string_view TrimmedView(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && common::IsBlankChar(text[b])) ++b;
  while (e > b && common::IsBlankChar(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// Two column-0 cells belong to one group when their first 32 characters, trimmed, are the same
// but for case.
bool SameGroup(std::string_view a, std::string_view b) {
  a = TrimmedView(a.substr(0, 32));
  b = TrimmedView(b.substr(0, 32));
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// "MM/YYYY" of a column-0 date key "YYYY/MM/DD".
std::string MonthOf(std::string_view dateKey) {
  const std::string_view month = dateKey.size() > 5 ? dateKey.substr(5, 2) : std::string_view{};
  std::string out;
  out.reserve(month.size() + 1 + std::min<std::size_t>(dateKey.size(), 4));
  out.append(month).append("/").append(dateKey.substr(0, 4));
  return out;
}

// The value a total takes from a cell: that of an amount cell, nothing for any other. The same
// as AmountOf, without making a text for the common short cell.
std::optional<common::Money> SummedValue(std::string_view cell) {
  const std::string_view text = TrimmedView(cell);
  if (text.size() >= 64) return AmountOf(cell);
  if (text.find('.') == std::string_view::npos) return std::nullopt;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i >= text.size() || (text[i] != ',' && text[i] != '.')) return std::nullopt;
  std::array<char, 64> digits;
  std::size_t n = 0;
  for (char c : text)
    if (c != ',') digits[n++] = c;
  return common::ParseAmount(std::string_view(digits.data(), n));
}

// --- sorting -------------------------------------------------------------------------------------
// CompareRows pads every cell to a common width (text on the right, amounts on the left) and
// compares upper-cased characters: exact, but it folds and pads each character of each
// comparison. For a large report each row instead gets a key that compares the same way as
// plain bytes: column 0 as its rank among the column's distinct (folded, padded) values, then
// the other columns encoded so that byte order is the padded order: a text cell folded without
// its trailing blanks and closed by a 0 byte; an amount cell as its length without leading
// blanks, then its folded characters. That holds while no cell holds a character below the
// blank, which the padding would sort after; a report with one is sorted by CompareRows.

constexpr std::size_t kKeyBytes = 23;

// A row's sort key in words compared as numbers: `high` holds the column-0 rank and the first 4
// bytes of the other columns' encoding, `middle` and `low` the next 16 (big-endian, so numeric
// order is byte order), `tail` the last 3 and, in its lowest bit, whether the encoding was longer
// than the 23 bytes kept.
struct SortEntry {
  std::uint64_t high;
  std::uint64_t middle;
  std::uint64_t low;
  std::uint32_t tail;
  std::uint32_t row;
};
static_assert(sizeof(SortEntry) == 32);

// Eight key bytes as a number that orders as they do.
std::uint64_t BigEndian8(const std::uint8_t* bytes) {
  std::uint64_t value;
  std::memcpy(&value, bytes, 8);
  return __builtin_bswap64(value);
}

// Whether a text holds a character below the blank: eight characters at a time (a byte below
// 0x20 is one whose value minus 0x20 borrows into its top bit while its own top bit is clear).
bool HasControlCharacter(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kTops = 0x8080808080808080ull;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if ((word - kOnes * 0x20) & ~word & kTops) return true;
  }
  for (; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) < 0x20) return true;
  return false;
}

// A cell as the padded order sees it: its characters without the blanks that padding would
// add anyway.
std::string_view Unpadded(std::string_view cell, bool amount) {
  if (amount) {
    std::size_t b = 0;
    while (b < cell.size() && cell[b] == ' ') ++b;
    return cell.substr(b);
  }
  std::size_t e = cell.size();
  while (e > 0 && cell[e - 1] == ' ') --e;
  return cell.substr(0, e);
}

// The record rows' order under CompareRows, ties kept in their present order; with the rank of
// each row's column-0 cell and the distinct folded cells by rank when the rows were keyed.
struct Sorted {
  std::vector<std::uint32_t> order;
  std::vector<std::uint32_t> rank0;  // by place in `order`, so a walk in order reads it in turn
  std::vector<std::string> values0;
};

// What each row adds to the totals of the columns `sumColumns`, row after row.
void AddsOf(const ReportRow& row, std::span<const std::size_t> sumColumns, common::Money* adds) {
  for (std::size_t k = 0; k < sumColumns.size(); ++k)
    if (const auto amount = SummedValue(row.Cell(sumColumns[k]))) adds[k] = *amount;
}

// First exchanges each row's cells 0 and `swapWith` (when not 0), and fills `adds` with what each
// row adds to the totals of `sumColumns` (row by row): the rows' text lies all over memory once
// they have been sorted, so everything done with a row is done in the one visit to its text.
Sorted SortedOrder(std::vector<ReportRow>& rows, const std::vector<ReportColumn>& columns, std::size_t swapWith,
                   std::span<const std::size_t> sumColumns, std::vector<common::Money>& adds) {
  Sorted sorted;
  std::vector<std::uint32_t>& order = sorted.order;
  order.resize(rows.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  const std::size_t sumCount = sumColumns.size();
  // The sort key of every row, with its column-0 cell's id where the rank goes for now; the
  // distinct column-0 cells as they stand (a view into the rows, no copy).
  const bool amount0 = columns[0].amount;
  std::unordered_map<std::string_view, std::uint32_t> ids;
  std::vector<SortEntry> entries;
  ReserveLarge(entries, rows.size());
  entries.resize(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ReportRow& row = rows[i];
    row.SwapCells(0, swapWith);
    AddsOf(row, sumColumns, adds.data() + i * sumCount);
    if (HasControlCharacter(row.Text())) {
      // Keys cannot order such a row: the cell-by-cell comparison does.
      for (std::size_t j = i + 1; j < rows.size(); ++j) {
        rows[j].SwapCells(0, swapWith);
        AddsOf(rows[j], sumColumns, adds.data() + j * sumCount);
      }
      std::stable_sort(order.begin(), order.end(),
                       [&](std::uint32_t a, std::uint32_t b) { return CompareRows(rows[a], rows[b], columns) < 0; });
      return sorted;
    }
    const std::uint32_t id = ids.try_emplace(Unpadded(row.Cell(0), amount0), std::uint32_t(ids.size())).first->second;
    std::array<std::uint8_t, kKeyBytes + 1> key{};
    std::size_t at = 0;
    bool cut = false;
    for (std::size_t c = 1; c < columns.size() && !cut; ++c) {
      const std::string_view cell = Unpadded(row.Cell(c), columns[c].amount);
      // An amount: its length in two bytes, then its characters; a text: its characters, then 0.
      const std::size_t length = cell.size() + (columns[c].amount ? 2 : 1);
      if (at + length > kKeyBytes) cut = true;
      std::uint8_t* out = key.data() + at;
      const std::size_t room = kKeyBytes - at;
      std::size_t put = 0;
      if (columns[c].amount) {
        if (put < room) out[put++] = std::uint8_t(cell.size() >> 8);
        if (put < room) out[put++] = std::uint8_t(cell.size() & 0xFF);
      }
      for (std::size_t k = 0; k < cell.size() && put < room; ++k) out[put++] = static_cast<std::uint8_t>(Upper(cell[k]));
      if (!columns[c].amount && put < room) out[put++] = 0;
      at += put;
    }
    SortEntry& e = entries[i];
    // Bytes 0..3 after the id (the rank later), 4..11, 12..19, then 20..22 above the flag.
    e.high = (std::uint64_t(id) << 32) | (BigEndian8(key.data()) >> 32);
    e.middle = BigEndian8(key.data() + 4);
    e.low = BigEndian8(key.data() + 12);
    e.tail = std::uint32_t(BigEndian8(key.data() + 16) & 0xFFFFFF00u) | (cut ? 1u : 0u);
    e.row = std::uint32_t(i);
  }
  // Ranks of column 0 from the distinct cells' folded texts: cells that differ only in case
  // share a folded text and so a rank.
  std::vector<std::string> folded(ids.size());
  for (const auto& [cell, id] : ids) {
    folded[id].resize(cell.size());
    std::transform(cell.begin(), cell.end(), folded[id].begin(), Upper);
  }
  std::vector<std::uint32_t> byValue(folded.size());
  for (std::uint32_t i = 0; i < byValue.size(); ++i) byValue[i] = i;
  const auto less = [&](const std::string& x, const std::string& y) {
    // An amount padded on the left: the shorter is the smaller. A text padded on the right: a
    // text that begins another is followed by blanks, below the other's next non-blank.
    if (amount0 && x.size() != y.size()) return x.size() < y.size();
    return x < y;
  };
  std::sort(byValue.begin(), byValue.end(),
            [&](std::uint32_t a, std::uint32_t b) { return less(folded[a], folded[b]); });
  std::vector<std::uint32_t> rankOfId(folded.size());
  std::uint32_t ranks = 0;
  for (std::size_t r = 0; r < byValue.size(); ++r) {
    if (r > 0 && folded[byValue[r - 1]] != folded[byValue[r]]) ++ranks;
    rankOfId[byValue[r]] = ranks;
  }
  sorted.values0.resize(byValue.empty() ? 0 : ranks + 1);
  for (std::size_t r = 0; r < byValue.size(); ++r)
    if (sorted.values0[rankOfId[byValue[r]]].empty()) sorted.values0[rankOfId[byValue[r]]] = folded[byValue[r]];
  for (SortEntry& e : entries) e.high = (std::uint64_t(rankOfId[e.high >> 32]) << 32) | (e.high & 0xFFFFFFFFu);

  std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.middle != b.middle) return a.middle < b.middle;
    if (a.low != b.low) return a.low < b.low;
    if ((a.tail >> 8) != (b.tail >> 8)) return (a.tail >> 8) < (b.tail >> 8);
    if ((a.tail | b.tail) & 1u)
      if (const int c = CompareRows(rows[a.row], rows[b.row], columns)) return c < 0;
    return a.row < b.row;
  });
  for (std::size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].row;
  sorted.rank0.resize(rows.size());
  for (std::size_t i = 0; i < entries.size(); ++i) sorted.rank0[i] = std::uint32_t(entries[i].high >> 32);
  return sorted;
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

namespace {

// The length of a row's cells together, refused beyond what a row can hold.
std::size_t RowLength(std::span<const std::string_view> cells) {
  if (cells.size() > kMaxColumns) throw std::invalid_argument("a report row holds at most nine cells");
  std::size_t total = 0;
  for (std::string_view c : cells) total += c.size();
  if (total > 0xFFFF) throw std::invalid_argument("a report row's cells are too long");
  return total;
}

}  // namespace

ReportRow::ReportRow(RowType type, std::span<const std::string> cells) : type_(type) {
  std::vector<std::string_view> views(cells.begin(), cells.end());
  const std::size_t total = RowLength(views);
  owned_ = total > 0;
  Lay(views, total ? new char[total] : nullptr);
}

ReportRow::ReportRow(RowType type, std::span<const std::string_view> cells) : type_(type) {
  const std::size_t total = RowLength(cells);
  owned_ = total > 0;
  Lay(cells, total ? new char[total] : nullptr);
}

ReportRow::ReportRow(RowType type, std::span<const std::string_view> cells, RowText& text) : type_(type) {
  const std::size_t total = RowLength(cells);
  Lay(cells, total ? text.Allocate(total) : nullptr);
}

ReportRow::ReportRow(const ReportRow& other) : ends_(other.ends_), type_(other.type_), count_(other.count_) {
  if (const std::size_t size = other.Size()) {
    text_ = new char[size];
    owned_ = true;
    std::copy_n(other.text_, size, text_);
  }
}

ReportRow& ReportRow::operator=(const ReportRow& other) {
  if (this != &other) *this = ReportRow(other);
  return *this;
}

void ReportRow::Lay(std::span<const std::string_view> cells, char* text) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    std::copy(cells[i].begin(), cells[i].end(), text + at);
    at += cells[i].size();
    ends_[i] = std::uint16_t(at);
  }
  count_ = std::uint8_t(cells.size());
  text_ = text;
}

std::vector<std::string> ReportRow::Cells() const {
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < count_; ++i) cells.emplace_back(Cell(i));
  return cells;
}

void ReportRow::SwapCells(std::size_t a, std::size_t b) {
  if (a == b || a >= count_ || b >= count_) return;
  if (a > b) std::swap(a, b);
  // The characters from cell a to cell b keep their total length: b's, the cells between, then
  // a's are written over them from a copy.
  const std::size_t begin = a == 0 ? 0 : ends_[a - 1], end = ends_[b];
  std::array<char, 256> small;
  std::string large;
  char* copy = small.data();
  if (end - begin > small.size()) {
    large.resize(end - begin);
    copy = large.data();
  }
  std::copy(text_ + begin, text_ + end, copy);
  const auto cell = [&](std::size_t c) {
    const std::size_t from = c == 0 ? 0 : ends_[c - 1];
    return std::string_view(copy + (from - begin), ends_[c] - from);
  };
  std::array<std::string_view, kMaxColumns> cells;
  for (std::size_t c = a; c <= b; ++c) cells[c] = cell(c);
  std::swap(cells[a], cells[b]);
  std::size_t at = begin;
  for (std::size_t c = a; c <= b; ++c) {
    std::copy(cells[c].begin(), cells[c].end(), text_ + at);
    at += cells[c].size();
    ends_[c] = std::uint16_t(at);
  }
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

  // The records keep the grid's room; the total and blank rows of an earlier arrangement go.
  std::vector<ReportRow> records = std::move(report.rows);
  report.rows = {};
  records.erase(std::remove_if(records.begin(), records.end(),
                               [](const ReportRow& row) { return row.Type() != RowType::Record; }),
                records.end());

  // The rows' cells are exchanged as they are keyed.
  if (sortColumn != 0) std::swap(report.columns[0], report.columns[sortColumn]);
  const TotalLayout layout = TotalsOf(report.kind);
  const std::size_t n = report.columns.size();
  // What each record adds to the totals, taken as the records are keyed: after sorting they are
  // visited out of memory order, where reading their cells would be one cache miss after another.
  const std::size_t sumCount = layout.sumColumns.size();
  std::vector<common::Money> adds;
  ReserveLarge(adds, records.size() * sumCount);
  adds.resize(records.size() * sumCount);
  const Sorted sorted = SortedOrder(records, report.columns, sortColumn, layout.sumColumns, adds);
  const std::vector<std::uint32_t>& order = sorted.order;
  const bool ranked = !sorted.rank0.empty() && !report.columns[0].amount;
  std::string previousCell;  // kept only when the rows were not ranked
  // Whether the records at places i - 1 and i of the order belong to one group.
  const auto sameGroup = [&](std::size_t i) {
    if (!ranked) return SameGroup(records[order[i]].Cell(0), previousCell);
    // The folded cells of one rank are equal, and folding does not change the group.
    const std::uint32_t x = sorted.rank0[i - 1], y = sorted.rank0[i];
    return x == y || SameGroup(sorted.values0[x], sorted.values0[y]);
  };
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
  // Room for every row at once: growing by doubling would hold two copies of a large grid.
  std::size_t boundaries = 0;
  if (subTotals)
    for (std::size_t i = 1; i < order.size(); ++i)
      boundaries += ranked ? !sameGroup(i) : !SameGroup(records[order[i - 1]].Cell(0), records[order[i]].Cell(0));
  ReserveLarge(out, order.size() + 4 * boundaries + 6);
  bool monthTotalsShown = false;
  std::string previousMonth;
  // The records are visited out of memory order: each is asked for a little ahead of its turn.
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::uint32_t at = order[i];
    if (i + kAhead < order.size()) {
      __builtin_prefetch(&records[order[i + kAhead]]);
      __builtin_prefetch(&adds[std::size_t(order[i + kAhead]) * sumCount]);
    }
    if (subTotals && i > 0 && !sameGroup(i)) {
      previousMonth = MonthOf(out.back().Cell(0));  // the group's last record
      out.emplace_back(RowType::SubTotal, totalRow(RowType::SubTotal, group));
      out.push_back(blank());
      group.Clear();
      if (monthTotals && MonthOf(records[at].Cell(0)) != previousMonth) {
        std::vector<std::string> cells = totalRow(RowType::MonthTotal, month);
        cells[layout.labelColumn - 1] = "(" + previousMonth + ")";
        out.emplace_back(RowType::MonthTotal, cells);
        out.push_back(blank());
        month.Clear();
        monthTotalsShown = true;
      }
    }
    for (std::size_t k = 0; k < sumCount; ++k) {
      const common::Money amount = adds[std::size_t(at) * sumCount + k];
      const std::size_t c = layout.sumColumns[k];
      group.values[c] += amount;
      month.values[c] += amount;
      grand.values[c] += amount;
    }
    if (!ranked) previousCell.assign(records[at].Cell(0));
    out.push_back(std::move(records[at]));
  }
  if (!order.empty()) previousMonth = MonthOf(out.back().Cell(0));
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
