#pragma once
// LMDB doing the invoices workload: one database of records keyed by record number and one
// sorted-duplicates database per key (key string -> record number), adds and deletes each in
// one write transaction, each reading phase in one read transaction, no sync at commit.

#include <cstdint>
#include <memory>
#include <string>

#include "bench/invoice_store.h"

namespace tf::bench {

std::unique_ptr<InvoiceStore> MakeLmdbStore(const std::string& dir, uint32_t n);

}  // namespace tf::bench
