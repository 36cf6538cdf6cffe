#include "engine/core/page_table.h"

namespace tf::engine::detail {

void PageTable::Reserve(size_t entries) {
  size_t want = 16;
  while (want < entries * 2) want *= 2;
  if (want <= slots_.size()) return;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(want, Slot{});
  mask_ = want - 1;
  used_ = 0;
  for (const Slot& s : old)
    if (s.fb) Insert(s.fb, s.key, s.page, s.buffer);
}

void PageTable::Clear() {
  slots_.clear();
  mask_ = 0;
  used_ = 0;
}

PageBuffer* PageTable::Find(const FileBlock* fb, int key, int32_t page) const {
  if (slots_.empty()) return nullptr;
  for (size_t i = Home(fb, key, page);; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (!s.fb) return nullptr;
    if (s.fb == fb && s.page == page && s.key == key) return s.buffer;
  }
}

void PageTable::Insert(const FileBlock* fb, int key, int32_t page, PageBuffer* b) {
  if ((used_ + 1) * 2 > slots_.size()) Reserve(used_ + 1);
  size_t i = Home(fb, key, page);
  while (slots_[i].fb) i = (i + 1) & mask_;
  slots_[i] = Slot{fb, key, page, b};
  ++used_;
}

void PageTable::Erase(const FileBlock* fb, int key, int32_t page) {
  if (slots_.empty()) return;
  size_t i = Home(fb, key, page);
  for (;; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (!s.fb) return;
    if (s.fb == fb && s.page == page && s.key == key) break;
  }
  // Backward-shift deletion: move later members of the probe run into the hole so lookups
  // never need tombstones.
  size_t hole = i;
  for (size_t j = (i + 1) & mask_; slots_[j].fb; j = (j + 1) & mask_) {
    size_t home = Home(slots_[j].fb, slots_[j].key, slots_[j].page);
    bool movable = (j > hole) ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      slots_[hole] = slots_[j];
      hole = j;
    }
  }
  slots_[hole] = Slot{};
  --used_;
}

}  // namespace tf::engine::detail
