#pragma once
// The one way record fields become index keys: trimmed, padded to the key length (never cut
// by the padding), upper-cased, then cut to the longest key the index files hold.

#include <cstddef>
#include <string>
#include <string_view>

namespace tf::common {

// Index keys hold at most 30 characters (the storage engine cuts longer key arguments too).
inline constexpr std::size_t kMaxKeyText = 30;

// UpperCase(PadRight(TrimBoth(field), keyLength)) cut to 30 characters.
std::string BuildKey(std::string_view field, std::size_t keyLength);

}  // namespace tf::common
