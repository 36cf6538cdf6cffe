#include "bench/workload.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace tf::bench {
namespace {

// Invoice record layout: offset and capacity of each length-prefixed text field used here.
struct Field {
  int offset;
  int width;
};
constexpr Field kInvoiceNumber{4, 9};
constexpr Field kRecordKind{14, 1};
constexpr Field kKeyCode{16, 8};
constexpr Field kCustomerNumber{25, 8};
constexpr Field kCompanyNumber{34, 5};
constexpr Field kInvoiceDate{40, 10};
constexpr Field kPrintedFlag{51, 1};
constexpr Field kInvoiceMonth{53, 2};
constexpr Field kInvoiceDay{56, 2};
constexpr Field kInvoiceYear{59, 4};
constexpr Field kDateKey{64, 10};
constexpr Field kNotes{75, 80};
constexpr Field kTerms{156, 35};
constexpr Field kInvoiceType{228, 1};
constexpr Field kShortName{230, 10};
constexpr Field kNetAmount{241, 10};
constexpr Field kTaxAmount{252, 10};
constexpr Field kTotalAmount{263, 10};
constexpr Field kPaidAmount{274, 10};
constexpr Field kBalanceDue{285, 10};
constexpr Field kDatePaid{296, 10};
constexpr Field kPaidFlag{309, 1};

constexpr std::array<const char*, 20> kKeyCodes{
    "None",    "Retail", "Wholesal", "Service", "Repair", "Parts",  "Labor",
    "Rental",  "Support", "Training", "Shipping", "Deposit", "Partial", "Web",
    "Phone",   "Walkin", "Contract", "Export",   "Govt",    "Misc"};

void SetText(InvoiceRecord& rec, Field f, std::string_view text) {
  if (text.size() > static_cast<size_t>(f.width)) throw std::logic_error("invoice field overflow");
  rec[f.offset] = static_cast<unsigned char>(text.size());
  std::memcpy(rec.data() + f.offset + 1, text.data(), text.size());
}

std::string_view GetText(const InvoiceRecord& rec, Field f) {
  size_t len = std::min<size_t>(rec[f.offset], f.width);
  return {reinterpret_cast<const char*>(rec.data() + f.offset + 1), len};
}

std::string Decimal(uint64_t v) {
  char buf[24];
  auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, end);
}

std::string TwoDigits(unsigned v) { return {char('0' + v / 10 % 10), char('0' + v % 10)}; }

// Cents as "0.00" text.
std::string MoneyText(uint64_t cents) { return Decimal(cents / 100) + "." + TwoDigits(cents % 100); }

std::string_view TrimBoth(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) < 33) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) < 33) s.remove_suffix(1);
  return s;
}

// Pads on the right to `width`; never cuts.
std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

// Calendar dates of every day a record can name (invoice date plus at most 60 days' delay),
// worked out once: the generator runs inside timed phases.
struct CalendarDay {
  int year;
  unsigned month;
  unsigned day;
};
constexpr int kCalendarDays = kDayCount + 61;

const std::array<CalendarDay, kCalendarDays>& Calendar() {
  static const auto table = [] {
    using namespace std::chrono;
    std::array<CalendarDay, kCalendarDays> t{};
    const sys_days first = year{2020} / January / 1;
    for (int d = 0; d < kCalendarDays; ++d) {
      year_month_day ymd{first + days{d}};
      t[d] = {int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day())};
    }
    return t;
  }();
  return table;
}

const CalendarDay& DayOf(int day) {
  if (day < 0 || day >= kCalendarDays) throw std::out_of_range("day outside the workload's calendar");
  return Calendar()[day];
}

}  // namespace

std::string DateKey(int day) {
  const CalendarDay& c = DayOf(day);
  return Decimal(c.year) + "/" + TwoDigits(c.month) + "/" + TwoDigits(c.day);
}

void MakeInvoice(uint32_t n, uint32_t i, InvoiceRecord& rec) {
  SplitMix64 r{Mix64(kSeedData ^ i)};
  const uint32_t customers = std::max<uint32_t>(1, n / 20);
  const uint32_t cust = r.Below(customers);
  const int day = static_cast<int>(r.Below(kDayCount));
  const uint32_t kc = r.Below(20);
  const uint32_t kind = r.Below(100);
  const bool paid = r.Below(100) < 70;
  const int delay = static_cast<int>(r.Below(61));
  const uint64_t net = 100 + r.Below(500000);
  const uint32_t note = r.Below(1000000);

  rec.fill(0);
  const CalendarDay& date = DayOf(day);
  const std::string mm = TwoDigits(date.month), dd = TwoDigits(date.day), yyyy = Decimal(date.year);
  const uint64_t tax = net * 8 / 100;
  const uint64_t total = net + tax;

  SetText(rec, kInvoiceNumber, Decimal(100 + uint64_t{i}));
  SetText(rec, kRecordKind, kind < 90 ? "I" : "X");
  SetText(rec, kKeyCode, kKeyCodes[kc]);
  SetText(rec, kCustomerNumber, Decimal(10000 + uint64_t{cust}));
  SetText(rec, kCompanyNumber, "1");
  SetText(rec, kInvoiceDate, mm + "/" + dd + "/" + yyyy);
  SetText(rec, kPrintedFlag, "Y");
  SetText(rec, kInvoiceMonth, mm);
  SetText(rec, kInvoiceDay, dd);
  SetText(rec, kInvoiceYear, yyyy);
  SetText(rec, kDateKey, yyyy + "/" + mm + "/" + dd);
  SetText(rec, kNotes, "Order " + Decimal(note));
  SetText(rec, kTerms, "Net 30");
  SetText(rec, kInvoiceType, "P");
  SetText(rec, kShortName, "CUST" + Decimal(cust));
  SetText(rec, kNetAmount, MoneyText(net));
  SetText(rec, kTaxAmount, MoneyText(tax));
  SetText(rec, kTotalAmount, MoneyText(total));
  SetText(rec, kPaidAmount, MoneyText(paid ? total : 0));
  SetText(rec, kBalanceDue, MoneyText(paid ? 0 : total));
  SetText(rec, kDatePaid, paid ? DateKey(day + delay) : std::string());
  SetText(rec, kPaidFlag, paid ? "P" : "");
}

namespace {

// A key under construction: at most kind + invoice number, 10 bytes, so it never needs the heap
// (the keys are built inside timed phases for every system alike).
class KeyBuilder {
 public:
  void Append(std::string_view s) {
    const size_t n = std::min(s.size(), sizeof bytes_ - length_);
    std::memcpy(bytes_ + length_, s.data(), n);
    length_ += n;
  }
  // Format("%-Ns"): pads on the right, never cuts.
  void PadTo(size_t width) {
    while (length_ < width && length_ < sizeof bytes_) bytes_[length_++] = ' ';
  }
  void UpperCase() {
    for (size_t i = 0; i < length_; ++i)
      if (bytes_[i] >= 'a' && bytes_[i] <= 'z') bytes_[i] = static_cast<char>(bytes_[i] - 'a' + 'A');
  }
  std::string Text() const { return std::string(bytes_, length_); }

 private:
  char bytes_[16];
  size_t length_ = 0;
};

std::string TrimmedUpperKey(std::string_view field, size_t width) {
  KeyBuilder key;
  key.Append(TrimBoth(field));
  key.PadTo(width);
  key.UpperCase();
  return key.Text();
}

std::string PaddedKey(std::string_view field, size_t width) {
  KeyBuilder key;
  key.Append(field);
  key.PadTo(width);
  return key.Text();
}

}  // namespace

std::string InvoiceKey(const InvoiceRecord& rec, int keyNr) {
  switch (keyNr) {
    case 1: return TrimmedUpperKey(GetText(rec, kInvoiceNumber), 9);
    case 2: return TrimmedUpperKey(GetText(rec, kCustomerNumber), 8);
    case 3: return PaddedKey(GetText(rec, kDateKey), 10);
    case 4: return TrimmedUpperKey(GetText(rec, kKeyCode), 8);
    case 5: {
      KeyBuilder key;
      key.Append(TrimBoth(GetText(rec, kRecordKind)));
      key.Append(TrimBoth(GetText(rec, kInvoiceNumber)));
      key.PadTo(10);
      key.UpperCase();
      return key.Text();
    }
    case 6: return PaddedKey(GetText(rec, kDatePaid), 10);
    default: throw std::out_of_range("invoice key number must be 1..6");
  }
}

std::string InvoiceNumberKey(uint32_t j) { return PadRight(Decimal(100 + uint64_t{j}), 9); }

std::vector<uint32_t> LookupTargets(uint32_t n) {
  SplitMix64 r{kSeedLookup};
  std::vector<uint32_t> targets(kLookupCount);
  for (uint32_t& j : targets) j = r.Below(n);
  return targets;
}

std::vector<RangeWindow> RangeWindows() {
  SplitMix64 r{kSeedRange};
  std::vector<RangeWindow> windows(kRangeWindowCount);
  for (RangeWindow& w : windows) {
    w.firstDay = static_cast<int>(r.Below(kDayCount - kRangeDays + 1));
    w.endDay = w.firstDay + kRangeDays;
  }
  return windows;
}

std::vector<int32_t> DeleteVictims(uint32_t n) {
  std::vector<int32_t> a(n);
  std::iota(a.begin(), a.end(), 1);
  SplitMix64 r{kSeedDelete};
  const uint32_t count = n / 10;
  for (uint32_t k = 0; k < count; ++k) std::swap(a[k], a[k + r.Below(n - k)]);
  a.resize(count);
  return a;
}

void Digest::Add(int32_t ref, std::string_view key1) {
  uint64_t h = 0xCBF29CE484222325;
  auto feed = [&h](unsigned char byte) {
    h ^= byte;
    h *= 0x100000001B3;
  };
  const auto r = static_cast<uint32_t>(ref);
  for (int b = 0; b < 4; ++b) feed(static_cast<unsigned char>(r >> (8 * b)));
  for (char c : key1) feed(static_cast<unsigned char>(c));
  hash = Mix64(hash + h);
  ++count;
}

}  // namespace tf::bench
