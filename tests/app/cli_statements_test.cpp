// tallyfold-cli statements: one customer's statement and a batch by age printed to real PDF
// files and read back with pdftotext / pdfinfo; the batch dated in the company record, a dry run
// changing nothing, a customer without activity and bad arguments refused with a sentence.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/cli/qt/pdf_canvas.h"
#include "tests/app/cli_run.h"
#include "tests/statements/statement_books.h"
#include "tests/support/external_peer.h"

namespace tf::cli {
namespace {

using namespace std::chrono;
using test::PlannedInvoice;
using testing::RunTool;
namespace fs = std::filesystem;

class CliStatementsTest : public test::StatementFolderTest {
 protected:
  void SetUp() override {
    StatementFolderTest::SetUp();
    AddStatementCustomer("C1", "Brown & Co", "ap@brown.test", "1334.50", {"1234.50", "100.00", "0.00", "0.00"});
    AddStatementCustomer("C2", "Green Ltd", "", "40.00", {"40.00", "0.00", "0.00", "0.00"});
    AddStatementCustomer("C3", "Idle Inc", "");
    AddRecord({"A100", "C1", kToday, "1234.50"}, "1234.50", "Spring order");
    AddRecord({"A101", "C1", year_month_day{sys_days{kToday} - days{40}}, "100.00"}, "100.00");
    AddRecord({"A102", "C2", kToday, "40.00"}, "40.00");
  }

  testing::ToolRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), "statements");
    for (const char* a : {"--company", "1", "--data"}) args.push_back(a);
    args.push_back(fs::current_path().string());
    Extensions ext = BuiltInExtensions();
    ext.pdfCanvas = qt::OffscreenPdfCanvas;
    return RunTool(args, ext);
  }
};

TEST_F(CliStatementsTest, OneCustomersStatementReadsBackFromThePdf) {
  TF_NEED_PEERS_GTEST("reading printed statements", "pdftotext");
  const testing::ToolRun run = Tool({"--customer", "c1", "--pdf", "one.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("1 page"), std::string::npos) << run.out;
  const std::string text = test::PeerOutput("pdftotext -layout one.pdf -");
  const std::string dated =
      "Statement Date: " + common::FormatDate(common::SystemClock().Today(), common::DateFormat::MonthFirst);
  for (const std::string& expected : {std::string("STATEMENT"), std::string("Acme Books"), std::string("Brown & Co"), dated,
                                      std::string("Account Number: C1"), std::string("Spring order"), std::string("A101"),
                                      std::string("*** Account Totals:"), std::string("1,334.50"),
                                      std::string("Current: 1,234.50"), std::string("Over 90: 0.00"),
                                      std::string("Page Number: 1")})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(text.find("A102"), std::string::npos) << "another customer's invoice";
}

TEST_F(CliStatementsTest, ABatchPrintsEveryChosenCustomerAndIsDated) {
  TF_NEED_PEERS_GTEST("reading printed statements", "pdftotext", "pdfinfo");
  const testing::ToolRun run = Tool({"--age", "all", "--pdf", "batch.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Printed 2 statements (2 pages)"), std::string::npos) << run.out;
  EXPECT_NE(test::PeerOutput("pdfinfo batch.pdf").find("Pages:           2"), std::string::npos);
  const std::string page2 = test::PeerOutput("pdftotext -f 2 -l 2 -layout batch.pdf -");
  EXPECT_NE(page2.find("Green Ltd"), std::string::npos) << page2;
  EXPECT_NE(page2.find("Page Number: 1"), std::string::npos) << "each statement numbers its own pages";
  EXPECT_EQ(CompanyField(records::company::kStatementBatchDate), common::FormatDate(common::SystemClock().Today(),
                                                                                    common::DateFormat::MonthFirst));
}

TEST_F(CliStatementsTest, ADryRunSaysWhatItWouldPrintAndChangesNothing) {
  const testing::ToolRun run = Tool({"--age", "over30", "--pdf", "dry.pdf", "--dry-run"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Would print 1 statement to"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(": C1."), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists("dry.pdf"));
  EXPECT_EQ(common::TrimBoth(CompanyField(records::company::kStatementBatchDate)), "");
}

TEST_F(CliStatementsTest, NothingToPrintIsSaidAndNoFileWritten) {
  testing::ToolRun run = Tool({"--customer", "C3", "--pdf", "idle.pdf"});
  EXPECT_EQ(run.status, kExitProblems);
  EXPECT_NE(run.err.find("There is no activity for this customer."), std::string::npos) << run.err;
  run = Tool({"--age", "over90", "--pdf", "none.pdf"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("There are no customers with a non-zero balance"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists("idle.pdf"));
  EXPECT_FALSE(fs::exists("none.pdf"));
}

TEST_F(CliStatementsTest, BadArgumentsAreRefusedWithASentence) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--customer", "C1", "--age", "all", "--pdf", "x.pdf"}, "either --customer or --age"},
      {{"--age", "old", "--pdf", "x.pdf"}, "\"old\" is no age selection"},
      {{"--age", "all", "--min-balance", "1,5", "--pdf", "x.pdf"}, "\"1,5\" is not an amount"},
      {{"--customer", "C1"}, "--pdf FILE"},
      {{"--customer", "C1", "--pdf", "x.pdf", "--unpaid", "--all-activity"}, "exclude each other"},
  };
  for (const auto& [args, text] : cases) {
    const testing::ToolRun run = Tool(args);
    EXPECT_EQ(run.status, kExitUsage) << text;
    EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists("x.pdf"));
}

}  // namespace
}  // namespace tf::cli
