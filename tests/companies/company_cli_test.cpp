// `tallyfold-cli company list|add|delete`: companies added with the options' checks (one
// spelling of each number, no number taken twice, no number whose files are on disk), listed
// with the current one marked, and deleted with every file of their number, never the current
// one, and behind the password when one is set.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "common/side_file.h"
#include "maintenance/passwords.h"
#include "tests/app/cli_run.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using ::testing::HasSubstr;

class CompanyToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::path(scratch_.path()) / "data";
    ASSERT_EQ(RunTool({"init", data_.string()}).status, 0);
    ASSERT_EQ(Company({"set", "CompanyName=Acme Supply"}).status, 0);
  }
  cli::testing::ToolRun Company(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--data", data_.string(), "company"});
    return RunToolWithInput(args, input);
  }
  TempFolder scratch_;
  fs::path data_;
};

TEST_F(CompanyToolTest, AddListAndDelete) {
  auto added = Company({"add", "CompanyName=Beta Books", "TaxRate=7.5"});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "Added company 2 (Beta Books).\n");
  ASSERT_EQ(Company({"add", "--number", "0012", "CompanyName=Twelve"}).status, 0);
  for (const char* taken : {"12", "+12", "2"}) {
    const auto again = Company({"add", "--number", taken, "CompanyName=Copy"});
    EXPECT_EQ(again.status, 1) << taken;
    EXPECT_THAT(again.err, HasSubstr("already exists")) << taken;
  }
  const auto bad = Company({"add", "--number", "7", "CompanyName=Bad", "AgingDays2=31"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_THAT(bad.err, HasSubstr("category 2"));
  common::ReplaceFile(data_ / "8I.DAT", "left over");
  const auto files = Company({"add", "--number", "8", "CompanyName=Eight"});
  EXPECT_EQ(files.status, 1);
  EXPECT_THAT(files.err, HasSubstr("Files of a company 8 are already in the data folder (8I.DAT)"));

  const auto list = Company({"list"});
  ASSERT_EQ(list.status, 0);
  EXPECT_THAT(list.out, ::testing::ContainsRegex("\n1 +Acme Supply +0.00  \\(current\\)\n"));
  EXPECT_THAT(list.out, ::testing::ContainsRegex("\n12 +Twelve +0.00\n"));
  EXPECT_THAT(list.out, ::testing::ContainsRegex("\n2 +Beta Books +0.00\n"));

  for (const char* f : {"2C.DAT", "2C.IX", "2I.DAT", "2I.MSG", "22C.DAT"}) common::ReplaceFile(data_ / f, "x");
  const auto deleted = Company({"delete", "2"});
  ASSERT_EQ(deleted.status, 0) << deleted.err;
  EXPECT_EQ(deleted.out, "Deleted company 2 and its 4 files: 2C.DAT, 2C.IX, 2I.DAT, 2I.MSG.\n");
  EXPECT_TRUE(fs::exists(data_ / "22C.DAT"));
  EXPECT_THAT(Company({"list"}).out, ::testing::Not(HasSubstr("Beta Books")));
  const auto current = Company({"delete", "1"});
  EXPECT_EQ(current.status, 1);
  EXPECT_THAT(current.err, HasSubstr("is the current company"));
  // Names that look like file blocks without being any.
  fs::remove(data_ / "22C.DAT");
  fs::remove(data_ / "8I.DAT");
  const auto check = RunTool({"--data", data_.string(), "check"});
  EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(CompanyToolTest, DeleteAsksForThePasswordWhenOneIsSet) {
  ASSERT_EQ(Company({"add", "CompanyName=Beta Books"}).status, 0);
  const fs::path previous = fs::current_path();
  fs::current_path(data_);
  maintenance::SavePassword("Secret");
  fs::current_path(previous);
  const auto wrong = Company({"delete", "2"}, "nope\n");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_THAT(Company({"list"}).out, HasSubstr("Beta Books"));
  const auto right = Company({"delete", "2"}, "Secret\n");
  EXPECT_EQ(right.status, 0) << right.err;
  EXPECT_THAT(Company({"list"}).out, ::testing::Not(HasSubstr("Beta Books")));
}

}  // namespace
}  // namespace tf::test
