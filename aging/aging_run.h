#pragma once
// The aging of a company: every customer's four aging amounts and its balance recomputed from
// the open invoice records, the company balance as the sum of the customers' balances, and
// LastAgingDate. The window runs it once a day and on demand; the tool runs it on request and
// reports it as of any date without writing.
//
// Every customer is recomputed, whatever its stored balance says: a customer whose balance
// reads zero may still have open records (a +100 and a -100 invoice, or a balance lost by a
// write that failed), and a company whose balance reads zero is aged all the same, so that no
// stored zero can keep the aging from ever running again.
//
// A record that cannot be aged (its balance is no amount, its date key no date) is skipped and
// reported, and its customer is left exactly as it was: its stored amounts still count in the
// company's totals, so nothing is lost and the rest of the books are aged as usual.
//
// Write order: the customers one by one (each only when something in it changes), then the
// company record with the new balance and LastAgingDate, then the start-up file. A customer
// that cannot be written keeps its stored amounts in the totals, so the company balance always
// equals the sum of the customers' balances on file; the run is then incomplete and leaves
// LastAgingDate alone, so that the next start tries again.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "aging/aging_rules.h"
#include "aging/aging_scan.h"
#include "common/clock.h"
#include "common/money.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"

namespace tf::aging {

inline constexpr std::string_view kStatusTitle = "Aging";
inline constexpr std::string_view kCalculatingAging = "Calculating Aging...";
inline constexpr std::string_view kCalculatingTotals = "Calculating Aging Totals...";
inline constexpr std::string_view kReady = "Ready.";
inline constexpr std::string_view kNoShortName = "*NONE*";

// One customer as the aging leaves it.
struct CustomerRow {
  std::int32_t ref = 0;
  std::string number;     // as stored
  std::string shortName;  // "*NONE*" for an empty one
  AgingSums sums;         // by category
  common::Money balance;  // the sum of the four, or the stored balance of a customer left alone
  // Left as it was: one of its records could not be aged, or its new amounts do not fit their
  // fields. `sums` and `balance` are then its stored ones.
  bool leftAlone = false;
};

// The aging of a company on one date, without writing anything.
struct AgingReport {
  bool ok = false;
  std::string message;  // why there is no report
  std::vector<CustomerRow> rows;  // in record order
  AgingSums totals;
  common::Money total;
  int invoiceRecords = 0;
  Problems problems;
};

// Reads the company's customer and invoice files (read-only) in the working folder. Missing
// files hold nothing.
AgingReport ReportAging(std::span<const std::uint8_t> company, std::chrono::year_month_day asOf,
                        engine::RebuildStatus* status = nullptr);

struct AgingServices {
  records::CompanyBook& book;  // its current company is aged
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // the status window
  const common::Clock& clock;
  // The main window's status panel 1.
  std::function<void(std::string_view)> statusText = [](std::string_view) {};
  // Writes "LastCo.Dat" after the company record (the window's company is the start-up one).
  bool saveStartupFile = true;
};

struct AgingOutcome {
  bool ran = false;        // false: stopped before anything was written; `message` says why
  bool complete = false;   // every customer and the company were written, with LastAgingDate
  std::string message;
  AgingSums totals;        // the company's, by category
  common::Money total;     // the new company balance
  int customers = 0;
  int rewritten = 0;
  int invoiceRecords = 0;
  Problems problems;       // records skipped, customers left alone, writes that failed
};

AgingOutcome RunAging(const AgingServices& services);

// LastAgingDate after a run on `today` in the company's date format.
std::string AgingDateText(std::span<const std::uint8_t> company, std::chrono::year_month_day today);

}  // namespace tf::aging
