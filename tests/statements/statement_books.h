#pragma once
// A company's books for the statement tests: company 1 with its statement texts and options,
// customers with addresses, e-mail and notes, and invoice records of every kind written
// straight into the invoice file (the fixture of the aging tests, extended).

#include <string>

#include "common/record_fields.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "records/invoice_record.h"
#include "statements/statement_books.h"
#include "tests/aging/books_folder.h"

namespace tf::test {

class StatementFolderTest : public BooksFolderTest {
 protected:
  void SetUp() override {
    BooksFolderTest::SetUp();
    namespace co = records::company;
    auto c = book_.Current();
    common::WriteText(c, co::kStatementTitle, "STATEMENT");
    common::WriteText(c, co::kStatementNote, "Thank you for your business.");
    common::WriteText(c, co::kAddress1, "1 Main Street");
    common::WriteText(c, co::kAddress2, "Springfield");
    common::WriteText(c, co::kEMailAddress, "office@acme.test");
    common::WriteFlag(c, co::kLinesOnEMailInvoices, true);
    common::WriteBool(c, co::kPrintCustomerAging, true);
    common::WriteText(c, co::kLeftFormMargin, "60");
    common::WriteText(c, co::kTopFormMargin, "40");
    for (std::size_t f = 0; f < co::kDocumentFontCount; ++f)
      common::WriteFontSpec(c, co::DocumentFontField(co::DocumentFont(f)), {"Arial", f == 1 ? 14 : 10, 0, 0});
    // On file too, for the tool, which reads the company from there.
    const std::vector<std::uint8_t> options(c.begin(), c.end());
    ASSERT_TRUE(book_.UpdateCurrentCompany(
        [&](std::span<std::uint8_t> work) { std::copy(options.begin(), options.end(), work.begin()); }, quiet_, status_));
  }

  // A customer with a billing address, e-mail and notes (balance and aging as given).
  void AddStatementCustomer(const std::string& number, const std::string& name, const std::string& email,
                            const std::string& balance = "0.00",
                            std::array<std::string, 4> aging = {"0.00", "0.00", "0.00", "0.00"}) {
    namespace cu = records::customer;
    common::RecordBuffer r = invoicing::testing::InvoicingCustomer(number, name, name.substr(0, 5), balance);
    for (int k = 0; k < 4; ++k) common::WriteText(r, cu::kAgingAmount[k], aging[std::size_t(k)]);
    common::WriteText(r, cu::kBillAddress1, "12 Oak Lane");
    common::WriteText(r, cu::kBillAddress2, "Shelbyville");
    common::WriteText(r, cu::kEMail, email);
    common::WriteText(r, cu::kMailSortCode, "S" + number);
    common::WriteText(r, cu::kCustomerType, "Retail");
    Write(cu::CustomerFileName("1"), r, [&](engine::FileBlock* h, std::int32_t& ref) {
      return records::AddKeyedRecord(h, cu::CustomerFileKind(), r, ref, quiet_);
    });
  }

  // An invoice record of `planned` with its balance and statement note set as given.
  std::int32_t AddRecord(const PlannedInvoice& planned, const std::string& balance, const std::string& note = "") {
    common::RecordBuffer r = InvoiceRecord(planned, Format());
    common::WriteText(r, records::invoice::kBalanceDue, balance);
    common::WriteText(r, records::invoice::kStatementNote, note);
    return AddInvoiceRecord(r);
  }

  // The customer's statement read from the files.
  statements::BuildResult Build(const std::string& number, bool unpaidOnly) {
    statements::StatementBooks books(book_, quiet_, status_);
    EXPECT_TRUE(books.Open()) << books.Message();
    return books.Build(number, unpaidOnly);
  }
};

}  // namespace tf::test
