#pragma once
// Reading what customers owe from a company's invoice file, for the aging of the whole company
// and for one customer.
//
// The whole file is read once in record order rather than customer by customer through the
// customer index: one pass over the records costs a sequential read each, while a key search
// per customer and a read per invoice would jump across the file. The sums are kept per
// customer number, so memory grows with the customers, never with the invoice records.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "aging/aging_rules.h"
#include "engine/core/engine.h"

namespace tf::aging {

// At most this many problems are kept word for word; the rest are counted.
inline constexpr std::size_t kMaxProblemsKept = 100;

// Problems met on the way: each one in words, the first kMaxProblemsKept of them.
struct Problems {
  std::vector<std::string> texts;
  std::size_t count = 0;

  void Add(std::string text);
  bool empty() const { return count == 0; }
};

// One customer number's share of the invoice file.
struct CustomerShare {
  AgingSums sums;
  int openRecords = 0;
  // A record of this customer could not be aged (its balance or date is unreadable): the
  // customer's stored amounts are the best there is, and it is left as it was.
  bool hasBadRecord = false;
};

struct InvoiceScan {
  std::unordered_map<std::string, CustomerShare> customers;  // by CustomerMatchKey
  Problems problems;                                        // the bad records
  int records = 0;
};

// Called every `kProgressEvery` records with the count so far.
inline constexpr int kProgressEvery = 2000;
using Progress = std::function<void(int recordsRead)>;

// Calls `each` with every live record of the open file block in record order, until it returns
// false. Each slot is read once and told live by its status word (0 in a live record), rather
// than asking the engine for the next live slot and then reading it: one read per record instead
// of two, which is most of what a run over a large file costs. False when the file cannot be
// read through (EngineOK / EngineStatus tell why) or `each` stopped it.
bool ForEachLiveRecord(engine::FileBlock* block,
                       const std::function<bool(std::int32_t ref, std::span<const std::uint8_t> record)>& each);

// Every live record of the open invoice file, aged on `today`. Nothing when the file cannot be
// read through (EngineOK / EngineStatus tell why): sums of half a file would pass for the truth.
std::optional<InvoiceScan> ScanInvoices(engine::FileBlock* invoices, std::chrono::year_month_day today,
                                        const AgingLimits& limits, const Progress& progress = {});

// The records of one customer (invoice key 2), aged on `today`; bad records are left out and
// described in `problems` when given. Nothing on an engine failure.
std::optional<AgingSums> CustomerAging(engine::FileBlock* invoices, std::string_view customerNumber,
                                       std::chrono::year_month_day today, const AgingLimits& limits,
                                       Problems* problems = nullptr);

}  // namespace tf::aging
