#pragma once
// The page buffer pool shared by every open file block: least-recently-used replacement, a
// changed page written back (only its used part) when its buffer is reused or its file block
// closes. A hash from (file block, key, page) to buffer keeps lookups constant-time whatever
// the pool size.
//
// Besides index pages the pool holds blocks of data records (key 0, "page" = the block's
// number), read once and then served from memory: a walk in key order reads records all over
// the data file, and a read call per record is most of its cost. Record blocks are never
// changed in the pool: every record write goes to the file at once, as it always did, and the
// block is brought up to date (or forgotten when the write failed). They may take at most half
// of the buffers, so that a long walk cannot push the index pages out.
//
// Pages in use by an operation are pinned so that fetching further pages cannot evict them;
// if every buffer is pinned the pool grows past its nominal size rather than fail.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/engine_internal.h"
#include "engine/core/page_table.h"

namespace tf::engine::detail {

struct PageBuffer {
  FileBlock* owner = nullptr;  // nullptr = free
  int key = 0;
  int32_t page = 0;
  bool changed = false;
  bool freedPage = false;  // holds a released page: only the 4-byte free link is written
  int pins = 0;
  int32_t slots = 0;  // a record block: how many slots from its first hold the file's bytes
  uint64_t lastMove = 0;        // the pool's move count when this buffer last became newest
  PageBuffer* newer = nullptr;  // towards the most recently used end
  PageBuffer* older = nullptr;
  PageBuffer* blockNewer = nullptr;  // the same order among the record blocks alone
  PageBuffer* blockOlder = nullptr;
  uint8_t* data = nullptr;  // the page slot image, kMaxPageSlotSize bytes (owned by the pool)
};

class PagePool {
 public:
  // Allocates up to n buffers; returns how many could be had.
  int Allocate(int n);
  void Release();
  int Capacity() const { return capacity_; }
  int BufferCount() const { return static_cast<int>(buffers_.size()); }
  // How many buffers record blocks may take.
  int BlockLimit() const { return blockLimit_; }

  // The page, pinned; read from disk on a miss. nullptr with the status set on failure (the
  // pool is then as it was, changed pages included). `hint` is a buffer that held the page
  // recently, checked before the table.
  PageBuffer* Fetch(FileBlock* fb, int key, int32_t page, PageBuffer* hint = nullptr);
  // A buffer for a page that is being (re)initialised: nothing is read from disk. Pinned.
  PageBuffer* Claim(FileBlock* fb, int key, int32_t page);
  void Unpin(PageBuffer* b) { --b->pins; }

  // Record blocks (records.cpp decides which slots a block holds). The block, pinned, holding
  // at least `slotsWanted` slots read from byte `offset` of the data file (`slotsToRead` of
  // them on a miss); nullptr with the status set when the read fails.
  PageBuffer* FetchRecords(FileBlock* fb, int32_t block, int32_t slotsWanted, int32_t slotsToRead, int64_t offset);
  // Record blocks are found through their file block's own map (a plain array, denser in the
  // cache than the table); index pages through the table.
  static PageBuffer* FindRecords(const FileBlock* fb, int32_t block) {
    return size_t(block) < fb->blockMap.size() ? fb->blockMap[size_t(block)] : nullptr;
  }
  // Forgets an unpinned record block (its bytes no longer match the file's).
  void Drop(PageBuffer* b);
  // Keeps `slots` records just written at the start of block `block` in a buffer no page uses,
  // if there is one (no page is ever evicted for it); false when there is none.
  bool KeepRecords(FileBlock* fb, int32_t block, const uint8_t* bytes, int32_t slots);
  static constexpr int kRecordBlockKey = 0;

  // Writes back every changed page of the file block (in file order). False if any write
  // failed; the failed pages stay changed.
  bool Flush(FileBlock* fb);
  // Forgets the file block's pages (changed or not); their buffers become free and are reused
  // first.
  void Forget(FileBlock* fb);

  static int64_t SlotOffset(const FileBlock* fb, int key, int32_t page);
  static bool WriteBack(PageBuffer* b);

 private:
  PageBuffer* NewBuffer();
  // A buffer to hold a different page: the least recently used unpinned one (written back
  // first if changed), or a new one when all are pinned. nullptr if the write-back failed.
  PageBuffer* Victim();
  // Makes b the most recently used buffer. A buffer already among the newest quarter keeps
  // its place: it is nowhere near eviction, and not relinking it spares the hot upper tree
  // pages, which every operation visits, three cache misses each.
  void Touch(PageBuffer* b) {
    if (b != newest_ && moves_ - b->lastMove >= recentWindow_) {
      Unlink(b);
      PushNewest(b);
      b->lastMove = ++moves_;
    }
  }
  void Unlink(PageBuffer* b);
  void PushNewest(PageBuffer* b);
  void PushOldest(PageBuffer* b);
  PageBuffer* Bind(PageBuffer* b, FileBlock* fb, int key, int32_t page);
  // Takes a buffer from its page: out of the table and, for a record block, out of the blocks'
  // order. The buffer stays where it is in the pool's order.
  void Detach(PageBuffer* b);
  void TouchBlock(PageBuffer* b);
  void PushNewestBlock(PageBuffer* b);

  // Buffers are allocated in chunks so that their bookkeeping lies close together: every page
  // access reads it, and scattered it costs a cache and a TLB miss each time.
  struct MappedBytes {
    size_t size;  // value-initialised (0) by an empty pointer
    void operator()(uint8_t* p) const;
  };
  struct Chunk {
    std::unique_ptr<PageBuffer[]> buffers;
    std::unique_ptr<uint8_t[], MappedBytes> data;
    int size = 0;
    int used = 0;
  };
  bool AddChunk(int size);
  std::vector<Chunk> chunks_;
  std::vector<PageBuffer*> buffers_;
  PageTable table_;
  PageBuffer* newest_ = nullptr;
  PageBuffer* oldest_ = nullptr;
  PageBuffer* newestBlock_ = nullptr;
  PageBuffer* oldestBlock_ = nullptr;
  int blocks_ = 0;      // buffers holding record blocks
  int blockLimit_ = 0;  // at most this many
  int capacity_ = 0;
  uint64_t moves_ = 0;
  uint64_t recentWindow_ = 1;
};

PagePool& Pool();

// Pins taken during one operation, released together when it ends. Operations pin a handful
// of pages (a path, siblings, new pages), so the set lives on the stack.
class PinSet {
 public:
  PinSet() = default;
  PinSet(const PinSet&) = delete;
  PinSet& operator=(const PinSet&) = delete;
  ~PinSet() {
    for (int i = 0; i < n_; ++i) Pool().Unpin(inline_[i]);
    for (PageBuffer* b : overflow_) Pool().Unpin(b);
  }
  PageBuffer* Fetch(FileBlock* fb, int key, int32_t page, PageBuffer* hint = nullptr) {
    return Keep(Pool().Fetch(fb, key, page, hint));
  }
  PageBuffer* Claim(FileBlock* fb, int key, int32_t page) { return Keep(Pool().Claim(fb, key, page)); }

 private:
  PageBuffer* Keep(PageBuffer* b) {
    if (!b) return nullptr;
    if (n_ < kInline)
      inline_[n_++] = b;
    else
      overflow_.push_back(b);
    return b;
  }
  static constexpr int kInline = 48;
  PageBuffer* inline_[kInline];
  int n_ = 0;
  std::vector<PageBuffer*> overflow_;
};

}  // namespace tf::engine::detail
