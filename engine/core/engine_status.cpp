#include "engine/core/engine_status.h"

namespace tf::engine {

int ErrorClassOf(int32_t s) {
  if (s == 0) return 0;
  if (s == 9903 || (s >= 10200 && s <= 10299) || s == 10410) return 1;
  switch (s) {
    case 9900: case 10065: case 10110: case 10306: case 10330: case 10332:
    case 10335: case 10355: case 10360: case 10390: case 10397: case 10399:
      return 2;
    default:
      break;
  }
  if (s >= 10001 && s <= 10009) return 3;
  return 4;
}

}  // namespace tf::engine
