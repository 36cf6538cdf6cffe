#pragma once
// The books check: the invariants between a company's file blocks that every save keeps, each
// break reported as one finding:
//   - every line and every memo belongs to an invoice record of its number;
//   - every invoice record's customer exists;
//   - a customer's balance equals the sum of the balances of its invoice records;
//   - the company balance equals the sum of its customers' balances;
//   - given the company record: a customer's four aging amounts are what its invoice records
//     age to on the company's LastAgingDate (every open record's date key a date).
// It reads only; a file block that cannot be read is a finding of its own.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tf::invoicing {

struct BooksReport {
  std::vector<std::string> findings;
  int invoices = 0;
  int lines = 0;
  int memos = 0;
  int customers = 0;
  bool Clean() const { return findings.empty(); }
};

// The books of the company numbered `companyNumber` in the working folder; `companyBalance` is
// the company record's CompanyBalance text. Missing invoice, line or memo files hold nothing.
BooksReport CheckBooks(std::string_view companyNumber, std::string_view companyBalance);

// The same for a company record, and the customers' aging amounts as of its LastAgingDate: the
// aging run and every posting since leave them as the aging of that day, so a difference is an
// aging amount that a change failed to carry (`tallyfold-cli aging --repair` recomputes them).
// A company never aged (or whose date or aging days cannot be read) has no aging to compare.
BooksReport CheckBooks(std::span<const std::uint8_t> company);

}  // namespace tf::invoicing
