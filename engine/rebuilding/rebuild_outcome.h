#pragma once
// Keeping the outcome of a rebuild step across the calls that follow it: the status of the
// step that failed survives the clean-up, and an application callback is judged by whether it
// cleared EngineOK.

#include <cstdint>

#include "engine/core/engine_status.h"

namespace tf::engine::detail::rebuild {

class SavedStatus {
 public:
  SavedStatus()
      : ok_(EngineOK), status_(EngineStatus), osError_(EngineOsError), primitive_(EngineFailedPrimitive) {}
  void Restore() const {
    EngineOK = ok_;
    EngineStatus = status_;
    EngineOsError = osError_;
    EngineFailedPrimitive = primitive_;
  }

 private:
  bool ok_;
  int32_t status_;
  int osError_;
  FilePrimitive primitive_;
};

// Calls an application callback with a clean status; true when it did not clear EngineOK.
template <typename Call>
bool CallbackSucceeded(Call&& call) {
  EngineOK = true;
  EngineStatus = 0;
  call();
  return EngineOK;
}

}  // namespace tf::engine::detail::rebuild
