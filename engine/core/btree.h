#pragma once
// The B-tree algorithms over one index of an open file block. Callers (keys.cpp) have done
// the entry check; these functions set the status on failure.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/engine_internal.h"
#include "engine/core/key_compare.h"
#include "engine/core/page_pool.h"

namespace tf::engine::detail {

// A page image viewed through its key's layout (entries are 1-based; entry 0's Child is the
// page's LeftChild).
class Page {
 public:
  Page() = default;
  Page(PageBuffer* b, const KeyIndex& k) : buf_(b), stride_(k.Stride), keyLength_(k.KeyLength) {}
  explicit operator bool() const { return buf_ != nullptr; }
  PageBuffer* Buffer() const { return buf_; }
  int32_t Number() const { return buf_->page; }

  int Count() const { return PageEntryCount(Bytes()); }
  void SetCount(int n) { SetPageEntryCount(Bytes(), static_cast<int16_t>(n)); }
  bool IsLeaf() const { return LeftChild() == 0; }
  int32_t LeftChild() const { return PageLeftChild(Bytes()); }
  uint8_t* Entry(int i) const { return Bytes() + EntryOffset(i - 1, stride_); }
  int32_t Ref(int i) const { return EntryRef(Entry(i)); }
  int32_t Child(int i) const { return i == 0 ? LeftChild() : EntryChild(Entry(i)); }
  void SetChild(int i, int32_t c) {
    if (i == 0)
      SetPageLeftChild(Bytes(), c);
    else
      SetEntryChild(Entry(i), c);
  }
  std::string_view Key(int i) const { return EntryKey(Entry(i), keyLength_); }
  void Changed() { buf_->changed = true; }

 private:
  uint8_t* Bytes() const { return buf_->data; }
  PageBuffer* buf_ = nullptr;
  int stride_ = 0;
  int keyLength_ = 0;
};

// What is searched for: a key and, in an index with duplicates, a ref.
struct Probe {
  std::string_view key;
  int32_t ref;
  bool duplicates;
};

std::string_view CutKey(std::string_view key);  // keys longer than 30 characters are cut

// Tree changes. Both leave the index exactly as it was when they fail.
void InsertEntry(FileBlock* fb, int keyNr, int32_t ref, std::string_view key);
void RemoveEntry(FileBlock* fb, int keyNr, int32_t ref, std::string_view key);

// Positioning. Each returns true with ref/key set to the entry reached, or false with the
// status set (the caller chooses the "no entry" status).
enum class Found { Exact, Gap, Error };
Found PositionAt(FileBlock* fb, int keyNr, const Probe& probe);  // sets the index's position
// To the first (or last) entry; false without a status when the index is empty.
bool StepToEnd(FileBlock* fb, int keyNr, bool first);
bool StepNext(FileBlock* fb, int keyNr);   // false without a status: no further entry
bool StepPrev(FileBlock* fb, int keyNr);
// The entry at the index's position (which must be on an entry).
bool CurrentEntry(FileBlock* fb, int keyNr, int32_t& ref, std::string& key);

// The index's last entry, leaving its position alone. False with the status set on a read
// failure (the index must not be empty).
bool LastEntry(FileBlock* fb, int keyNr, int32_t& ref, std::string& key);

// A tree page of the index, validated (page number in range, entry count 1..62); nullptr
// page with status 10010 when the index is damaged.
Page LoadPage(PinSet& pins, FileBlock* fb, int keyNr, int32_t page, PageBuffer* hint = nullptr);
// Searches one page: true with the matching entry in `index`, else false with `index` = the
// last entry smaller than the probe (0..count).
bool SearchPage(const Page& page, const Probe& probe, int& index);

}  // namespace tf::engine::detail
