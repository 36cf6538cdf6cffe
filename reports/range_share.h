#pragma once
// How a report reads the records of a key range: through the index (each listed record read where
// its entry leads, nearby ones together) or in one pass over the whole data file. The pass pays
// once the range holds more than a quarter of the entries; the index's own estimate of where the
// range's ends lie tells that before any of it is walked.

#include <cstdint>
#include <string_view>

#include "engine/core/engine.h"

namespace tf::reports {

// The fineness of the estimate: positions 0..kRangeScale.
inline constexpr std::uint16_t kRangeScale = 4096;

// True when the estimated positions of a range's first and last entries (0..kRangeScale) span
// more than a quarter of the index.
bool PassPays(std::uint16_t firstPosition, std::uint16_t lastPosition);

// True when index `keyNr` estimates that the keys from `from` up to and including `to` are more
// than a quarter of its entries. An empty index, or one that cannot tell, says no: walking it
// finds out.
bool RangeWantsPass(engine::FileBlock* handle, int keyNr, std::string_view from, std::string_view to);

}  // namespace tf::reports
