#pragma once
// The seven report builders of the Report Wizard. Each reads the current company's invoice file
// (the sales report its line file) through records/, on the index that orders what it lists,
// and makes one row per record of fixed-width cells: text fields left-justified in their width,
// some right-justified, amounts as shown (",0.00", the sales report's prices and quantities
// ",0.000"). An amount text a record holds that is no number is shown as it is stored, so a
// damaged record is seen rather than counted as zero.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "common/date_text.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "reports/report_dates.h"
#include "reports/report_grid.h"

namespace tf::reports {

inline constexpr std::string_view kNoMatchingRecordsText = "No matching records found for the dates entered.";
inline constexpr std::string_view kNoOpenItemsText =
    "Your Accounts Receivable balance is zero for this company. There are no outstanding items.";
inline constexpr std::string_view kNoOpenItemsCaption = "Account Receivable Report";
inline constexpr std::string_view kNoRepeatMastersText = "No repeat billing master invoices were found.";
inline constexpr std::string_view kNoRepeatMastersCaption = "Repeat Billing List";
inline constexpr std::string_view kAllUnpaidText = "All unpaid records selected.";
inline constexpr std::string_view kRepeatListText = "Master Repeat Billing List";

// What a builder reads with: the current company's record (number, name, date format, aging
// days and captions), who answers the questions of opening a file block, and the time.
struct ReportSource {
  std::span<const std::uint8_t> company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  std::chrono::local_seconds now;
  // Told, while the records are read, how many index entries of how many were read: every
  // kProgressEvery and once at the end. A window shows it and keeps repainting.
  std::function<void(std::size_t done, std::size_t total)> progress = {};
};

inline constexpr std::size_t kProgressEvery = 25'000;

struct ReportRequest {
  ReportKind kind = ReportKind::InvoiceRegister;
  // Used by the dated reports only.
  DateRange range{};
};

struct BuildOutcome {
  enum class Result {
    Built,     // `report` holds at least one record
    Empty,     // nothing matched: `message` under `caption` says so
    Failed,    // a file could not be read: `message` says which
  };
  Result result = Result::Empty;
  std::optional<Report> report;
  std::string message;
  std::string caption;
};

// Builds a report (not yet sorted: ArrangeReport does that as it is shown). A missing invoice or
// line file is read as an empty one and is not created.
BuildOutcome BuildReport(const ReportRequest& request, const ReportSource& source);

// The aging category of an item `days` old, by the company's aging days and captions:
// AgingCaption1 up to AgingDays1, ... and "Over " + AgingDays3 beyond.
std::string AgingCategory(std::span<const std::uint8_t> company, int days);

// "Selected records from FROM to TO" (dates in the company's format), or the fixed line of the
// reports without a date range.
std::string SelectionLine(ReportKind kind, const DateRange& range, common::DateFormat format);

}  // namespace tf::reports
