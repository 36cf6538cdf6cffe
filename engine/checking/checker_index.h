#pragma once
// Checks of the index file: each key's header and page geometry, the file's length, and each
// key's B-tree and free page chain. Collects each tree's entries in order.

#include <optional>
#include <vector>

#include "engine/checking/block_reader.h"
#include "engine/checking/block_reader_format.h"
#include "engine/checking/checker.h"
#include "engine/checking/checker_data.h"
#include "engine/checking/checker_findings.h"

namespace tf::engine {

struct IndexInspection {
  int keyNr = 0;
  format::IndexHeader header;
  std::optional<disk::PageGeometry> geometry;
  bool treeRead = false;
  std::vector<LayoutEntry> entries;  // in tree order
};

// One inspection per key whose header could be located, in key order.
std::vector<IndexInspection> InspectIndexFile(const disk::RawFile& file, int keyCount,
                                              const RecordMap& records, FindingList& findings);

}  // namespace tf::engine
