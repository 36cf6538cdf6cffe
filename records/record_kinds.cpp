#include "records/record_kinds.h"

#include <fnmatch.h>

namespace tf::records {

const RecordKind* RecordKindRegistry::Find(std::string_view blockName) const {
  std::string name(blockName);
  for (const RecordKind& kind : kinds_)
    if (fnmatch(kind.blockPattern.c_str(), name.c_str(), 0) == 0) return &kind;
  return nullptr;
}

}  // namespace tf::records
