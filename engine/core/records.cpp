// Record operations on the data file: one positioned read or write per record (records added
// with deferred appends are written together), the header fields kept in memory until the close.

#include <algorithm>

#include "engine/core/engine.h"
#include "engine/core/engine_internal.h"

namespace tf::engine {
using namespace detail;

namespace {

int64_t SlotOffset(const FileBlock* fb, int32_t ref) {
  return RecordSlotOffset(ref, fb->header.RecordLength);
}

// Deferred appends are written in pieces of about this size.
constexpr size_t kPendingBytes = size_t(1) << 20;

int32_t PendingCount(const FileBlock* fb) {
  return int32_t(fb->pending.size() / size_t(fb->header.RecordLength));
}

// The bytes of slot `ref` while it waits in the append buffer, else nullptr.
uint8_t* PendingSlot(FileBlock* fb, int32_t ref) {
  if (fb->pending.empty() || ref < fb->pendingFirst || ref >= fb->pendingFirst + PendingCount(fb)) return nullptr;
  return fb->pending.data() + size_t(ref - fb->pendingFirst) * size_t(fb->header.RecordLength);
}

bool ReadLink(FileBlock* fb, int32_t ref, int32_t& link) {
  if (ref == fb->staleLinkSlot) {
    link = fb->staleLink;
    return true;
  }
  uint8_t raw[kDeletedLinkSize];
  if (!ReadExact(fb->dataFd, raw, kDeletedLinkSize, SlotOffset(fb, ref))) return false;
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
  if (!WriteExact(fb->dataFd, raw, kDeletedLinkSize, SlotOffset(fb, fb->staleLinkSlot))) return false;
  fb->staleLinkSlot = 0;
  return true;
}

bool detail::WritePendingAppends(FileBlock* fb) {
  if (fb->pending.empty()) return true;
  // On failure the records stay here for the next try; a close that cannot write them fails and
  // leaves the file block marked for rebuilding.
  if (!WriteExact(fb->dataFd, fb->pending.data(), fb->pending.size(), SlotOffset(fb, fb->pendingFirst))) return false;
  fb->pending.clear();
  return true;
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
  if (!ReadExact(fb->dataFd, buffer, size_t(fb->header.RecordLength), SlotOffset(fb, ref))) return;
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
  if (!ReadExact(fb->dataFd, buffer.data(), size_t(fb->header.RecordLength), SlotOffset(fb, ref))) return;
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
  if (uint8_t* slot = PendingSlot(fb, ref)) {
    std::copy_n(static_cast<const uint8_t*>(buffer), fb->header.RecordLength, slot);
    return;
  }
  WriteExact(fb->dataFd, buffer, size_t(fb->header.RecordLength), SlotOffset(fb, ref));
}

void AddRecord(FileBlock* handle, int32_t& ref, const void* buffer) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  if (!MarkFirstChange(fb) || !RepairStaleLink(fb)) return;
  DataHeader& h = fb->header;
  if (fb->deferAppends && h.FirstFree == kEndOfChain) {
    const size_t length = size_t(h.RecordLength);
    if (fb->pending.size() + length > kPendingBytes && !WritePendingAppends(fb)) return;
    if (fb->pending.empty()) fb->pendingFirst = h.RecordCount + 1;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    fb->pending.insert(fb->pending.end(), bytes, bytes + length);
    ref = ++h.RecordCount;
    return;
  }
  if (!WritePendingAppends(fb)) return;
  const DataHeader before = h;
  int32_t slot;
  if (h.FirstFree == kEndOfChain) {
    slot = ++h.RecordCount;
  } else {
    slot = h.FirstFree;
    int32_t link = 0;
    if (slot <= 0 || slot > h.RecordCount) return Fail(status::kFreeChainDamaged);
    if (!ReadLink(fb, slot, link)) return;
    if (link == kLiveRecord || link > h.RecordCount || link < kEndOfChain)
      return Fail(status::kFreeChainDamaged);
    h.FirstFree = link;
    --h.DeletedCount;
  }
  // A reused slot turns live when its first four bytes become zero, so they are written last:
  // a process killed inside the write (the kernel may stop between two pages of the file)
  // then leaves the slot still deleted, never a live mix of the new record and the deleted one.
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const size_t length = size_t(h.RecordLength);
  const int64_t at = SlotOffset(fb, slot);
  constexpr size_t linkBytes = kDeletedLinkSize;
  const bool written = slot > before.RecordCount
                           ? WriteExact(fb->dataFd, bytes, length, at)
                           : WriteExact(fb->dataFd, bytes + linkBytes, length - linkBytes, at + linkBytes) &&
                                 WriteExact(fb->dataFd, bytes, linkBytes, at);
  if (!written) {
    if (slot > before.RecordCount) {
      fb->dataTailDirty = true;
    } else {  // the slot stays at the head of the free chain
      fb->staleLinkSlot = slot;
      fb->staleLink = h.FirstFree;
    }
    h = before;
    return;
  }
  ref = slot;
}

void DeleteRecord(FileBlock* handle, int32_t ref) {
  FileBlock* fb = EnterOperation(handle, Access::Change);
  OperationScope scope{fb};
  if (!fb) return;
  DataHeader& h = fb->header;
  if (ref < 1 || ref > h.RecordCount) return Fail(status::kDeleteOutOfRange);
  if (!WritePendingAppends(fb)) return;
  // Deleting a slot that is already in the free chain would make the chain hand it out twice,
  // and the second AddRecord would overwrite the first one's record.
  int32_t link = 0;
  if (!ReadLink(fb, ref, link)) return;
  if (link != kLiveRecord) return Fail(status::kDeleteOutOfRange);
  if (!MarkFirstChange(fb) || !RepairStaleLink(fb)) return;
  uint8_t raw[kDeletedLinkSize];
  SetDeletedLink(raw, h.FirstFree);
  if (!WriteExact(fb->dataFd, raw, kDeletedLinkSize, SlotOffset(fb, ref))) {
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
