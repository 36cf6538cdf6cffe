#pragma once
// One system under test, seen by the workload runner. The constructor creates and opens the
// empty store and the destructor closes it and removes its files (neither is timed); every
// call below runs inside a phase's timer.

#include <cstdint>
#include <string>

#include "bench/workload.h"

namespace tf::bench {

class InvoiceStore {
 public:
  virtual ~InvoiceStore() = default;

  // Work a system does once per phase around the per-item calls (a transaction, a sort).
  virtual void BeginPhase(int /*phase*/) {}
  virtual void EndPhase(int /*phase*/) {}

  // Phase 1: stores rec, which must become record number `expectedRef`, with its six keys.
  virtual void Add(int32_t expectedRef, const InvoiceRecord& rec) = 0;
  // Phase 2: the first entry of key 1 at or after `wanted`; when its key equals `wanted`,
  // reads its record.
  virtual void Lookup(const std::string& wanted, Digest& digest) = 0;
  // Phase 3: every key-3 entry in [low, high), in index order, reading each record.
  virtual void WalkDates(const std::string& low, const std::string& high, Digest& digest) = 0;
  // Phase 4: every key-2 entry in index order, reading each record.
  virtual void WalkCustomers(Digest& digest) = 0;
  // Phase 5: reads record `ref`, deletes its six index entries and the record.
  virtual void Delete(int32_t ref, Digest& digest) = 0;
  // Phase 6: closes the store (writing whatever it caches), reopens it, counts live records.
  virtual uint64_t ReopenAndCount() = 0;

  // Bytes of the store's files (after phase 6).
  virtual uint64_t FileBytes() = 0;
  // False when Delete cannot digest the record because the store reads it internally.
  virtual bool DigestsDeletes() const { return true; }
  // True for a system that reports record generation time on its own, so it can be subtracted.
  virtual bool MeasuresGeneration() const { return false; }
};

}  // namespace tf::bench
