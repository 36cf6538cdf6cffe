#include "engine/checking/block_reader_format.h"

#include <algorithm>

namespace tf::engine::disk {

using std::to_string;

std::optional<PageGeometry> DerivePageGeometry(const format::IndexHeader& h, std::string& problem) {
  const int capacity = format::StatedPageCapacity(h.PageCapacity);
  if (capacity < 0 || capacity > format::kPageCapacity) {
    problem = "PageCapacity " + to_string(h.PageCapacity) + " is not 0.." + to_string(format::kPageCapacity);
    return std::nullopt;
  }
  const int64_t body = int64_t(h.PageSlotSize) - format::kPageHeaderSize;
  if (body <= 0 || body % capacity != 0) {
    problem = "PageSlotSize " + to_string(h.PageSlotSize) + " is not a whole number of " + to_string(capacity) +
              " entries";
    return std::nullopt;
  }
  const int64_t keyLength = format::KeyLengthForSlot(h.PageSlotSize, capacity);
  if (keyLength < 1 || keyLength > format::kMaxKeyLength) {
    problem = "PageSlotSize " + to_string(h.PageSlotSize) + " gives key length " + to_string(keyLength) +
              ", outside 1.." + to_string(format::kMaxKeyLength);
    return std::nullopt;
  }
  return PageGeometry{static_cast<int>(keyLength), capacity, h.PageSlotSize};
}

Page DecodePage(std::span<const unsigned char> slot, const PageGeometry& g) {
  Page page;
  if (slot.size() < size_t(format::kPageHeaderSize)) return page;
  page.EntryCount = format::PageEntryCount(slot.data());
  page.LeftChild = format::PageLeftChild(slot.data());
  const int fits = static_cast<int>((slot.size() - format::kPageHeaderSize) / g.EntrySize());
  const int count = std::clamp<int>(page.EntryCount, 0, std::min(g.Capacity, fits));
  page.Entries.reserve(count);
  for (int i = 0; i < count; ++i) {
    const unsigned char* e = slot.data() + format::EntryOffset(i, g.EntrySize());
    PageEntry entry;
    entry.Ref = format::EntryRef(e);
    entry.Child = format::EntryChild(e);
    entry.KeyLengthByte = format::EntryKeyLength(e);
    entry.Key.assign(format::EntryKey(e, g.KeyLength));
    page.Entries.push_back(std::move(entry));
  }
  return page;
}

}  // namespace tf::engine::disk
