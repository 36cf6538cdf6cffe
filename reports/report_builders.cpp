#include "reports/report_builders.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <unordered_map>
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
#include "records/file_order_reader.h"
#include "records/invoice_record.h"
#include "records/staged_block.h"
#include "reports/range_share.h"
#include "reports/row_text.h"

namespace tf::reports {
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

std::string_view RightTrimmedView(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && common::IsBlankChar(text[n - 1])) --n;
  return text.substr(0, n);
}

std::string_view TrimmedView(std::string_view text) {
  text = RightTrimmedView(text);
  std::size_t i = 0;
  while (i < text.size() && common::IsBlankChar(text[i])) ++i;
  return text.substr(i);
}

// The cell of one field: its place in the fixed-width line. Amounts are taken whole: a
// ",0.000" unit price of a million has 13 characters, and cutting it to its 12 would drop a
// digit. A right-justified cell is made in `scratch`, which the view then points into.
std::string_view CellOf(const ColumnLayout& layout, std::string_view field, std::string& scratch) {
  switch (layout.align) {
    case Align::Left: return RightTrimmedView(field.substr(0, layout.width));
    case Align::Right:
      scratch = common::AlignRight(field, layout.width);
      return RightTrimmedView(scratch);
    case Align::Amount: return TrimmedView(field);
  }
  return {};
}

// A stored amount as shown; a text that is no number is shown as it is stored.
std::string Shown(std::string_view stored, bool quantity = false) {
  const auto value = common::ParseAmount(stored);
  if (!value) return std::string(TrimmedView(stored));
  return quantity ? common::FormatComma0_000(*value) : common::FormatComma0_00(*value);
}

// Shown for a column whose stored texts repeat (the quantities and unit prices of a sales report's
// lines): each stored text is parsed and formatted once while it stays in its slot of a small
// table. The view returned lasts until the next call.
class ShownCache {
 public:
  explicit ShownCache(bool quantity) : quantity_(quantity), slots_(kSlots) {}

  std::string_view operator()(std::string_view stored) {
    if (stored.size() > kStored) return Keep(Shown(stored, quantity_));
    std::size_t hash = 14695981039346656037ull;
    for (char c : stored) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    Slot& slot = slots_[hash % kSlots];
    if (!slot.used || std::string_view(slot.stored.data(), slot.storedSize) != stored) {
      const std::string shown = Shown(stored, quantity_);
      if (shown.size() > kShown) return Keep(shown);
      slot.used = true;
      slot.storedSize = std::uint8_t(stored.size());
      std::copy(stored.begin(), stored.end(), slot.stored.begin());
      slot.shownSize = std::uint8_t(shown.size());
      std::copy(shown.begin(), shown.end(), slot.shown.begin());
    }
    return std::string_view(slot.shown.data(), slot.shownSize);
  }

 private:
  static constexpr std::size_t kSlots = 4096, kStored = 16, kShown = 22;
  struct Slot {
    std::array<char, kStored> stored;
    std::array<char, kShown> shown;
    std::uint8_t storedSize = 0, shownSize = 0;
    bool used = false;
  };
  std::string_view Keep(std::string text) {
    kept_ = std::move(text);
    return kept_;
  }

  bool quantity_;
  std::vector<Slot> slots_;
  std::string kept_;
};

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
    for (const ColumnLayout& c : spec_.columns) {
      std::string scratch;
      report.columns.push_back({common::TrimBoth(CellOf(c, c.heading, scratch)), c.width, c.align == Align::Amount});
    }
  }

  // The row of one record's fields, in column order.
  ReportRow Row(std::initializer_list<std::string_view> fields) {
    std::array<std::string_view, kMaxColumns> cells;
    std::size_t i = 0;
    for (std::string_view f : fields) {
      cells[i] = CellOf(spec_.columns[i], f, scratch_[i]);
      ++i;
    }
    return ReportRow(RowType::Record, std::span<const std::string_view>(cells.data(), i), report_.text);
  }

 private:
  const ReportSpec& spec_;
  Report& report_;
  std::array<std::string, kMaxColumns> scratch_;
};

// --- walking the files ---------------------------------------------------------------------------

// Appends to `refs` the record numbers of index `keyNr` from the first key not below `fromKey`
// while `more` says so, in key order. False on an engine failure (EngineStatus tells it).
bool CollectRefs(engine::FileBlock* handle, int keyNr, const std::string& fromKey,
                 const std::function<bool(const std::string& key)>& more, std::vector<std::int32_t>& refs) {
  std::string key = fromKey;
  std::int32_t ref = 0;
  engine::SearchKey(handle, keyNr, ref, key);
  while (engine::EngineOK && more(key)) {
    refs.push_back(ref);
    engine::NextKey(handle, keyNr, ref, key);
  }
  if (engine::EngineOK) return true;
  return engine::EngineStatus == engine::status::kSearchNotFound || engine::EngineStatus == engine::status::kNextPastEnd;
}

// What makes the row of one record, or nothing when the record is not listed.
using RowMaker = std::function<std::optional<ReportRow>(Record)>;
// The key routine of the file read: key `keyNr` of a record, as its index holds it.
using KeyOf = std::string (*)(Record, int keyNr);

// The rows of one or more index walks, listed in the walks' order: first every row of the first
// walk in key order, then the second's. Reading each record where its key leads would cost a
// read per record; the records are read in file order and their rows put in their places
// instead. A walk over a date range that holds more than a quarter of the file's records is
// not walked at all: the whole data file is read in one pass, the records whose key lies in the
// range kept, and their rows put in key order (equal keys in record order, as the index keeps
// them), which spares reading the index as well. The index's estimate of the range's share
// decides before any of it is read; where it says no, the walk still turns to the pass once it
// has passed a quarter of the records.
class Listing {
 public:
  Listing(engine::FileBlock* handle, const ReportSource& source, KeyOf keyOf)
      : handle_(handle), progress_(source.progress), keyOf_(keyOf) {}

  // The records of index `keyNr` from the date `range.from` up to and including `range.to`.
  bool Range(int keyNr, const DateRange& range, RowMaker maker) {
    Walk walk{keyNr, common::PadRight(common::FormatDateKey(range.from), 10),
              common::PadRight(common::FormatDateKey(range.to), 10), std::move(maker)};
    if (!scan_ && RangeWantsPass(handle_, keyNr, walk.from, walk.to)) TurnToPass();
    if (!scan_) {
      if (!limit_) {
        const int used = engine::UsedRecords(handle_);
        if (!engine::EngineOK) return false;
        limit_ = std::size_t(std::max(used, 0)) / 4 + 1;
      }
      const std::string& to = walk.to;
      if (!CollectRefs(handle_, keyNr, walk.from,
                       [&](const std::string& key) { return key <= to && refs_.size() < *limit_; }, refs_))
        return false;
      if (refs_.size() >= *limit_) TurnToPass();
    }
    walks_.push_back(std::move(walk));
    ends_.push_back(refs_.size());
    return true;
  }

  // The records of index `keyNr` from the first key not below `fromKey` while their keys begin
  // with `prefix`; these are few and always walked.
  bool Prefix(int keyNr, const std::string& fromKey, const std::string& prefix, RowMaker maker) {
    if (!CollectRefs(handle_, keyNr, fromKey, [&](const std::string& key) { return key.starts_with(prefix); }, refs_))
      return false;
    walks_.push_back({keyNr, {}, {}, std::move(maker)});
    ends_.push_back(refs_.size());
    return true;
  }

  bool Fill(Report& report) { return scan_ ? FillByPass(report) : FillByIndex(report); }

 private:
  struct Walk {
    int keyNr;
    std::string from, to;
    RowMaker maker;
  };
  // A listed record's key as the order sees it: its walk, its key in the range (date keys: ten
  // characters), zero-filled, and the key's length, as 16 bytes read as two big-endian numbers;
  // compared as numbers they order the walks and, within one, order keys as the index does (a key
  // that begins another is the smaller).
  static constexpr std::size_t kPlacedKey = 14;
  struct PlaceKey {
    std::uint64_t high, low;
    bool operator==(const PlaceKey&) const = default;
    bool operator<(const PlaceKey& o) const { return high != o.high ? high < o.high : low < o.low; }
  };
  struct PlaceKeyHash {
    std::size_t operator()(const PlaceKey& k) const { return std::hash<std::uint64_t>{}(k.high * 0x9E3779B97F4A7C15ull ^ k.low); }
  };
  static PlaceKey PlaceKeyOf(std::size_t walk, std::string_view key) {
    std::array<std::uint8_t, 16> bytes{};
    const std::size_t size = std::min(key.size(), kPlacedKey);
    bytes[0] = std::uint8_t(walk);
    std::copy_n(key.data(), size, bytes.data() + 1);
    bytes.back() = std::uint8_t(size);
    std::uint64_t high = 0, low = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      high = (high << 8) | bytes[i];
      low = (low << 8) | bytes[8 + i];
    }
    return {high, low};
  }

  void TurnToPass() {
    scan_ = true;
    refs_ = {};
  }

  bool FillByIndex(Report& report) {
    // Each entry's row in its place (a record not listed leaves a blank row), then the blanks
    // closed up.
    const std::size_t first = report.rows.size();
    ReserveLarge(report.rows, first + refs_.size());
    report.rows.resize(first + refs_.size());
    std::size_t done = 0;
    const bool read = records::ReadInFileOrder(handle_, refs_, [&](std::size_t at, Record r) {
      const std::size_t walk = std::size_t(std::upper_bound(ends_.begin(), ends_.end(), at) - ends_.begin());
      if (std::optional<ReportRow> row = walks_[walk].maker(r)) report.rows[first + at] = std::move(*row);
      if (++done % kProgressEvery == 0 && progress_) progress_(done, refs_.size());
    });
    if (!read) return false;
    if (progress_) progress_(done, refs_.size());
    const auto listed = std::remove_if(report.rows.begin() + std::ptrdiff_t(first), report.rows.end(),
                                       [](const ReportRow& row) { return row.Type() != RowType::Record; });
    report.rows.erase(listed, report.rows.end());
    // Most records of a walk are usually listed; give the room back only when many were not.
    if (report.rows.size() < report.rows.capacity() / 4 * 3) report.rows.shrink_to_fit();
    return true;
  }

  bool FillByPass(Report& report) {
    const int slots = engine::FileLength(handle_) - 1;
    if (!engine::EngineOK) return false;
    const int used = engine::UsedRecords(handle_);
    if (!engine::EngineOK) return false;
    // The rows go straight into the grid in the order of the pass and are put in key order there,
    // so the grid is never held twice.
    const std::size_t first = report.rows.size();
    ReserveLarge(report.rows, first + std::size_t(std::max(used, 0)));
    // Each listed row's key as a number for its distinct key: a range holds few distinct keys
    // (dates), so the rows are put in order by counting them per key, not by sorting them.
    std::vector<std::uint32_t> keyIdOf;
    ReserveLarge(keyIdOf, std::size_t(std::max(used, 0)));
    std::vector<PlaceKey> keys;
    std::unordered_map<PlaceKey, std::uint32_t, PlaceKeyHash> keyIds;
    std::size_t done = 0;
    const bool read = records::ReadLiveRecords(handle_, [&](std::int32_t ref, Record r) {
      for (std::size_t w = 0; w < walks_.size(); ++w) {
        const std::string key = keyOf_(r, walks_[w].keyNr);
        if (key < walks_[w].from || key > walks_[w].to) continue;
        std::optional<ReportRow> row = walks_[w].maker(r);
        if (!row) continue;
        const PlaceKey placeKey = PlaceKeyOf(w, key);
        // Neighbouring records (the lines of one invoice) mostly share their key.
        if (keys.empty() || !(keys[keyIdOf.empty() ? 0 : keyIdOf.back()] == placeKey)) {
          const auto [at, added] = keyIds.try_emplace(placeKey, std::uint32_t(keys.size()));
          if (added) keys.push_back(placeKey);
          keyIdOf.push_back(at->second);
        } else {
          keyIdOf.push_back(keyIdOf.back());
        }
        report.rows.push_back(std::move(*row));
      }
      done = std::size_t(ref);
      if (done % kProgressEvery == 0 && progress_) progress_(done, std::size_t(slots));
    });
    if (!read) return false;
    if (progress_) progress_(std::size_t(slots), std::size_t(slots));
    // The keys' ranks; then each row's place: after the rows of lower keys and, among equal keys,
    // in the order of the pass (record order, as the index keeps equal keys).
    std::vector<std::uint32_t> byKey(keys.size());
    for (std::uint32_t i = 0; i < byKey.size(); ++i) byKey[i] = i;
    std::sort(byKey.begin(), byKey.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    std::vector<std::uint32_t> rankOf(keys.size());
    for (std::uint32_t r = 0; r < byKey.size(); ++r) rankOf[byKey[r]] = r;
    bool inOrder = true;  // a file written in date order is already in key order
    for (std::size_t i = 1; i < keyIdOf.size() && inOrder; ++i) inOrder = rankOf[keyIdOf[i - 1]] <= rankOf[keyIdOf[i]];
    if (!inOrder) {
      std::vector<std::uint32_t> next(keys.size() + 1, 0);
      for (std::uint32_t id : keyIdOf) ++next[rankOf[id] + 1];
      for (std::size_t k = 0; k < keys.size(); ++k) next[k + 1] += next[k];
      std::vector<std::uint32_t> from(keyIdOf.size());
      for (std::uint32_t seq = 0; seq < keyIdOf.size(); ++seq) from[next[rankOf[keyIdOf[seq]]]++] = seq;
      keyIdOf = {};
      GatherInOrder(report.rows, first, from);
    }
    if (report.rows.size() < report.rows.capacity() / 4 * 3) report.rows.shrink_to_fit();
    return true;
  }

  // Puts the rows from `first` on in the order `from` gives (place i gets the row at first +
  // from[i]): gathered into a new grid, each row asked for a little ahead of its turn, since they
  // are read all over the old one.
  static void GatherInOrder(std::vector<ReportRow>& rows, std::size_t first, const std::vector<std::uint32_t>& from) {
    std::vector<ReportRow> ordered;
    ReserveLarge(ordered, rows.size());
    for (std::size_t i = 0; i < first; ++i) ordered.push_back(std::move(rows[i]));
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (i + kAhead < from.size()) __builtin_prefetch(&rows[first + from[i + kAhead]]);
      ordered.push_back(std::move(rows[first + from[i]]));
    }
    rows = std::move(ordered);
  }

  engine::FileBlock* handle_;
  const std::function<void(std::size_t, std::size_t)>& progress_;
  KeyOf keyOf_;
  std::optional<std::size_t> limit_;
  bool scan_ = false;
  std::vector<std::int32_t> refs_;
  std::vector<std::size_t> ends_;
  std::vector<Walk> walks_;
};

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

// A text field as the record holds it (a damaged length reads the whole capacity).
std::string_view Field(Record r, common::TextField f) {
  const std::size_t length = std::min<std::size_t>(r[f.offset], f.capacity);
  return std::string_view(reinterpret_cast<const char*>(r.data() + f.offset + 1), length);
}
std::string_view Trimmed(Record r, common::TextField f) { return TrimmedView(Field(r, f)); }

// --- the builders --------------------------------------------------------------------------------

bool InvoiceRegister(engine::FileBlock* h, const ReportSource& source, const DateRange& range, Builder& b,
                     bool keyCodeFirst, Report& report) {
  Listing listing(h, source, inv::InvoiceKey);
  const bool walked = listing.Range(inv::kKeyByDate, range, [&](Record r) -> std::optional<ReportRow> {
    const std::string_view kind = Trimmed(r, inv::kRecordKind);
    if (kind == inv::kKindRepeatMaster || Trimmed(r, inv::kInvoiceNumber).empty()) return std::nullopt;
    if (!keyCodeFirst && !NonZero(Field(r, inv::kTotalAmount)) && kind != inv::kKindInvoice) return std::nullopt;
    if (keyCodeFirst && !NonZero(Field(r, inv::kTotalAmount))) return std::nullopt;
    const std::string net = Shown(Field(r, inv::kNetAmount)), tax = Shown(Field(r, inv::kTaxAmount)),
                      total = Shown(Field(r, inv::kTotalAmount));
    if (keyCodeFirst) {
      std::string_view code = Trimmed(r, inv::kKeyCode);
      if (code.empty()) code = "*none*";
      return b.Row({code, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kDateKey), net, tax,
                    total, kind});
    }
    return b.Row({Field(r, inv::kDateKey), Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName),
                  Field(r, inv::kCustomerNumber), net, tax, total, kind});
  });
  return walked && listing.Fill(report);
}

// The payment register and the tax report list the same records: those paid in the range, then
// those dated in the range that carry a payment and are still open.
bool Payments(engine::FileBlock* h, const ReportSource& source, const DateRange& range, Builder& b, bool tax,
              Report& report) {
  const auto row = [&](Record r, std::string_view date) {
    const std::string_view kind = Trimmed(r, inv::kRecordKind);
    if (tax) {
      return b.Row({date, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
                    Field(r, inv::kKeyCode), Shown(Field(r, inv::kPaidAmount)), Shown(Field(r, inv::kTaxAmount)),
                    kind});
    }
    return b.Row({date, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
                  Shown(Field(r, inv::kTotalAmount)), Shown(Field(r, inv::kPaidAmount)),
                  Shown(Field(r, inv::kBalanceDue)), kind});
  };
  Listing listing(h, source, inv::InvoiceKey);
  const bool paid = listing.Range(inv::kKeyByDatePaid, range, [&](Record r) -> std::optional<ReportRow> {
    if (Trimmed(r, inv::kDatePaid).size() <= 1) return std::nullopt;
    return row(r, Field(r, inv::kDatePaid));
  });
  if (!paid) return false;
  const bool dated = listing.Range(inv::kKeyByDate, range, [&](Record r) -> std::optional<ReportRow> {
    if (Trimmed(r, inv::kInvoiceNumber).empty() || Trimmed(r, inv::kRecordKind) == inv::kKindDeposit)
      return std::nullopt;
    if (!NonZero(Field(r, inv::kPaidAmount)) || !NonZero(Field(r, inv::kBalanceDue))) return std::nullopt;
    const std::string_view datePaid = Field(r, inv::kDatePaid);
    return row(r, datePaid.size() >= 5 ? datePaid : Field(r, inv::kDateKey));
  });
  return dated && listing.Fill(report);
}

bool Receivable(engine::FileBlock* h, const ReportSource& source, Builder& b, Report& report) {
  const common::DateFormat format = common::DateFormatFromCode(ReadText(source.company, company::kDateFormat));
  const std::chrono::year_month_day today{std::chrono::floor<std::chrono::days>(source.now)};
  const auto row = [&](Record r) {
    std::optional<std::chrono::year_month_day> dated = common::ParseDate(Field(r, inv::kInvoiceDate), format);
    if (!dated) dated = inv::InvoiceDateOf(r);
    std::string category = "?", aging = "? Days";
    if (dated) {
      const int days = common::DaysBetween(*dated, today);
      category = AgingCategory(source.company, days);
      aging = std::to_string(days) + " Days";
    }
    return b.Row({category, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
                  aging, Field(r, inv::kDateKey), Shown(Field(r, inv::kBalanceDue)), Trimmed(r, inv::kRecordKind)});
  };
  Listing listing(h, source, inv::InvoiceKey);
  // Open items have no date paid, so their key is blank and they come first.
  const bool open = listing.Prefix(inv::kKeyByDatePaid, std::string(10, ' '), "  ", [&](Record r) {
    const bool listed = Trimmed(r, inv::kRecordKind) != inv::kKindRepeatMaster && !Trimmed(r, inv::kInvoiceNumber).empty();
    return listed ? std::optional<ReportRow>(row(r)) : std::nullopt;
  });
  if (!open) return false;
  const bool deposits = listing.Prefix(inv::kKeyByKind, "D", "D", [&](Record r) -> std::optional<ReportRow> {
    if (Trimmed(r, inv::kInvoiceNumber).empty() || Trimmed(r, inv::kPaidFlag) == "P") return std::nullopt;
    return row(r);
  });
  return deposits && listing.Fill(report);
}

bool Sales(engine::FileBlock* h, const ReportSource& source, const DateRange& range, Builder& b, Report& report) {
  Listing listing(h, source, inv::LineKey);
  ShownCache price(true), quantity(true);
  const bool walked = listing.Range(inv::kLineKeyByDate, range, [&](Record r) -> std::optional<ReportRow> {
    if (Trimmed(r, inv::kLineKind) == "R") return std::nullopt;
    const std::string_view line = Field(r, inv::kLineText);
    const auto column = [&](std::size_t first, std::size_t length) -> std::string_view {
      const std::string_view text = first - 1 < line.size() ? TrimmedView(line.substr(first - 1, length)) : "";
      return text.empty() ? std::string_view("0.00") : text;
    };
    const std::string_view description = line.size() > 10 ? TrimmedView(line.substr(10, 32)) : "";
    std::string_view code = Trimmed(r, inv::kLineProductCode);
    if (code.empty()) code = "*None*";
    return b.Row({description, code, Field(r, inv::kLineDateKey), Field(r, inv::kLineInvoiceNumber),
                  Field(r, inv::kLineShortName), Field(r, inv::kLineCustomerNumber), price(column(43, 10)),
                  quantity(column(1, 10)), Shown(column(54, 10))});
  });
  return walked && listing.Fill(report);
}

bool RepeatList(engine::FileBlock* h, const ReportSource& source, Builder& b, Report& report) {
  Listing listing(h, source, inv::InvoiceKey);
  const bool walked = listing.Prefix(inv::kKeyByKind, "R", "R", [&](Record r) -> std::optional<ReportRow> {
    if (Trimmed(r, inv::kRecordKind) != inv::kKindRepeatMaster || Trimmed(r, inv::kInvoiceNumber).empty())
      return std::nullopt;
    const std::string nextDue = common::RearrangeDateText(Field(r, inv::kNextDueDate), common::DateFormat::MonthFirst,
                                                          common::DateFormat::YearFirst);
    return b.Row({nextDue, Field(r, inv::kInvoiceNumber), Field(r, inv::kShortName), Field(r, inv::kCustomerNumber),
                  Trimmed(r, inv::kRepeatCount), Field(r, inv::kDateKey), Shown(Field(r, inv::kTotalAmount)),
                  Trimmed(r, inv::kRepeatUnit) == "M" ? "M" : "D"});
  });
  return walked && listing.Fill(report);
}

}  // namespace

std::string AgingCategory(std::span<const std::uint8_t> co, int days) {
  const auto limit = [&](common::TextField f) { return common::LeadingIntegerValue(ReadText(co, f)); };
  if (days <= limit(company::kAgingDays1)) return ReadText(co, company::kAgingCaption1);
  if (days <= limit(company::kAgingDays2)) return ReadText(co, company::kAgingCaption2);
  if (days <= limit(company::kAgingDays3)) return ReadText(co, company::kAgingCaption3);
  return "Over " + common::TrimBoth(ReadText(co, company::kAgingDays3));
}

std::string SelectionLine(ReportKind kind, const DateRange& range, common::DateFormat format) {
  if (kind == ReportKind::AccountsReceivable) return std::string(kAllUnpaidText);
  if (kind == ReportKind::RepeatBillingList) return std::string(kRepeatListText);
  return "Selected records from " + common::FormatDate(range.from, format) + " to " +
         common::FormatDate(range.to, format);
}

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
      case ReportKind::InvoiceRegister:
        read = InvoiceRegister(block.get(), source, request.range, builder, false, report);
        break;
      case ReportKind::KeyCodeInquiry:
        read = InvoiceRegister(block.get(), source, request.range, builder, true, report);
        break;
      case ReportKind::PaymentRegister: read = Payments(block.get(), source, request.range, builder, false, report); break;
      case ReportKind::TaxReport: read = Payments(block.get(), source, request.range, builder, true, report); break;
      case ReportKind::AccountsReceivable: read = Receivable(block.get(), source, builder, report); break;
      case ReportKind::SalesReport: read = Sales(block.get(), source, request.range, builder, report); break;
      case ReportKind::RepeatBillingList: read = RepeatList(block.get(), source, builder, report); break;
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

}  // namespace tf::reports
