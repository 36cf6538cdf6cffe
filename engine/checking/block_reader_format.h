#pragma once
// The on-disk layout of a file block, decoded from raw little-endian bytes by readers that must
// not trust what they read (the integrity checker, dumps). Nothing here touches a file or the
// engine's own page cache: these readers are a second, independent view of the formats.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tf::engine::disk {

inline constexpr int kDataHeaderSize = 21;
inline constexpr int kIndexHeaderSize = 28;
inline constexpr int kPageCapacity = 62;
inline constexpr int kMinNonRootEntries = 31;
inline constexpr int kPageHeaderSize = 6;   // EntryCountInPage + LeftChild
inline constexpr int kEntryOverhead = 9;    // Ref + Child + the key's length byte
inline constexpr int kMaxTreeDepth = 8;     // the engine's position path holds 8 levels
inline constexpr int32_t kEndOfChain = -1;
inline constexpr int kMaxKeyChars = 30;

int32_t Int32At(const unsigned char* p);
int16_t Int16At(const unsigned char* p);

// Slot 0 of the data file.
struct DataHeader {
  int32_t FirstFree = kEndOfChain;
  int32_t DeletedCount = 0;
  int32_t RecordCount = 0;
  int32_t RecordLength = 0;
  int32_t KeyCount = 0;
  uint8_t UpdateFlag = 0;
};
DataHeader DecodeDataHeader(const unsigned char* bytes);  // kDataHeaderSize bytes

// One key's header in index record 0.
struct IndexHeader {
  int32_t FirstFreePage = kEndOfChain;
  int32_t FreePageCount = 0;
  int32_t PageCount = 0;
  int32_t PageSlotSize = 0;
  int32_t RootPage = 0;
  uint8_t AllowDuplicates = 0;
  uint8_t Unused = 0;
  int32_t EntryCount = 0;
  int16_t PageCapacity = 0;
};
IndexHeader DecodeIndexHeader(const unsigned char* bytes);  // kIndexHeaderSize bytes

inline constexpr int32_t PageSlotSizeFor(int keyLength) {
  return kPageCapacity * keyLength + kPageHeaderSize + kPageCapacity * kEntryOverhead;
}

// How one key's page slots are cut into entries.
struct PageGeometry {
  int KeyLength = 0;
  int Capacity = kPageCapacity;
  int32_t SlotSize = 0;
  int EntrySize() const { return KeyLength + kEntryOverhead; }
};

// Derives the key length from a header exactly as an opening engine must: capacity 0 reads as
// 62, the slot must divide into whole entries, the key length must be 1..30. On failure the
// reason is returned in `problem`.
std::optional<PageGeometry> DerivePageGeometry(const IndexHeader& header, std::string& problem);

struct PageEntry {
  int32_t Ref = 0;
  int32_t Child = 0;
  uint8_t KeyLengthByte = 0;  // as stored; may exceed the key length in a damaged page
  std::string Key;            // at most KeyLength characters
};

struct Page {
  int16_t EntryCount = 0;  // as stored
  int32_t LeftChild = 0;
  std::vector<PageEntry> Entries;  // the stored count clamped to 0..Capacity
};

// Decodes a page slot of exactly geometry.SlotSize bytes.
Page DecodePage(std::span<const unsigned char> slot, const PageGeometry& geometry);

}  // namespace tf::engine::disk
