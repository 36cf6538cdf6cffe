#include "maintenance/purge.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::maintenance {
namespace {

using engine::EngineOK;
namespace inv = records::invoice;
using namespace std::chrono;

bool BlockExists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(engine::EngineFileName(name, engine::FileKind::Data), ec);
}

// Settled and dated before the cut-off.
bool SettledBefore(std::span<const std::uint8_t> record, year_month_day cutoff) {
  if (common::TrimBoth(common::ReadText(record, inv::kPaidFlag)) != "P") return false;
  const std::optional<year_month_day> date = common::ParseDateKey(common::ReadText(record, inv::kDateKey));
  return date && date->ok() && sys_days{*date} < sys_days{cutoff};
}

}  // namespace

year_month_day DefaultPurgeCutoff(year_month_day today) {
  const year_month_day back{today.year() - years{2}, today.month(), today.day()};
  if (back.ok()) return back;
  return year_month_day{back.year(), back.month(), (back.year() / back.month() / last).day()};
}

std::string PurgeConfirmText(std::string_view shownDate) {
  return "All paid records older than " + std::string(shownDate) + " will be removed. Continue?";
}

int PurgeResult::RemovedRecords() const {
  int n = 0;
  for (const PurgedInvoice& p : removed) n += p.records;
  return n;
}

int PurgeResult::RemovedLines() const {
  int n = 0;
  for (const PurgedInvoice& p : removed) n += p.lines;
  return n;
}

int PurgeResult::RemovedMemos() const {
  return int(std::count_if(removed.begin(), removed.end(), [](const PurgedInvoice& p) { return p.memo; }));
}

std::string PurgeResult::DoneText(std::string_view shownDate) const {
  std::string text = std::to_string(RemovedRecords()) + " paid records older than " + std::string(shownDate) +
                     " were removed.";
  if (!failures.empty())
    text += " " + std::to_string(failures.size()) + (failures.size() == 1 ? " invoice" : " invoices") +
            " could not be removed and stay on file; run the delete again after a rebuild of the data files.";
  return text;
}

PurgeResult PurgePaidInvoices(const PurgeRequest& request, common::Prompter& prompter,
                              engine::RebuildStatus& status) {
  PurgeResult result;
  const std::string company = common::TrimBoth(request.companyNumber);
  if (!BlockExists(inv::InvoiceFileName(company))) return result;  // no invoices: nothing to remove

  engine::FileBlockGuard invoices, lines, memos;
  if (!inv::OpenInvoiceFile(invoices.handle(), company, prompter, status)) {
    result.error = "The invoice file cannot be opened.";
    return result;
  }
  if (BlockExists(inv::LineFileName(company)) && !inv::OpenLineFile(lines.handle(), company, prompter, status)) {
    result.error = "The invoice line file cannot be opened.";
    return result;
  }
  if (BlockExists(inv::MemoFileName(company)) && !inv::OpenMemoFile(memos.handle(), company, prompter, status)) {
    result.error = "The memo file cannot be opened.";
    return result;
  }

  // The numbers with at least one settled record before the cut-off, in record order.
  std::vector<std::string> candidates;
  std::set<std::string> seen;
  common::RecordBuffer record(inv::kInvoiceRecordLength);
  std::int32_t ref = 0;
  for (engine::NextRecord(invoices.get(), ref); EngineOK; engine::NextRecord(invoices.get(), ref)) {
    engine::GetRecord(invoices.get(), ref, std::span<std::uint8_t>(record));
    if (!EngineOK) break;
    if (!SettledBefore(record, request.cutoff)) continue;
    const std::string number = common::UpperCase(common::TrimBoth(common::ReadText(record, inv::kInvoiceNumber)));
    if (seen.insert(number).second) candidates.push_back(number);
  }

  for (const std::string& number : candidates) {
    const std::optional<std::vector<inv::StoredRecord>> records = inv::ReadInvoiceRecords(invoices.get(), number);
    if (!records) {
      result.failures.push_back("Invoice " + number + ": Delete Failed.");
      continue;
    }
    const bool allSettled = !records->empty() && std::all_of(records->begin(), records->end(), [&](const auto& r) {
      return SettledBefore(r.record, request.cutoff);
    });
    if (!allSettled) {
      ++result.keptOpen;
      continue;
    }
    std::vector<inv::StoredRecord> lineRecords;
    if (lines.get()) {
      std::optional<std::vector<inv::StoredRecord>> found = inv::ReadInvoiceLines(lines.get(), number);
      if (!found) {
        result.failures.push_back("Invoice " + number + ": Delete detail recs failed");
        continue;
      }
      lineRecords = std::move(*found);
    }
    const bool memoInvoice = std::any_of(records->begin(), records->end(), [](const auto& r) {
      return common::TrimBoth(common::ReadText(r.record, inv::kInvoiceType)) == "M";
    });
    std::int32_t memoRef = 0;
    bool memoFound = false;
    if (memoInvoice && memos.get()) {
      memoFound = inv::FindMemo(memos.get(), number, memoRef, prompter);
      if (!memoFound && !EngineOK) {
        result.failures.push_back("Invoice " + number + ": Memo search failed");
        continue;
      }
    }
    PurgedInvoice purged{number, int(records->size()), int(lineRecords.size()), memoFound};
    if (request.dryRun) {
      result.removed.push_back(purged);
      continue;
    }

    bool ok = true;
    for (const inv::StoredRecord& line : lineRecords)
      if (ok && !inv::DeleteLine(lines.get(), line.record, line.ref, prompter)) {
        result.failures.push_back("Invoice " + number + ": Delete detail recs failed");
        ok = false;
      }
    if (ok && memoFound) {
      common::RecordBuffer memo(inv::kMemoRecordLength);
      engine::GetRecord(memos.get(), memoRef, std::span<std::uint8_t>(memo));
      if (!EngineOK || !inv::DeleteMemo(memos.get(), memo, memoRef, prompter)) {
        result.failures.push_back("Invoice " + number + ": Memo record deletion failed");
        ok = false;
      }
    }
    for (const inv::StoredRecord& r : *records)
      if (ok && !inv::DeleteInvoice(invoices.get(), r.record, r.ref, prompter)) {
        result.failures.push_back("Invoice " + number + ": Delete Failed.");
        ok = false;
      }
    if (ok) result.removed.push_back(purged);
  }
  return result;
}

}  // namespace tf::maintenance
