#pragma once
// The on-disk format of a file block, in one place: the data file (.DAT), the index file (.IX)
// and its pages, and the journal (.DIA). The engine, the integrity checker and the rebuild all
// read and write bytes through this header; docs/file-formats.md describes the same layout for
// a reader. Every integer is little-endian.
//
// These are the product's file formats: a file written by this program and one written by any
// other correct implementation are interchangeable, so nothing here is a tuning knob. Changing
// a number changes the bytes of every file.

#include <cstdint>
#include <limits>
#include <string_view>

namespace tf::engine::format {

// --- little-endian fields ------------------------------------------------------------------

inline int32_t LoadI32(const uint8_t* p) {
  const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return static_cast<int32_t>(v);
}
inline int16_t LoadI16(const uint8_t* p) { return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8); }
inline void StoreI32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
  p[2] = uint8_t(u >> 16);
  p[3] = uint8_t(u >> 24);
}
inline void StoreI16(uint8_t* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
}

// --- limits --------------------------------------------------------------------------------

// A key is stored as a length byte and its characters; an index reserves KeyLength + 1 bytes
// per key, and the key length (1..30) is derived back from the page slot size at open.
inline constexpr int kMaxKeyLength = 30;
// Keys (indexes) per file block: the data header's KeyCount is 0..100.
inline constexpr int kMaxKeys = 100;
// The end of a free chain (of records in the data file, of pages in an index).
inline constexpr int32_t kEndOfChain = -1;

// --- data file -----------------------------------------------------------------------------
// An array of slots of RecordLength bytes: slot n at n x RecordLength. Slot 0 is the header
// (its first 21 bytes; the rest of the slot is zero), slots 1..RecordCount are records. The file
// is exactly (RecordCount + 1) x RecordLength bytes long.

namespace data_header {  // byte offsets in slot 0
inline constexpr int kFirstFree = 0;     // int32: the most recently deleted record, -1 = none
inline constexpr int kDeletedCount = 4;  // int32: records in the free chain
inline constexpr int kRecordCount = 8;   // int32: highest record number ever allocated
inline constexpr int kRecordLength = 12; // int32: bytes per slot
inline constexpr int kKeyCount = 16;     // int32: 0..100
inline constexpr int kUpdateFlag = 20;   // uint8: 1 from the first change until a clean close
}  // namespace data_header

inline constexpr int kDataHeaderSize = 21;
inline constexpr int kUpdateFlagOffset = data_header::kUpdateFlag;
// The header lives in slot 0, so a slot is at least as long as the header.
inline constexpr int kMinRecordLength = kDataHeaderSize;

// Bytes 0..3 of every record slot belong to the engine: 0 in a live record; in a deleted one
// the next record of the free chain (-1 at its end). A link is never 0, so four zero bytes are
// the mark of a live record.
inline constexpr int kDeletedLinkSize = 4;
inline constexpr int32_t kLiveRecord = 0;

inline int32_t DeletedLink(const uint8_t* slot) { return LoadI32(slot); }
inline void SetDeletedLink(uint8_t* slot, int32_t link) { StoreI32(slot, link); }
inline bool IsLiveRecord(const uint8_t* slot) { return DeletedLink(slot) == kLiveRecord; }

constexpr int64_t RecordSlotOffset(int32_t ref, int32_t recordLength) { return int64_t(ref) * recordLength; }
// The length of a data file whose header says RecordCount and RecordLength.
constexpr int64_t DataFileLength(int32_t recordCount, int32_t recordLength) {
  return (int64_t(recordCount) + 1) * recordLength;
}

struct DataHeader {
  int32_t FirstFree = kEndOfChain;
  int32_t DeletedCount = 0;
  int32_t RecordCount = 0;
  int32_t RecordLength = 0;
  int32_t KeyCount = 0;
  uint8_t UpdateFlag = 0;

  void Encode(uint8_t* out) const {  // kDataHeaderSize bytes
    StoreI32(out + data_header::kFirstFree, FirstFree);
    StoreI32(out + data_header::kDeletedCount, DeletedCount);
    StoreI32(out + data_header::kRecordCount, RecordCount);
    StoreI32(out + data_header::kRecordLength, RecordLength);
    StoreI32(out + data_header::kKeyCount, KeyCount);
    out[data_header::kUpdateFlag] = UpdateFlag;
  }
  static DataHeader Decode(const uint8_t* in) {  // kDataHeaderSize bytes
    DataHeader h;
    h.FirstFree = LoadI32(in + data_header::kFirstFree);
    h.DeletedCount = LoadI32(in + data_header::kDeletedCount);
    h.RecordCount = LoadI32(in + data_header::kRecordCount);
    h.RecordLength = LoadI32(in + data_header::kRecordLength);
    h.KeyCount = LoadI32(in + data_header::kKeyCount);
    h.UpdateFlag = in[data_header::kUpdateFlag];
    return h;
  }
};

// --- index pages ---------------------------------------------------------------------------
// Each key is a B-tree of entries (key, ref). A page is a 6-byte header (int16 entry count,
// int32 LeftChild) followed by its entries in ascending order, each an int32 Ref, an int32
// Child and the key in KeyLength + 1 bytes (length byte, characters, then bytes that carry
// nothing). A leaf has LeftChild 0 and every Child 0.
//
// Why a page holds 62 entries. The capacity is a constant of the format: every index header
// states it (0, in headers that leave it out, reads as 62) and the page slot of each key is
// sized from it, so another value would be another file format. The layout derives the page
// from the capacity and the key length, not the capacity from a disk block or a buffer size:
//   PageSlotSize = 6 + 62 x (KeyLength + 9) = 62 x KeyLength + 564
// which is 626 bytes for a 1-character key and 2424 for a 30-character one. What the tree
// algorithms need of the capacity is that it be even, and 62 is: a full page that receives one
// more entry holds 63 = 31 + 1 + 31, which splits into two pages of 31 and one separator for
// the parent, with nothing left over.
//
// Why 31 is the minimum fill of a non-root page. It is half the capacity, the largest minimum
// that both changes of shape can keep: a split leaves two pages of exactly 31 (above), and a
// page that falls to 30 beside a sibling of exactly 31 (which has none to lend) merges with it
// and their separator into 30 + 1 + 31 = 62 entries, exactly one full page. A minimum of 32
// would make every split produce underfilled pages; one below 31 would only let pages run
// emptier. So every page but the root is at least half full.
inline constexpr int kPageCapacity = 62;
inline constexpr int kMinPageFill = kPageCapacity / 2;
static_assert(kPageCapacity % 2 == 0, "a split of capacity + 1 entries must give two equal halves");
static_assert(2 * kMinPageFill + 1 == kPageCapacity + 1, "a split leaves both halves at the minimum");
static_assert((kMinPageFill - 1) + 1 + kMinPageFill == kPageCapacity, "a merge fills one page exactly");

namespace page {  // byte offsets in a page slot
inline constexpr int kEntryCount = 0;  // int16: 1..62 in a tree page
inline constexpr int kLeftChild = 2;   // int32: page of the entries below entry 1; 0 in a leaf
}  // namespace page
inline constexpr int kPageHeaderSize = 6;

namespace entry {  // byte offsets in an entry
inline constexpr int kRef = 0;        // int32: the record number
inline constexpr int kChild = 4;      // int32: page of the entries between this one and the next
inline constexpr int kKeyLength = 8;  // uint8: the key's own length, at most KeyLength
inline constexpr int kKey = 9;        // the characters
}  // namespace entry
inline constexpr int kEntryOverhead = entry::kKey;  // Ref + Child + the length byte

constexpr int EntrySize(int keyLength) { return keyLength + kEntryOverhead; }
constexpr int32_t PageSlotSizeFor(int keyLength) { return kPageHeaderSize + kPageCapacity * EntrySize(keyLength); }
static_assert(PageSlotSizeFor(1) == 62 * 1 + 564 && PageSlotSizeFor(kMaxKeyLength) == 62 * 30 + 564);
inline constexpr int kMaxPageSlotSize = PageSlotSizeFor(kMaxKeyLength);

// The entry count a header states: 0 reads as 62.
constexpr int StatedPageCapacity(int16_t field) { return field == 0 ? kPageCapacity : field; }
// The key length a slot of `slotSize` bytes holds at `capacity` entries; meaningful only when
// the slot is the page header plus a whole number of entries.
constexpr int64_t KeyLengthForSlot(int64_t slotSize, int capacity) {
  return (slotSize - kPageHeaderSize) / capacity - kEntryOverhead;
}

// Entry `index` (0-based) of a page whose entries are `entrySize` bytes.
constexpr int64_t EntryOffset(int index, int entrySize) { return kPageHeaderSize + int64_t(index) * entrySize; }
// Only the used part of a page is written: the header and `count` entries.
constexpr int64_t UsedPageBytes(int count, int entrySize) { return EntryOffset(count, entrySize); }

inline int16_t PageEntryCount(const uint8_t* slot) { return LoadI16(slot + page::kEntryCount); }
inline void SetPageEntryCount(uint8_t* slot, int16_t count) { StoreI16(slot + page::kEntryCount, count); }
inline int32_t PageLeftChild(const uint8_t* slot) { return LoadI32(slot + page::kLeftChild); }
inline void SetPageLeftChild(uint8_t* slot, int32_t child) { StoreI32(slot + page::kLeftChild, child); }

inline int32_t EntryRef(const uint8_t* e) { return LoadI32(e + entry::kRef); }
inline void SetEntryRef(uint8_t* e, int32_t ref) { StoreI32(e + entry::kRef, ref); }
inline int32_t EntryChild(const uint8_t* e) { return LoadI32(e + entry::kChild); }
inline void SetEntryChild(uint8_t* e, int32_t child) { StoreI32(e + entry::kChild, child); }
inline uint8_t EntryKeyLength(const uint8_t* e) { return e[entry::kKeyLength]; }
// The entry's key, never longer than the index's key length: a damaged length byte does not
// read past the entry.
inline std::string_view EntryKey(const uint8_t* e, int keyLength) {
  const int n = EntryKeyLength(e) <= keyLength ? EntryKeyLength(e) : keyLength;
  return {reinterpret_cast<const char*>(e + entry::kKey), static_cast<size_t>(n)};
}

// A released page keeps only its free-chain link in its first four bytes: the page released
// before it, -1 at the end of the chain.
inline constexpr int kFreePageLinkSize = 4;
inline int32_t FreePageLink(const uint8_t* slot) { return LoadI32(slot); }
inline void SetFreePageLink(uint8_t* slot, int32_t link) { StoreI32(slot, link); }

// How deep a sound tree can be. Below a root of at least one entry every page holds at least
// 31 entries, so every inner page but the root has at least 32 children, and a tree of h levels
// holds at least 2 x 32^(h-1) - 1 entries. Seven levels need 2^31 - 1 entries, as many as an
// int32 EntryCount can count at all; eight would need 2^36 - 1. A position path of 8 levels is
// therefore never too short, and a deeper path only comes from a damaged index.
inline constexpr int kMaxTreeDepth = 8;
constexpr int64_t FewestEntries(int levels) {
  int64_t entries = 1, pages = 2;  // the root's single entry, and its two children
  for (int level = 2; level <= levels; ++level, pages *= kMinPageFill + 1) entries += pages * kMinPageFill;
  return entries;
}
static_assert(FewestEntries(kMaxTreeDepth - 1) == std::numeric_limits<int32_t>::max());
static_assert(FewestEntries(kMaxTreeDepth) > std::numeric_limits<int32_t>::max());

// --- index file ----------------------------------------------------------------------------
// An array of index records of IndexRecordSize bytes, the sum of every key's PageSlotSize.
// Key k owns the section of each index record that starts at SectionOffset(k), the sum of the
// slot sizes of keys 1..k-1. Index record 0 holds each key's 28-byte header at the start of
// its section (the rest of record 0 is zero); index record n holds page n of every key.

constexpr int64_t PageOffset(int32_t page, int64_t indexRecordSize, int64_t sectionOffset) {
  return int64_t(page) * indexRecordSize + sectionOffset;
}

namespace index_header {  // byte offsets in a key's header
inline constexpr int kFirstFreePage = 0;    // int32: the most recently freed page, -1 = none
inline constexpr int kFreePageCount = 4;    // int32: pages in the free chain
inline constexpr int kPageCount = 8;        // int32: highest page number ever allocated
inline constexpr int kPageSlotSize = 12;    // int32: 62 x KeyLength + 564
inline constexpr int kRootPage = 16;        // int32: 0 = empty tree
inline constexpr int kAllowDuplicates = 20; // uint8: 0 unique, 1 duplicates allowed
inline constexpr int kUnused = 21;          // uint8: written as 0
inline constexpr int kEntryCount = 22;      // int32: entries in the tree
inline constexpr int kPageCapacity = 26;    // int16: 62 (0 reads as 62)
}  // namespace index_header
inline constexpr int kIndexHeaderSize = 28;

struct IndexHeader {
  int32_t FirstFreePage = kEndOfChain;
  int32_t FreePageCount = 0;
  int32_t PageCount = 0;
  int32_t PageSlotSize = 0;
  int32_t RootPage = 0;
  uint8_t AllowDuplicates = 0;
  uint8_t Unused = 0;
  int32_t EntryCount = 0;
  int16_t PageCapacity = kPageCapacity;

  void Encode(uint8_t* out) const {  // kIndexHeaderSize bytes
    StoreI32(out + index_header::kFirstFreePage, FirstFreePage);
    StoreI32(out + index_header::kFreePageCount, FreePageCount);
    StoreI32(out + index_header::kPageCount, PageCount);
    StoreI32(out + index_header::kPageSlotSize, PageSlotSize);
    StoreI32(out + index_header::kRootPage, RootPage);
    out[index_header::kAllowDuplicates] = AllowDuplicates;
    out[index_header::kUnused] = Unused;
    StoreI32(out + index_header::kEntryCount, EntryCount);
    StoreI16(out + index_header::kPageCapacity, PageCapacity);
  }
  static IndexHeader Decode(const uint8_t* in) {  // kIndexHeaderSize bytes
    IndexHeader h;
    h.FirstFreePage = LoadI32(in + index_header::kFirstFreePage);
    h.FreePageCount = LoadI32(in + index_header::kFreePageCount);
    h.PageCount = LoadI32(in + index_header::kPageCount);
    h.PageSlotSize = LoadI32(in + index_header::kPageSlotSize);
    h.RootPage = LoadI32(in + index_header::kRootPage);
    h.AllowDuplicates = in[index_header::kAllowDuplicates];
    h.Unused = in[index_header::kUnused];
    h.EntryCount = LoadI32(in + index_header::kEntryCount);
    h.PageCapacity = LoadI16(in + index_header::kPageCapacity);
    return h;
  }
};

// --- journal -------------------------------------------------------------------------------
// A leftover journal is rolled forward when its file block opens (this program never writes
// one). One marker byte, then entries of an int16 tag and its data, until the end tag:
//   tag 1..KeyCount   an index page of that key: int32 page number + the whole page slot
//   tag 1000          the data header (21 bytes) followed by the whole index record 0
//   tag 2000          end of the journal
// A journal of the marker byte alone is empty.
inline constexpr int kJournalMarkerSize = 1;
inline constexpr int kJournalTagSize = 2;
inline constexpr int kJournalPageNumberSize = 4;
inline constexpr int16_t kJournalHeaderTag = 1000;
inline constexpr int16_t kJournalEndTag = 2000;

}  // namespace tf::engine::format
