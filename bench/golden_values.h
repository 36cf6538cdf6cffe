#pragma once
// Counts and digests of the invoices workload for the sizes it is run at, as an independent
// implementation produced them. A system's figures count only when its results match these.

#include <array>
#include <cstdint>
#include <optional>

#include "bench/workload.h"

namespace tf::bench {

struct GoldenValues {
  uint32_t n;
  Digest lookups, ranges, fullWalk, deletes;
  uint64_t reopenCount;
};

inline constexpr std::array<GoldenValues, 3> kGoldenValues{{
    {1000, {100000, 0xb6e1a24a5f61b5a8}, {16331, 0xede1fe21ac476f93}, {1000, 0x5cc264354fe5682e},
     {100, 0xdaf6913b4e3500e7}, 900},
    {100000, {100000, 0xf441e44e5ba60c82}, {1640386, 0xa6087b59b0f67cac}, {100000, 0x04715624f0d9351a},
     {10000, 0x3f9f74088cb717c8}, 90000},
    {1000000, {100000, 0xf57ccab436617e49}, {16420793, 0x06445c05a0472688}, {1000000, 0xcfb809a235bda321},
     {100000, 0xda4e7b51c14424d7}, 900000},
}};

inline std::optional<GoldenValues> GoldenValuesFor(uint32_t n) {
  for (const GoldenValues& g : kGoldenValues)
    if (g.n == n) return g;
  return std::nullopt;
}

}  // namespace tf::bench
