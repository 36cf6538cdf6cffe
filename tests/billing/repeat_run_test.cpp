// Repeat billing runs: month steps with their drift, day steps, the search through a date, the
// generated invoices (number, copy of the master, lines and memo, the schedule advanced, the
// balances raised), the masters refused (count past 999, a number already there, a missing
// customer or memo), one invoice per master per run, the question before a second run on one
// date, a preview that changes nothing, and a failure at every file call of a run.

#include "billing/repeat_run.h"

#include <gtest/gtest.h>

#include "aging/aging_run.h"
#include "tests/billing/billing_folder.h"

namespace tf::billing {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::Money;
using common::ReadText;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

constexpr year_month_day D(int y, unsigned m, unsigned d) { return year{y} / month{m} / day{d}; }

TEST(RepeatScheduleTest, MonthStepsClampToTheMonthEndAndKeepTheDrift) {
  struct Case {
    year_month_day from;
    const char* unit;
    int interval;
    year_month_day next;
  };
  for (const Case& c : {Case{D(2024, 1, 31), "M", 1, D(2024, 2, 29)}, Case{D(2024, 2, 29), "M", 1, D(2024, 3, 29)},
                        Case{D(2023, 1, 31), "M", 1, D(2023, 2, 28)}, Case{D(2023, 2, 28), "M", 1, D(2023, 3, 28)},
                        Case{D(2024, 12, 15), "M", 1, D(2025, 1, 15)}, Case{D(2024, 11, 30), "M", 3, D(2025, 2, 28)},
                        Case{D(2024, 3, 1), "D", 14, D(2024, 3, 15)}, Case{D(2024, 2, 20), "D", 10, D(2024, 3, 1)},
                        Case{D(2024, 12, 25), "X", 7, D(2025, 1, 1)}})
    EXPECT_EQ(NextDueDate(c.from, c.unit, c.interval), c.next)
        << common::FormatDateKey(c.from) << " + " << c.interval << c.unit;
}

class RepeatTest : public BillingFolderTest {
 protected:
  void SetUp() override {
    BillingFolderTest::SetUp();
    AddCustomer("C1", "Name C1", "0.00", {"0.00", "0.00", "0.00", "0.00"}, "Short1");
    AddCustomer("C2", "Name C2", "0.00", {"0.00", "0.00", "0.00", "0.00"}, "Short2");
  }

  RepeatSearch Search(year_month_day through) {
    BillingReader reader;
    std::string message;
    EXPECT_TRUE(reader.Open("1", message)) << message;
    return SearchRepeat(reader.Blocks().invoices, through, Format());
  }

  static std::vector<std::string> Numbers(const RepeatSearch& s) {
    std::vector<std::string> out;
    for (const DueMaster& m : s.masters) out.push_back(m.number);
    return out;
  }

  RepeatOptions Options(year_month_day date) {
    RepeatOptions o;
    o.invoiceDate = common::FormatDate(date, Format());
    return o;
  }

  // Searches through `date` and generates dated `date`.
  RepeatResult Run(year_month_day date) {
    std::vector<std::string> masters = Numbers(Search(date));
    RepeatResult r = GenerateRepeat(book_.Current(), masters, Options(date), kToday, quiet_);
    if (r.ok && r.company.size()) std::copy(r.company.begin(), r.company.end(), book_.Current().begin());
    return r;
  }
};

TEST_F(RepeatTest, TheSearchListsMastersDueOnOrBeforeTheDate) {
  AddMaster("1001", "C1", "100.00", kToday);
  AddMaster("1002", "C2", "50.00", D(2024, 5, 1));
  AddMaster("1003", "C2", "70.00", D(2024, 6, 1));
  AddInvoice({"1004", "C1", D(2024, 5, 1), "10.00"});  // an ordinary invoice is never listed
  const RepeatSearch yesterday = Search(D(2024, 5, 14));
  EXPECT_EQ(Numbers(yesterday), (std::vector<std::string>{"1002"}));
  const RepeatSearch today = Search(kToday);
  EXPECT_EQ(Numbers(today), (std::vector<std::string>{"1001", "1002"}));
  EXPECT_EQ(today.Summary(), "There are 2 invoices selected totaling 150.00.");
  EXPECT_EQ(today.masters[0].listLine, "1001      C1               100.00 05/15/2024 C1            0");
}

TEST_F(RepeatTest, AGeneratedInvoiceCopiesItsMasterAndRaisesTheBalances) {
  AddMaster("1001", "C1", "100.00", D(2024, 1, 31), "M", 1, 2);
  AddLine("1001", "1         Service                         60.00     N60.00", "R");
  AddLine("1001", "1         Support                         40.00     N40.00", "R");
  RepeatOptions o = Options(kToday);
  o.reference = "May service";
  const RepeatResult r = GenerateRepeat(book_.Current(), {"1001"}, o, kToday, quiet_);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.generated.size(), 1u);
  EXPECT_EQ(r.generated[0].number, "1001G3");
  EXPECT_EQ(r.CompletionText(), "1 invoices were generated. 1 Monthly Setups and 0 Daily Setups.");

  const auto generated = Records("1001G3");
  ASSERT_EQ(generated.size(), 1u);
  const common::RecordBuffer& g = generated[0];
  EXPECT_EQ(ReadText(g, inv::kRecordKind), "G");
  EXPECT_EQ(ReadText(g, inv::kBalanceDue), "100.00");
  EXPECT_EQ(ReadText(g, inv::kInvoiceDate), "05/15/2024");
  EXPECT_EQ(ReadText(g, inv::kDateKey), "2024/05/15");
  EXPECT_EQ(ReadText(g, inv::kNotes), "May service");
  EXPECT_EQ(ReadText(g, inv::kStatementNote), "May service");
  EXPECT_EQ(ReadText(g, inv::kPrintedFlag), "N");
  EXPECT_EQ(ReadText(g, inv::kRepeatCount), "3");
  const auto lines = Lines("1001G3");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(ReadText(lines[0], inv::kLineKind), "G");
  EXPECT_EQ(ReadText(lines[0], inv::kLineDateKey), "2024/05/15");
  EXPECT_EQ(ReadText(lines[1], inv::kLineText).substr(10, 7), "Support");
  EXPECT_EQ(Lines("1001").size(), 2u);  // the master keeps its own

  const auto master = Records("1001");
  ASSERT_EQ(master.size(), 1u);
  EXPECT_EQ(ReadText(master[0], inv::kNextDueDate), "02/29/2024");
  EXPECT_EQ(ReadText(master[0], inv::kRepeatCount), "3");
  EXPECT_EQ(ReadText(master[0], inv::kBalanceDue), "0.00");
  EXPECT_EQ(Amounts("C1"), "100.00 | 100.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(Customer("C1"), cu::kLastInvoiceNumber), "1001G3");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kCompanyBalance), "100.00");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kRepeatLastRun), "05/15/2024");
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(RepeatTest, OneInvoicePerMasterPerRunEvenWhenSeveralPeriodsAreDue) {
  AddMaster("1001", "C1", "100.00", D(2024, 1, 31));
  AddMaster("2001", "C1", "25.00", D(2024, 5, 1), "D", 30);
  ASSERT_EQ(Run(D(2024, 5, 15)).generated.size(), 2u);
  // January 31 stepped to February 29: still due, found by the next run; March 29 after it.
  EXPECT_EQ(Numbers(Search(kToday)), (std::vector<std::string>{"1001"}));
  const RepeatResult second = Run(D(2024, 5, 16));
  ASSERT_EQ(second.generated.size(), 1u);
  EXPECT_EQ(second.generated[0].number, "1001G2");
  EXPECT_EQ(ReadText(Records("1001")[0], inv::kNextDueDate), "03/29/2024");
  EXPECT_EQ(ReadText(Records("2001")[0], inv::kNextDueDate), "05/31/2024");
  // The same master named twice in one run is billed once.
  const RepeatResult twice = GenerateRepeat(book_.Current(), {"1001", "1001"}, Options(D(2024, 5, 17)), kToday, quiet_);
  EXPECT_EQ(twice.generated.size(), 1u);
  EXPECT_EQ(Amounts("C1"), "325.00 | 325.00 0.00 0.00 0.00");
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(RepeatTest, MastersThatCannotBeBilledAreRefusedAndLeftAsTheyWere) {
  AddMaster("1001", "C1", "10.00", kToday, "M", 1, 999);
  AddMaster("1002", "C1", "20.00", kToday, "M", 1, 4);
  AddInvoice({"1002G5", "C2", kToday, "1.00"});
  AddMaster("1003", "C9", "30.00", kToday);
  AddMaster("1004", "C1", "40.00", kToday, "M", 1, 0, "M");  // a memo master without its memo
  AddMaster("1005", "C2", "50.00", kToday, "M", 1, 0, "M");
  AddMemo("1005", "Monthly retainer");
  ASSERT_TRUE(aging::RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, false}).complete);
  const auto masters = Records("1001")[0];
  const RepeatResult r = Run(kToday);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.generated.size(), 1u);
  EXPECT_EQ(r.generated[0].number, "1005G1");
  ASSERT_EQ(r.refused.size(), 4u);
  EXPECT_NE(r.refused[0].find("master 1001: it has generated 999 invoices"), std::string::npos) << r.refused[0];
  EXPECT_NE(r.refused[1].find("master 1002: invoice 1002G5 already exists"), std::string::npos) << r.refused[1];
  EXPECT_NE(r.refused[2].find("master 1003: its customer C9 is not on file"), std::string::npos) << r.refused[2];
  EXPECT_NE(r.refused[3].find("master 1004: Memo data not added"), std::string::npos) << r.refused[3];
  EXPECT_EQ(Records("1001")[0], masters);
  EXPECT_EQ(Records("1002G5").size(), 1u);
  EXPECT_EQ(ReadText(Records("1002")[0], inv::kRepeatCount), "4");
  EXPECT_EQ(Records("1004G1").size(), 0u);
  // The memo master's body came with it.
  engine::FileBlockGuard memos;
  engine::OpenFileBlock(memos.handle(), inv::MemoFileName("1"), true);
  std::int32_t ref = 0;
  ASSERT_TRUE(inv::FindMemo(memos.get(), "1005G1", ref, quiet_));
  common::RecordBuffer memo(inv::kMemoRecordLength);
  engine::GetRecord(memos.get(), ref, std::span<std::uint8_t>(memo));
  EXPECT_EQ(ReadText(memo, inv::MemoLine(1)), "Monthly retainer");
  memos.Close();
  // The books are sound but for the master whose customer is missing, which the run left alone.
  EXPECT_EQ(CheckEverything(), "customer C9 of 1 invoice record(s) (the first is record 4) is not on file\n");
}

TEST_F(RepeatTest, ASecondRunOnTheSameDateIsAskedAbout) {
  AddMaster("1001", "C1", "10.00", kToday);
  EXPECT_FALSE(SameDateQuestion(book_.Current(), Options(kToday)));
  ASSERT_EQ(Run(kToday).generated.size(), 1u);
  EXPECT_TRUE(SameDateQuestion(book_.Current(), Options(kToday)));
  EXPECT_FALSE(SameDateQuestion(book_.Current(), Options(D(2024, 5, 16))));
  // Nothing is due any more through today: a second run finds nothing to bill.
  EXPECT_TRUE(Search(kToday).masters.empty());
}

TEST_F(RepeatTest, ThePreviewPlansTheSameInvoicesAndChangesNoByte) {
  AddMaster("1001", "C1", "100.00", kToday, "M", 1, 1);
  AddLine("1001", "1         Service                         100.00    N100.00", "R");
  AddMaster("1002", "C1", "20.00", kToday, "D", 7);
  const auto before = FolderBytes();
  const RepeatResult preview = PreviewRepeat(book_.Current(), {"1001", "1002"}, Options(kToday), kToday, quiet_);
  ASSERT_TRUE(preview.ok) << preview.message;
  EXPECT_EQ(FolderBytes(), before);
  const RepeatResult run = GenerateRepeat(book_.Current(), {"1001", "1002"}, Options(kToday), kToday, quiet_);
  ASSERT_EQ(preview.generated.size(), 2u);
  ASSERT_EQ(run.generated.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(preview.generated[k].number, run.generated[k].number);
    EXPECT_EQ(preview.generated[k].total, run.generated[k].total);
    EXPECT_EQ(preview.generated[k].nextDue, run.generated[k].nextDue);
  }
  EXPECT_EQ(preview.company, run.company);
}

TEST_F(RepeatTest, AFailureAtAnyFileCallLeavesAllOrNothing) {
  AddMaster("1001", "C1", "100.00", kToday, "M", 1, 1);
  AddLine("1001", "1         Service                         100.00    N100.00", "R");
  AddMaster("1002", "C2", "20.00", kToday, "D", 7, 0, "M");
  AddMemo("1002", "Weekly");
  ASSERT_TRUE(aging::RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, false}).complete);
  const Sweep sweep = SweepFaults(
      [&] {
        const RepeatResult r = GenerateRepeat(book_.Current(), {"1001", "1002"}, Options(kToday), kToday, quiet_);
        return std::pair{r.ok, r.message};
      },
      [&](bool ok, int) {
        EXPECT_EQ(Records("1001G2").size() + Records("1002G1").size(), ok ? 2u : 0u);
        EXPECT_EQ(ReadText(Records("1001").at(0), inv::kRepeatCount), ok ? "2" : "1");
      });
  EXPECT_TRUE(sweep.reachedEnd);
  EXPECT_GT(sweep.failures, 20);
}

}  // namespace
}  // namespace tf::billing
