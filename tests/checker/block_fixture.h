#pragma once
// File blocks written byte by byte for the checker's tests, independent of the engine: a data
// file with a header, records and a free chain, and an index file with headers and pages laid
// out by hand. Tests damage the bytes through the offset helpers.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tf::test {

using Bytes = std::vector<unsigned char>;

void PutInt32(Bytes& bytes, int64_t offset, int32_t value);
void PutInt16(Bytes& bytes, int64_t offset, int16_t value);
int32_t GetInt32(const Bytes& bytes, int64_t offset);

// Field offsets in the data header and in an index header.
namespace data_field {
inline constexpr int kFirstFree = 0, kDeletedCount = 4, kRecordCount = 8, kRecordLength = 12,
                     kKeyCount = 16, kUpdateFlag = 20;
}
namespace index_field {
inline constexpr int kFirstFreePage = 0, kFreePageCount = 4, kPageCount = 8, kPageSlotSize = 12,
                     kRootPage = 16, kAllowDuplicates = 20, kUnused = 21, kEntryCount = 22,
                     kPageCapacity = 26;
}

struct HandEntry {
  std::string key;
  int32_t ref = 0;
  int32_t child = 0;
};

struct HandPage {
  int32_t leftChild = 0;
  std::vector<HandEntry> entries;
};

struct HandKey {
  int keyLength = 8;
  bool duplicates = false;
  int32_t rootPage = 0;
  int32_t pageCount = 0;
  int32_t firstFreePage = -1;
  int32_t freePageCount = 0;
  int32_t entryCount = 0;
  std::map<int32_t, HandPage> pages;    // tree pages by number
  std::map<int32_t, int32_t> freeLinks; // freed page -> next free page

  int32_t SlotSize() const { return 62 * keyLength + 564; }
};

struct HandBuiltBlock {
  int32_t recordLength = 32;
  std::vector<Bytes> records;  // slots 1..n, each recordLength bytes
  int32_t firstFree = -1;
  int32_t deletedCount = 0;
  uint8_t updateFlag = 0;
  std::vector<HandKey> keys;

  // Puts `ref` at the head of the free chain, as a deletion does.
  void Delete(int32_t ref);

  Bytes DataBytes() const;
  Bytes IndexBytes() const;

  int64_t RecordOffset(int32_t ref) const { return int64_t(ref) * recordLength; }
  int64_t SectionOffset(int keyNr) const;
  int64_t IndexRecordSize() const;
  int64_t PageOffset(int keyNr, int32_t page) const;
  int64_t EntryOffset(int keyNr, int32_t page, int entry) const;  // entry 1..count
};

// Writes NAME.DAT and, when given, NAME.IX in the working directory.
void WriteBlockFiles(const std::string& blockName, const Bytes& data, const Bytes* index);
void WriteBlock(const std::string& blockName, const HandBuiltBlock& block);

// Lays `entries` (already in order) out as a two-level tree: a root of one separator over two
// leaves, the left one holding `leftCount` entries.
void BuildTwoLevelTree(HandKey& key, const std::vector<HandEntry>& entries, int leftCount,
                       int32_t leftPage, int32_t rightPage, int32_t rootPage);

// The main sample: 70 records of 32 bytes (code at 4..11, group at 12..15), records 3, 40 and 5
// deleted. Key 1 (8 characters, unique: the code) is a root over leaves of 31 and 35 entries
// at pages 4 -> 1, 3 with page 2 freed; key 2 (4 characters, duplicates: the group) is a root
// over leaves of 33 and 33 entries at pages 1 -> 2, 3.
HandBuiltBlock SampleBlock();
// The keys the sample's records imply.
std::vector<std::string> SampleKeys(std::span<const unsigned char> record);
// One key of 6 characters, 5 live records, a single root leaf page.
HandBuiltBlock SmallBlock();

}  // namespace tf::test
