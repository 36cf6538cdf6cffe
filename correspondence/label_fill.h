#pragma once
// Filling the label queue from the customer file: every customer with a name, or every one with
// a balance in one aging category, in the order the records stand in the file. The customers
// are read first and appended together, so a file that fails half way adds nothing.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "correspondence/label_queue.h"
#include "engine/core/engine.h"

namespace tf::correspondence {

// The queue's four columns of a customer record.
LabelQueueEntry QueueEntryOf(std::span<const std::uint8_t> customer);

// The entries, or nothing when the file could not be read (EngineStatus says why).
std::optional<std::vector<LabelQueueEntry>> AllCustomers(engine::FileBlock* customers);
// Customers whose aging amount of `category` (1 .. 4) is not zero. An amount that cannot be read
// as one counts as owed: the user sees the customer and may remove it, where a silent skip
// would lose a letter.
std::optional<std::vector<LabelQueueEntry>> CustomersInAgingCategory(engine::FileBlock* customers, int category);

}  // namespace tf::correspondence
