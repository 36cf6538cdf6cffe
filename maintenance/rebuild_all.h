#pragma once
// "Rebuild Data Files": every file block of one company and the company file block, each
// rebuilt as the program rebuilds a damaged block (compacted records, fresh index), with the
// shapes the record kinds registry gives. The company file comes first, then the company's
// customers, invoices, invoice lines, memos and products, then any other block of the company
// the registry knows. A failed block does not stop the others; the outcome names each one that
// failed with its status. A block the company does not have yet (a new company without
// invoices) is passed over, not failed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rebuilding/rebuild_status.h"
#include "records/record_kinds.h"

namespace tf::maintenance {

inline constexpr std::string_view kRebuildCompleteText = "The data files have been rebuilt.";
inline constexpr std::string_view kRebuildCompleteCaption = "Rebuild Complete";

struct BlockRebuild {
  enum class Outcome { Rebuilt, Failed, NotThere };
  std::string name;   // "1C"
  std::string title;  // "Customers"
  Outcome outcome = Outcome::NotThere;
  std::int32_t status = 0;  // the engine's status of a failure
  int records = 0;          // records kept (after a rebuild)
};

struct RebuildAllResult {
  std::vector<BlockRebuild> blocks;  // in the order they were rebuilt or passed over
  std::vector<const BlockRebuild*> Failed() const;
  // "The data files have been rebuilt." or the blocks that failed, one a line, with their
  // status and what to do.
  std::string Message() const;
};

// Runs with the data folder as working directory, the engine started and none of the blocks
// open. `status` shows each block's progress.
RebuildAllResult RebuildAllFiles(std::string_view companyNumber, const records::RecordKindRegistry& kinds,
                                 engine::RebuildStatus& status);

}  // namespace tf::maintenance
