// The tool and the company files: `init` lays down a folder the program starts from and the
// checker finds clean, `dump` and `check` know the company record, and `rebuild Company` needs
// no shape arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/cli.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "shell/startup.h"
#include "tests/app/cli_run.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using namespace records::company;

using cli::testing::RunTool;
using cli::testing::ToolRun;

class CliCompanyTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = work_ / "data"; }
  std::string Folder() const { return folder_.string(); }
  std::string In(const std::string& name) const { return (folder_ / name).string(); }

  // Adds a company record to the company file block without its keys, as a crash between the
  // record and its keys would leave it.
  void AddWithoutKeys(std::string_view number, std::string_view name) {
    engine::InitEngine(0, engine::kMinPageBuffers);
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), In("Company"));
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
    common::RecordBuffer r(kCompanyRecordLength);
    common::WriteText(r, kCompanyNumber, number);
    common::WriteText(r, kCompanyName, name);
    std::int32_t ref = 0;
    engine::AddRecord(block.get(), ref, r.data());
    ASSERT_TRUE(engine::EngineOK);
    block.Close();
    engine::ExitEngine();
  }

  TempFolder work_{TempFolder::Enter};
  fs::path folder_;
};

TEST_F(CliCompanyTest, InitLaysDownAFolderTheCheckerFindsClean) {
  ToolRun init = RunTool({"init", Folder()});
  ASSERT_EQ(init.status, cli::kExitOk) << init.err;
  EXPECT_EQ(fs::file_size(In("LastCo.Dat")), 2736u);
  const std::string startup = common::ReadWholeFile(In("LastCo.Dat"));
  const std::span<const std::uint8_t> record(reinterpret_cast<const std::uint8_t*>(startup.data()), startup.size());
  EXPECT_EQ(common::ReadText(record, kCompanyNumber), "1");
  EXPECT_EQ(common::ReadText(record, kCompanyName), "");
  EXPECT_EQ(common::ReadText(record, kDateFormat), "D");
  EXPECT_EQ(common::ReadText(record, kNextInvoiceNumber), "100");
  EXPECT_THAT(common::ReadWholeFile(In("VQTERMS.DAT")), HasSubstr("Due On Receipt\r\nNet 10 Days\r\n"));
  // The picture a new company tiles behind the main window.
  EXPECT_EQ(common::ReadText(record, kBackgroundPath), "qzt8.bmp");
  EXPECT_EQ(common::ReadWholeFile(In("qzt8.bmp")).substr(0, 2), "BM");

  ToolRun check = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;
  EXPECT_THAT(check.out, HasSubstr("1 file block checked"));
  EXPECT_THAT(check.out, HasSubstr("no problems"));

  ToolRun dump = RunTool({"--data", Folder(), "dump", "Company"});
  EXPECT_EQ(dump.status, cli::kExitOk) << dump.err;
  EXPECT_THAT(dump.out, HasSubstr("record kind companies"));
  EXPECT_THAT(dump.out, HasSubstr("  CompanyNumber: 1\n"));
  EXPECT_THAT(dump.out, HasSubstr("  EditorFont: Arial, 10 pt, colour 16711680, style 1\n"));
  EXPECT_THAT(dump.out, HasSubstr("  AgingCaption3: 61-90:\n"));
}

// A name with letters beyond ASCII is stored as Latin-1 and shown as UTF-8 again, by
// `company show` and by `dump`, so a terminal shows what was typed.
TEST_F(CliCompanyTest, AccentedTextIsShownAsTyped) {
  ASSERT_EQ(RunTool({"init", Folder()}).status, cli::kExitOk);
  const ToolRun set = RunTool({"--data", Folder(), "company", "set", "CompanyName=Caf\xC3\xA9 M\xC3\xBCller"});
  ASSERT_EQ(set.status, cli::kExitOk) << set.err;
  const std::string stored = common::ReadWholeFile(In("LastCo.Dat"));
  EXPECT_NE(stored.find("Caf\xE9 M\xFCller"), std::string::npos) << "one Latin-1 byte per letter on disk";
  EXPECT_THAT(RunTool({"--data", Folder(), "company", "show"}).out, HasSubstr("CompanyName: Caf\xC3\xA9 M\xC3\xBCller\n"));
  const ToolRun dump = RunTool({"--data", Folder(), "dump", "Company"});
  EXPECT_THAT(dump.out, HasSubstr("  CompanyName: Caf\xC3\xA9 M\xC3\xBCller\n"));
  EXPECT_THAT(dump.out, HasSubstr("\"CAF\\xE9 M\\xFCLLER")) << "index keys show their bytes escaped";
}

TEST_F(CliCompanyTest, InitLeavesExistingFilesAlone) {
  ASSERT_EQ(RunTool({"init", Folder()}).status, cli::kExitOk);
  common::ReplaceFile(In("VQTERMS.DAT"), "Net 45 Days\r\n");
  std::string startup = common::ReadWholeFile(In("LastCo.Dat"));
  startup[kCompanyName.offset] = 4;
  startup.replace(kCompanyName.offset + 1, 4, "Mine");
  common::ReplaceFile(In("LastCo.Dat"), startup);
  const std::string data = common::ReadWholeFile(In("Company.DAT"));
  const std::string index = common::ReadWholeFile(In("Company.IX"));

  ToolRun again = RunTool({"init", Folder()});
  EXPECT_EQ(again.status, cli::kExitOk) << again.err;
  EXPECT_EQ(common::ReadWholeFile(In("VQTERMS.DAT")), "Net 45 Days\r\n");
  EXPECT_EQ(common::ReadWholeFile(In("LastCo.Dat")), startup);
  EXPECT_EQ(common::ReadWholeFile(In("Company.DAT")), data);
  EXPECT_EQ(common::ReadWholeFile(In("Company.IX")), index);
}

TEST_F(CliCompanyTest, TheProgramStartsFromAnInitialisedFolder) {
  ASSERT_EQ(RunTool({"init", Folder()}).status, cli::kExitOk);
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  records::CompanyBook book;
  common::ScriptedPrompter prompter;
  common::FixedClock clock(std::chrono::year_month_day{std::chrono::year{2026}, std::chrono::March, std::chrono::day{9}});
  SilentStatus status;
  const shell::StartupResult r = shell::StartUp(book, prompter, clock, status);
  engine::ExitEngine();
  fs::current_path(previous);
  EXPECT_FALSE(r.endProgram);
  EXPECT_TRUE(prompter.Shown().empty());
  EXPECT_EQ(common::ReadText(book.Current(), kCompanyName), "Please Setup Your Company.");
  EXPECT_EQ(r.workingDate, "09/03/2026");
}

TEST_F(CliCompanyTest, CheckComparesTheCompanyIndexesWithTheRecordsAndRebuildRepairsThem) {
  ASSERT_EQ(RunTool({"init", Folder()}).status, cli::kExitOk);
  AddWithoutKeys("2", "Second Company");
  ToolRun damaged = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(damaged.status, cli::kExitProblems) << damaged.out;
  EXPECT_THAT(damaged.out, HasSubstr("2    "));

  ToolRun rebuild = RunTool({"--data", Folder(), "rebuild", "Company"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_THAT(rebuild.out, HasSubstr("Rebuilding Companies"));
  EXPECT_THAT(rebuild.out, HasSubstr("Rebuilt Company: 2 records"));
  ToolRun check = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out;
}

TEST_F(CliCompanyTest, RebuildStillTakesAnExplicitShape) {
  ASSERT_EQ(RunTool({"init", Folder()}).status, cli::kExitOk);
  AddWithoutKeys("3", "Third");
  ToolRun rebuild = RunTool({"--data", Folder(), "rebuild", "Company", "--record-length", "2736", "--key", "5:0:40",
                          "--key", "30:1:4"});
  EXPECT_EQ(rebuild.status, cli::kExitOk) << rebuild.err;
  EXPECT_EQ(RunTool({"--data", Folder(), "check"}).status, cli::kExitOk);

  ToolRun unknown = RunTool({"--data", Folder(), "rebuild", "Unknown"});
  EXPECT_EQ(unknown.status, cli::kExitUsage);
  EXPECT_THAT(unknown.err, HasSubstr("no record kind describes Unknown"));
}

}  // namespace
}  // namespace tf::test
