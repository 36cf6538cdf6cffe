#pragma once
// Runs the six phases of the invoices workload against one store, each phase timed on its own
// with a monotonic clock; phase parameters are worked out before the phase's timer starts.

#include <cstdint>
#include <string>

#include "bench/bench_result.h"
#include "bench/invoice_store.h"

namespace tf::bench {

struct RunOptions {
  std::string system;
  uint32_t n = 0;
  int rep = 1;
  bool quiet = false;  // no progress lines on stderr
};

// The store's file size is taken after phase 6, the peak RSS at the end.
BenchResult RunInvoicesWorkload(InvoiceStore& store, const RunOptions& options);

}  // namespace tf::bench
