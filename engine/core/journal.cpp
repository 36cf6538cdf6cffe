#include "engine/core/journal.h"

#include <algorithm>
#include <vector>

namespace tf::engine::detail {
namespace {

bool ReadJournal(FileBlock* fb, std::vector<uint8_t>& bytes) {
  int64_t size = 0;
  if (int err = CurrentFileSystem().Size(fb->journalFd, size)) {
    FailOs(FilePrimitive::Size, err);
    return false;
  }
  bytes.resize(size_t(size));
  return size == 0 || ReadExact(fb->journalFd, bytes.data(), bytes.size(), 0);
}

}  // namespace

bool ReplayJournal(FileBlock* fb) {
  std::vector<uint8_t> j;
  if (!ReadJournal(fb, j)) return Fail(status::kJournalReplayFailed), false;
  if (j.size() <= size_t(kJournalMarkerSize)) return true;
  if (fb->readOnly) return Fail(status::kJournalReadOnly), false;

  // Validate the whole journal before writing any of it.
  struct Write {
    int fd;
    size_t from, size;
    int64_t offset;
  };
  std::vector<Write> writes;
  size_t at = kJournalMarkerSize;
  bool ended = false;
  // A journal holds the pages one operation changed: it may append as many index records as
  // it has pages, no more. A page far beyond the file would make a huge (sparse) index file.
  int64_t pageEntries = 0, highestPage = 0;
  int64_t dataSize = 0;
  if (int err = CurrentFileSystem().Size(fb->dataFd, dataSize)) {
    FailOs(FilePrimitive::Size, err);
    return Fail(status::kJournalReplayFailed), false;
  }
  while (!ended) {
    if (at + kJournalTagSize > j.size()) return Fail(status::kJournalReplayFailed), false;
    int16_t tag = LoadI16(&j[at]);
    at += kJournalTagSize;
    if (tag == kJournalEndTag) {
      ended = true;
    } else if (tag >= 1 && tag <= fb->keyCount) {
      const KeyIndex& k = fb->keys[size_t(tag)];
      const size_t slotAt = at + kJournalPageNumberSize;
      if (slotAt + size_t(k.PageSlotSize) > j.size()) return Fail(status::kJournalReplayFailed), false;
      int32_t page = LoadI32(&j[at]);
      if (page < 1) return Fail(status::kJournalReplayFailed), false;
      ++pageEntries;
      highestPage = std::max<int64_t>(highestPage, page);
      const int64_t offset = PageOffset(page, fb->indexRecordSize, k.SectionOffset);
      writes.push_back({fb->indexFd, slotAt, size_t(k.PageSlotSize), offset});
      at = slotAt + size_t(k.PageSlotSize);
    } else if (tag == kJournalHeaderTag) {
      size_t need = kDataHeaderSize + size_t(fb->indexRecordSize);
      if (at + need > j.size()) return Fail(status::kJournalReplayFailed), false;
      // The header the open goes on with gets the checks of one read at open.
      const DataHeader rolled = DataHeader::Decode(&j[at]);
      if (!SaneDataHeader(rolled, dataSize) || rolled.KeyCount != fb->keyCount)
        return Fail(status::kJournalReplayFailed), false;
      writes.push_back({fb->dataFd, at, kDataHeaderSize, 0});
      if (fb->keyCount > 0) writes.push_back({fb->indexFd, at + kDataHeaderSize, size_t(fb->indexRecordSize), 0});
      at += need;
    } else {
      return Fail(status::kJournalReplayFailed), false;
    }
  }
  if (highestPage >= fb->indexRecordCount + pageEntries) return Fail(status::kJournalReplayFailed), false;
  for (const Write& w : writes)
    if (!WriteExact(w.fd, &j[w.from], w.size, w.offset)) return Fail(status::kJournalReplayFailed), false;
  if (fb->keyCount > 0 && !SyncFile(fb->indexFd)) return Fail(status::kJournalReplayFailed), false;
  if (!SyncFile(fb->dataFd)) return Fail(status::kJournalReplayFailed), false;

  uint8_t raw[kDataHeaderSize];
  if (!ReadExact(fb->dataFd, raw, kDataHeaderSize, 0)) return Fail(status::kJournalReplayFailed), false;
  fb->header = DataHeader::Decode(raw);
  if (fb->header.KeyCount != fb->keyCount) return Fail(status::kJournalReplayFailed), false;
  if (fb->keyCount > 0) {
    int64_t size = 0;
    if (CurrentFileSystem().Size(fb->indexFd, size) == 0) fb->indexRecordCount = size / fb->indexRecordSize;
  }
  return true;
}

}  // namespace tf::engine::detail
