#pragma once
// The "invoices" workload: N invoice records and the parameters of every phase, each a pure
// function of N and fixed seeds, so that every system under test gets byte-identical input and
// its digests can be compared with every other system's.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf::bench {

inline constexpr int kRecordLength = 360;
inline constexpr int kKeyCount = 6;
using InvoiceRecord = std::array<unsigned char, kRecordLength>;

// Index descriptors of the invoice file, key 1..6 at [0..5].
struct IndexShape {
  uint8_t keyLength;
  bool duplicates;
};
inline constexpr std::array<IndexShape, kKeyCount> kIndexShapes{
    {{9, true}, {8, true}, {10, true}, {10, true}, {10, true}, {10, true}}};

// The invoice file adds its keys in this order (its guarded add); deletes go 1..6.
inline constexpr std::array<int, kKeyCount> kAddKeyOrder{1, 2, 3, 4, 6, 5};

inline constexpr uint64_t kSeedData = 0x494E564F49434531;
inline constexpr uint64_t kSeedLookup = 0x4C4F4F4B55505332;
inline constexpr uint64_t kSeedRange = 0x52414E4745533033;
inline constexpr uint64_t kSeedDelete = 0x44454C4554453034;

inline constexpr int kDayCount = 1827;  // 2020/01/01 .. 2024/12/31
inline constexpr int kLookupCount = 100000;
inline constexpr int kRangeWindowCount = 1000;
inline constexpr int kRangeDays = 30;

constexpr uint64_t Mix64(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
  return z ^ (z >> 31);
}

struct SplitMix64 {
  uint64_t state;
  uint64_t Next() {
    state += 0x9E3779B97F4A7C15;
    return Mix64(state);
  }
  // Plain modulo (slightly biased) on purpose: every implementation must draw the same values.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

// Record i (0-based; engine record number i + 1) of a data set of n records.
void MakeInvoice(uint32_t n, uint32_t i, InvoiceRecord& rec);

// Key keyNr (1..6) of a record, built as the invoice file builds it.
std::string InvoiceKey(const InvoiceRecord& rec, int keyNr);

// Key 1 of record index j: its invoice number 100 + j, padded to 9.
std::string InvoiceNumberKey(uint32_t j);

// "yyyy/mm/dd" of the day numbered from 2020/01/01 = 0 (proleptic Gregorian).
std::string DateKey(int day);

// Phase 2: record indexes j to look up by key 1.
std::vector<uint32_t> LookupTargets(uint32_t n);

// Phase 3: key-3 windows [DateKey(firstDay), DateKey(endDay)).
struct RangeWindow {
  int firstDay;
  int endDay;
};
std::vector<RangeWindow> RangeWindows();

// Phase 5: record numbers to delete, in deletion order (n / 10 of them).
std::vector<int32_t> DeleteVictims(uint32_t n);

// Proof that a system visited the same records in the same order: FNV-1a-64 over the record
// number (4 bytes, little-endian) and key 1, folded with Mix64.
struct Digest {
  uint64_t count = 0;
  uint64_t hash = 0;

  void Add(int32_t ref, std::string_view key1);
  void AddRecord(int32_t ref, const InvoiceRecord& rec) { Add(ref, InvoiceKey(rec, 1)); }
  bool operator==(const Digest&) const = default;
};

}  // namespace tf::bench
