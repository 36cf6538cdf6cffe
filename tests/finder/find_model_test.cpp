// The find window's model in the customer mode: what matches, the status texts, the button's
// state, sorting by a column and the chosen row.

#include <gtest/gtest.h>

#include "customers/customer_find_mode.h"
#include "finder/find_model.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

class FindModelTest : public CustomerFolderTest {
 protected:
  void SetUp() override {
    CustomerFolderTest::SetUp();
    OpenCustomers();
    RecordBuffer a = MakeCustomer("7", "Xacmex Trading");
    RecordBuffer b = MakeCustomer("ACM1", "Other");
    RecordBuffer c = MakeCustomer("9", "Third");
    WriteText(c, kBillAddress4, "acme road");
    RecordBuffer d = MakeCustomer("10", "Nobody");
    WriteText(d, kShipAddress1, "ACME");  // shipping lines are not searched
    for (auto* r : {&a, &b, &c, &d}) Add(*r);
    prompter_.Clear();
  }
};

TEST_F(FindModelTest, MatchesAnySearchedFieldIgnoringCaseInRecordOrder) {
  CustomerFindMode mode(customers_.get());
  finder::FindModel model(mode);
  model.Show();
  EXPECT_EQ(model.Status(), "Enter the text to search for then select Find button...");
  EXPECT_FALSE(model.FindEnabled());
  model.SetText("   ");
  EXPECT_FALSE(model.FindEnabled());
  model.SetText(" acm ");
  EXPECT_TRUE(model.FindEnabled());
  model.Find(prompter_);
  ASSERT_EQ(model.Rows().size(), 3u);
  EXPECT_EQ(model.Rows()[0][0], "Xacmex Trading");
  EXPECT_EQ(model.Rows()[1][1], "ACM1");
  EXPECT_EQ(model.Rows()[2][6], "acme road");
  EXPECT_EQ(model.Status(), "Search Complete. Found 3 items.  Double-click on first column to find matching record.");
  EXPECT_FALSE(model.FindEnabled());  // until the text changes
  model.SortByColumn(0);
  EXPECT_EQ(model.Rows()[0][0], "Other");
  EXPECT_EQ(model.Choose(0), "ACM1");
  EXPECT_EQ(model.Choose(3), std::nullopt);
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST_F(FindModelTest, NothingFoundAndTheTextCutTo10) {
  CustomerFindMode mode(customers_.get());
  finder::FindModel model(mode);
  model.Show();
  model.SetText("Xacmex Trading Co Ltd");
  EXPECT_EQ(model.Text(), "Xacmex Trading ");  // the box holds 15
  model.Find(prompter_);  // searches for "XACMEX TRA"
  EXPECT_EQ(model.Rows().size(), 1u);
  model.SetText("zzz");
  model.Find(prompter_);
  EXPECT_TRUE(model.Rows().empty());
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "No matching items were found.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "Text to Find");
  EXPECT_EQ(model.Status(), "No items were found.");
}

}  // namespace
}  // namespace tf::customers::testing
