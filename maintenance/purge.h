#pragma once
// "Delete Paid Invoices": removes the settled invoices of a company dated before a cut-off,
// together with their lines and memo texts, through the guarded invoice, line and memo deletes.
//
// An invoice number goes only when every record of that number is settled ("P") and dated
// before the cut-off: a paid partial payment "X" of an invoice "Z" still open keeps the whole
// number, lines and memo included. Settled records carry no balance, so nothing is posted to
// the customers or the company. Dates are compared as the records' sortable date keys, so the
// company's date format plays no part; a record whose date key is not a date is never taken
// for an old one.
//
// Per number, the lines go first, then the memo, then the invoice records: a purge stopped at
// any point (a failure, a kill) leaves the invoice records of the number, so the next purge
// finds it again and finishes it. Failures are counted apart from what was removed.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::maintenance {

inline constexpr std::string_view kPurgeQuestion =
    "This option will remove only PAID transactions older than the date you select. Once removed, they will no "
    "longer appear on any reports or system options. We suggest you leave 3 years on file and print reports for "
    "what you are about to remove. Continue?";
inline constexpr std::string_view kPurgeQuestionCaption = "Delete Paid Records";
inline constexpr std::string_view kPurgeDateTitle = "Delete Date Selection";
inline constexpr std::string_view kPurgeConfirmCaption = "Please Confirm";
inline constexpr std::string_view kPurgeRemovingStatus = "Removing Records...";
inline constexpr std::string_view kPurgeDoneCaption = "Records Removed";

// The date the purge proposes: today's day and month two years back (29 February falls on the
// 28th).
std::chrono::year_month_day DefaultPurgeCutoff(std::chrono::year_month_day today);

// "All paid records older than <date> will be removed. Continue?"
std::string PurgeConfirmText(std::string_view shownDate);

struct PurgedInvoice {
  std::string number;
  int records = 0;  // invoice records of the number (an invoice and its payment records)
  int lines = 0;
  bool memo = false;
};

struct PurgeResult {
  std::string error;                  // the files could not be opened: nothing was done
  std::vector<PurgedInvoice> removed;  // in a dry run: what would be removed
  std::vector<std::string> failures;  // one sentence per failed delete; the number stays on file
  int keptOpen = 0;  // numbers with an old settled record kept because another record is open or newer
  int RemovedRecords() const;
  int RemovedLines() const;
  int RemovedMemos() const;
  // "<n> paid records older than <date> were removed." and the failures, if any.
  std::string DoneText(std::string_view shownDate) const;
};

struct PurgeRequest {
  std::string companyNumber;
  std::chrono::year_month_day cutoff;  // records dated before it go
  bool dryRun = false;                 // find what would go, remove nothing
};

// Runs with the data folder as working directory and the engine started; the company's
// invoice, line and memo blocks must not be open. Missing blocks are not created.
PurgeResult PurgePaidInvoices(const PurgeRequest& request, common::Prompter& prompter,
                              engine::RebuildStatus& status);

}  // namespace tf::maintenance
