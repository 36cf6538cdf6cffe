#include "aging/aging_scan.h"

#include <algorithm>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::aging {

namespace inv = records::invoice;

void Problems::Add(std::string text) {
  if (texts.size() < kMaxProblemsKept) texts.push_back(std::move(text));
  ++count;
}

bool ForEachLiveRecord(engine::FileBlock* block,
                       const std::function<bool(std::int32_t ref, std::span<const std::uint8_t> record)>& each) {
  const int length = engine::RecordLength(block);
  if (!engine::EngineOK) return false;
  const std::int32_t last = engine::FileLength(block) - 1;
  if (!engine::EngineOK) return false;
  common::RecordBuffer record(std::size_t(std::max(length, 4)));
  for (std::int32_t ref = 1; ref <= last; ++ref) {
    engine::GetRecord(block, ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) return false;
    if (common::ReadInt32(record, common::Int32Field{0}) != 0) continue;  // a deleted slot
    if (!each(ref, record)) return false;
  }
  return true;
}

std::optional<InvoiceScan> ScanInvoices(engine::FileBlock* invoices, std::chrono::year_month_day today,
                                        const AgingLimits& limits, const Progress& progress) {
  InvoiceScan scan;
  const bool read = ForEachLiveRecord(invoices, [&](std::int32_t ref, std::span<const std::uint8_t> record) {
    ++scan.records;
    if (progress && scan.records % kProgressEvery == 0) progress(scan.records);
    const RecordAge age = AgeInvoiceRecord(record, today, limits);
    if (age.state == RecordState::Settled) return true;
    CustomerShare& share = scan.customers[CustomerMatchKey(common::ReadText(record, inv::kCustomerNumber))];
    if (age.state == RecordState::Open) {
      share.sums.amounts[std::size_t(age.category)] += age.balance;
      ++share.openRecords;
    } else {
      share.hasBadRecord = true;
      scan.problems.Add(DescribeBadRecord(record, ref, age.state));
    }
    return true;
  });
  if (!read) return std::nullopt;
  return scan;
}

std::optional<AgingSums> CustomerAging(engine::FileBlock* invoices, std::string_view customerNumber,
                                       std::chrono::year_month_day today, const AgingLimits& limits,
                                       Problems* problems) {
  const auto records = inv::ReadCustomerInvoices(invoices, customerNumber);
  if (!records) return std::nullopt;
  AgingSums sums;
  for (const inv::StoredRecord& r : *records) {
    const RecordAge age = AgeInvoiceRecord(r.record, today, limits);
    if (age.state == RecordState::Open)
      sums.amounts[std::size_t(age.category)] += age.balance;
    else if (age.state != RecordState::Settled && problems)
      problems->Add(DescribeBadRecord(r.record, r.ref, age.state));
  }
  return sums;
}

}  // namespace tf::aging
