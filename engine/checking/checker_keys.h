#pragma once
// The record-aware check: every index must hold exactly the entries (key, ref) that the live
// records imply through the application's key builder, no more and no fewer.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/checking/checker.h"
#include "engine/checking/checker_data.h"
#include "engine/checking/checker_findings.h"
#include "engine/checking/checker_index.h"

namespace tf::engine {

class ExpectedKeys {
 public:
  explicit ExpectedKeys(const KeyBuilder& builder) : builder_(builder) {}

  // Builds the keys of one live record.
  void AddRecord(int32_t ref, std::span<const unsigned char> record, FindingList& out);
  // Reports the differences with every index whose tree could be read.
  void Compare(int keyCount, const std::vector<IndexInspection>& indexes, const RecordMap& records,
               FindingList& out) const;

 private:
  struct Built {
    int32_t ref;
    std::vector<std::string> keys;
  };
  const KeyBuilder& builder_;
  std::vector<Built> built_;
};

}  // namespace tf::engine
