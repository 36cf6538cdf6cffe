#include "app/cli/extensions.h"

namespace tf::cli {

Extensions BuiltInExtensions() {
  Extensions e;
  // Plain side files that share the data files' extension: the payment terms list and the
  // remembered label layout path.
  e.sideFiles = {"VQTERMS.DAT", "Lastlbl.DAT"};
  return e;
}

}  // namespace tf::cli
