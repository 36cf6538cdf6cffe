#include "reports/range_share.h"

#include <limits>

namespace tf::reports {

bool PassPays(std::uint16_t firstPosition, std::uint16_t lastPosition) {
  if (lastPosition <= firstPosition) return false;
  return std::uint32_t(lastPosition - firstPosition) * 4 > kRangeScale;
}

bool RangeWantsPass(engine::FileBlock* handle, int keyNr, std::string_view from, std::string_view to) {
  // The range's first entry lies where (from, the lowest record number) would go, its last just
  // before where (to, the highest) would go: equal keys are kept in record order.
  std::uint16_t first = 0, last = 0;
  engine::KeyPosition(handle, keyNr, first, 0, from, kRangeScale);
  const bool known = engine::EngineOK;
  if (known) engine::KeyPosition(handle, keyNr, last, std::numeric_limits<std::int32_t>::max(), to, kRangeScale);
  const bool wanted = known && engine::EngineOK && PassPays(first, last);
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return wanted;
}

}  // namespace tf::reports
