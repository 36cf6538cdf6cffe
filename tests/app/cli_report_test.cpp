// `tallyfold-cli report`: a company's invoices imported through the tool, then each report
// written as CSV or text and read back, and the tool's refusals of what it cannot do.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/side_file.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/support/temp_folder.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;
using testing::RunTool;
using testing::ToolRun;

class CliReport : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeInvoiceFolder(folder_, scratch_.path());
    const std::string invoices = scratch_ / "invoices.csv";
    common::ReplaceFile(invoices,
                        "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,KeyCode,ProductCode,Quantity,"
                        "Description,UnitPrice,TaxMark\n"
                        "100,P,C1,03/01/2024,WEB,W1,2,Widget,25.00,Y\n"
                        "100,P,C1,03/01/2024,WEB,G1,1,Gadget,50.00,Y\n"
                        "101,P,C2,03/05/2024,,W1,-1,Widget return,25.00,N\n"
                        "102,P,C3,02/10/2024,,W1,1,Widget,25.00,Y\n");
    const ToolRun imported = RunTool({"--data", folder_.string(), "import", "invoices", invoices});
    ASSERT_EQ(imported.status, kExitOk) << imported.err;
  }

  ToolRun Report(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", folder_.string(), "report"});
    return RunTool(args);
  }

  test::TempFolder scratch_;
  fs::path folder_ = fs::path(scratch_.path()) / "data";
};

TEST_F(CliReport, InvoiceRegisterAsCsvWithSubTotalsAndACredit) {
  const std::string csv = scratch_ / "register.csv";
  const ToolRun run = Report({"invoice-register", "--from", "03/01/2024", "--to", "03/31/2024", "--subtotals",
                              "--csv", csv});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Invoice Register by Date: 2 records written to " + csv + ".\n");
  EXPECT_EQ(common::ReadWholeFile(csv),
            "Year/Mo/Dy,Invoice#,Short Name,Customer,Net Amount,Tax Amount,Grand Total,C\r\n"
            "2024/03/01,100,ANN,C1,100.00,8.25,108.25,I\r\n"
            ",,,** Totals,100.00,8.25,108.25,\r\n"
            "2024/03/05,101,BOB,C2,-25.00,0.00,-25.00,I\r\n"
            ",,,** Totals,-25.00,0.00,-25.00,\r\n"
            ",,,Grand Total,75.00,8.25,83.25,\r\n");
}

TEST_F(CliReport, SortedByANamedColumnToTheTerminalAndAsAText) {
  const ToolRun run = Report({"sales", "--from", "02/01/2024", "--to", "03/31/2024", "--sort", "Product#"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Sales Report by Product#\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Selected records from 02/01/2024 to 03/31/2024\n"), std::string::npos);
  // G1 before the three W1 lines; quantities 1 + 2 - 1 + 1 and amounts 50 + 50 - 25 + 25.
  EXPECT_LT(run.out.find(" G1 "), run.out.find(" W1 "));
  EXPECT_NE(run.out.find("Grand Total         3.000       100.00"), std::string::npos) << run.out;

  const std::string text = scratch_ / "sales.txt";
  ASSERT_EQ(Report({"sales-report", "--from", "02/01/2024", "--to", "03/31/2024", "--sort", "2", "--text", text})
                .status,
            kExitOk);
  const std::string saved = common::ReadWholeFile(text);
  EXPECT_TRUE(saved.starts_with("Sales Report by Product#\r\nAcme\r\nDate: ")) << saved;
}

TEST_F(CliReport, ReceivablesListEveryOpenItem) {
  const std::string csv = scratch_ / "ar.csv";
  ASSERT_EQ(Report({"accounts-receivable", "--csv", csv}).status, kExitOk);
  const std::string text = common::ReadWholeFile(csv);
  EXPECT_NE(text.find(",100,ANN,C1,"), std::string::npos) << text;
  EXPECT_NE(text.find(",101,BOB,C2,"), std::string::npos);
  EXPECT_NE(text.find(",102,CLEO,C3,"), std::string::npos);
  EXPECT_NE(text.find("Grand Total,108.25"), std::string::npos) << text;  // 108.25 - 25.00 + 25.00
}

TEST_F(CliReport, NothingInTheRangeWritesNothing) {
  const std::string csv = scratch_ / "none.csv";
  const ToolRun run = Report({"tax", "--from", "01/01/2020", "--to", "12/31/2020", "--csv", csv});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "No matching records found for the dates entered. Nothing was written.\n");
  EXPECT_FALSE(fs::exists(csv));
  const ToolRun repeat = Report({"repeat-billing-list"});
  EXPECT_EQ(repeat.out, "No repeat billing master invoices were found. Nothing was written.\n");
}

TEST_F(CliReport, RefusesWhatItCannotDoInPlainSentences) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"profits"}, "there is no report \"profits\""},
      {{}, "report takes the name of one report"},
      {{"invoice-register", "--from", "03/01/2024"}, "the Invoice Register needs --from DATE and --to DATE."},
      {{"accounts-receivable", "--from", "03/01/2024"}, "searches all dates; leave out --from and --to."},
      {{"sales", "--from", "02/30/2024", "--to", "03/01/2024"}, "--from 02/30/2024 is not a date; company 1 writes "
                                                                "dates as mm/dd/yyyy."},
      {{"sales", "--from", "03/02/2024", "--to", "03/01/2024"}, "--from 03/02/2024 is later than --to 03/01/2024."},
      {{"sales", "--from", "03/01/2024", "--to", "03/31/2024", "--sort", "7"},
       "sorts on one of its columns 1 Product Description, 2 Product#, 3 Year/Mo/Dy, 4 Invoice#, 5 Short Name, "
       "6 Customer; not on \"7\"."},
      {{"sales", "--from", "03/01/2024", "--to", "03/31/2024", "--csv", "a.csv", "--text", "b.txt"},
       "give only one of --text, --csv and --pdf."},
      {{"sales", "--from", "03/01/2024", "--to", "03/31/2024", "--pdf", "a.pdf"}, "built without PDF output"},
      {{"sales", "--colour"}, "report knows no option --colour."},
  };
  for (const auto& c : cases) {
    const ToolRun run = Report(c.args);
    EXPECT_EQ(run.status, kExitUsage) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

}  // namespace
}  // namespace tf::cli
