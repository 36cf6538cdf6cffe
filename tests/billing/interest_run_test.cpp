// The interest run: which customers are charged (age options, minimum, flat fee, interest on
// interest), the charges rounded to cents before the minimum and the totals, the invoices and
// lines it writes and their numbers (the plain sequence, numbers already used passed over, a
// number too wide refused), the balances it moves, the question before a second run in one
// month, a preview that changes nothing, and a failure at every file call of a run.

#include "billing/interest_run.h"
#include "billing/interest_report.h"
#include "common/recording_canvas.h"

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

// 2024/05/15, the books' today, less `days`.
year_month_day DaysAgo(int days) { return year_month_day{sys_days{year{2024} / May / day{15}} - std::chrono::days{days}}; }
Money M(const char* text) { return *common::ParseAmount(text); }

class InterestTest : public BillingFolderTest {
 protected:
  void SetUp() override {
    BillingFolderTest::SetUp();
    SetCompanyField(co::kNextInvoiceNumber, "101");
  }

  // Customers whose open invoices make their aging amounts, aged today.
  void Books(const std::vector<PlannedInvoice>& invoices) {
    std::set<std::string> customers;
    for (const PlannedInvoice& p : invoices) {
      if (customers.insert(p.customer).second) AddCustomer(p.customer, "Name " + p.customer);
      AddInvoice(p);
    }
    ASSERT_TRUE(aging::RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, false}).complete);
    ASSERT_EQ(CheckEverything(), "");
  }

  InterestOptions Options() { return LoadInterestOptions(book_.Current(), kToday); }

  InterestScan Scan(const InterestOptions& o) {
    BillingReader reader;
    std::string message;
    EXPECT_TRUE(reader.Open("1", message)) << message;
    return ScanInterest(reader.Blocks(), book_.Current(), o, kToday);
  }

  InterestResult Generate(const InterestOptions& o) {
    const InterestScan scan = Scan(o);
    EXPECT_TRUE(scan.ok);
    InterestResult r = GenerateInterest(book_.Current(), scan.rows, o, kToday, quiet_);
    if (r.ok) std::copy(r.company.begin(), r.company.end(), book_.Current().begin());
    return r;
  }

  static std::vector<std::string> Charged(const InterestScan& scan) {
    std::vector<std::string> out;
    for (const InterestRow& r : scan.rows) out.push_back(r.number + " " + common::Format0_00(r.overdue) + " " +
                                                         common::Format0_00(r.charge));
    return out;
  }
};

TEST_F(InterestTest, TheAgeOptionChoosesTheOverdueAmounts) {
  Books({{"A1", "C1", DaysAgo(45), "100.00"},    // category 2
         {"A2", "C2", DaysAgo(75), "200.00"},    // category 3
         {"A3", "C3", DaysAgo(120), "400.00"},   // category 4
         {"A4", "C4", DaysAgo(5), "800.00"}});   // current: never charged
  struct Case {
    int option;
    std::vector<std::string> charged;
  };
  for (const Case& c : {Case{0, {"C1 100.00 1.50", "C2 200.00 3.00", "C3 400.00 6.00"}},
                        Case{1, {"C2 200.00 3.00", "C3 400.00 6.00"}}, Case{2, {"C3 400.00 6.00"}}}) {
    InterestOptions o = Options();
    o.ageOption = c.option;
    o.minimum = "0.00";
    EXPECT_EQ(Charged(Scan(o)), c.charged) << "option " << c.option;
  }
}

TEST_F(InterestTest, AChargeBelowTheMinimumChargesNothing) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(45), "400.00"}});
  InterestOptions o = Options();
  o.percent = "1.50";
  o.minimum = "5.00";
  // 4.50 on 300.00 stays below the minimum; 6.00 on 400.00 reaches it.
  EXPECT_EQ(Charged(Scan(o)), (std::vector<std::string>{"C2 400.00 6.00"}));
  o.minimum = "4.50";
  EXPECT_EQ(Charged(Scan(o)).size(), 2u);
}

TEST_F(InterestTest, ChargesAreRoundedToCentsBeforeTheMinimumAndTheTotals) {
  // 1.5 % of 100.33 is 1.50495 and of 0.30 is 0.0045: 1.50 and 0.00.
  Books({{"A1", "C1", DaysAgo(45), "100.33"}, {"A2", "C2", DaysAgo(45), "100.33"}, {"A3", "C3", DaysAgo(45), "0.30"}});
  InterestOptions o = Options();
  o.minimum = "1.505";  // the unrounded charge would pass it
  EXPECT_TRUE(Scan(o).rows.empty());
  o.minimum = "0.00";
  const InterestScan scan = Scan(o);
  EXPECT_EQ(Charged(scan), (std::vector<std::string>{"C1 100.33 1.50", "C2 100.33 1.50"}));
  EXPECT_EQ(scan.totalCharge, M("3.00"));
  const InterestResult r = Generate(o);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.total, M("3.00"));
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kCompanyBalance), "203.96");
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(InterestTest, AFlatFeeChargesEveryCustomerWithAnythingOverdue) {
  Books({{"A1", "C1", DaysAgo(45), "0.01"}, {"A2", "C2", DaysAgo(100), "5000.00"}, {"A3", "C3", DaysAgo(2), "90.00"}});
  InterestOptions o = Options();
  o.flatFee = true;
  o.flatRate = "7.5";
  o.minimum = "99.00";  // not used with the flat fee
  EXPECT_EQ(Charged(Scan(o)), (std::vector<std::string>{"C1 0.01 7.50", "C2 5000.00 7.50"}));
}

TEST_F(InterestTest, FlatRatesAreCheckedAsTheyAreTyped) {
  struct Case {
    const char* typed;
    const char* refusal;
  };
  for (const Case& c : {Case{"-5", "You should not enter a negative number in the flat rate box."},
                        Case{"5-", "You should not enter a negative number in the flat rate box."},
                        Case{"5x", "The flat rate must be a numeric value."},
                        Case{"1,5", "The flat rate must be a numeric value."}, Case{"12.50", ""}, Case{"", ""}}) {
    const auto refusal = CheckFlatRate(c.typed);
    EXPECT_EQ(refusal ? refusal->text : "", c.refusal) << c.typed;
  }
  Books({{"A1", "C1", DaysAgo(45), "10.00"}});
  InterestOptions o = Options();
  o.flatFee = true;
  for (const char* zero : {"", "0", "0.00"}) {
    o.flatRate = zero;
    const InterestScan scan = Scan(o);
    ASSERT_TRUE(scan.refusal) << zero;
    EXPECT_EQ(scan.refusal->text, "No flat rate is specified.");
    EXPECT_EQ(scan.refusal->caption, "Flat Rate Fee");
  }
}

TEST_F(InterestTest, OpenInterestInvoicesAreNotChargedAgainUnlessAsked) {
  Books({{"A1", "C1", DaysAgo(45), "200.00"}, {"90I", "C1", DaysAgo(40), "100.00"}});
  InterestOptions o = Options();
  o.minimum = "0";
  EXPECT_EQ(Charged(Scan(o)), (std::vector<std::string>{"C1 200.00 3.00"}));
  o.interestOnInterest = true;
  EXPECT_EQ(Charged(Scan(o)), (std::vector<std::string>{"C1 300.00 4.50"}));
}

TEST_F(InterestTest, ThreeCustomersGetNumbersInSequenceAndTheirBalances) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(75), "600.00"}, {"A3", "C3", DaysAgo(95), "900.00"}});
  InterestOptions o = Options();
  o.percent = "2";
  o.minimum = "1.00";
  o.markPrinted = true;
  o.terms = "Due on receipt";
  o.invoiceDate = common::FormatDate(DaysAgo(40), Format());  // the charge ages into category 2
  const InterestResult r = Generate(o);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[0].invoiceNumber, "101I");
  EXPECT_EQ(r.rows[1].invoiceNumber, "102I");
  EXPECT_EQ(r.rows[2].invoiceNumber, "103I");
  const common::RecordBuffer company = CompanyOnFile();
  EXPECT_EQ(ReadText(company, co::kNextInvoiceNumber), "104");
  EXPECT_EQ(ReadText(company, co::kLastInvoiceNumber), "103");
  EXPECT_EQ(ReadText(company, co::kCompanyBalance), "1836.00");
  EXPECT_EQ(ReadText(company, co::kInterestPercent), "2");
  EXPECT_EQ(ReadText(company, co::kInterestLastRun), o.invoiceDate);
  EXPECT_EQ(ReadText(company, co::kInterestAgingCategory), "3");

  const auto records = Records("102I");
  ASSERT_EQ(records.size(), 1u);
  const common::RecordBuffer& i = records[0];
  EXPECT_EQ(ReadText(i, inv::kRecordKind), "I");
  EXPECT_EQ(ReadText(i, inv::kKeyCode), "Interest");
  EXPECT_EQ(ReadText(i, inv::kCustomerNumber), "C2");
  EXPECT_EQ(ReadText(i, inv::kPrintedFlag), "Y");
  EXPECT_EQ(ReadText(i, inv::kTerms), "Due on receipt");
  EXPECT_EQ(ReadText(i, inv::kNotes), "Interest Charges");
  EXPECT_EQ(ReadText(i, inv::kStatementNote), "Interest Charges");
  EXPECT_EQ(ReadText(i, inv::kDateKey), common::FormatDateKey(DaysAgo(40)));
  EXPECT_EQ(ReadText(i, inv::kTotalAmount), "12.00");
  EXPECT_EQ(ReadText(i, inv::kBalanceDue), "12.00");
  EXPECT_EQ(ReadText(i, inv::kTaxAmount), "0.00");
  const auto lines = Lines("102I");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(ReadText(lines[0], inv::kLineText),
            "1         Interest Charges                12.00     N12.00     ");
  EXPECT_EQ(ReadText(lines[0], inv::kLineProductCode), "Interest");
  // Category 2 of C1 took its charge (6.00) on top of its 300.00.
  EXPECT_EQ(Amounts("C1"), "306.00 | 0.00 306.00 0.00 0.00");
  EXPECT_EQ(ReadText(Customer("C3"), cu::kLastInvoiceNumber), "103I");
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(InterestTest, NumbersKeepThePlainSequenceUnderTheYearMonthPrefixAndPassOverNumbersInUse) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(45), "300.00"}, {"102I", "C9", DaysAgo(1), "1.00"}});
  common::RecordBuffer c = CompanyOnFile();
  common::WriteFlag(c, co::kYearMonthPrefix, true);
  PutCompany(c);
  InterestOptions o = Options();
  const InterestResult r = Generate(o);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].invoiceNumber, "101I");
  EXPECT_EQ(r.rows[1].invoiceNumber, "103I");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kNextInvoiceNumber), "104");
  EXPECT_EQ(Records("102I").size(), 1u);
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(InterestTest, ANumberThatWouldNotFitIsRefusedBeforeAnythingIsWritten) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(45), "300.00"}});
  SetCompanyField(co::kNextInvoiceNumber, "99999999");
  const auto before = FolderBytes();
  const InterestResult r = Generate(Options());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("100000000I would not fit"), std::string::npos) << r.message;
  EXPECT_EQ(FolderBytes(), before);
  SetCompanyField(co::kNextInvoiceNumber, "12A");
  EXPECT_NE(Generate(Options()).message.find("\"12A\" is not a whole number"), std::string::npos);
}

TEST_F(InterestTest, ASecondRunInTheSameMonthIsAskedAbout) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}});
  InterestOptions o = Options();
  EXPECT_FALSE(SameMonthQuestion(book_.Current(), o));
  ASSERT_TRUE(Generate(o).ok);
  EXPECT_TRUE(SameMonthQuestion(book_.Current(), o));
  o.invoiceDate = "05/01/2024";
  EXPECT_TRUE(SameMonthQuestion(book_.Current(), o));
  o.invoiceDate = "06/01/2024";
  EXPECT_FALSE(SameMonthQuestion(book_.Current(), o));
  o.invoiceDate = "05/15/2023";
  EXPECT_FALSE(SameMonthQuestion(book_.Current(), o));
}

TEST_F(InterestTest, ThePreviewPlansTheSameInvoicesAndChangesNoByte) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(45), "300.00"}, {"101I", "C9", DaysAgo(1), "1.00"}});
  const InterestOptions o = Options();
  const auto before = FolderBytes();
  const InterestResult preview = PreviewInterest(book_.Current(), Scan(o).rows, o, kToday, quiet_);
  ASSERT_TRUE(preview.ok) << preview.message;
  EXPECT_EQ(FolderBytes(), before);
  const InterestResult run = Generate(o);
  ASSERT_EQ(preview.rows.size(), run.rows.size());
  for (std::size_t k = 0; k < run.rows.size(); ++k) {
    EXPECT_EQ(preview.rows[k].invoiceNumber, run.rows[k].invoiceNumber);
    EXPECT_EQ(preview.rows[k].charge, run.rows[k].charge);
  }
  EXPECT_EQ(preview.company, run.company);
}

TEST_F(InterestTest, AFailureAtAnyFileCallLeavesAllOrNothing) {
  Books({{"A1", "C1", DaysAgo(45), "300.00"}, {"A2", "C2", DaysAgo(75), "600.00"}, {"A3", "C3", DaysAgo(95), "900.00"}});
  const InterestOptions o = Options();
  const InterestScan scan = Scan(o);
  ASSERT_EQ(scan.rows.size(), 3u);
  const Sweep sweep = SweepFaults(
      [&] {
        const InterestResult r = GenerateInterest(book_.Current(), scan.rows, o, kToday, quiet_);
        return std::pair{r.ok, r.message};
      },
      [&](bool ok, int) {
        const std::size_t interest = Records("101I").size() + Records("102I").size() + Records("103I").size();
        EXPECT_EQ(interest, ok ? 3u : 0u);
        EXPECT_EQ(ReadText(CompanyOnFile(), co::kNextInvoiceNumber), ok ? "104" : "101");
      });
  EXPECT_TRUE(sweep.reachedEnd);
  EXPECT_GT(sweep.failures, 20);
}

TEST_F(InterestTest, TheReportListsEveryInvoiceAndContinuesOnNewPages) {
  std::vector<PlannedInvoice> books;
  for (int k = 0; k < 60; ++k) {
    const std::string n = std::to_string(10 + k);
    books.push_back({"A" + n, "C" + n, DaysAgo(45), "100.00"});
  }
  Books(books);
  InterestOptions o = Options();
  const InterestResult r = Generate(o);
  ASSERT_TRUE(r.ok) << r.message;
  common::RecordingCanvas canvas;
  ASSERT_TRUE(PrintInterestReport(canvas, book_.Current(), o, r.rows, local_days{kToday} + hours{14} + minutes{5}));
  EXPECT_EQ(canvas.Title(), "Interest Charges");
  ASSERT_GT(canvas.PageCount(), 1u);
  const auto first = canvas.ReadingLines(0);
  EXPECT_EQ(first[0], "Acme Books");
  EXPECT_EQ(first[1], "Interest Charges Report Page 1");
  EXPECT_EQ(first[2], "Date: Wednesday, May 15, 2024, 02:05 PM");
  EXPECT_EQ(first[3], "Created Invoices Dated: 05/15/2024 and charged 1.50 percent interest.");
  EXPECT_EQ(first[4], "Customer Name Customer# Over 30 Days Interest Chg. Invoice#");
  EXPECT_EQ(first[5], "Name C10 C10 100.00 1.50 101I");
  EXPECT_EQ(first.back(), "Continued on page 2 ...");
  const auto last = canvas.ReadingLines(canvas.PageCount() - 1);
  EXPECT_EQ(last[1], "Interest Charges Report Page " + std::to_string(canvas.PageCount()));
  EXPECT_EQ(last[last.size() - 2], "Totals: 6,000.00 90.00");
  EXPECT_EQ(last.back(), "Report Complete. 60 records printed.");
  // Every invoice once, whatever the page.
  int listed = 0;
  for (std::size_t p = 0; p < canvas.PageCount(); ++p)
    for (const std::string& line : canvas.ReadingLines(p)) listed += line.ends_with("I") && line.starts_with("Name C");
  EXPECT_EQ(listed, 60);

  common::RecordingCanvas refusing;
  refusing.FailBeginDoc();
  EXPECT_FALSE(PrintInterestReport(refusing, book_.Current(), o, r.rows, local_days{kToday}));
}

}  // namespace
}  // namespace tf::billing
