#pragma once
// The "Interest Charges Report": the list of an interest run printed on the print canvas, with
// the company name, the date and time, how the charges were made, every row of the list
// (heading, one row per invoice, totals) and the pages continued where a page is full.

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "billing/interest_run.h"
#include "common/print_canvas.h"

namespace tf::billing {

inline constexpr std::string_view kInterestReportSent = "Interest Report sent to print queue.";

// The rows of the list as the wizard's grid holds them: the heading (with "Invoice#" once the
// invoices exist), one row per customer, and "Totals:".
std::vector<std::vector<std::string>> InterestGrid(std::span<const std::uint8_t> company, const InterestOptions& options,
                                                   const std::vector<InterestRow>& rows, bool withInvoices);

// Prints the report; false when the job could not start or finish.
bool PrintInterestReport(common::PrintCanvas& canvas, std::span<const std::uint8_t> company,
                         const InterestOptions& options, const std::vector<InterestRow>& rows,
                         std::chrono::local_seconds now);

}  // namespace tf::billing
