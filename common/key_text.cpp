#include "common/key_text.h"

#include "common/text.h"

namespace tf::common {

std::string BuildKey(std::string_view field, std::size_t keyLength) {
  return Cut(UpperCase(PadRight(TrimBoth(field), keyLength)), kMaxKeyText);
}

}  // namespace tf::common
