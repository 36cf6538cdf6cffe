// The command-line tool on a company's customers: import (whole file or nothing), export,
// and check / dump knowing the customer file block by its name.

#include <gtest/gtest.h>

#include "app/cli/cli.h"
#include "common/side_file.h"
#include "tests/app/cli_run.h"
#include "tests/app/export_sweep.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunToolHere;
using cli::testing::ToolRun;

class CustomerCliTest : public CustomerFolderTest {
 protected:
  std::string Files() { return common::ReadWholeFile("1C.DAT") + "|" + common::ReadWholeFile("1C.IX"); }
};

TEST_F(CustomerCliTest, ImportWritesTheCustomersAndMovesTheNextNumberOn) {
  common::ReplaceFile("in.csv", "CustomerName,Phone1\nSmith Ltd,555-1234\nJones,\n");
  ToolRun r = RunToolHere({"import", "customers", "in.csv"});
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Imported 2 customers into 1C\n");
  EXPECT_EQ(CompanyField(company::kNextCustomerNumber), "102");
  ToolRun check = RunToolHere({"check", "1C"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out;
  ToolRun dump = RunToolHere({"dump", "1C"});
  EXPECT_NE(dump.out.find("CustomerName: Smith Ltd"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("CustomerNumber: 101"), std::string::npos);

  // The index rebuilt from the records alone, by the block's name.
  std::filesystem::remove("1C.IX");
  ToolRun rebuild = RunToolHere({"rebuild", "1C"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_EQ(RunToolHere({"check", "1C"}).status, cli::kExitOk);

  ToolRun out = RunToolHere({"export", "customers", "out.csv"});
  ASSERT_EQ(out.status, cli::kExitOk) << out.err;
  std::string csv = common::ReadWholeFile("out.csv");
  EXPECT_NE(csv.find("\r\n101,Jones,0.00,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n100,Smith Ltd,0.00,"), std::string::npos);
}

TEST_F(CustomerCliTest, ABadFileIsRefusedWholeWithEveryLineAndTheFilesStayAsTheyWere) {
  // Refused before the company had customers: no customer file is left behind either.
  common::ReplaceFile("nameless.csv", "CustomerName,Phone1\n,555-1234\n");
  EXPECT_EQ(RunToolHere({"import", "customers", "nameless.csv"}).status, cli::kExitProblems);
  EXPECT_FALSE(fs::exists("1C.DAT"));
  EXPECT_FALSE(fs::exists("1C.IX"));

  common::ReplaceFile("first.csv", "CustomerName\nACME\n");
  ASSERT_EQ(RunToolHere({"import", "customers", "first.csv"}).status, cli::kExitOk);
  const std::string before = Files();
  common::ReplaceFile("bad.csv", "CustomerName,EMail\nFine,\n,\nAcme,\nOther,no-at-sign\n");
  ToolRun r = RunToolHere({"import", "customers", "bad.csv"});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_EQ(r.err,
            "line 3: You must enter a customer name.\n"
            "line 4: That customer name already exists. You should not enter the same customer name with a "
            "different customer number.\n"
            "line 5: The customer e-mail address does not have the @ sign included. Bad e-mail address.\n"
            "tallyfold-cli: nothing was imported: 3 problems\n");
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(CompanyField(company::kNextCustomerNumber), "101");
}

TEST_F(CustomerCliTest, AnEndlessFileIsRefusedWithASentenceAndNothingIsLeftBehind) {
  // /dev/zero never ends and holds no line break: the import stops at the longest record it
  // could hold instead of reading on until memory runs out.
  ToolRun r = RunToolHere({"import", "customers", "/dev/zero"});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_EQ(r.err,
            "line 1: the record is longer than 1048576 bytes, more than any record holds (is this a CSV file?)\n"
            "tallyfold-cli: nothing was imported: 1 problem\n");
  EXPECT_FALSE(fs::exists("1C.DAT"));
  fs::create_directory("folder.csv");
  ToolRun folder = RunToolHere({"import", "customers", "folder.csv"});
  EXPECT_EQ(folder.status, cli::kExitUsage);
  EXPECT_NE(folder.err.find("it is a folder, not a CSV file"), std::string::npos) << folder.err;
}

TEST_F(CustomerCliTest, ExportThenImportRoundTripsAwkwardTextsExactly) {
  common::ReplaceFile("in.csv",
                      "CustomerNumber,CustomerName,Phone1,CustomerType,Notes,BillAddress1\r\n"
                      "\"'=1\",\"'=SUM(A1:A2)\",\"'+44 1234\",'@work,\"'-\r\nline two\",\"Caf\xC3\xA9 \"\"quoted\"\"\"\r\n"
                      "-5,Minus,-12.50,''x,,\r\n");
  ToolRun in = RunToolHere({"import", "customers", "in.csv"});
  ASSERT_EQ(in.status, cli::kExitOk) << in.err;
  ASSERT_EQ(RunToolHere({"export", "customers", "out.csv"}).status, cli::kExitOk);
  const std::string exported = common::ReadWholeFile("out.csv");
  EXPECT_NE(exported.find("'=1,'=SUM(A1:A2),"), std::string::npos) << exported;
  // Into a second company: the dump of every record is the same.
  RecordBuffer co(company::kCompanyRecordLength);
  WriteText(co, company::kCompanyName, "Second");
  WriteText(co, company::kCompanyNumber, "2");
  {
    engine::FileBlockGuard companies;
    engine::OpenFileBlock(companies.handle(), company::kCompanyFileBlock);
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(companies.get(), company::CompanyFileKind(), co, ref, quiet_));
  }
  ToolRun again = RunToolHere({"import", "customers", "out.csv", "--company", "2"});
  ASSERT_EQ(again.status, cli::kExitOk) << again.err;
  ASSERT_EQ(RunToolHere({"export", "customers", "out2.csv", "--company", "2"}).status, cli::kExitOk);
  EXPECT_EQ(common::ReadWholeFile("out2.csv"), exported);
  const std::string dump1 = RunToolHere({"dump", "1C"}).out, dump2 = RunToolHere({"dump", "2C"}).out;
  // Stored as Latin-1, shown as UTF-8.
  EXPECT_NE(dump1.find("BillAddress1: Caf\xC3\xA9 \"quoted\"\n"), std::string::npos) << dump1;
  EXPECT_NE(dump1.find("Notes: -\r\nline two\n"), std::string::npos) << dump1;
  EXPECT_NE(dump1.find("=SUM(A1:A2)"), std::string::npos) << dump1;
  EXPECT_EQ(dump1.substr(dump1.find('\n')), dump2.substr(dump2.find('\n')));
}

TEST_F(CustomerCliTest, ADamagedIndexIsNeverExportedInPart) {
  std::string csv = "CustomerName,CustomerNumber\n";
  for (int k = 0; k < 300; ++k) csv += "Customer " + std::to_string(1000 + k) + "," + std::to_string(k + 1) + "\n";
  common::ReplaceFile("in.csv", csv);
  ASSERT_EQ(RunToolHere({"import", "customers", "in.csv"}).status, cli::kExitOk);
  cli::testing::ExpectDamagedIndexNeverExportedInPart("customers", "1C.IX");
}

TEST_F(CustomerCliTest, UnknownKindAndMissingFileAreUsageErrors) {
  EXPECT_EQ(RunToolHere({"import", "widgets", "x.csv"}).status, cli::kExitUsage);
  EXPECT_EQ(RunToolHere({"import", "customers", "missing.csv"}).status, cli::kExitUsage);
  EXPECT_EQ(RunToolHere({"export", "customers", "x.csv", "--company", "9"}).status, cli::kExitUsage);
}

}  // namespace
}  // namespace tf::customers::testing
