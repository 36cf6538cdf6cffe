#pragma once
// `report NAME`: one of the Report Wizard's reports, built, sorted and totalled as the window
// does, written as text, CSV or PDF.

namespace tf::cli {

inline constexpr const char* kReportUsage =
    "NAME [--from DATE --to DATE] [--sort COLUMN] [--subtotals] [--text FILE | --csv FILE | --pdf FILE] "
    "[--company N]";
inline constexpr const char* kReportSummary =
    "a Report Wizard report (invoice-register, payment-register, accounts-receivable, sales-report, key-code-inquiry, "
    "tax-report, repeat-billing-list) as text, CSV or PDF";

}  // namespace tf::cli
