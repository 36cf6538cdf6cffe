#pragma once
// The pool's lookup from (file block, key, page) to the buffer holding that page: open
// addressing with linear probing, sized at twice the buffers or more, so a lookup is a hash
// and usually one probe. Every page access of every operation goes through it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tf::engine {
struct FileBlock;
}

namespace tf::engine::detail {

struct PageBuffer;

class PageTable {
 public:
  // Room for `entries` pages at a load of at most one half; keeps what it holds.
  void Reserve(size_t entries);
  void Clear();
  PageBuffer* Find(const FileBlock* fb, int key, int32_t page) const;
  void Insert(const FileBlock* fb, int key, int32_t page, PageBuffer* b);
  void Erase(const FileBlock* fb, int key, int32_t page);

 private:
  struct Slot {
    const FileBlock* fb = nullptr;  // nullptr = empty
    int32_t key = 0;
    int32_t page = 0;
    PageBuffer* buffer = nullptr;
  };
  // Every bit of the file block, key and page reaches the low bits the mask keeps: pages of
  // the same number under different keys (and record blocks, key 0) must not share a home.
  size_t Home(const FileBlock* fb, int key, int32_t page) const {
    uint64_t h = reinterpret_cast<uintptr_t>(fb) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(uint32_t(key)) << 32 | uint32_t(page);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return size_t(h) & mask_;
  }
  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t used_ = 0;
};

}  // namespace tf::engine::detail
