#include "engine/core/page_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace tf::engine::detail {

PagePool& Pool() {
  static PagePool pool;
  return pool;
}

namespace {
constexpr int kChunkBuffers = 4096;
constexpr int kOverflowChunkBuffers = 16;
}  // namespace

void PagePool::MappedBytes::operator()(uint8_t* p) const {
  if (p) ::munmap(p, size);
}

bool PagePool::AddChunk(int size) {
  Chunk c;
  c.buffers.reset(new (std::nothrow) PageBuffer[size_t(size)]);
  // Buffer memory is mapped, not taken from the heap, so that it can ask for large pages: the
  // pages are touched all over, and with 4 KiB ones every first touch is a fault of its own and
  // almost every access a TLB miss. It becomes resident only as it is touched, a large page at
  // a time.
  const size_t bytes = size_t(size) * kMaxPageSlotSize;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
  ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint: without large pages it works all the same
  c.data = std::unique_ptr<uint8_t[], MappedBytes>(static_cast<uint8_t*>(p), MappedBytes{bytes});
  if (!c.buffers) return false;
  c.size = size;
  chunks_.push_back(std::move(c));
  return true;
}

int PagePool::Allocate(int n) {
  Release();
  buffers_.reserve(static_cast<size_t>(n));
  // Chunk by chunk, halving a chunk that cannot be had, until n buffers exist or memory
  // runs out.
  for (int want = std::min(n, kChunkBuffers); BufferCount() < n && want > 0;) {
    want = std::min(want, n - BufferCount());
    if (!AddChunk(want)) {
      want /= 2;
      continue;
    }
    for (int i = 0; i < want; ++i) NewBuffer();
  }
  capacity_ = BufferCount();
  blockLimit_ = capacity_ / 2 > 1 ? capacity_ / 2 : 1;
  recentWindow_ = uint64_t(capacity_ / 4 > 1 ? capacity_ / 4 : 1);
  table_.Reserve(static_cast<size_t>(capacity_));
  return capacity_;
}

void PagePool::Release() {
  buffers_.clear();
  chunks_.clear();
  table_.Clear();
  newest_ = oldest_ = nullptr;
  newestBlock_ = oldestBlock_ = nullptr;
  blocks_ = 0;
  capacity_ = 0;
}

PageBuffer* PagePool::NewBuffer() {
  if (chunks_.empty() || chunks_.back().used == chunks_.back().size) {
    if (!AddChunk(kOverflowChunkBuffers)) return nullptr;
  }
  Chunk& c = chunks_.back();
  PageBuffer* b = &c.buffers[size_t(c.used)];
  b->data = c.data.get() + size_t(c.used) * kMaxPageSlotSize;
  ++c.used;
  buffers_.push_back(b);
  PushOldest(b);
  return b;
}

void PagePool::Unlink(PageBuffer* b) {
  if (b->newer) b->newer->older = b->older; else newest_ = b->older;
  if (b->older) b->older->newer = b->newer; else oldest_ = b->newer;
  b->newer = b->older = nullptr;
}

void PagePool::PushNewest(PageBuffer* b) {
  b->older = newest_;
  b->newer = nullptr;
  if (newest_) newest_->newer = b; else oldest_ = b;
  newest_ = b;
}

void PagePool::PushOldest(PageBuffer* b) {
  b->newer = oldest_;
  b->older = nullptr;
  if (oldest_) oldest_->older = b; else newest_ = b;
  oldest_ = b;
}

int64_t PagePool::SlotOffset(const FileBlock* fb, int key, int32_t page) {
  return PageOffset(page, fb->indexRecordSize, fb->keys[key].SectionOffset);
}

bool PagePool::WriteBack(PageBuffer* b) {
  const KeyIndex& k = b->owner->keys[b->key];
  size_t used;
  if (b->freedPage) {
    used = kFreePageLinkSize;
  } else {
    int count = std::clamp<int>(PageEntryCount(b->data), 0, kPageCapacity);
    used = size_t(UsedPageBytes(count, k.Stride));
  }
  if (!WriteExact(b->owner->indexFd, b->data, used, SlotOffset(b->owner, b->key, b->page)))
    return false;
  b->changed = false;
  return true;
}

void PagePool::Detach(PageBuffer* b) {
  if (!b->owner) return;
  if (b->key != kRecordBlockKey) {
    table_.Erase(b->owner, b->key, b->page);
  } else {
    b->owner->blockMap[size_t(b->page)] = nullptr;
    if (b->blockNewer) b->blockNewer->blockOlder = b->blockOlder; else newestBlock_ = b->blockOlder;
    if (b->blockOlder) b->blockOlder->blockNewer = b->blockNewer; else oldestBlock_ = b->blockNewer;
    b->blockNewer = b->blockOlder = nullptr;
    --blocks_;
  }
  b->owner = nullptr;
  b->changed = false;
  b->freedPage = false;
  b->slots = 0;
}

void PagePool::TouchBlock(PageBuffer* b) {
  if (b == newestBlock_) return;
  if (b->blockNewer) b->blockNewer->blockOlder = b->blockOlder;
  if (b->blockOlder) b->blockOlder->blockNewer = b->blockNewer; else if (b == oldestBlock_) oldestBlock_ = b->blockNewer;
  PushNewestBlock(b);
}

void PagePool::PushNewestBlock(PageBuffer* b) {
  b->blockOlder = newestBlock_;
  b->blockNewer = nullptr;
  if (newestBlock_) newestBlock_->blockNewer = b; else oldestBlock_ = b;
  newestBlock_ = b;
}

PageBuffer* PagePool::Victim() {
  for (PageBuffer* b = oldest_; b; b = b->newer) {
    if (b->pins) continue;
    if (b->owner && b->changed && !WriteBack(b)) return nullptr;
    Detach(b);
    return b;
  }
  return NewBuffer();
}

PageBuffer* PagePool::Bind(PageBuffer* b, FileBlock* fb, int key, int32_t page) {
  b->owner = fb;
  b->key = key;
  b->page = page;
  b->changed = false;
  b->freedPage = false;
  if (key != kRecordBlockKey) {
    table_.Insert(fb, key, page, b);
  } else {
    if (fb->blockMap.size() <= size_t(page)) fb->blockMap.resize(size_t(page) + 1 + size_t(page) / 4, nullptr);
    fb->blockMap[size_t(page)] = b;
    ++blocks_;
    PushNewestBlock(b);
  }
  if (b != newest_) {
    Unlink(b);
    PushNewest(b);
  }
  b->lastMove = ++moves_;
  return b;
}

PageBuffer* PagePool::Fetch(FileBlock* fb, int key, int32_t page, PageBuffer* hint) {
  PageBuffer* b = (hint && hint->owner == fb && hint->page == page && hint->key == key)
                      ? hint
                      : table_.Find(fb, key, page);
  if (!b) {
    b = Victim();
    if (!b) return nullptr;
    const KeyIndex& k = fb->keys[key];
    if (!ReadExact(fb->indexFd, b->data, size_t(k.PageSlotSize), SlotOffset(fb, key, page))) {
      // The buffer was free or clean: it simply stays free.
      return nullptr;
    }
    Bind(b, fb, key, page);
  }
  Touch(b);
  ++b->pins;
  return b;
}

PageBuffer* PagePool::FetchRecords(FileBlock* fb, int32_t block, int32_t slotsWanted, int32_t slotsToRead,
                                   int64_t offset) {
  PageBuffer* b = FindRecords(fb, block);
  if (b && b->slots >= slotsWanted) {
    // As Touch: a block moved lately keeps its places, which spares the cache misses of
    // relinking it in both orders on every record read.
    if (b != newest_ && moves_ - b->lastMove >= recentWindow_) {
      Unlink(b);
      PushNewest(b);
      TouchBlock(b);
      b->lastMove = ++moves_;
    }
    ++b->pins;
    return b;
  }
  if (!b) {
    // A new block takes the oldest block's buffer once blocks hold their share of the pool.
    if (blocks_ >= blockLimit_) {
      for (PageBuffer* old = oldestBlock_; old; old = old->blockNewer)
        if (!old->pins) {
          b = old;
          break;
        }
    }
    if (b)
      Detach(b);
    else if (!(b = Victim()))
      return nullptr;
    Bind(b, fb, kRecordBlockKey, block);
  }
  const size_t length = size_t(slotsToRead) * size_t(fb->header.RecordLength);
  if (!ReadExact(fb->dataFd, b->data, length, offset)) {
    Detach(b);  // nothing in it can be trusted
    return nullptr;
  }
  b->slots = slotsToRead;
  Touch(b);
  ++b->pins;
  return b;
}

bool PagePool::KeepRecords(FileBlock* fb, int32_t block, const uint8_t* bytes, int32_t slots) {
  PageBuffer* b = oldest_;
  if (!b || b->owner || b->pins || blocks_ >= blockLimit_ || FindRecords(fb, block)) return false;
  Bind(b, fb, kRecordBlockKey, block);
  std::memcpy(b->data, bytes, size_t(slots) * size_t(fb->header.RecordLength));
  b->slots = slots;
  return true;
}

void PagePool::Drop(PageBuffer* b) {
  Detach(b);
  Unlink(b);
  PushOldest(b);
}

PageBuffer* PagePool::Claim(FileBlock* fb, int key, int32_t page) {
  PageBuffer* b = table_.Find(fb, key, page);
  if (!b) {
    b = Victim();
    if (!b) return nullptr;
    Bind(b, fb, key, page);
  }
  b->freedPage = false;
  std::memset(b->data, 0, kPageHeaderSize);
  Touch(b);
  ++b->pins;
  return b;
}

bool PagePool::Flush(FileBlock* fb) {
  std::vector<PageBuffer*> dirty;
  for (PageBuffer* b : buffers_)
    if (b->owner == fb && b->changed) dirty.push_back(b);
  std::sort(dirty.begin(), dirty.end(), [fb](const PageBuffer* a, const PageBuffer* b) {
    return SlotOffset(fb, a->key, a->page) < SlotOffset(fb, b->key, b->page);
  });
  bool ok = true;
  for (PageBuffer* b : dirty) ok = WriteBack(b) && ok;
  return ok;
}

void PagePool::Forget(FileBlock* fb) {
  for (PageBuffer* b : buffers_) {
    if (b->owner != fb) continue;
    Detach(b);
    b->pins = 0;
    Unlink(b);
    PushOldest(b);
  }
}

}  // namespace tf::engine::detail
