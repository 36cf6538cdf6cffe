#pragma once
// The books check: the invariants between a company's file blocks that every save keeps, each
// break reported as one finding:
//   - every line and every memo belongs to an invoice record of its number;
//   - every invoice record's customer exists;
//   - a customer's balance equals the sum of the balances of its invoice records;
//   - the company balance equals the sum of its customers' balances.
// It reads only; a file block that cannot be read is a finding of its own.

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

}  // namespace tf::invoicing
