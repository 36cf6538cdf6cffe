#pragma once
// The statements of the current company read from its files: one customer's statement by
// number, and the customers a batch run prints, chosen by balance and age. The customer file
// may already be open in the Customer Manager (a file block has one handle): it is then
// borrowed, never closed here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/money.h"
#include "common/prompter.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"
#include "statements/statement.h"

namespace tf::statements {

// Which balances a batch prints (the "Statement Selection" radio buttons).
enum class AgeSelection {
  All,     // RBAll: any balance other than zero
  Over30,  // RBover30: something in aging category 2, 3 or 4
  Over60,  // RBover60: something in category 3 or 4
  Over90,  // RBover90: something in category 4
};

inline constexpr std::string_view kNoCustomersSelected =
    "There are no customers with a non-zero balance that meet your aging selection. There are no statements to "
    "print.";
inline constexpr std::string_view kBatchCaption = "Batch Print - Statements";
inline constexpr std::string_view kCustomerNotFound = "The customer is not on file.";

// The customers of a batch, in name order; or why they could not be chosen.
struct Selection {
  std::vector<std::string> numbers;
  std::string message;  // empty when the walk succeeded
};

class StatementBooks {
 public:
  StatementBooks(records::CompanyBook& company, common::Prompter& prompter, engine::RebuildStatus& status);
  ~StatementBooks();
  StatementBooks(const StatementBooks&) = delete;
  StatementBooks& operator=(const StatementBooks&) = delete;

  // Opens the customer file (unless `customers` lends an open one) and the invoice file.
  // False when either cannot be opened; Message() says why.
  bool Open(engine::FileBlock* customers = nullptr);
  void Close();
  bool IsOpen() const { return invoices_ != nullptr; }
  const std::string& Message() const { return message_; }

  // The statement of customer `number`.
  BuildResult Build(std::string_view number, bool unpaidOnly);

  // The customers whose balance and aging amounts meet `age` (and whose balance is at least
  // `minBalance`, when given), in the order of their names.
  Selection Select(AgeSelection age, std::optional<common::Money> minBalance = std::nullopt);

 private:
  records::CompanyBook& company_;
  common::Prompter& prompter_;
  engine::RebuildStatus& status_;
  engine::FileBlock* customers_ = nullptr;
  engine::FileBlock* invoices_ = nullptr;
  bool ownCustomers_ = false;
  std::string message_;
};

}  // namespace tf::statements
