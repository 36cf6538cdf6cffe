// The Report Wizard's builders and arrangement written the plain way, as a reference for the
// differential test: every record read where its index entry leads (one read per entry), rows
// sorted by comparing padded, upper-cased cells character by character, totals summed from the
// cells as they come. Slow and simple on purpose.

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "common/calendar.h"
#include "common/date_time_format.h"
#include "common/integer_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/staged_block.h"
#include "reports/report_builders.h"
#include "reports/report_grid.h"

#include "tests/reports/report_reference.h"

namespace tf::reports::reference {
namespace {

namespace inv = records::invoice;
namespace company = records::company;
using common::ReadText;
using Record = std::span<const std::uint8_t>;

// How a field sits in the report line: left-justified in its width (cut to the cell's length
// when it is longer, as the heading "Customer#" in an 8-character column), right-justified, or
// an amount.
enum class Align { Left, Right, Amount };

struct ColumnLayout {
  const char* heading;
  std::size_t width;
  Align align;
};

struct ReportSpec {
  const char* caption;
  const char* messageCaption;
  int lastSortColumn;
  int lastRightColumn;
  std::vector<ColumnLayout> columns;
};

const ReportSpec& SpecOf(ReportKind kind) {
  static const ColumnLayout date{"Year/Mo/Dy", 10, Align::Left};
  static const ColumnLayout number{"Invoice#", 9, Align::Left};
  static const ColumnLayout shortName{"Short Name", 10, Align::Left};
  static const ColumnLayout customer{"Customer#", 8, Align::Left};
  static const ColumnLayout kindColumn{"C", 1, Align::Left};
  static const auto amount = [](const char* heading) { return ColumnLayout{heading, 12, Align::Amount}; };
  static const ReportSpec invoiceRegister{"Invoice Register", "Invoice Register", 3, 6,
      {date, number, shortName, customer, amount("Net Amount"), amount("Tax Amount"), amount("Grand Total"), kindColumn}};
  static const ReportSpec paymentRegister{"Payment Register", "Payment Register", 3, 6,
      {date, number, shortName, customer, amount("Grand Total"), amount("Paid Amount"), amount("Balance Due"), kindColumn}};
  static const ReportSpec receivable{"A/R", "Accounts Receivable Report", 5, 5,
      {{"Category", 10, Align::Left}, number, shortName, customer, {"Aging", 12, Align::Right},
       {"Year/Mo/Dy", 12, Align::Right}, amount("Balance Due"), kindColumn}};
  static const ReportSpec sales{"Sales Report", "Sales Report", 5, 8,
      {{"Product Description", 32, Align::Left}, {"Product#", 10, Align::Left}, date, number, shortName, customer,
       amount("Unit Price"), amount("Quantity"), amount("Line Amount")}};
  static const ReportSpec keyCode{"Key Code Inquiry", "Key Code Report", 3, 6,
      {{"Key Code", 8, Align::Left}, number, shortName, date, amount("Net Amount"), amount("Tax Amount"),
       amount("Grand Total"), kindColumn}};
  static const ReportSpec tax{"Tax Report", "Tax Report", 4, 6,
      {date, number, shortName, customer, {"Key Code", 8, Align::Left}, amount("Paid Amount"), amount("Tax Amount"),
       kindColumn}};
  static const ReportSpec repeat{"Repeat Billings", "Repeat Billing List", 5, 5,
      {{"Next Due", 10, Align::Left}, number, shortName, customer, {"#Created", 8, Align::Right},
       {"Year/Mo/Dy", 12, Align::Right}, amount("Grand Total"), kindColumn}};
  switch (kind) {
    case ReportKind::InvoiceRegister: return invoiceRegister;
    case ReportKind::PaymentRegister: return paymentRegister;
    case ReportKind::AccountsReceivable: return receivable;
    case ReportKind::SalesReport: return sales;
    case ReportKind::KeyCodeInquiry: return keyCode;
    case ReportKind::TaxReport: return tax;
    case ReportKind::RepeatBillingList: return repeat;
  }
  return invoiceRegister;
}

std::string RightTrimmed(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && common::IsBlankChar(text[n - 1])) --n;
  return std::string(text.substr(0, n));
}

// The cell of one field: its place in the fixed-width line. Amounts are taken whole: a
// ",0.000" unit price of a million has 13 characters, and cutting it to its 12 would drop a
// digit.
std::string CellOf(const ColumnLayout& layout, std::string_view field) {
  switch (layout.align) {
    case Align::Left: return RightTrimmed(common::Cut(field, layout.width));
    case Align::Right: return RightTrimmed(common::AlignRight(field, layout.width));
    case Align::Amount: return common::TrimBoth(field);
  }
  return {};
}

// A stored amount as shown; a text that is no number is shown as it is stored.
std::string Shown(std::string_view stored, bool quantity = false) {
  const auto value = common::ParseAmount(stored);
  if (!value) return common::TrimBoth(stored);
  return quantity ? common::FormatComma0_000(*value) : common::FormatComma0_00(*value);
}

// Blank or a number that is not zero; a text that is no number counts as not zero, so a damaged
// record is listed rather than left out.
bool NonZero(std::string_view stored) {
  const auto value = common::ParseAmount(stored);
  return !value || !value->IsZero();
}

class Builder {
 public:
  Builder(ReportKind kind, Report& report) : spec_(SpecOf(kind)), report_(report) {
    report.kind = kind;
    report.caption = spec_.caption;
    report.messageCaption = spec_.messageCaption;
    report.lastSortColumn = spec_.lastSortColumn;
    report.lastRightColumn = spec_.lastRightColumn;
    for (const ColumnLayout& c : spec_.columns)
      report.columns.push_back({common::TrimBoth(CellOf(c, c.heading)), c.width, c.align == Align::Amount});
  }

  void Add(std::initializer_list<std::string_view> fields) {
    std::array<std::string, kMaxColumns> cells;
    std::size_t i = 0;
    for (std::string_view f : fields) {
      cells[i] = CellOf(spec_.columns[i], f);
      ++i;
    }
    report_.rows.emplace_back(RowType::Record, std::span<const std::string>(cells.data(), i));
  }

 private:
  const ReportSpec& spec_;
  Report& report_;
};

// --- walking the files ---------------------------------------------------------------------------

// Reads the entries of index `keyNr` from the first key not below `fromKey` while `more` says
// so, handing each record to `row`. False on an engine failure (EngineStatus tells it).
bool Walk(engine::FileBlock* handle, int keyNr, const std::string& fromKey,
          const std::function<bool(const std::string& key)>& more, const std::function<void(Record)>& row) {
  std::vector<std::uint8_t> record(std::size_t(engine::RecordLength(handle)));
  std::string key = fromKey;
  std::int32_t ref = 0;
  engine::SearchKey(handle, keyNr, ref, key);
  while (engine::EngineOK && more(key)) {
    engine::GetRecord(handle, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) return false;
    row(record);
    engine::NextKey(handle, keyNr, ref, key);
  }
  if (engine::EngineOK) return true;
  return engine::EngineStatus == engine::status::kSearchNotFound || engine::EngineStatus == engine::status::kNextPastEnd;
}

// Entries from `from` up to and including `to` (sortable date keys).
bool RangeWalk(engine::FileBlock* handle, int keyNr, const DateRange& range, const std::function<void(Record)>& row) {
  const std::string from = common::FormatDateKey(range.from);
  const std::string to = common::PadRight(common::FormatDateKey(range.to), 10);
  return Walk(handle, keyNr, common::PadRight(from, 10), [&](const std::string& key) { return key <= to; }, row);
}

bool PrefixWalk(engine::FileBlock* handle, int keyNr, const std::string& prefix, const std::function<void(Record)>& row) {
  return Walk(handle, keyNr, prefix, [&](const std::string& key) { return key.starts_with(prefix); }, row);
}

// Opens a company file block for reading. A block that does not exist is no failure: there is
// nothing to list, and a report creates no files. False on a failure (EngineStatus tells it).
bool OpenForReport(engine::FileBlockGuard& block, const std::string& name, bool lines, const ReportSource& source,
                   const std::string& companyNumber, bool& missing) {
  missing = false;
  if (!records::RecoverStagedBlock(name)) return false;
  std::error_code ec;
  if (!std::filesystem::exists(name + ".DAT", ec) && !std::filesystem::exists(name + ".IX", ec)) {
    missing = true;
    return true;
  }
  return lines ? inv::OpenLineFile(block.handle(), companyNumber, source.prompter, source.status)
               : inv::OpenInvoiceFile(block.handle(), companyNumber, source.prompter, source.status);
}

std::string Field(Record r, common::TextField f) { return ReadText(r, f); }
std::string Trimmed(Record r, common::TextField f) { return common::TrimBoth(ReadText(r, f)); }

// --- the builders --------------------------------------------------------------------------------

bool InvoiceRegister(engine::FileBlock* h, const DateRange& range, Builder& b, bool keyCodeFirst) {
  return RangeWalk(h, inv::kKeyByDate, range, [&](Record r) {
    const std::string kind = Trimmed(r, inv::kRecordKind);
    if (kind == inv::kKindRepeatMaster || Trimmed(r, inv::kInvoiceNumber).empty()) return;
    if (!keyCodeFirst && !NonZero(Field(r, inv::kTotalAmount)) && kind != inv::kKindInvoice) return;
    if (keyCodeFirst && !NonZero(Field(r, inv::kTotalAmount))) return;
    const std::string net = Shown(Field(r, inv::kNetAmount)), tax = Shown(Field(r, inv::kTaxAmount)),
                      total = Shown(Field(r, inv::kTotalAmount));
    if (keyCodeFirst) {
      std::string code = Trimmed(r, inv::kKeyCode);
      if (code.empty()) code = "*none*";
      b.Add({code, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kDateKey), net, tax, total,
             kind});
    } else {
      b.Add({Field(r, inv::kDateKey), Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName),
             Field(r, inv::kCustomerNumber), net, tax, total, kind});
    }
  });
}

// The payment register and the tax report list the same records: those paid in the range, then
// those dated in the range that carry a payment and are still open.
bool Payments(engine::FileBlock* h, const DateRange& range, Builder& b, bool tax) {
  const auto add = [&](Record r, const std::string& date) {
    const std::string kind = Trimmed(r, inv::kRecordKind);
    if (tax) {
      b.Add({date, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
             Field(r, inv::kKeyCode), Shown(Field(r, inv::kPaidAmount)), Shown(Field(r, inv::kTaxAmount)), kind});
    } else {
      b.Add({date, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
             Shown(Field(r, inv::kTotalAmount)), Shown(Field(r, inv::kPaidAmount)), Shown(Field(r, inv::kBalanceDue)),
             kind});
    }
  };
  const bool paid = RangeWalk(h, inv::kKeyByDatePaid, range, [&](Record r) {
    const std::string datePaid = Trimmed(r, inv::kDatePaid);
    if (datePaid.size() > 1) add(r, Field(r, inv::kDatePaid));
  });
  if (!paid) return false;
  return RangeWalk(h, inv::kKeyByDate, range, [&](Record r) {
    if (Trimmed(r, inv::kInvoiceNumber).empty() || Trimmed(r, inv::kRecordKind) == inv::kKindDeposit) return;
    if (!NonZero(Field(r, inv::kPaidAmount)) || !NonZero(Field(r, inv::kBalanceDue))) return;
    const std::string datePaid = Field(r, inv::kDatePaid);
    add(r, datePaid.size() >= 5 ? datePaid : Field(r, inv::kDateKey));
  });
}

bool Receivable(engine::FileBlock* h, const ReportSource& source, Builder& b) {
  const common::DateFormat format = common::DateFormatFromCode(ReadText(source.company, company::kDateFormat));
  const std::chrono::year_month_day today{std::chrono::floor<std::chrono::days>(source.now)};
  const auto add = [&](Record r) {
    std::optional<std::chrono::year_month_day> dated = common::ParseDate(Field(r, inv::kInvoiceDate), format);
    if (!dated) dated = inv::InvoiceDateOf(r);
    std::string category = "?", aging = "? Days";
    if (dated) {
      const int days = common::DaysBetween(*dated, today);
      category = AgingCategory(source.company, days);
      aging = std::to_string(days) + " Days";
    }
    b.Add({category, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber), aging,
           Field(r, inv::kDateKey), Shown(Field(r, inv::kBalanceDue)), Trimmed(r, inv::kRecordKind)});
  };
  // Open items have no date paid, so their key is blank and they come first.
  const bool open = Walk(h, inv::kKeyByDatePaid, std::string(10, ' '),
                         [](const std::string& key) { return key.starts_with("  "); }, [&](Record r) {
                           if (Trimmed(r, inv::kRecordKind) == inv::kKindRepeatMaster) return;
                           if (Trimmed(r, inv::kInvoiceNumber).empty()) return;
                           add(r);
                         });
  if (!open) return false;
  return PrefixWalk(h, inv::kKeyByKind, "D", [&](Record r) {
    if (Trimmed(r, inv::kInvoiceNumber).empty() || Trimmed(r, inv::kPaidFlag) == "P") return;
    add(r);
  });
}

bool Sales(engine::FileBlock* h, const DateRange& range, Builder& b) {
  return RangeWalk(h, inv::kLineKeyByDate, range, [&](Record r) {
    if (Trimmed(r, inv::kLineKind) == "R") return;
    const std::string line = Field(r, inv::kLineText);
    const auto column = [&](std::size_t first, std::size_t length) {
      const std::string text = first - 1 < line.size() ? common::TrimBoth(line.substr(first - 1, length)) : "";
      return text.empty() ? std::string("0.00") : text;
    };
    std::string description = line.size() > 10 ? common::TrimBoth(line.substr(10, 32)) : "";
    std::string code = Trimmed(r, inv::kLineProductCode);
    if (code.empty()) code = "*None*";
    b.Add({description, code, Field(r, inv::kLineDateKey), Field(r, inv::kLineInvoiceNumber),
           Field(r, inv::kLineShortName), Field(r, inv::kLineCustomerNumber), Shown(column(43, 10), true),
           Shown(column(1, 10), true), Shown(column(54, 10))});
  });
}

bool RepeatList(engine::FileBlock* h, Builder& b) {
  return PrefixWalk(h, inv::kKeyByKind, "R", [&](Record r) {
    if (Trimmed(r, inv::kRecordKind) != inv::kKindRepeatMaster || Trimmed(r, inv::kInvoiceNumber).empty()) return;
    const std::string nextDue = common::RearrangeDateText(Field(r, inv::kNextDueDate), common::DateFormat::MonthFirst,
                                                          common::DateFormat::YearFirst);
    b.Add({nextDue, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
           Trimmed(r, inv::kRepeatCount), Field(r, inv::kDateKey), Shown(Field(r, inv::kTotalAmount)),
           Trimmed(r, inv::kRepeatUnit) == "M" ? "M" : "D"});
  });
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

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

BuildOutcome BuildReport(const ReportRequest& request, const ReportSource& source) {
  BuildOutcome outcome;
  Report report;
  Builder builder(request.kind, report);
  const common::DateFormat format = common::DateFormatFromCode(ReadText(source.company, company::kDateFormat));
  report.head1 = ReadText(source.company, company::kCompanyName);
  report.head2 = "Date: " + common::FormatDateTime(common::kLongDateTimePattern, source.now);
  report.head3 = SelectionLine(request.kind, request.range, format);

  const std::string number = common::TrimBoth(ReadText(source.company, company::kCompanyNumber));
  const bool lines = request.kind == ReportKind::SalesReport;
  const std::string name = lines ? inv::LineFileName(number) : inv::InvoiceFileName(number);
  engine::FileBlockGuard block;
  bool missing = false;
  bool read = OpenForReport(block, name, lines, source, number, missing);
  if (read && !missing) {
    switch (request.kind) {
      case ReportKind::InvoiceRegister: read = InvoiceRegister(block.get(), request.range, builder, false); break;
      case ReportKind::KeyCodeInquiry: read = InvoiceRegister(block.get(), request.range, builder, true); break;
      case ReportKind::PaymentRegister: read = Payments(block.get(), request.range, builder, false); break;
      case ReportKind::TaxReport: read = Payments(block.get(), request.range, builder, true); break;
      case ReportKind::AccountsReceivable: read = Receivable(block.get(), source, builder); break;
      case ReportKind::SalesReport: read = Sales(block.get(), request.range, builder); break;
      case ReportKind::RepeatBillingList: read = RepeatList(block.get(), builder); break;
    }
  }
  if (!read) {
    const std::int32_t status = engine::EngineStatus;
    outcome.result = BuildOutcome::Result::Failed;
    outcome.message = "The " + std::string(lines ? "invoice line" : "invoice") + " file " + name +
                      " could not be read (status " + std::to_string(status) + ").";
    outcome.caption = report.messageCaption;
    return outcome;
  }
  block.Close();
  if (report.rows.empty()) {
    outcome.result = BuildOutcome::Result::Empty;
    if (request.kind == ReportKind::AccountsReceivable) {
      outcome.message = kNoOpenItemsText;
      outcome.caption = kNoOpenItemsCaption;
    } else if (request.kind == ReportKind::RepeatBillingList) {
      outcome.message = kNoRepeatMastersText;
      outcome.caption = kNoRepeatMastersCaption;
    } else {
      outcome.message = kNoMatchingRecordsText;
      outcome.caption = report.messageCaption;
    }
    return outcome;
  }
  outcome.result = BuildOutcome::Result::Built;
  outcome.report = std::move(report);
  return outcome;
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


}  // namespace tf::reports::reference
