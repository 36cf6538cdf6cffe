// A customer's invoices follow it to a new number; a customer with invoices on file is known
// to have them.

#include <gtest/gtest.h>

#include "customers/customer_invoices.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

class CustomerInvoicesTest : public CustomerFolderTest {
 protected:
  std::vector<std::string> NumbersOnFile() {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), "1I");
    std::vector<std::string> out;
    RecordBuffer r(records::invoice::kInvoiceRecordLength);
    std::int32_t ref = 0;
    for (;;) {
      engine::NextRecord(block.get(), ref);
      if (!engine::EngineOK) break;
      engine::GetRecord(block.get(), ref, r.data());
      out.push_back(ReadText(r, records::invoice::kInvoiceNumber) + ":" + ReadText(r, records::invoice::kCustomerNumber));
    }
    return out;
  }
  std::string CheckInvoices() {
    engine::KeyBuilder keys = InvoiceKeys;
    return tf::test::Findings("1I", keys);
  }
};

TEST_F(CustomerInvoicesTest, RenumberingMovesEveryInvoiceOfTheOldNumberAndNoOther) {
  MakeInvoices({{"1001", "100"}, {"1002", "1000"}, {"1003", "100 "}, {"1004", "10"}, {"1005", "100"}});
  RenumberResult r = RenumberCustomerInvoices("1", " 100", " 200 ", prompter_, status_);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.changed, 3);
  EXPECT_EQ(NumbersOnFile(), (std::vector<std::string>{"1001:200", "1002:1000", "1003:200", "1004:10", "1005:200"}));
  EXPECT_EQ(CheckInvoices(), "");
  EXPECT_EQ(CustomerHasInvoices("1", "100"), false);
  EXPECT_EQ(CustomerHasInvoices("1", "200"), true);
}

TEST_F(CustomerInvoicesTest, AnInvoiceFileHeldOpenIsUsedAndLeftOpen) {
  MakeInvoices({{"1", "100"}, {"2", "100"}});
  engine::FileBlockGuard held;
  engine::OpenFileBlock(held.handle(), "1I");
  ASSERT_TRUE(engine::EngineOK);
  EXPECT_EQ(RenumberCustomerInvoices("1", "100", "5", prompter_, status_, held.get()).changed, 2);
  EXPECT_EQ(CustomerHasInvoices("1", "5", held.get()), true);
  EXPECT_TRUE(engine::IsFileBlockOpen(held.get()));
  // The change went through the one handle: seen after it closes.
  held.Close();
  EXPECT_EQ(NumbersOnFile(), (std::vector<std::string>{"1:5", "2:5"}));
  EXPECT_EQ(CheckInvoices(), "");
}

TEST_F(CustomerInvoicesTest, CaseOnlyChangeMovesNothingAndMissingFileHasNoInvoices) {
  EXPECT_EQ(CustomerHasInvoices("1", "100"), false);
  RenumberResult none = RenumberCustomerInvoices("1", "100", "200", prompter_, status_);
  EXPECT_TRUE(none.complete);
  EXPECT_EQ(none.changed, 0);
  MakeInvoices({{"1", "ab"}});
  EXPECT_EQ(RenumberCustomerInvoices("1", "ab", "AB", prompter_, status_).changed, 0);
  EXPECT_EQ(CustomerHasInvoices("1", "AB"), true);
  // A number that is only a prefix of an invoice's customer number is not that customer.
  EXPECT_EQ(CustomerHasInvoices("1", "a"), false);
}

}  // namespace
}  // namespace tf::customers::testing
