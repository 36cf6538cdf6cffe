#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "reports/report_builders.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/data_folder_test.h"

namespace tf::reports {
namespace {

using namespace std::chrono;
using testing::Headings;
using testing::RowTexts;
using Strings = std::vector<std::string>;

class ReportBuilders : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    testing::WriteBooks(testing::FixtureInvoices(), testing::FixtureLines());
  }

  BuildOutcome Build(ReportKind kind, year_month_day from = 2024y / March / 1, year_month_day to = 2024y / March / 31) {
    const ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15} + hours{14} + minutes{30}};
    return BuildReport({kind, {from, to}}, source);
  }

  Strings Rows(ReportKind kind, year_month_day from = 2024y / March / 1, year_month_day to = 2024y / March / 31) {
    const BuildOutcome outcome = Build(kind, from, to);
    EXPECT_EQ(outcome.result, BuildOutcome::Result::Built) << outcome.message;
    return outcome.report ? RowTexts(*outcome.report) : Strings{};
  }

  common::RecordBuffer company_ = testing::ReportCompany();
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

TEST_F(ReportBuilders, InvoiceRegisterListsInvoicesOfTheRangeButNotMastersPaymentsOrDeposits) {
  const BuildOutcome outcome = Build(ReportKind::InvoiceRegister);
  ASSERT_TRUE(outcome.report);
  const Report& r = *outcome.report;
  EXPECT_EQ(Headings(r), (Strings{"Year/Mo/Dy", "Invoice#", "Short Name", "Customer", "Net Amount", "Tax Amount",
                                  "Grand Total", "C"}));
  EXPECT_EQ(r.caption, "Invoice Register");
  EXPECT_EQ(r.lastSortColumn, 3);
  EXPECT_EQ(r.lastRightColumn, 6);
  EXPECT_EQ(r.head1, "Acme Books");
  EXPECT_EQ(r.head2, "Date: Friday, March 15, 2024, 02:30 PM");
  EXPECT_EQ(r.head3, "Selected records from 03/01/2024 to 03/31/2024");
  EXPECT_EQ(RowTexts(r), (Strings{
                             "2024/03/01|100|ANN|C1|100.00|8.25|108.25|I",
                             "2024/03/01|105G3|ANN|C1|40.00|0.00|40.00|G",
                             "2024/03/05|101|BOB|C2|50.00|0.00|50.00|I",
                             "2024/03/10|104|BOB|C2|93.00|7.00|100.00|I",
                         }));
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST_F(ReportBuilders, AZeroTotalRegularInvoiceIsListedAndTheRangeEndsAreIncluded) {
  EXPECT_EQ(Rows(ReportKind::InvoiceRegister, 2024y / February / 10, 2024y / February / 10),
            (Strings{"2024/02/10|102||C3|0.00|0.00|0.00|I"}));
}

TEST_F(ReportBuilders, PaymentRegisterListsPaymentsOfTheRangeAndPartlyPaidInvoicesOnce) {
  EXPECT_EQ(Rows(ReportKind::PaymentRegister), (Strings{
                                                   "2024/03/05|101|BOB|C2|50.00|50.00|0.00|I",
                                                   "2024/03/08|DP9||C3|0.00|50.00|-50.00|D",
                                                   "2024/03/12|103|ANN|C1|0.00|80.00|0.00|X",
                                                   "2024/03/10|104|BOB|C2|100.00|30.00|70.00|I",
                                               }));
}

TEST_F(ReportBuilders, TaxReportListsThePaymentRegistersRecordsWithKeyCodeAndTax) {
  const BuildOutcome outcome = Build(ReportKind::TaxReport);
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(Headings(*outcome.report), (Strings{"Year/Mo/Dy", "Invoice#", "Short Name", "Customer", "Key Code",
                                                "Paid Amount", "Tax Amount", "C"}));
  EXPECT_EQ(RowTexts(*outcome.report), (Strings{
                                           "2024/03/05|101|BOB|C2||50.00|0.00|I",
                                           "2024/03/08|DP9||C3|Deposit|50.00|0.00|D",
                                           "2024/03/12|103|ANN|C1|Partial|80.00|0.00|X",
                                           "2024/03/10|104|BOB|C2||30.00|7.00|I",
                                       }));
}

TEST_F(ReportBuilders, ReceivablesComeFromTheOpenItemsEvenWhenTheCompanyBalanceReadsZero) {
  const BuildOutcome outcome = Build(ReportKind::AccountsReceivable);
  ASSERT_EQ(outcome.result, BuildOutcome::Result::Built) << outcome.message;
  Report r = *outcome.report;
  EXPECT_EQ(r.head3, "All unpaid records selected.");
  EXPECT_EQ(r.caption, "A/R");
  EXPECT_EQ(RowTexts(r), (Strings{
                             "Current:|100|ANN|C1|14 Days|2024/03/01|108.25|I",
                             "31-60:|103|ANN|C1|55 Days|2024/01/20|120.00|Z",
                             "Current:|104|BOB|C2|5 Days|2024/03/10|70.00|I",
                             "Current:|105G3|ANN|C1|14 Days|2024/03/01|40.00|G",
                             "Over 90|90|BOB|C2|135 Days|2023/11/01|75.00|I",
                             "Current:|DP9||C3|7 Days|2024/03/08|-50.00|D",
                         }));
  // The aging and date cells are right-justified in the line, as the report lines them up.
  EXPECT_EQ(r.rows[0].Cell(4), "     14 Days");
  ASSERT_TRUE(ArrangeReport(r, 0, true));
  EXPECT_EQ(RowTexts(r).back(), "G:|||||Grand Total|363.25|");
}

TEST_F(ReportBuilders, SalesReportListsTheLinesOfTheRangeButNotMasterLines) {
  const BuildOutcome outcome = Build(ReportKind::SalesReport);
  ASSERT_TRUE(outcome.report);
  Report r = *outcome.report;
  EXPECT_EQ(Headings(r), (Strings{"Product Description", "Product#", "Year/Mo/Dy", "Invoice#", "Short Name",
                                  "Customer", "Unit Price", "Quantity", "Line Amount"}));
  EXPECT_EQ(RowTexts(r), (Strings{
                             "Widget|W1|2024/03/01|100|ANN|C1|25.000|2.000|50.00",
                             "Gadget|G1|2024/03/01|100|ANN|C1|50.000|1.000|50.00",
                             "Monthly service|SVC|2024/03/01|105G3|ANN|C1|40.000|1.000|40.00",
                             "Widget|W1|2024/03/10|104|BOB|C2|25.000|3.000|75.00",
                             "Returned gadget|*None*|2024/03/10|104|BOB|C2|25.000|-1.000|-25.00",
                         }));
  ASSERT_TRUE(ArrangeReport(r, 2, true));
  EXPECT_EQ(r.caption, "Sales Report by Date");
  EXPECT_EQ(RowTexts(r)[3], "S:||||||** Totals|4.000|140.00");
  EXPECT_EQ(RowTexts(r).back(), "G:||||||Grand Total|6.000|190.00");
}

TEST_F(ReportBuilders, KeyCodeInquiryShowsBlankCodesAsNone) {
  EXPECT_EQ(Rows(ReportKind::KeyCodeInquiry), (Strings{
                                                  "WEB|100|ANN|2024/03/01|100.00|8.25|108.25|I",
                                                  "SVC|105G3|ANN|2024/03/01|40.00|0.00|40.00|G",
                                                  "*none*|101|BOB|2024/03/05|50.00|0.00|50.00|I",
                                                  "*none*|104|BOB|2024/03/10|93.00|7.00|100.00|I",
                                              }));
}

TEST_F(ReportBuilders, RepeatBillingListShowsMastersWithTheirNextDueDateAsAKey) {
  const BuildOutcome outcome = Build(ReportKind::RepeatBillingList);
  ASSERT_TRUE(outcome.report);
  EXPECT_EQ(outcome.report->head3, "Master Repeat Billing List");
  EXPECT_EQ(RowTexts(*outcome.report), (Strings{"2024/04/01|105|ANN|C1|3|2024/01/01|40.00|M"}));
}

TEST_F(ReportBuilders, NothingFoundIsSaidWithTheReportsOwnWords) {
  BuildOutcome none = Build(ReportKind::KeyCodeInquiry, 2022y / January / 1, 2022y / December / 31);
  EXPECT_EQ(none.result, BuildOutcome::Result::Empty);
  EXPECT_FALSE(none.report);
  EXPECT_EQ(none.message, "No matching records found for the dates entered.");
  EXPECT_EQ(none.caption, "Key Code Report");
}

class EmptyBooks : public test::DataFolderTest {
 protected:
  BuildOutcome Build(ReportKind kind) {
    const ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15}};
    return BuildReport({kind, {2024y / March / 1, 2024y / March / 31}}, source);
  }
  common::RecordBuffer company_ = testing::ReportCompany();
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

TEST_F(EmptyBooks, AMissingFileListsNothingAndIsNotCreated) {
  for (ReportKind kind : ReportKinds()) {
    const BuildOutcome outcome = Build(kind);
    EXPECT_EQ(outcome.result, BuildOutcome::Result::Empty) << ReportName(kind);
  }
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST_F(EmptyBooks, ReceivablesAndRepeatListSayTheirOwnMessages) {
  // Only settled items and no masters.
  testing::WriteBooks({{"101", "I", "C2", "BOB", "03/05/2024", "50.00", "0.00", "50.00", "50.00", "0.00",
                        "2024/03/05", "P", ""}},
                      {});
  const BuildOutcome ar = Build(ReportKind::AccountsReceivable);
  EXPECT_EQ(ar.result, BuildOutcome::Result::Empty);
  EXPECT_EQ(ar.message, "Your Accounts Receivable balance is zero for this company. There are no outstanding items.");
  EXPECT_EQ(ar.caption, "Account Receivable Report");
  const BuildOutcome repeat = Build(ReportKind::RepeatBillingList);
  EXPECT_EQ(repeat.message, "No repeat billing master invoices were found.");
  EXPECT_EQ(repeat.caption, "Repeat Billing List");
}

// The window shows how far the reading has come: the count of what was read, rising, and the
// whole at the end. A range that holds most of the file is read in one pass over the file's
// slots (ten invoice records, six lines), both walks of the payment register in that one pass;
// a narrow one through its index entries (the one invoice of 10 February).
TEST_F(ReportBuilders, ProgressCountsWhatIsReadRisingToTheWhole) {
  const std::tuple<ReportKind, year_month_day, std::size_t> cases[] = {
      {ReportKind::InvoiceRegister, 2024y / March / 1, 10},
      {ReportKind::PaymentRegister, 2024y / March / 1, 10},
      {ReportKind::SalesReport, 2024y / March / 1, 6},
      {ReportKind::InvoiceRegister, 2024y / February / 10, 1},
  };
  for (const auto& [kind, from, whole] : cases) {
    SCOPED_TRACE(std::string(ReportName(kind)) + " from " + common::FormatDateKey(from));
    std::vector<std::pair<std::size_t, std::size_t>> told;
    ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15}};
    source.progress = [&](std::size_t done, std::size_t total) { told.emplace_back(done, total); };
    const year_month_day to = from == 2024y / March / 1 ? 2024y / March / 31 : from;
    const BuildOutcome outcome = BuildReport({kind, {from, to}}, source);
    ASSERT_EQ(outcome.result, BuildOutcome::Result::Built);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(whole, whole));
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  }
}

// Once the file holds many records outside March, March is read through its index entries
// instead of a pass over the file: every dated report lists the same rows in the same order.
TEST_F(ReportBuilders, ARangeReadThroughItsIndexOrInOnePassGivesTheSameRows) {
  const ReportKind dated[] = {ReportKind::InvoiceRegister, ReportKind::PaymentRegister, ReportKind::SalesReport,
                              ReportKind::KeyCodeInquiry, ReportKind::TaxReport};
  std::vector<Strings> byPass;
  for (ReportKind kind : dated) byPass.push_back(Rows(kind));
  std::vector<testing::InvoiceRow> old;
  std::vector<testing::LineRow> oldLines;
  for (int i = 0; i < 40; ++i) {
    old.push_back({"OLD" + std::to_string(i), "I", "C9", "OLD", "06/01/2020", "1.00", "0.00", "1.00", "1.00", "0.00",
                   "2020/06/01", "P", ""});
    oldLines.push_back({"OLD" + std::to_string(i), "P", "2020/06/01", "W1", "C9", "OLD", "1", "Widget", "1.00", "Y",
                        "1.00"});
  }
  testing::WriteBooks(old, oldLines);
  for (std::size_t i = 0; i < std::size(dated); ++i) {
    SCOPED_TRACE(ReportName(dated[i]));
    std::size_t whole = 0;
    ReportSource source{company_, prompter_, status_, local_days{2024y / March / 15} + hours{14} + minutes{30}};
    source.progress = [&](std::size_t, std::size_t total) { whole = total; };
    const BuildOutcome outcome = BuildReport({dated[i], {2024y / March / 1, 2024y / March / 31}}, source);
    ASSERT_TRUE(outcome.report);
    EXPECT_LT(whole, dated[i] == ReportKind::SalesReport ? 46u : 50u) << "read through the index";
    EXPECT_EQ(RowTexts(*outcome.report), byPass[i]);
  }
}

TEST(AgingCategory, UsesTheCompanysDaysAndCaptions) {
  const common::RecordBuffer co = testing::ReportCompany();
  const std::pair<int, const char*> cases[] = {
      {-3, "Current:"}, {0, "Current:"}, {30, "Current:"}, {31, "31-60:"}, {60, "31-60:"},
      {61, "61-90:"},   {90, "61-90:"},  {91, "Over 90"},
  };
  for (const auto& [days, category] : cases) EXPECT_EQ(AgingCategory(co, days), category) << days;
}

}  // namespace
}  // namespace tf::reports
