#include "statements/statement_books.h"

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/walk_by_key.h"

namespace tf::statements {
namespace {

namespace cu = records::customer;
namespace inv = records::invoice;
using common::Money;

std::string EngineFailure(std::string_view what) {
  return std::string(what) + " (engine status " + std::to_string(engine::EngineStatus) + ").";
}

}  // namespace

StatementBooks::StatementBooks(records::CompanyBook& company, common::Prompter& prompter,
                               engine::RebuildStatus& status)
    : company_(company), prompter_(prompter), status_(status) {}

StatementBooks::~StatementBooks() { Close(); }

bool StatementBooks::Open(engine::FileBlock* customers) {
  Close();
  message_.clear();
  const std::string number = common::TrimBoth(common::ReadText(company_.Current(), records::company::kCompanyNumber));
  if (customers) {
    customers_ = customers;
  } else {
    if (!cu::OpenCustomerFile(customers_, number, prompter_, status_)) {
      customers_ = nullptr;
      message_ = EngineFailure("The customer file could not be opened");
      return false;
    }
    ownCustomers_ = true;
  }
  if (!inv::OpenInvoiceFile(invoices_, number, prompter_, status_)) {
    invoices_ = nullptr;
    message_ = EngineFailure("The invoice file could not be opened");
    Close();
    return false;
  }
  return true;
}

void StatementBooks::Close() {
  if (invoices_) engine::CloseFileBlock(invoices_);
  invoices_ = nullptr;
  if (ownCustomers_ && customers_) engine::CloseFileBlock(customers_);
  customers_ = nullptr;
  ownCustomers_ = false;
}

BuildResult StatementBooks::Build(std::string_view number, bool unpaidOnly) {
  BuildResult result;
  common::RecordBuffer customer = cu::NewCustomerRecord();
  if (!cu::FindCustomerByNumber(customers_, number, customer)) {
    result.message = engine::EngineOK ? "Customer " + common::TrimBoth(number) + ": " + std::string(kCustomerNotFound)
                                      : EngineFailure("The customer file could not be read");
    return result;
  }
  const auto found = inv::ReadCustomerInvoices(invoices_, common::ReadText(customer, cu::kCustomerNumber));
  if (!found) {
    result.message = EngineFailure("The invoice file could not be read");
    return result;
  }
  std::vector<common::RecordBuffer> records;
  records.reserve(found->size());
  for (const inv::StoredRecord& r : *found) records.push_back(r.record);
  return BuildStatement(customer, records, unpaidOnly);
}

Selection StatementBooks::Select(AgeSelection age, std::optional<Money> minBalance) {
  Selection s;
  std::string bad;
  const bool walked = records::WalkByKey(customers_, cu::CustomerFileKind(), cu::kKeyByName, [&](std::span<const std::uint8_t> r) {
    if (!bad.empty()) return;
    Money amounts[5];
    const common::TextField fields[5] = {cu::kBalance, cu::kAgingAmount1, cu::kAgingAmount2, cu::kAgingAmount3,
                                         cu::kAgingAmount4};
    for (int k = 0; k < 5; ++k) {
      const std::string text = common::ReadText(r, fields[k]);
      const auto amount = common::ParseAmount(text);
      if (!amount) {
        bad = "Customer " + common::TrimBoth(common::ReadText(r, cu::kCustomerNumber)) + " has \"" + text +
              "\" as its " + (k == 0 ? std::string("balance") : "aging amount " + std::to_string(k)) +
              ", which is not an amount; no statements were printed.";
        return;
      }
      amounts[k] = *amount;
    }
    bool qualifies = false;
    switch (age) {
      case AgeSelection::All: qualifies = !amounts[0].IsZero(); break;
      case AgeSelection::Over30: qualifies = !amounts[2].IsZero() || !amounts[3].IsZero() || !amounts[4].IsZero(); break;
      case AgeSelection::Over60: qualifies = !amounts[3].IsZero() || !amounts[4].IsZero(); break;
      case AgeSelection::Over90: qualifies = !amounts[4].IsZero(); break;
    }
    if (qualifies && minBalance && amounts[0] < *minBalance) qualifies = false;
    if (qualifies) s.numbers.push_back(common::ReadText(r, cu::kCustomerNumber));
  });
  if (!bad.empty()) {
    s.numbers.clear();
    s.message = bad;
  } else if (!walked) {
    s.numbers.clear();
    s.message = engine::EngineStatus != 0 ? EngineFailure("The customer file could not be read")
                                          : "The customer file's name index does not match its records; rebuild it "
                                            "(tallyfold-cli rebuild) and try again.";
  }
  return s;
}

}  // namespace tf::statements
