#include "engine/checking/block_reader_format.h"

#include <algorithm>

namespace tf::engine::disk {

int32_t Int32At(const unsigned char* p) {
  uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return static_cast<int32_t>(v);
}

int16_t Int16At(const unsigned char* p) {
  return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

DataHeader DecodeDataHeader(const unsigned char* b) {
  DataHeader h;
  h.FirstFree = Int32At(b + 0);
  h.DeletedCount = Int32At(b + 4);
  h.RecordCount = Int32At(b + 8);
  h.RecordLength = Int32At(b + 12);
  h.KeyCount = Int32At(b + 16);
  h.UpdateFlag = b[20];
  return h;
}

IndexHeader DecodeIndexHeader(const unsigned char* b) {
  IndexHeader h;
  h.FirstFreePage = Int32At(b + 0);
  h.FreePageCount = Int32At(b + 4);
  h.PageCount = Int32At(b + 8);
  h.PageSlotSize = Int32At(b + 12);
  h.RootPage = Int32At(b + 16);
  h.AllowDuplicates = b[20];
  h.Unused = b[21];
  h.EntryCount = Int32At(b + 22);
  h.PageCapacity = Int16At(b + 26);
  return h;
}

std::optional<PageGeometry> DerivePageGeometry(const IndexHeader& h, std::string& problem) {
  int capacity = h.PageCapacity == 0 ? kPageCapacity : h.PageCapacity;
  if (capacity < 0 || capacity > kPageCapacity) {
    problem = "PageCapacity " + std::to_string(h.PageCapacity) + " is not 0..62";
    return std::nullopt;
  }
  int64_t body = int64_t(h.PageSlotSize) - kPageHeaderSize;
  if (body <= 0 || body % capacity != 0) {
    problem = "PageSlotSize " + std::to_string(h.PageSlotSize) + " is not a whole number of " +
              std::to_string(capacity) + " entries";
    return std::nullopt;
  }
  int64_t keyLength = body / capacity - kEntryOverhead;
  if (keyLength < 1 || keyLength > kMaxKeyChars) {
    problem = "PageSlotSize " + std::to_string(h.PageSlotSize) + " gives key length " +
              std::to_string(keyLength) + ", outside 1..30";
    return std::nullopt;
  }
  return PageGeometry{static_cast<int>(keyLength), capacity, h.PageSlotSize};
}

Page DecodePage(std::span<const unsigned char> slot, const PageGeometry& g) {
  Page page;
  if (slot.size() < size_t(kPageHeaderSize)) return page;
  page.EntryCount = Int16At(slot.data());
  page.LeftChild = Int32At(slot.data() + 2);
  int fits = static_cast<int>((slot.size() - kPageHeaderSize) / g.EntrySize());
  int count = std::clamp<int>(page.EntryCount, 0, std::min(g.Capacity, fits));
  page.Entries.reserve(count);
  for (int i = 0; i < count; ++i) {
    const unsigned char* e = slot.data() + kPageHeaderSize + size_t(i) * g.EntrySize();
    PageEntry entry;
    entry.Ref = Int32At(e);
    entry.Child = Int32At(e + 4);
    entry.KeyLengthByte = e[8];
    int chars = std::min<int>(entry.KeyLengthByte, g.KeyLength);
    entry.Key.assign(reinterpret_cast<const char*>(e + 9), chars);
    page.Entries.push_back(std::move(entry));
  }
  return page;
}

}  // namespace tf::engine::disk
