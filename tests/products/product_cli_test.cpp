// The command-line tool on a company's products: import (whole file or nothing), export, and
// check / dump / rebuild knowing the product file block by its name.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/cli.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "records/product_fields.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "tests/app/cli_run.h"
#include "tests/app/export_sweep.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/company_file.h"

namespace tf::products {
namespace {

using namespace ::tf::test;

using namespace records::product;

namespace company = records::company;
namespace fs = std::filesystem;
using cli::testing::RunToolHere;
using cli::testing::ToolRun;

// Company 1 with day-first dates, in the company file and "LastCo.Dat".
class ProductCliTest : public tf::test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    common::RecordBuffer co(company::kCompanyRecordLength);
    common::WriteText(co, company::kCompanyName, "Acme Books");
    common::WriteText(co, company::kCompanyNumber, "1");
    common::WriteText(co, company::kDateFormat, "D");
    ASSERT_TRUE(tf::test::MakeCompanyFile(co)) << engine::EngineStatus;
    records::CompanyBook book;
    std::copy(co.begin(), co.end(), book.Work().begin());
    book.SaveStartupFile();
  }
  std::string Files() { return common::ReadWholeFile("1P.DAT") + "|" + common::ReadWholeFile("1P.IX"); }
};

TEST_F(ProductCliTest, ImportCheckDumpExport) {
  common::ReplaceFile("in.csv", "ProductCode,ProductDescription,SalesPrice\nb2,Bolt,1.5\na1,\"Anchor, large\",\n");
  ToolRun r = RunToolHere({"import", "products", "in.csv"});
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Imported 2 products into 1P\n");
  ToolRun check = RunToolHere({"check", "1P"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;
  ToolRun dump = RunToolHere({"dump", "1P"});
  EXPECT_NE(dump.out.find("ProductDescription: Anchor, large"), std::string::npos) << dump.out;
  // Set up today, day first as the company writes dates.
  const std::string today = common::FormatDate(common::SystemClock().Today(), common::DateFormat::DayFirst);
  EXPECT_NE(dump.out.find("SetupDate: " + today), std::string::npos);

  ASSERT_EQ(RunToolHere({"export", "products", "out.csv"}).status, cli::kExitOk);
  EXPECT_EQ(common::ReadWholeFile("out.csv"),
            "ProductCode,ProductDescription,Taxable,SalesPrice,ProductNotes,SetupDate,LastChangedDate\r\n"
            "a1,\"Anchor, large\",N,0.00,," + today + ",\r\n"
            "b2,Bolt,N,1.5,," + today + ",\r\n");

  // The index rebuilt by the tool from the product kind's keys checks clean.
  fs::remove("1P.IX");
  ToolRun rebuild = RunToolHere({"rebuild", "1P", "--record-length", "300", "--key", "10:0", "--key", "30:1"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_EQ(RunToolHere({"check", "1P"}).status, cli::kExitOk);
}

TEST_F(ProductCliTest, ABadFileIsRefusedWholeAndTheFilesStayAsTheyWere) {
  // Refused before the company had products: no product file is left behind either.
  common::ReplaceFile("codeless.csv", "ProductCode,ProductDescription\n,Nameless\n");
  EXPECT_EQ(RunToolHere({"import", "products", "codeless.csv"}).status, cli::kExitProblems);
  EXPECT_FALSE(fs::exists("1P.DAT"));
  EXPECT_FALSE(fs::exists("1P.IX"));

  common::ReplaceFile("first.csv", "ProductCode,ProductDescription\nA1,Anchor\n");
  ASSERT_EQ(RunToolHere({"import", "products", "first.csv"}).status, cli::kExitOk);
  const std::string before = Files();
  common::ReplaceFile("bad.csv", "ProductCode,ProductDescription\nB1,Fine\na1 ,Again\n,Nameless\n");
  ToolRun r = RunToolHere({"import", "products", "bad.csv"});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_EQ(r.err,
            "line 3: This Product Code already exists for: Anchor. Use a different code.\n"
            "line 4: You need to enter a product code.\n"
            "tallyfold-cli: nothing was imported: 2 problems\n");
  EXPECT_EQ(Files(), before);
}

TEST_F(ProductCliTest, ADamagedIndexIsNeverExportedInPart) {
  std::string csv = "ProductCode,ProductDescription,SalesPrice\n";
  for (int k = 0; k < 300; ++k) csv += "P" + std::to_string(1000 + k) + ",Item " + std::to_string(k) + ",1.00\n";
  common::ReplaceFile("in.csv", csv);
  ASSERT_EQ(RunToolHere({"import", "products", "in.csv"}).status, cli::kExitOk);
  cli::testing::ExpectDamagedIndexNeverExportedInPart("products", "1P.IX");
}

TEST_F(ProductCliTest, ExportOfAMissingFileIsAUsageError) {
  EXPECT_EQ(RunToolHere({"export", "products", "x.csv"}).status, cli::kExitUsage);
  EXPECT_FALSE(fs::exists("1P.DAT"));
}

}  // namespace
}  // namespace tf::products
