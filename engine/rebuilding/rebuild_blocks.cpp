#include "engine/rebuilding/rebuild_blocks.h"

#include <algorithm>
#include <new>

#include "engine/core/engine_internal.h"
#include "engine/rebuilding/rebuild.h"

namespace tf::engine::detail::rebuild {
namespace {

// Write-behind only pays when a block holds at least two records.
constexpr int kMaxWriteBehindRecordLength = kRebuildBlockBytes / 2;

int RecordsPerBlock(int recordLength) { return std::max(1, kRebuildBlockBytes / recordLength); }

}  // namespace

std::unique_ptr<uint8_t[]> AllocateBlock(int recordLength, int& records, int minimum) {
  for (int n = records;; n = std::max(minimum, n / 2)) {
    auto block = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size_t(n) * size_t(recordLength)]);
    if (block) {
      records = n;
      return block;
    }
    if (n <= minimum) break;
  }
  records = 0;
  return nullptr;
}

bool RecordBlockReader::Allocate(int fd, int recordLength) {
  fd_ = fd;
  recordLength_ = recordLength;
  capacity_ = RecordsPerBlock(recordLength);
  block_ = AllocateBlock(recordLength, capacity_, std::min(2, capacity_));
  if (!block_) return Fail(status::kRebuildNoMemory), false;
  Restart();
  return true;
}

void RecordBlockReader::Restart() {
  blockFirst_ = 1;
  count_ = 0;
  next_ = 0;
  lastBlock_ = false;
}

void RecordBlockReader::RestartAtHeader() {
  Restart();
  blockFirst_ = 0;
}

bool RecordBlockReader::Fill() {
  blockFirst_ += count_;
  next_ = 0;
  count_ = 0;
  const size_t wanted = size_t(capacity_) * size_t(recordLength_);
  size_t done = 0;
  if (int err =
          CurrentFileSystem().Read(fd_, block_.get(), wanted, int64_t(blockFirst_) * recordLength_, done)) {
    FailOs(FilePrimitive::Read, err);
    return false;
  }
  count_ = int(done / size_t(recordLength_));
  lastBlock_ = done < wanted;
  return true;
}

bool RecordBlockReader::Next(uint8_t*& record, int32_t& ref) {
  record = nullptr;
  if (next_ == count_) {
    if (lastBlock_) return true;
    if (!Fill()) return false;
    if (count_ == 0) return true;
  }
  ref = blockFirst_ + next_;
  record = block_.get() + size_t(next_++) * size_t(recordLength_);
  return true;
}

bool RecordAppender::Allocate(FileBlock* fb) {
  fb_ = fb;
  recordLength_ = fb->header.RecordLength;
  count_ = 0;
  capacity_ = 0;
  const bool empty = fb->header.RecordCount == 0 && fb->header.FirstFree == kEndOfChain;
  if (!empty || recordLength_ > kMaxWriteBehindRecordLength) return true;
  capacity_ = RecordsPerBlock(recordLength_);
  block_ = AllocateBlock(recordLength_, capacity_, 2);
  if (!block_) return Fail(status::kRebuildNoMemory), false;
  return true;
}

bool RecordAppender::Append(const uint8_t* record) {
  if (capacity_ == 0) {
    int32_t ref = 0;
    AddRecord(fb_, ref, record);
    return EngineOK;
  }
  std::copy_n(record, recordLength_, block_.get() + size_t(count_) * size_t(recordLength_));
  return ++count_ < capacity_ || Flush();
}

bool RecordAppender::Flush() {
  if (count_ == 0) return true;
  ResetStatus();
  if (!MarkFirstChange(fb_)) return false;
  DataHeader& h = fb_->header;
  const int64_t offset = DataFileLength(h.RecordCount, recordLength_);  // the end of the file
  if (!WriteExact(fb_->dataFd, block_.get(), size_t(count_) * size_t(recordLength_), offset)) {
    fb_->dataTailDirty = true;  // the close cuts a partly written block off again
    return false;
  }
  h.RecordCount += count_;
  count_ = 0;
  return true;
}

}  // namespace tf::engine::detail::rebuild
