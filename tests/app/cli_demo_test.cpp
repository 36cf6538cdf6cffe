// The demo company: made through the program's own import, payment and aging code, so the
// books check clean; the same day gives the same books; an occupied folder is never touched.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/app/cli_run.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using ::testing::HasSubstr;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CliDemoTest, MakesBooksThatCheckCleanAndAgeToTheCompanyBalance) {
  TempFolder temp;
  const std::string folder = temp / "demo";
  auto made = RunTool({"demo", folder, "--today", "2026-03-02"});
  ASSERT_EQ(made.status, cli::kExitOk) << made.err;
  EXPECT_THAT(made.out, HasSubstr("16 customers"));

  auto check = RunTool({"check", "--data", folder});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;

  // Open items in every aging column, the late payers' and the one who never pays.
  auto aging = RunTool({"aging", "--data", folder, "--as-of", "2026-03-02"});
  ASSERT_EQ(aging.status, cli::kExitOk) << aging.err;
  auto show = RunTool({"company", "show", "--data", folder});
  const std::string balanceLine = show.out.substr(show.out.find("CompanyBalance: "));
  const std::string balance = balanceLine.substr(16, balanceLine.find('\n') - 16);
  EXPECT_NE(balance, "0.00");
  std::string totals = aging.out.substr(aging.out.find("Totals"));
  totals = totals.substr(0, totals.find('\n'));
  std::string comma;  // the report groups thousands; the record does not
  for (char ch : totals.substr(totals.rfind(' ') + 1)) if (ch != ',') comma += ch;
  EXPECT_EQ(comma, balance);
  EXPECT_THAT(totals, ::testing::Not(HasSubstr(" 0.00 ")));  // something open in every aging column

  // The partial payment and the deposit are in the invoice file as their own records.
  auto dump = RunTool({"dump", "1I", "--data", folder});
  EXPECT_NE(dump.out.find("InvoiceNumber: DP"), std::string::npos) << "no deposit record";
  EXPECT_NE(dump.out.find("RecordKind: X"), std::string::npos) << "no partial payment record";
  EXPECT_NE(dump.out.find("TaxAmount: 1"), std::string::npos) << "no invoice carries tax";
  EXPECT_NE(dump.out.find("RecordKind: R"), std::string::npos) << "no repeat master";
  EXPECT_NE(dump.out.find("I\n  RecordKind: I"), std::string::npos) << "no interest invoice";
}

TEST(CliDemoTest, TheSameDayGivesTheSameInvoices) {
  TempFolder temp;
  for (const char* name : {"a", "b"}) ASSERT_EQ(RunTool({"demo", temp / name, "--today", "2025-02-28"}).status, cli::kExitOk);
  for (const char* block : {"1I", "1D", "1M"}) {
    const std::string a = RunTool({"dump", block, "--data", temp / "a"}).out;
    EXPECT_GT(a.size(), 10'000u) << block;
    EXPECT_TRUE(a == RunTool({"dump", block, "--data", temp / "b"}).out) << block << " differs";
  }
}

TEST(CliDemoTest, AFolderHoldingFilesIsRefusedAndLeftAsItWas) {
  TempFolder temp;
  const std::string folder = temp / "books";
  fs::create_directories(folder);
  std::ofstream(folder + "/mine.txt") << "keep me";
  auto run = RunTool({"demo", folder});
  EXPECT_EQ(run.status, cli::kExitUsage);
  EXPECT_THAT(run.err, HasSubstr("already holds files"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadFile(folder + "/mine.txt"), "keep me");

  auto bad = RunTool({"demo", temp / "other", "--today", "2026-02-30"});
  EXPECT_EQ(bad.status, cli::kExitUsage);
  EXPECT_FALSE(fs::exists(temp / "other"));
}

}  // namespace
}  // namespace tf::test
