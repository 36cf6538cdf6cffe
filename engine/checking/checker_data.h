#pragma once
// Checks of the data file: its header against the file, and the free chain of deleted records.
// Also learns which records are live, for the index checks that follow.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/checking/block_reader.h"
#include "engine/core/file_format.h"
#include "engine/checking/checker_findings.h"

namespace tf::engine {

class RecordMap {
 public:
  enum class State { Live, Deleted, BeyondFile, OutOfRange };

  bool known = false;          // false when the header gives no way to locate records
  int32_t recordCount = 0;     // as the header says
  std::vector<int32_t> links;  // first four bytes of slots 1..links.size(), those in the file

  State StateOf(int32_t ref) const;
};

struct DataInspection {
  bool headerRead = false;
  format::DataHeader header;
  RecordMap records;
};

// Called for every record slot 1..RecordCount that lies in the file, in order.
using RecordVisitor = std::function<void(int32_t ref, std::span<const unsigned char> bytes)>;

DataInspection InspectDataFile(const disk::RawFile& file, FindingList& findings,
                               const RecordVisitor& visit);

}  // namespace tf::engine
