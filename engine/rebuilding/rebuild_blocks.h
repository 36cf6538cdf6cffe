#pragma once
// The sequential record transfers of a rebuild: reading a data file ahead and writing the new
// one behind, in blocks of at most 32 KB, instead of one file call per record.

#include <cstdint>
#include <memory>

#include "engine/core/engine.h"

namespace tf::engine::detail::rebuild {

// Reads records 1, 2, ... of an open data file until a short read marks the end (a partial
// last record is ignored).
class RecordBlockReader {
 public:
  // Sets up the read-ahead buffer; false with 10411 when not even two records fit in memory.
  bool Allocate(int fd, int recordLength);
  // The next record and its number; `record` is nullptr at the end. False with the status set
  // on a read failure. The record stays valid, and may be changed, until the next call.
  bool Next(uint8_t*& record, int32_t& ref);
  // Starts again at record 1.
  void Restart();
  // Starts again at slot 0, the header slot, handed out as record 0 in the first block read.
  void RestartAtHeader();

 private:
  bool Fill();

  int fd_ = -1;
  int recordLength_ = 0;
  int capacity_ = 0;  // records per block
  std::unique_ptr<uint8_t[]> block_;
  int32_t blockFirst_ = 1;  // number of the first record in the block
  int count_ = 0;           // records in the block
  int next_ = 0;            // index of the next record to hand out
  bool lastBlock_ = false;
};

// Appends records to a file block. While the file block is empty at the start and its records
// are at most 16 KB, they are gathered and written as one block at the end of the file (which
// raises RecordCount by the block's count); otherwise each goes through AddRecord.
class RecordAppender {
 public:
  // False with 10411 when no buffer could be had.
  bool Allocate(FileBlock* fb);
  bool Append(const uint8_t* record);
  // Writes the gathered records.
  bool Flush();

 private:
  FileBlock* fb_ = nullptr;
  int recordLength_ = 0;
  int capacity_ = 0;  // 0: no write-behind
  std::unique_ptr<uint8_t[]> block_;
  int count_ = 0;
};

// A buffer of `records` records of `recordLength` bytes, or of fewer records (never fewer than
// `minimum`) when memory is short. Empty when not even that could be had.
std::unique_ptr<uint8_t[]> AllocateBlock(int recordLength, int& records, int minimum);

}  // namespace tf::engine::detail::rebuild
