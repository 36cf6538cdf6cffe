// tallyfold-cli interest and repeat: a dry run lists what a run would create and changes no
// byte of the folder; the run creates exactly that; running it again is refused without
// --again; and the arguments a run cannot use are refused with a sentence.

#include <gtest/gtest.h>

#include "aging/aging_run.h"
#include "common/folder_lock.h"
#include "tests/app/cli_run.h"
#include "tests/billing/billing_folder.h"

namespace tf::billing {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using cli::testing::ToolRun;

// The tool on company 1 of this folder.
ToolRun RunToolHere(std::vector<std::string> args) {
  args.push_back("--company");
  args.push_back("1");
  return cli::testing::RunToolHere(args);
}
using common::ReadText;
namespace co = records::company;
namespace inv = records::invoice;

// The tool dates and ages with the computer's clock: these books are aged on the real today.
class BillingCliTest : public BillingFolderTest {
 protected:
  void SetUp() override {
    BillingFolderTest::SetUp();
    today_ = common::SystemClock().Today();
    const auto ago = [&](int days) { return year_month_day{sys_days{today_} - std::chrono::days{days}}; };
    AddCustomer("C1", "Ann Smith", "0.00", {"0.00", "0.00", "0.00", "0.00"}, "ANN");
    AddCustomer("C2", "Bob Jones", "0.00", {"0.00", "0.00", "0.00", "0.00"}, "BOB");
    AddInvoice({"A1", "C1", ago(45), "300.00"});
    AddInvoice({"A2", "C2", ago(100), "1000.00"});
    AddMaster("1001", "C1", "80.00", ago(3));
    AddLine("1001", "1         Service                         80.00     N80.00", "R");
    AddMaster("1002", "C2", "40.00", ago(0), "D", 7);
    AddMaster("1003", "C2", "10.00", year_month_day{sys_days{today_} + days{5}});
    SetCompanyField(co::kNextInvoiceNumber, "500");
    common::FixedClock clock{today_};
    ASSERT_TRUE(aging::RunAging({book_, quiet_, status_, clock, [](std::string_view) {}, false}).complete);
    ASSERT_EQ(CheckEverything(), "");
  }

  std::string Today() const { return common::FormatDate(today_, common::DateFormat::MonthFirst); }

  year_month_day today_;
};

TEST_F(BillingCliTest, InterestDryRunThenRunThenRefusedSecondRun) {
  const auto before = FolderBytes();
  const ToolRun dry = RunToolHere({"interest", "--dry-run", "--percent", "2", "--minimum", "1"});
  ASSERT_EQ(dry.status, cli::kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("C1        Ann Smith                            300.00         6.00  500I"), std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find("C2        Bob Jones                          1,000.00        20.00  501I"), std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find("Would create 2 interest invoices dated " + Today()), std::string::npos) << dry.out;
  EXPECT_EQ(FolderBytes(), before);

  const ToolRun run = RunToolHere({"interest", "--percent", "2", "--minimum", "1"});
  ASSERT_EQ(run.status, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("Created 2 interest invoices dated " + Today() + " at 2 percent interest (500I to 501I)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(ReadText(Records("501I").at(0), inv::kTotalAmount), "20.00");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kNextInvoiceNumber), "502");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kInterestPercent), "2");
  EXPECT_EQ(CheckEverything(), "");

  // The same month again: refused, nothing written; with --again it charges (on the original
  // amounts: the interest invoices are not charged interest).
  const auto charged = FolderBytes();
  const ToolRun again = RunToolHere({"interest"});
  EXPECT_EQ(again.status, cli::kExitProblems);
  EXPECT_NE(again.err.find("were already created for this month"), std::string::npos) << again.err;
  EXPECT_EQ(FolderBytes(), charged);
  const ToolRun forced = RunToolHere({"interest", "--again", "--over", "60"});
  ASSERT_EQ(forced.status, cli::kExitOk) << forced.err;
  EXPECT_NE(forced.out.find("1,000.00        20.00  502I"), std::string::npos) << forced.out;
  EXPECT_EQ(forced.out.find("Ann Smith"), std::string::npos) << forced.out;
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(BillingCliTest, RepeatDryRunThenRunThenRefusedSecondRun) {
  const auto before = FolderBytes();
  const ToolRun dry = RunToolHere({"repeat", "--through", "today", "--dry-run"});
  ASSERT_EQ(dry.status, cli::kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("1001      1001G1    C1        C1                80.00"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("1002      1002G1    C2        C2                40.00"), std::string::npos) << dry.out;
  EXPECT_EQ(dry.out.find("1003"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("Would generate 2 invoices dated " + Today() + " totaling 120.00"), std::string::npos) << dry.out;
  EXPECT_EQ(FolderBytes(), before);

  const ToolRun run = RunToolHere({"repeat", "--through", "today", "--reference", "Service for the month"});
  ASSERT_EQ(run.status, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("Generated 2 invoices dated " + Today() + " totaling 120.00 (1 monthly, 1 daily)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(ReadText(Records("1001G1").at(0), inv::kNotes), "Service for the month");
  EXPECT_EQ(Lines("1001G1").size(), 1u);
  EXPECT_EQ(CheckEverything(), "");

  const auto billed = FolderBytes();
  const ToolRun again = RunToolHere({"repeat", "--through", "today"});
  EXPECT_EQ(again.status, cli::kExitProblems);
  EXPECT_NE(again.err.find("were already generated"), std::string::npos) << again.err;
  EXPECT_EQ(FolderBytes(), billed);
  // With --again nothing is due any more: every master moved past today.
  const ToolRun forced = RunToolHere({"repeat", "--through", "today", "--again"});
  EXPECT_EQ(forced.status, cli::kExitOk) << forced.err;
  EXPECT_NE(forced.out.find("There are no repeat billings due through"), std::string::npos) << forced.out;
  EXPECT_EQ(FolderBytes(), billed);
}

TEST_F(BillingCliTest, ArgumentsARunCannotUseAreRefused) {
  // A run takes the folder's lock first (its file is not part of the books).
  auto books = [] {
    auto files = FolderBytes();
    files.erase(common::kFolderLockFile);
    return files;
  };
  const auto before = books();
  struct Case {
    std::vector<std::string> args;
    const char* said;
  };
  for (const Case& c : {Case{{"interest", "--over", "45"}, "--over takes one of the company's aging limits: 30, 60 or 90."},
                        Case{{"interest", "--flat", "-3"}, "You should not enter a negative number in the flat rate box."},
                        Case{{"interest", "--flat", "0"}, "No flat rate is specified."},
                        Case{{"interest", "--date", "13/45/2024"}, "is not a date"},
                        Case{{"interest", "--percent", "1.5x"}, "The monthly percentage rate must be a number"},
                        Case{{"interest", "--colour"}, "interest does not know \"--colour\""},
                        Case{{"repeat"}, "repeat needs --through DATE"},
                        Case{{"repeat", "--through", "someday"}, "\"someday\" is not a date"}}) {
    const ToolRun run = RunToolHere(c.args);
    EXPECT_NE(run.status, cli::kExitOk) << c.args[1];
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
  }
  EXPECT_EQ(books(), before);
}

}  // namespace
}  // namespace tf::billing
