// Building one customer's statement from its invoice records: the description of every record
// kind, rows in date order whatever the file order, the full listing against "only unpaid" (a
// partly paid invoice counted once, repeat masters never), the totals row and the count, a
// zero-total invoice, an amount that is not an amount, a customer not on file.

#include <gtest/gtest.h>

#include "statements/statement.h"
#include "tests/statements/statement_books.h"

namespace tf::statements {
namespace {

using namespace std::chrono;
using test::PlannedInvoice;

TEST(KindDescription, EveryKindTheProgramWritesHasItsText) {
  const std::pair<const char*, const char*> cases[] = {
      {"I", "Invoice"},           {"X", "Partial Payment Made"},   {"Z", "Partial Payment Invoice"},
      {"D", "Deposit on Account"}, {"T", "Deposit Offset Applied"}, {"G", "Repeat Billing"},
      {"R", "Repeat Master"},      {"Q", ""},                       {"", ""}};
  for (const auto& [kind, text] : cases) EXPECT_EQ(KindDescription(kind), text) << kind;
}

constexpr year_month_day D(int y, unsigned m, unsigned d) { return year{y} / month{m} / day{d}; }

class StatementTest : public test::StatementFolderTest {
 protected:
  // One customer with a record of every kind, written out of date order.
  void WriteAllKinds() {
    AddStatementCustomer("C1", "Brown & Co", "ap@brown.test", "155.00", {"25.00", "130.00", "0.00", "0.00"});
    AddRecord({"A100", "C1", D(2024, 3, 1), "100.00"}, "100.00");
    AddRecord({"A101", "C1", D(2024, 2, 10), "200.00", "20.00", "Z"}, "130.00");
    AddRecord({"A101", "C1", D(2024, 2, 20), "0.00", "50.00", "X"}, "0.00", "Cheque 5531");
    AddRecord({"1000", "C1", D(2024, 1, 2), "60.00", "0.00", "R"}, "0.00");
    AddRecord({"DP5", "C1", D(2024, 4, 1), "0.00", "75.00", "D", "D"}, "-75.00");
    AddRecord({"1000G1", "C1", D(2024, 5, 1), "60.00", "60.00", "G"}, "0.00");
    AddRecord({"DP3", "C1", D(2024, 1, 15), "0.00", "-40.00", "T", "D"}, "0.00");
    AddRecord({"DP3", "C1", D(2024, 1, 10), "0.00", "40.00", "D", "D"}, "0.00");
    AddRecord({"A098", "C1", D(2024, 3, 15), "0.00"}, "0.00");
    AddRecord({"A099", "C1", D(2023, 12, 1), "30.00", "30.00"}, "0.00");
    // Another customer's record never shows.
    AddStatementCustomer("C2", "Green Ltd", "");
    AddRecord({"A102", "C2", D(2024, 3, 2), "999.00"}, "999.00");
  }

  static std::vector<std::string> Lines(const Statement& s) {
    std::vector<std::string> out;
    for (const Row& r : s.grid) {
      std::string line;
      for (std::size_t c = 0; c < r.size(); ++c) line += (c == 0 ? "" : "|") + r[c];
      out.push_back(line);
    }
    return out;
  }
};

TEST_F(StatementTest, FullListingHasEveryRecordButTheMasterInDateOrder) {
  WriteAllKinds();
  const BuildResult built = Build("c1", false);
  ASSERT_TRUE(built.statement) << built.message;
  const Statement& s = *built.statement;
  EXPECT_EQ(Lines(s), (std::vector<std::string>{
                          "Date|Invoice#|Reference/Comment|Total Amount|Paid Amount|Balance Due|C",
                          "2023/12/01|A099|Invoice|30.00|30.00|0.00|I",
                          "2024/01/10|DP3|Deposit on Account|0.00|40.00|0.00|D",
                          "2024/01/15|DP3|Deposit Offset Applied|0.00|-40.00|0.00|T",
                          "2024/02/10|A101|Partial Payment Invoice|200.00|20.00|130.00|Z",
                          "2024/02/20|A101|Cheque 5531|0.00|50.00|0.00|X",
                          "2024/03/01|A100|Invoice|100.00|0.00|100.00|I",
                          "2024/03/15|A098|Invoice|0.00|0.00|0.00|I",
                          "2024/04/01|DP5|Deposit on Account|0.00|75.00|-75.00|D",
                          "2024/05/01|1000G1|Repeat Billing|60.00|60.00|0.00|G",
                          "||*** Account Totals:|390.00|235.00|155.00|",
                      }));
  EXPECT_EQ(s.StatusText(), "There are 9 records selected.");
  EXPECT_EQ(s.customerName, "Brown & Co");
  EXPECT_EQ(s.address[1], "Shelbyville");
  EXPECT_EQ(s.aging, (std::array<std::string, 4>{"25.00", "130.00", "0.00", "0.00"}));
}

TEST_F(StatementTest, UnpaidOnlyCountsAPartlyPaidInvoiceOnceAndHidesWhatIsSettled) {
  WriteAllKinds();
  const BuildResult built = Build("C1", true);
  ASSERT_TRUE(built.statement) << built.message;
  EXPECT_EQ(Lines(*built.statement), (std::vector<std::string>{
                                         "Date|Invoice#|Reference/Comment|Total Amount|Paid Amount|Balance Due|C",
                                         "2024/02/10|A101|Partial Payment Invoice|200.00|70.00|130.00|Z",
                                         "2024/03/01|A100|Invoice|100.00|0.00|100.00|I",
                                         "2024/04/01|DP5|Deposit on Account|0.00|75.00|-75.00|D",
                                         "||*** Account Totals:|300.00|145.00|155.00|",
                                     }));
  EXPECT_EQ(built.statement->StatusText(), "There are 3 records selected.");
}

// In both modes what was billed less what was paid is what is owed, on the totals row.
TEST_F(StatementTest, TotalsBalanceInBothModes) {
  WriteAllKinds();
  for (bool unpaid : {false, true}) {
    const BuildResult built = Build("C1", unpaid);
    ASSERT_TRUE(built.statement) << built.message;
    const Statement& s = *built.statement;
    EXPECT_EQ(s.total - s.paid, s.balance) << unpaid;
    EXPECT_EQ(common::Format0_00(s.balance), "155.00") << unpaid;
  }
}

TEST_F(StatementTest, ANoteOnTheRecordReplacesTheDescription) {
  AddStatementCustomer("C1", "Brown & Co", "");
  AddRecord({"A100", "C1", D(2024, 3, 1), "100.00"}, "100.00", "  Job 7, phase 2 ");
  AddRecord({"A200", "C1", D(2024, 3, 1), "5.00"}, "5.00", "   ");
  const BuildResult built = Build("C1", false);
  ASSERT_TRUE(built.statement);
  EXPECT_EQ(built.statement->grid[1][2], "Job 7, phase 2");
  EXPECT_EQ(built.statement->grid[2][2], "Invoice");
}

TEST_F(StatementTest, AnAmountThatIsNoAmountStopsTheStatementWithItsInvoice) {
  AddStatementCustomer("C1", "Brown & Co", "");
  AddRecord({"A100", "C1", D(2024, 3, 1), "100.00"}, "1O.00");
  const BuildResult built = Build("C1", false);
  EXPECT_FALSE(built.statement);
  EXPECT_NE(built.message.find("A100"), std::string::npos) << built.message;
  EXPECT_NE(built.message.find("\"1O.00\""), std::string::npos) << built.message;
}

TEST_F(StatementTest, ACustomerNotOnFileIsAMissNotItsNeighbour) {
  AddStatementCustomer("C10", "Brown & Co", "");
  const BuildResult built = Build("C1", false);
  EXPECT_FALSE(built.statement);
  EXPECT_NE(built.message.find("not on file"), std::string::npos) << built.message;
}

TEST_F(StatementTest, ACustomerWithoutRecordsHasHeadingAndTotalsOnly) {
  AddStatementCustomer("C1", "Brown & Co", "");
  const BuildResult built = Build("C1", false);
  ASSERT_TRUE(built.statement);
  EXPECT_EQ(built.statement->grid.size(), 2u);
  EXPECT_EQ(built.statement->RecordCount(), 0u);
  EXPECT_EQ(built.statement->grid[1][3], "0.00");
}

}  // namespace
}  // namespace tf::statements
