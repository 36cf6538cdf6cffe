#pragma once
// The project's own engine doing the invoices workload through its public operations, exactly
// as the invoice file uses them: one file block "BENCHI" with six indexes.

#include <memory>
#include <string>

#include "bench/invoice_store.h"

namespace tf::bench {

// Initialises the engine with `pageBuffers` page buffers and works in `dir` (the engine names
// files relative to the working directory, so the store changes into `dir` while it lives and
// changes back when it is destroyed).
std::unique_ptr<InvoiceStore> MakeEngineStore(const std::string& dir, int pageBuffers);

}  // namespace tf::bench
