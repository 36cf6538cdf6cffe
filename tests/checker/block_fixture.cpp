#include "tests/checker/block_fixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tf::test {

void PutInt32(Bytes& b, int64_t off, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) b.at(size_t(off + i)) = static_cast<unsigned char>(u >> (8 * i));
}

void PutInt16(Bytes& b, int64_t off, int16_t v) {
  auto u = static_cast<uint16_t>(v);
  b.at(size_t(off)) = static_cast<unsigned char>(u);
  b.at(size_t(off + 1)) = static_cast<unsigned char>(u >> 8);
}

int32_t GetInt32(const Bytes& b, int64_t off) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= uint32_t(b.at(size_t(off + i))) << (8 * i);
  return static_cast<int32_t>(u);
}

void HandBuiltBlock::Delete(int32_t ref) {
  PutInt32(records.at(size_t(ref - 1)), 0, firstFree);
  firstFree = ref;
  ++deletedCount;
}

Bytes HandBuiltBlock::DataBytes() const {
  Bytes out(size_t(recordLength) * (records.size() + 1), 0);
  PutInt32(out, data_field::kFirstFree, firstFree);
  PutInt32(out, data_field::kDeletedCount, deletedCount);
  PutInt32(out, data_field::kRecordCount, int32_t(records.size()));
  PutInt32(out, data_field::kRecordLength, recordLength);
  PutInt32(out, data_field::kKeyCount, int32_t(keys.size()));
  out[data_field::kUpdateFlag] = updateFlag;
  for (size_t i = 0; i < records.size(); ++i)
    std::copy(records[i].begin(), records[i].end(), out.begin() + RecordOffset(int32_t(i + 1)));
  return out;
}

int64_t HandBuiltBlock::SectionOffset(int keyNr) const {
  int64_t offset = 0;
  for (int k = 1; k < keyNr; ++k) offset += keys[k - 1].SlotSize();
  return offset;
}

int64_t HandBuiltBlock::IndexRecordSize() const { return SectionOffset(int(keys.size()) + 1); }

int64_t HandBuiltBlock::PageOffset(int keyNr, int32_t page) const {
  return page * IndexRecordSize() + SectionOffset(keyNr);
}

int64_t HandBuiltBlock::EntryOffset(int keyNr, int32_t page, int entry) const {
  return PageOffset(keyNr, page) + 6 + int64_t(entry - 1) * (keys[keyNr - 1].keyLength + 9);
}

Bytes HandBuiltBlock::IndexBytes() const {
  int32_t pages = 0;
  for (const HandKey& k : keys) pages = std::max(pages, k.pageCount);
  Bytes out(size_t(IndexRecordSize() * (pages + 1)), 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    const HandKey& k = keys[i];
    int keyNr = int(i) + 1;
    int64_t h = SectionOffset(keyNr);
    PutInt32(out, h + index_field::kFirstFreePage, k.firstFreePage);
    PutInt32(out, h + index_field::kFreePageCount, k.freePageCount);
    PutInt32(out, h + index_field::kPageCount, k.pageCount);
    PutInt32(out, h + index_field::kPageSlotSize, k.SlotSize());
    PutInt32(out, h + index_field::kRootPage, k.rootPage);
    out[size_t(h + index_field::kAllowDuplicates)] = k.duplicates ? 1 : 0;
    PutInt32(out, h + index_field::kEntryCount, k.entryCount);
    PutInt16(out, h + index_field::kPageCapacity, 62);
    for (const auto& [number, page] : k.pages) {
      int64_t p = PageOffset(keyNr, number);
      PutInt16(out, p, int16_t(page.entries.size()));
      PutInt32(out, p + 2, page.leftChild);
      for (size_t e = 0; e < page.entries.size(); ++e) {
        const HandEntry& entry = page.entries[e];
        int64_t at = EntryOffset(keyNr, number, int(e) + 1);
        PutInt32(out, at, entry.ref);
        PutInt32(out, at + 4, entry.child);
        out[size_t(at + 8)] = static_cast<unsigned char>(entry.key.size());
        std::copy(entry.key.begin(), entry.key.end(), out.begin() + at + 9);
      }
    }
    for (const auto& [number, link] : k.freeLinks) PutInt32(out, PageOffset(keyNr, number), link);
  }
  return out;
}

void WriteBlockFiles(const std::string& blockName, const Bytes& data, const Bytes* index) {
  auto write = [](const std::string& path, const Bytes& bytes) {
    // A fresh file rather than a truncated one: the file system flushes truncated files on
    // close, which would make the loops that rewrite files thousands of times crawl.
    std::filesystem::remove(path);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
  };
  write(blockName + ".DAT", data);
  if (index) write(blockName + ".IX", *index);
}

void WriteBlock(const std::string& blockName, const HandBuiltBlock& block) {
  Bytes data = block.DataBytes();
  Bytes index = block.IndexBytes();
  WriteBlockFiles(blockName, data, block.keys.empty() ? nullptr : &index);
}

void BuildTwoLevelTree(HandKey& key, const std::vector<HandEntry>& entries, int leftCount,
                       int32_t leftPage, int32_t rightPage, int32_t rootPage) {
  HandPage left, right, root;
  left.entries.assign(entries.begin(), entries.begin() + leftCount);
  right.entries.assign(entries.begin() + leftCount + 1, entries.end());
  HandEntry separator = entries[size_t(leftCount)];
  separator.child = rightPage;
  root.leftChild = leftPage;
  root.entries.push_back(separator);
  key.pages[leftPage] = left;
  key.pages[rightPage] = right;
  key.pages[rootPage] = root;
  key.rootPage = rootPage;
  key.entryCount = int32_t(entries.size());
}

namespace {

std::string Field(std::span<const unsigned char> record, size_t offset, size_t width) {
  std::string s(reinterpret_cast<const char*>(record.data() + offset), width);
  return s;
}

std::vector<HandEntry> EntriesInOrder(const HandBuiltBlock& block, int keyNr, bool duplicates) {
  std::vector<HandEntry> entries;
  for (size_t i = 0; i < block.records.size(); ++i) {
    const Bytes& r = block.records[i];
    if (GetInt32(r, 0) != 0) continue;
    entries.push_back({SampleKeys(r)[size_t(keyNr - 1)], int32_t(i + 1), 0});
  }
  std::sort(entries.begin(), entries.end(), [duplicates](const HandEntry& a, const HandEntry& b) {
    if (a.key != b.key) return a.key < b.key;  // plain ASCII keys: byte order
    return duplicates && a.ref < b.ref;
  });
  return entries;
}

}  // namespace

std::vector<std::string> SampleKeys(std::span<const unsigned char> record) {
  return {Field(record, 4, 8), Field(record, 12, 4)};
}

HandBuiltBlock SampleBlock() {
  HandBuiltBlock block;
  block.recordLength = 32;
  for (int ref = 1; ref <= 70; ++ref) {
    Bytes r(32, 0);
    char code[16], group[8];
    std::snprintf(code, sizeof code, "CODE%04d", (ref * 37) % 101);
    std::snprintf(group, sizeof group, "GRP%d", ref % 4);
    std::copy(code, code + 8, r.begin() + 4);
    std::copy(group, group + 4, r.begin() + 12);
    r[20] = static_cast<unsigned char>(ref);
    block.records.push_back(r);
  }
  block.Delete(3);
  block.Delete(40);
  block.Delete(5);

  HandKey& codes = block.keys.emplace_back();
  codes.keyLength = 8;
  codes.duplicates = false;
  BuildTwoLevelTree(codes, EntriesInOrder(block, 1, false), 31, 1, 3, 4);
  codes.pageCount = 4;
  codes.firstFreePage = 2;
  codes.freePageCount = 1;
  codes.freeLinks[2] = -1;

  HandKey& groups = block.keys.emplace_back();
  groups.keyLength = 4;
  groups.duplicates = true;
  BuildTwoLevelTree(groups, EntriesInOrder(block, 2, true), 33, 2, 3, 1);
  groups.pageCount = 3;
  return block;
}

HandBuiltBlock SmallBlock() {
  HandBuiltBlock block;
  block.recordLength = 24;
  const char* names[] = {"PEAR", "APPLE", "FIG", "KIWI", "BANANA"};
  HandKey& key = block.keys.emplace_back();
  key.keyLength = 6;
  HandPage root;
  for (int i = 0; i < 5; ++i) {
    Bytes r(24, 0);
    std::string name = names[i];
    std::copy(name.begin(), name.end(), r.begin() + 4);
    block.records.push_back(r);
    root.entries.push_back({name, i + 1, 0});
  }
  std::sort(root.entries.begin(), root.entries.end(),
            [](const HandEntry& a, const HandEntry& b) { return a.key < b.key; });
  key.pages[1] = root;
  key.rootPage = 1;
  key.pageCount = 1;
  key.entryCount = 5;
  return block;
}

}  // namespace tf::test
