#pragma once
// The physical floor: the least work any store must do for the workload. Records go to a data
// file laid out like the engine's (slot 0 the header, record n at n x 360), written in large
// sequential chunks; the six indexes are sorted arrays in memory; each record read is one pread.

#include <cstdint>
#include <memory>
#include <string>

#include "bench/invoice_store.h"

namespace tf::bench {

std::unique_ptr<InvoiceStore> MakeFloorStore(const std::string& dir, uint32_t n);

}  // namespace tf::bench
