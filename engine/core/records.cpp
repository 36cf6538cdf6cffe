// Record operations on the data file: one positioned write per rewritten or deleted record,
// records added at the end written together, reads served from blocks of records in the page
// pool, the header fields kept in memory until the close.

#include <algorithm>

#include "engine/core/engine.h"
#include "engine/core/engine_internal.h"
#include "engine/core/page_pool.h"

namespace tf::engine {
using namespace detail;

namespace {

int64_t SlotOffset(const FileBlock* fb, int32_t ref) {
  return RecordSlotOffset(ref, fb->header.RecordLength);
}

// Added records are written in pieces of about this size.
constexpr size_t kPendingBytes = size_t(1) << 20;

// The shared file block (not a private copy) whose added records wait in memory: at most one,
// so that writing it before any other file block's write keeps the order of all writes.
FileBlock* g_waiting = nullptr;

int32_t PendingCount(const FileBlock* fb) {
  return int32_t(fb->pending.size() / size_t(fb->header.RecordLength));
}

// The bytes of slot `ref` while it waits in the append buffer, else nullptr.
uint8_t* PendingSlot(FileBlock* fb, int32_t ref) {
  if (fb->pending.empty() || ref < fb->pendingFirst || ref >= fb->pendingFirst + PendingCount(fb)) return nullptr;
  return fb->pending.data() + size_t(ref - fb->pendingFirst) * size_t(fb->header.RecordLength);
}

// Slots the data file itself holds: records waiting in the append buffer are not there yet.
int32_t SlotsInFile(const FileBlock* fb) { return fb->pending.empty() ? fb->header.RecordCount : fb->pendingFirst - 1; }

// Copies `length` bytes at `from` of slot `ref` into `out`: out of the pool's block of the slot
// (read whole on a miss) when the slot is one of the file's records, else with a read of its own
// (the header slot, a slot past the end: what the file holds there, or a short read).
bool ReadSlot(FileBlock* fb, int32_t ref, uint8_t* out, size_t from, size_t length) {
  const int32_t per = fb->blockRecords;
  const int32_t inFile = SlotsInFile(fb);
  if (per > 0 && ref >= 1 && ref <= inFile) {
    const int32_t block = ref / per, first = block * per;
    const size_t at = size_t(ref - first) * size_t(fb->header.RecordLength) + from;
    if (inFile / per < Pool().BlockLimit()) {
      const int32_t slots = std::min(per, inFile - first + 1);
      PageBuffer* b = Pool().FetchRecords(fb, block, ref - first + 1, slots, SlotOffset(fb, first));
      if (!b) return false;
      std::copy_n(b->data + at, length, out);
      Pool().Unpin(b);
      return true;
    }
    // A file with more blocks than the pool may hold is read a record at a time (but from a
    // block the pool holds already): most blocks read whole would be pushed out before their
    // other records are asked for, and a larger read costs more.
    if (const PageBuffer* held = PagePool::FindRecords(fb, block); held && held->slots > ref - first) {
      std::copy_n(held->data + at, length, out);
      return true;
    }
  }
  return ReadExact(fb->dataFd, out, length, SlotOffset(fb, ref) + int64_t(from));
}

// After `length` bytes at `from` of slot `ref` were written: the pool's block of the slot takes
// them too, or is forgotten when the write failed (what reached the file is then unknown).
void SlotWritten(FileBlock* fb, int32_t ref, const uint8_t* bytes, size_t from, size_t length, bool written) {
  const int32_t per = fb->blockRecords;
  if (per <= 0 || ref < 1) return;
  PageBuffer* b = Pool().FindRecords(fb, ref / per);
  if (!b) return;
  if (!written) return Pool().Drop(b);
  const size_t recordLength = size_t(fb->header.RecordLength);
  const int32_t index = ref % per;
  if (index < b->slots) {
    std::copy_n(bytes, length, b->data + size_t(index) * recordLength + from);
  } else if (index == b->slots && from == 0 && length == recordLength) {
    std::copy_n(bytes, length, b->data + size_t(index) * recordLength);
    ++b->slots;
  }
}

// Records written together at the end: a block holding the last slots before them no longer
// ends where the file did, so it is read again when asked.
void SlotsAppended(FileBlock* fb, int32_t first, int32_t count) {
  const int32_t per = fb->blockRecords;
  if (per <= 0 || count <= 0) return;
  for (int32_t block = first / per; block <= (first + count - 1) / per; ++block)
    if (PageBuffer* b = Pool().FindRecords(fb, block)) Pool().Drop(b);
}

// Records just written from the append buffer stay in the pool while it has buffers no page
// uses: the first reads after the adds then need no read call. Only whole blocks starting in the
// buffer are kept (the block before them was forgotten by SlotsAppended).
void KeepWrittenRecords(FileBlock* fb) {
  const int32_t per = fb->blockRecords;
  if (per <= 0) return;
  const int32_t first = fb->pendingFirst, end = first + PendingCount(fb);
  for (int32_t block = (first + per - 1) / per; block * per < end; ++block) {
    const int32_t from = block * per, slots = std::min(per, end - from);
    const uint8_t* bytes = fb->pending.data() + size_t(from - first) * size_t(fb->header.RecordLength);
    if (!Pool().KeepRecords(fb, block, bytes, slots)) return;
  }
}

bool ReadLink(FileBlock* fb, int32_t ref, int32_t& link) {
  if (ref == fb->staleLinkSlot) {
    link = fb->staleLink;
    return true;
  }
  uint8_t raw[kDeletedLinkSize];
  if (!ReadSlot(fb, ref, raw, 0, kDeletedLinkSize)) return false;
  link = DeletedLink(raw);
  return true;
}

// Scans slots for the next live one (its deleted link 0) in `step` direction.
void ScanRecords(FileBlock* fb, int32_t& ref, int32_t from, int step) {
  for (int32_t r = from; r >= 1 && r <= fb->header.RecordCount; r += step) {
    int32_t link;
    if (!ReadLink(fb, r, link)) {
      Fail(EngineStatus == status::kOsFailure ? status::kScanOsFailure : status::kNoFurtherRecord);
      return;
    }
    if (link == kLiveRecord) {
      ref = r;
      return;
    }
  }
  Fail(status::kNoFurtherRecord);
}

}  // namespace

bool detail::RepairStaleLink(FileBlock* fb) {
  if (fb->staleLinkSlot == 0) return true;
  uint8_t raw[kDeletedLinkSize];
  SetDeletedLink(raw, fb->staleLink);
  const bool written = WriteExact(fb->dataFd, raw, kDeletedLinkSize, SlotOffset(fb, fb->staleLinkSlot));
  SlotWritten(fb, fb->staleLinkSlot, raw, 0, kDeletedLinkSize, written);
  if (!written) return false;
  fb->staleLinkSlot = 0;
  return true;
}

bool detail::WritePendingAppends(FileBlock* fb) {
  if (fb->pending.empty()) return true;
  // On failure the records stay here for the next try; a close that cannot write them fails and
  // leaves the file block marked for rebuilding.
  const bool written = WriteExact(fb->dataFd, fb->pending.data(), fb->pending.size(), SlotOffset(fb, fb->pendingFirst));
  SlotsAppended(fb, fb->pendingFirst, PendingCount(fb));
  if (!written) return false;
  if (!fb->deferAppends) KeepWrittenRecords(fb);
  fb->pending.clear();
  if (g_waiting == fb) g_waiting = nullptr;
  return true;
}

bool detail::WriteWaitingAppends(const FileBlock* except) {
  return !g_waiting || g_waiting == except || WritePendingAppends(g_waiting);
}

void detail::ForgetWaitingAppends(const FileBlock* fb) {
  if (g_waiting == fb) g_waiting = nullptr;
}

namespace {

// Before a write into the data file other than an added record: the records waiting there, and
// those of the shared file block that waits, reach their files first.
bool BeforeWrite(FileBlock* fb) { return WritePendingAppends(fb) && (fb->deferAppends || WriteWaitingAppends(fb)); }

}  // namespace

void FlushFileBlock(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  // A private copy's records wait for its close: a copy left unclosed is thrown away anyway.
  if (fb && !fb->deferAppends) WritePendingAppends(fb);
}

void DeferAppends(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (fb) fb->deferAppends = true;
}

void GetRecord(FileBlock* handle, int32_t ref, void* buffer, int /*reserved*/) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  if (ref < 0) return Fail(status::kShortRead);
  if (const uint8_t* slot = PendingSlot(fb, ref)) {
    std::copy_n(slot, fb->header.RecordLength, static_cast<uint8_t*>(buffer));
    return;
  }
  if (!ReadSlot(fb, ref, static_cast<uint8_t*>(buffer), 0, size_t(fb->header.RecordLength))) return;
  if (ref == fb->staleLinkSlot && ref != 0) SetDeletedLink(static_cast<uint8_t*>(buffer), fb->staleLink);
}

void GetRecord(FileBlock* handle, int32_t ref, std::span<uint8_t> buffer) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  if (buffer.size() < size_t(fb->header.RecordLength)) return Fail(status::kBufferTooSmall);
  if (ref < 0) return Fail(status::kShortRead);
  if (const uint8_t* slot = PendingSlot(fb, ref)) {
    std::copy_n(slot, fb->header.RecordLength, buffer.data());
    return;
  }
  if (!ReadSlot(fb, ref, buffer.data(), 0, size_t(fb->header.RecordLength))) return;
  if (ref == fb->staleLinkSlot && ref != 0) SetDeletedLink(buffer.data(), fb->staleLink);
}

void GetRecords(FileBlock* handle, int32_t firstRef, int32_t count, std::span<uint8_t> buffer) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb) return;
  const size_t length = size_t(fb->header.RecordLength);
  if (count < 0 || buffer.size() / length < size_t(count)) return Fail(status::kBufferTooSmall);
  if (firstRef < 0) return Fail(status::kShortRead);
  // Slots still waiting in the append buffer are copied from it; those before it are one read.
  int32_t onDisk = count;
  if (!fb->pending.empty() && int64_t(firstRef) + count > fb->pendingFirst)
    onDisk = std::max<int32_t>(0, fb->pendingFirst - firstRef);
  if (onDisk > 0 && !ReadExact(fb->dataFd, buffer.data(), length * size_t(onDisk), SlotOffset(fb, firstRef))) return;
  for (int32_t i = onDisk; i < count; ++i) {
    const uint8_t* slot = PendingSlot(fb, firstRef + i);
    if (!slot) return Fail(status::kShortRead);
    std::copy_n(slot, length, buffer.data() + size_t(i) * length);
  }
  const int32_t stale = fb->staleLinkSlot;
  if (stale != 0 && stale >= firstRef && stale - firstRef < onDisk)
    SetDeletedLink(buffer.data() + size_t(stale - firstRef) * length, fb->staleLink);
}

void PutRecord(FileBlock* handle, int32_t ref, const void* buffer, int /*reserved*/) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  if (ref == 0) return Fail(status::kPutRecordZero);
  // A slot past RecordCount is not part of the file block: writing it would put a record
  // where no header count reaches it and the next AddRecord would overwrite it.
  if (ref < 0 || ref > fb->header.RecordCount) return Fail(status::kDeleteOutOfRange);
  if (uint8_t* slot = PendingSlot(fb, ref); slot && fb->deferAppends) {
    std::copy_n(static_cast<const uint8_t*>(buffer), fb->header.RecordLength, slot);
    return;
  }
  if (!BeforeWrite(fb)) return;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const size_t length = size_t(fb->header.RecordLength);
  SlotWritten(fb, ref, bytes, 0, length, WriteExact(fb->dataFd, bytes, length, SlotOffset(fb, ref)));
}

void AddRecord(FileBlock* handle, int32_t& ref, const void* buffer) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  if (!fb->deferAppends && !WriteWaitingAppends(fb)) return;
  if (!MarkFirstChange(fb) || !RepairStaleLink(fb)) return;
  DataHeader& h = fb->header;
  if (h.FirstFree == kEndOfChain) {
    // Added at the end: the record waits with the others and reaches the file in a large write.
    const size_t length = size_t(h.RecordLength);
    if (fb->pending.size() + length > kPendingBytes && !WritePendingAppends(fb)) return;
    if (fb->pending.empty()) fb->pendingFirst = h.RecordCount + 1;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    fb->pending.insert(fb->pending.end(), bytes, bytes + length);
    if (!fb->deferAppends) g_waiting = fb;
    ref = ++h.RecordCount;
    return;
  }
  // Into a deleted slot: written at once, after the records waiting at the end.
  if (!WritePendingAppends(fb)) return;
  const int32_t slot = h.FirstFree;
  int32_t link = 0;
  if (slot <= 0 || slot > h.RecordCount) return Fail(status::kFreeChainDamaged);
  if (!ReadLink(fb, slot, link)) return;
  if (link == kLiveRecord || link > h.RecordCount || link < kEndOfChain) return Fail(status::kFreeChainDamaged);
  // A reused slot turns live when its first four bytes become zero, so they are written last:
  // a process killed inside the write (the kernel may stop between two pages of the file)
  // then leaves the slot still deleted, never a live mix of the new record and the deleted one.
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const size_t length = size_t(h.RecordLength);
  const int64_t at = SlotOffset(fb, slot);
  constexpr size_t linkBytes = kDeletedLinkSize;
  const bool written = WriteExact(fb->dataFd, bytes + linkBytes, length - linkBytes, at + linkBytes) &&
                       WriteExact(fb->dataFd, bytes, linkBytes, at);
  SlotWritten(fb, slot, bytes, 0, length, written);
  if (!written) {  // the slot stays at the head of the free chain
    fb->staleLinkSlot = slot;
    fb->staleLink = link;
    return;
  }
  h.FirstFree = link;
  --h.DeletedCount;
  ref = slot;
}

void DeleteRecord(FileBlock* handle, int32_t ref) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  DataHeader& h = fb->header;
  if (ref < 1 || ref > h.RecordCount) return Fail(status::kDeleteOutOfRange);
  if (!BeforeWrite(fb)) return;
  // Deleting a slot that is already in the free chain would make the chain hand it out twice,
  // and the second AddRecord would overwrite the first one's record.
  int32_t link = 0;
  if (!ReadLink(fb, ref, link)) return;
  if (link != kLiveRecord) return Fail(status::kDeleteOutOfRange);
  if (!MarkFirstChange(fb) || !RepairStaleLink(fb)) return;
  uint8_t raw[kDeletedLinkSize];
  SetDeletedLink(raw, h.FirstFree);
  const bool written = WriteExact(fb->dataFd, raw, kDeletedLinkSize, SlotOffset(fb, ref));
  SlotWritten(fb, ref, raw, 0, kDeletedLinkSize, written);
  if (!written) {
    fb->staleLinkSlot = ref;  // still a live record
    fb->staleLink = kLiveRecord;
    return;
  }
  h.FirstFree = ref;
  ++h.DeletedCount;
}

int UsedRecords(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  return fb ? fb->header.RecordCount - fb->header.DeletedCount : 0;
}

int FileLength(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  return fb ? fb->header.RecordCount + 1 : 0;
}

int RecordLength(FileBlock* handle) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  return fb ? fb->header.RecordLength : 0;
}

void NextRecord(FileBlock* handle, int32_t& ref) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb || !WritePendingAppends(fb)) return;
  ScanRecords(fb, ref, ref < 0 ? 1 : ref + 1, +1);
}

void PrevRecord(FileBlock* handle, int32_t& ref) {
  FileBlock* fb = EnterOperation(handle, Access::Read);
  OperationScope scope{fb};
  if (!fb || !WritePendingAppends(fb)) return;
  int32_t start = (ref > fb->header.RecordCount + 1 ? fb->header.RecordCount + 1 : ref) - 1;
  ScanRecords(fb, ref, start, -1);
}

}  // namespace tf::engine
