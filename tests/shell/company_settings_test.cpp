#include "shell/company_settings.h"

#include <gtest/gtest.h>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "records/company_record.h"

namespace tf::shell {
namespace {

using namespace records::company;

common::RecordBuffer Company(std::string_view number, std::string_view d1, std::string_view d2, std::string_view d3) {
  common::RecordBuffer r(kCompanyRecordLength);
  common::WriteText(r, kCompanyName, "Acme");
  common::WriteText(r, kCompanyNumber, number);
  common::WriteText(r, kAgingDays1, d1);
  common::WriteText(r, kAgingDays2, d2);
  common::WriteText(r, kAgingDays3, d3);
  return r;
}

struct OptionsCase {
  std::string number, d1, d2, d3;
  std::vector<std::string> failed;
};

class CompanyOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(CompanyOptionsTest, SaveChecks) {
  const OptionsCase& c = GetParam();
  EXPECT_EQ(CheckCompanyOptions(Company(c.number, c.d1, c.d2, c.d3)), c.failed);
}

const std::string kRange = "The Company number must be between 0 and 32001.";
const std::string kCat2 = "The aging days for category 2 must be greater than category 1 by at least 2 days.";
const std::string kCat3 = "The aging days for category 3 must be greater than category 2 by at least 2 days.";

INSTANTIATE_TEST_SUITE_P(
    Cases, CompanyOptionsTest,
    ::testing::Values(OptionsCase{"32000", "30", "32", "34", {}}, OptionsCase{"1", "30", "60", "90", {}},
                      OptionsCase{"32001", "30", "60", "90", {kRange}}, OptionsCase{"0", "30", "60", "90", {kRange}},
                      OptionsCase{"", "30", "60", "90", {kRange}},
                      OptionsCase{"12a", "30", "60", "90",
                                  {"The company number field is numeric and valid values are 1 to 32000."}},
                      // The later checks all run: both aging messages together.
                      OptionsCase{"1", "30", "31", "31", {kCat2, kCat3}},
                      OptionsCase{"1", "30", "31", "90", {kCat2}}, OptionsCase{"1", "", "", "", {kCat2, kCat3}}));

TEST(CompanyOptionsTest, EMailAndNameStopAtTheFirstFailure) {
  common::RecordBuffer r = Company("1", "30", "31", "90");
  common::WriteText(r, kEMailAddress, "nobody");
  common::WriteText(r, kCompanyName, " ");
  EXPECT_EQ(CheckCompanyOptions(r),
            std::vector<std::string>{"Your company e-mail address does not have the @ sign included. Bad e-mail address."});
  common::WriteText(r, kEMailAddress, "a@b");
  EXPECT_EQ(CheckCompanyOptions(r), std::vector<std::string>{"A company name is required."});
}

TEST(CompanySettingsTest, AllOrNothing) {
  common::RecordBuffer r = Company("1", "30", "60", "90");
  const common::RecordBuffer before = r;
  std::vector<std::string> problems = ApplyCompanySettings(r, {{"taxrate", "7.5"}, {"BoxTop", "x1"}});
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "BoxTop: \"x1\" is not a whole number of digits.");
  EXPECT_EQ(r, before);
  EXPECT_TRUE(ApplyCompanySettings(r, {{"taxrate", "7.5"}, {"PrintLogo", "yes"}, {"YearMonthPrefix", "Y"}}).empty());
  EXPECT_EQ(common::ReadText(r, kTaxRate), "7.5");  // the field's own spelling is found in any case
  EXPECT_TRUE(common::ReadBool(r, kPrintLogo));
  EXPECT_EQ(common::ReadText(r, TextField{kYearMonthPrefix.offset, 1}), "Y");
}

}  // namespace
}  // namespace tf::shell

namespace tf::shell {
namespace {

// The values the program computes with are checked too; an empty one is left to its default.
TEST(CompanyOptionsTest, RatesQuantitiesNumbersAndCopiesAreCheckedWhenGiven) {
  struct Case {
    common::TextField field;
    const char* value;
    bool prefix;
    const char* caption;  // empty: accepted
  } cases[] = {
      {records::company::kTaxRate, "8.125", false, ""},
      {records::company::kTaxRate, "100", false, ""},
      {records::company::kTaxRate, "100.01", false, "Tax Rate"},
      {records::company::kTaxRate, "-1", false, "Tax Rate"},
      {records::company::kDefaultQuantity, "1.5", false, ""},
      {records::company::kDefaultQuantity, "1,5", false, "Default Invoice Quantity"},
      {records::company::kNextInvoiceNumber, "123456789", false, ""},
      {records::company::kNextInvoiceNumber, "123456", true, "Next Invoice Number"},
      {records::company::kNextInvoiceNumber, "12345", true, ""},
      {records::company::kNextInvoiceNumber, "A100", false, "Next Invoice Number"},
      {records::company::kInvoiceCopies, "5", false, ""},
      {records::company::kInvoiceCopies, "7", false, "Number Copies"},
      {records::company::kInvoiceCopies, "0", false, "Number Copies"},
  };
  for (const Case& c : cases) {
    common::RecordBuffer r = Company("1", "30", "60", "90");
    common::WriteText(r, c.field, c.value);
    common::WriteFlag(r, records::company::kYearMonthPrefix, c.prefix);
    const std::vector<OptionProblem> problems = CompanyOptionProblems(r);
    if (std::string(c.caption).empty()) {
      EXPECT_TRUE(problems.empty()) << c.value;
    } else {
      ASSERT_EQ(problems.size(), 1u) << c.value;
      EXPECT_EQ(problems[0].caption, c.caption) << c.value;
    }
  }
}

}  // namespace
}  // namespace tf::shell
