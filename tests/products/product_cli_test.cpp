// The command-line tool on a company's products: import (whole file or nothing), export, and
// check / dump / rebuild knowing the product file block by its name.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli/cli.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "products/product_fields.h"
#include "shell/company_record.h"
#include "shell/company_store.h"
#include "tests/shell/shell_fixture.h"

namespace tf::products {
namespace {

namespace company = shell::company;
namespace fs = std::filesystem;

// Company 1 with day-first dates, in the company file and "LastCo.Dat".
class ProductCliTest : public shell::testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    common::RecordBuffer co(company::kCompanyRecordLength);
    common::WriteText(co, company::kCompanyName, "Acme Books");
    common::WriteText(co, company::kCompanyNumber, "1");
    common::WriteText(co, company::kDateFormat, "D");
    const auto& kind = company::CompanyFileKind();
    engine::MakeFileBlock(company::kCompanyFileBlock, kind.recordLength, int(kind.keys.size()), kind.keys);
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
    ASSERT_TRUE(engine::EngineOK);
    std::int32_t ref = 0;
    common::ScriptedPrompter quiet;
    ASSERT_TRUE(shell::AddKeyedRecord(block.get(), kind, co, ref, quiet));
    block.Close();
    shell::CompanyBook book;
    std::copy(co.begin(), co.end(), book.Work().begin());
    book.SaveStartupFile();
  }
  struct Run {
    int status;
    std::string out, err;
  };
  Run Tool(std::vector<std::string> args) {
    args.push_back("--data");
    args.push_back(fs::current_path().string());
    std::ostringstream out, err;
    int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  std::string Files() { return common::ReadWholeFile("1P.DAT") + "|" + common::ReadWholeFile("1P.IX"); }
};

TEST_F(ProductCliTest, ImportCheckDumpExport) {
  Write("in.csv", "ProductCode,ProductDescription,SalesPrice\nb2,Bolt,1.5\na1,\"Anchor, large\",\n");
  Run r = Tool({"import", "products", "in.csv"});
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Imported 2 products into 1P\n");
  Run check = Tool({"check", "1P"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;
  Run dump = Tool({"dump", "1P"});
  EXPECT_NE(dump.out.find("ProductDescription: Anchor, large"), std::string::npos) << dump.out;
  // Set up today, day first as the company writes dates.
  const std::string today = common::FormatDate(common::SystemClock().Today(), common::DateFormat::DayFirst);
  EXPECT_NE(dump.out.find("SetupDate: " + today), std::string::npos);

  ASSERT_EQ(Tool({"export", "products", "out.csv"}).status, cli::kExitOk);
  EXPECT_EQ(common::ReadWholeFile("out.csv"),
            "ProductCode,ProductDescription,Taxable,SalesPrice,ProductNotes,SetupDate,LastChangedDate\r\n"
            "a1,\"Anchor, large\",N,0.00,," + today + ",\r\n"
            "b2,Bolt,N,1.5,," + today + ",\r\n");

  // The index rebuilt by the tool from the product kind's keys checks clean.
  fs::remove("1P.IX");
  Run rebuild = Tool({"rebuild", "1P", "--record-length", "300", "--key", "10:0", "--key", "30:1"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_EQ(Tool({"check", "1P"}).status, cli::kExitOk);
}

TEST_F(ProductCliTest, ABadFileIsRefusedWholeAndTheFilesStayAsTheyWere) {
  Write("first.csv", "ProductCode,ProductDescription\nA1,Anchor\n");
  ASSERT_EQ(Tool({"import", "products", "first.csv"}).status, cli::kExitOk);
  const std::string before = Files();
  Write("bad.csv", "ProductCode,ProductDescription\nB1,Fine\na1 ,Again\n,Nameless\n");
  Run r = Tool({"import", "products", "bad.csv"});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_EQ(r.err,
            "line 3: This Product Code already exists for: Anchor. Use a different code.\n"
            "line 4: You need to enter a product code.\n"
            "tallyfold-cli: nothing was imported: 2 problems\n");
  EXPECT_EQ(Files(), before);
}

TEST_F(ProductCliTest, ExportOfAMissingFileIsAUsageError) {
  EXPECT_EQ(Tool({"export", "products", "x.csv"}).status, cli::kExitUsage);
  EXPECT_FALSE(fs::exists("1P.DAT"));
}

}  // namespace
}  // namespace tf::products
