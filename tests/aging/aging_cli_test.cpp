// tallyfold-cli aging: the report as of a date (and as CSV) that changes nothing, the repair
// that ages the books now, the books check that finds aging amounts a change failed to carry,
// and the refusals.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/folder_lock.h"
#include "common/side_file.h"
#include "tests/aging/books_folder.h"
#include "tests/app/cli_run.h"

namespace tf::aging {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using cli::testing::RunToolHere;
using cli::testing::ToolRun;
using common::ReadText;
namespace co = records::company;

year_month_day DaysAgo(int days, year_month_day from) { return year_month_day{sys_days{from} - std::chrono::days{days}}; }

// The text with every run of blanks made one blank, line by line.
std::string Squeezed(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word, squeezed;
    while (words >> word) squeezed += (squeezed.empty() ? "" : " ") + word;
    out += squeezed + "\n";
  }
  return out;
}

class AgingCliTest : public BooksFolderTest {
 protected:
  void SetUp() override {
    BooksFolderTest::SetUp();
    // Stored as they were aged a while ago: everything current.
    AddCustomer("C1", "Ann Smith", "60.00", {"60.00", "0.00", "0.00", "0.00"}, "ANN");
    AddCustomer("C2", "Bob Jones", "1234.50", {"1234.50", "0.00", "0.00", "0.00"}, "BOB");
    AddInvoice({"100", "C1", DaysAgo(10, kToday), "20.00"});
    AddInvoice({"101", "C1", DaysAgo(100, kToday), "40.00"});
    AddInvoice({"102", "C2", DaysAgo(35, kToday), "1234.50"});
    ASSERT_TRUE(book_.UpdateCurrentCompany(
        [](std::span<std::uint8_t> w) { common::WriteText(w, co::kCompanyBalance, "1294.50"); }, quiet_, status_));
    std::copy(book_.Current().begin(), book_.Current().end(), book_.Work().begin());
    book_.SaveStartupFile();
  }
};

TEST_F(AgingCliTest, TheReportAsOfADateChangesNothing) {
  const auto before = FolderBytes();
  ToolRun run = RunToolHere({"aging", "--as-of", "05/15/2024"});
  EXPECT_EQ(run.status, cli::kExitOk) << run.err;
  EXPECT_EQ(Squeezed(run.out),
            "Aging of company 1 (Acme Books) as of 05/15/2024; nothing was changed.\n"
            "Customer Short Name Current: 31-60: 61-90: Over 90: Balance\n"
            "C1 ANN 20.00 0.00 0.00 40.00 60.00\n"
            "C2 BOB 0.00 1,234.50 0.00 0.00 1,234.50\n"
            "Totals 20.00 1,234.50 0.00 40.00 1,294.50\n"
            "2 customers, 3 invoice records.\n");
  EXPECT_EQ(FolderBytes(), before);

  // Another day, given as yyyy-mm-dd, and the CSV beside it.
  ToolRun later = RunToolHere({"aging", "--as-of=2024-07-01", "--csv", "aged.csv", "--company", "1"});
  EXPECT_EQ(later.status, cli::kExitOk) << later.err;
  EXPECT_NE(Squeezed(later.out).find("C2 BOB 0.00 0.00 1,234.50 0.00 1,234.50\n"), std::string::npos) << later.out;
  EXPECT_EQ(common::ReadWholeFile("aged.csv"),
            "CustomerNumber,ShortName,AgingAmount1,AgingAmount2,AgingAmount3,AgingAmount4,Balance\r\n"
            "C1,ANN,0.00,20.00,0.00,40.00,60.00\r\n"
            "C2,BOB,0.00,0.00,1234.50,0.00,1234.50\r\n");
  std::filesystem::remove("aged.csv");
  EXPECT_EQ(FolderBytes(), before);
}

TEST_F(AgingCliTest, CheckFindsStaleAgingAndRepairPutsItRight) {
  ToolRun check = RunToolHere({"check"});
  EXPECT_EQ(check.status, cli::kExitProblems);
  EXPECT_EQ(check.out,
            "books of company 1: customer C1 has the aging amounts 60.00 / 0.00 / 0.00 / 0.00 but its invoices age "
            "to 20.00 / 0.00 / 0.00 / 40.00 on 05/15/2024\n"
            "books of company 1: customer C2 has the aging amounts 1234.50 / 0.00 / 0.00 / 0.00 but its invoices "
            "age to 0.00 / 1234.50 / 0.00 / 0.00 on 05/15/2024\n");

  ToolRun repair = RunToolHere({"aging", "--repair"});
  EXPECT_EQ(repair.status, cli::kExitOk) << repair.out << repair.err;
  EXPECT_EQ(repair.out, "Aged company 1: 2 customers, 2 rewritten; company balance 1,294.50.\n");
  // Today is the computer's: the books are aged as of it, and the start-up file says so too.
  const std::string today = common::FormatDate(common::SystemClock().Today(), common::DateFormat::MonthFirst);
  EXPECT_EQ(CompanyField(co::kLastAgingDate), today);
  EXPECT_EQ(ReadText(common::RecordBuffer([] {
                       common::RecordBuffer r(co::kCompanyRecordLength);
                       const std::string bytes = common::ReadWholeFile(std::string(co::kStartupFile));
                       std::copy(bytes.begin(), bytes.begin() + co::kCompanyRecordLength, r.begin());
                       return r;
                     }()),
                     co::kLastAgingDate),
            today);
  ToolRun clean = RunToolHere({"check"});
  EXPECT_EQ(clean.status, cli::kExitOk) << clean.out;
}

TEST_F(AgingCliTest, Refusals) {
  const auto before = FolderBytes();
  ToolRun badDate = RunToolHere({"aging", "--as-of", "13/45/2024"});
  EXPECT_EQ(badDate.status, cli::kExitUsage);
  EXPECT_EQ(badDate.err,
            "tallyfold-cli: \"13/45/2024\" is not a date; give it as mm/dd/yyyy (the company's date format) or as "
            "yyyy-mm-dd.\n");
  ToolRun both = RunToolHere({"aging", "--repair", "--as-of", "05/15/2024"});
  EXPECT_EQ(both.status, cli::kExitUsage);
  for (const char* option : {"--as-of", "--csv"}) {
    ToolRun bare = RunToolHere({"aging", option});
    EXPECT_EQ(bare.status, cli::kExitUsage) << option;
    EXPECT_EQ(bare.err, "tallyfold-cli: " + std::string(option) + " needs a value.\n");
  }
  ToolRun joined = RunToolHere({"aging", "--as-of=13/45/2024"});
  EXPECT_EQ(joined.err, badDate.err) << "--name=VALUE is the same option";
  ToolRun unknown = RunToolHere({"aging", "--fix"});
  EXPECT_EQ(unknown.status, cli::kExitUsage);
  EXPECT_NE(unknown.err.find("aging does not know \"--fix\""), std::string::npos);
  {
    common::FolderLock window(std::filesystem::current_path());
    ASSERT_EQ(window.state(), common::FolderLock::State::Held);
    ToolRun locked = RunToolHere({"aging", "--repair"});
    EXPECT_EQ(locked.status, cli::kExitUsage);
    EXPECT_NE(locked.err.find("is in use by the Tallyfold window"), std::string::npos);
    // The report only reads.
    EXPECT_EQ(RunToolHere({"aging"}).status, cli::kExitOk);
  }
  EXPECT_EQ(FolderBytes().at("1C.DAT"), before.at("1C.DAT"));
  EXPECT_EQ(FolderBytes().at("Company.DAT"), before.at("Company.DAT"));
}

}  // namespace
}  // namespace tf::aging
