// The command-line tool on a company's customers: import (whole file or nothing), export,
// and check / dump knowing the customer file block by its name.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/cli/cli.h"
#include "common/side_file.h"
#include "tests/customers/customer_fixture.h"

namespace tf::customers::testing {
namespace {

namespace fs = std::filesystem;

class CustomerCliTest : public CustomerFolderTest {
 protected:
  struct Run { int status; std::string out, err; };
  Run Tool(std::vector<std::string> args) {
    args.push_back("--data");
    args.push_back(fs::current_path().string());
    std::ostringstream out, err;
    int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  std::string Files() { return common::ReadWholeFile("1C.DAT") + "|" + common::ReadWholeFile("1C.IX"); }
};

TEST_F(CustomerCliTest, ImportWritesTheCustomersAndMovesTheNextNumberOn) {
  Write("in.csv", "CustomerName,Phone1\nSmith Ltd,555-1234\nJones,\n");
  Run r = Tool({"import", "customers", "in.csv"});
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Imported 2 customers into 1C\n");
  EXPECT_EQ(CompanyField(company::kNextCustomerNumber), "102");
  Run check = Tool({"check", "1C"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out;
  Run dump = Tool({"dump", "1C"});
  EXPECT_NE(dump.out.find("CustomerName: Smith Ltd"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("CustomerNumber: 101"), std::string::npos);

  // The index rebuilt from the records alone, by the block's name.
  std::filesystem::remove("1C.IX");
  Run rebuild = Tool({"rebuild", "1C"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_EQ(Tool({"check", "1C"}).status, cli::kExitOk);

  Run out = Tool({"export", "customers", "out.csv"});
  ASSERT_EQ(out.status, cli::kExitOk) << out.err;
  std::string csv = common::ReadWholeFile("out.csv");
  EXPECT_NE(csv.find("\r\n101,Jones,0.00,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n100,Smith Ltd,0.00,"), std::string::npos);
}

TEST_F(CustomerCliTest, ABadFileIsRefusedWholeWithEveryLineAndTheFilesStayAsTheyWere) {
  Write("first.csv", "CustomerName\nACME\n");
  ASSERT_EQ(Tool({"import", "customers", "first.csv"}).status, cli::kExitOk);
  const std::string before = Files();
  Write("bad.csv", "CustomerName,EMail\nFine,\n,\nAcme,\nOther,no-at-sign\n");
  Run r = Tool({"import", "customers", "bad.csv"});
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

TEST_F(CustomerCliTest, UnknownKindAndMissingFileAreUsageErrors) {
  EXPECT_EQ(Tool({"import", "widgets", "x.csv"}).status, cli::kExitUsage);
  EXPECT_EQ(Tool({"import", "customers", "missing.csv"}).status, cli::kExitUsage);
  EXPECT_EQ(Tool({"export", "customers", "x.csv", "--company", "9"}).status, cli::kExitUsage);
}

}  // namespace
}  // namespace tf::customers::testing
