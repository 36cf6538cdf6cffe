#pragma once
// SQLite doing the invoices workload: table inv(id INTEGER PRIMARY KEY, k1..k6 TEXT, body BLOB)
// with one index per key, journal and sync off, prepared statements.

#include <memory>
#include <string>

#include "bench/invoice_store.h"

namespace tf::bench {

enum class SqliteMode {
  Transaction,        // "sqlite": adds and deletes each in one transaction, exclusive lock
  Autocommit,         // "sqlite-auto": one transaction per added or deleted row
  TransactionNormal,  // "sqlite-txn-normal": as Transaction with the default locking mode
};

std::unique_ptr<InvoiceStore> MakeSqliteStore(const std::string& dir, SqliteMode mode);

}  // namespace tf::bench
