#include "app/cli/extensions.h"

#include "records/file_blocks.h"
#include "records/record_kinds.h"

namespace tf::cli {

Extensions BuiltInExtensions() {
  Extensions e;
  e.recordKinds = records::BuiltInRecordKinds();
  e.sideFiles = records::SideFiles();
  e.starterSteps = app::StarterSteps();
  return e;
}

}  // namespace tf::cli
