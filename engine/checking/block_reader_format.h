#pragma once
// The checker's reading of index pages that may be damaged: the geometry a key's header gives
// its pages, and a page decoded into plain values. The byte layout is the format's
// (engine/core/file_format.h); what is done with a value that makes no sense is the checker's
// own: counts are clamped and key lengths cut so that no value read can make it read past a
// page, and nothing here touches a file or the engine's page cache.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/core/file_format.h"

namespace tf::engine::disk {

// How one key's page slots are cut into entries.
struct PageGeometry {
  int KeyLength = 0;
  int Capacity = format::kPageCapacity;
  int32_t SlotSize = 0;
  int EntrySize() const { return format::EntrySize(KeyLength); }
};

// Derives the key length from a header exactly as an opening engine must: capacity 0 reads as
// 62, the slot must divide into whole entries, the key length must be 1..30. On failure the
// reason is returned in `problem`.
std::optional<PageGeometry> DerivePageGeometry(const format::IndexHeader& header, std::string& problem);

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
