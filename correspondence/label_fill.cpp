#include "correspondence/label_fill.h"

#include <functional>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::correspondence {
namespace {

namespace cu = records::customer;

std::optional<std::vector<LabelQueueEntry>> Walk(engine::FileBlock* customers,
                                                 const std::function<bool(std::span<const std::uint8_t>)>& wanted) {
  std::vector<LabelQueueEntry> out;
  common::RecordBuffer record = cu::NewCustomerRecord();
  std::int32_t ref = 0;
  for (;;) {
    engine::NextRecord(customers, ref);
    if (!engine::EngineOK) {
      if (engine::EngineErrorClass() != 1) return std::nullopt;
      engine::EngineOK = true;
      engine::EngineStatus = 0;
      return out;
    }
    engine::GetRecord(customers, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) return std::nullopt;
    if (wanted(record)) out.push_back(QueueEntryOf(record));
  }
}

}  // namespace

LabelQueueEntry QueueEntryOf(std::span<const std::uint8_t> c) {
  return {common::ReadText(c, cu::kCustomerNumber), common::ReadText(c, cu::kCustomerName),
          common::ReadText(c, cu::kMailSortCode), common::ReadText(c, cu::kCustomerType)};
}

std::optional<std::vector<LabelQueueEntry>> AllCustomers(engine::FileBlock* customers) {
  return Walk(customers, [](std::span<const std::uint8_t> c) {
    return !common::TrimBoth(common::ReadText(c, cu::kCustomerName)).empty();
  });
}

std::optional<std::vector<LabelQueueEntry>> CustomersInAgingCategory(engine::FileBlock* customers, int category) {
  const common::TextField field = cu::kAgingAmount[category - 1];
  return Walk(customers, [field](std::span<const std::uint8_t> c) {
    const auto amount = common::ParseAmount(common::ReadText(c, field), common::BlankAmount::Zero);
    return !amount || !amount->IsZero();
  });
}

}  // namespace tf::correspondence
