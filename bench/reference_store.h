#pragma once
// The plainest correct store: records in a vector, each index a std::set of (key, record
// number). It has no files; it exists to check the generator and the other systems.

#include <memory>

#include "bench/invoice_store.h"

namespace tf::bench {

std::unique_ptr<InvoiceStore> MakeReferenceStore();

}  // namespace tf::bench
