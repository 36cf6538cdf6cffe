#pragma once
// The printed statement, drawn on the print canvas in device units (300 per inch): the heading
// (letterhead space, or logo, statement title, company name and address), the customer block,
// statement date and account number, the rows with their column headings, continued pages,
// the account totals, the sales message or the customer's notes, and the aging line.

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <functional>
#include <vector>

#include "common/print_canvas.h"
#include "statements/statement.h"

namespace tf::statements {

inline constexpr std::string_view kStatementJobTitle = "Statement";

// Draws `statement` into a job already begun, starting on the canvas's current page (a blank
// one): several statements can share one job, each beginning on a page of its own after a
// NewPage. Returns the number of pages it drew.
int DrawStatement(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, const Statement& statement,
                  std::chrono::year_month_day today);

// One print job holding the statement; false when the job could not start or finish.
bool PrintStatement(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, const Statement& statement,
                    std::chrono::year_month_day today);

// Splits `text` at its line breaks (CR LF, LF or CR) and word-wraps each part so that no line
// is wider than `fits` allows; a single word too wide for a line is cut across lines.
std::vector<std::string> WrapText(std::string_view text, const std::function<bool(std::string_view)>& fits);

}  // namespace tf::statements
