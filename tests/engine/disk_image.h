#pragma once
// Reads the engine's files byte by byte with its own decoding, never the engine's, so that the
// tests pin the file formats themselves: the data header, record slots, index headers, pages
// and free chains at their exact offsets.

#include <cstdint>
#include <string>
#include <vector>

namespace tf::engine::testing {

using Bytes = std::vector<uint8_t>;

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

int32_t I32At(const Bytes& b, size_t offset);
int16_t I16At(const Bytes& b, size_t offset);
void PutI32(Bytes& b, size_t offset, int32_t v);
void PutI16(Bytes& b, size_t offset, int16_t v);

// The first 21 bytes of a data file.
struct DataHeaderImage {
  int32_t firstFree, deletedCount, recordCount, recordLength, keyCount;
  uint8_t updateFlag;
  static DataHeaderImage Read(const std::string& dataPath);
};

struct IndexHeaderImage {
  int32_t firstFreePage, freePageCount, pageCount, pageSlotSize, rootPage;
  uint8_t allowDuplicates, unused;
  int32_t entryCount;
  int16_t pageCapacity;
  int KeyLength() const { return (pageSlotSize - 6) / 62 - 9; }
};

struct PageEntryImage {
  int32_t ref;
  int32_t child;
  std::string key;
  bool operator==(const PageEntryImage&) const = default;
};

struct PageImage {
  int count = 0;
  int32_t leftChild = 0;
  std::vector<PageEntryImage> entries;
  bool IsLeaf() const { return leftChild == 0; }
  int32_t Child(int i) const { return i == 0 ? leftChild : entries[size_t(i - 1)].child; }
};

// What a full check of one key's tree found on disk.
struct TreeReport {
  std::vector<std::string> problems;          // empty when every rule holds
  std::vector<std::pair<std::string, int32_t>> entries;  // in tree order
  std::vector<int32_t> freeChain;             // pages from FirstFreePage on
  int height = 0;                             // 0 for an empty tree
  std::vector<int> leafCounts;                // entries per leaf, left to right
  std::string Describe() const;
};

class IndexImage {
 public:
  // keyCount comes from the data header; the sections are laid out from the headers.
  IndexImage(const std::string& indexPath, int keyCount);

  int64_t RecordSize() const { return recordSize_; }
  int64_t SectionOffset(int key) const { return sections_[size_t(key)]; }
  const IndexHeaderImage& Header(int key) const { return headers_[size_t(key)]; }
  const Bytes& Raw() const { return bytes_; }
  int64_t PageOffset(int key, int32_t page) const { return page * recordSize_ + SectionOffset(key); }
  PageImage Page(int key, int32_t page) const;
  int32_t FreeLink(int key, int32_t page) const { return I32At(bytes_, size_t(PageOffset(key, page))); }

  // Walks the tree and the free chain: page fill (1..62, at least 31 below the root), leaves
  // at one depth, ascending entries within their parents' bounds, leaf children 0, every page
  // 1..PageCount either in the tree or in the free chain exactly once, EntryCount.
  TreeReport Check(int key) const;

 private:
  Bytes bytes_;
  std::vector<IndexHeaderImage> headers_;  // [0] unused
  std::vector<int64_t> sections_;
  int64_t recordSize_ = 0;
};

}  // namespace tf::engine::testing
