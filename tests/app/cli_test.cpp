// The command-line tool, run in-process on folders holding hand-built file blocks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli/cli.h"
#include "app/cli/dump_format.h"
#include "tests/app/cli_run.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

using cli::testing::RunTool;
using cli::testing::ToolRun;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A data folder below a scratch working directory, so the tool's own change of directory and
// its restoration are visible.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = work_ / "data";
    fs::create_directories(folder_);
  }
  // Writes a block into the data folder.
  void Put(const std::string& name, const Bytes& data, const Bytes* index) {
    fs::current_path(folder_);
    WriteBlockFiles(name, data, index);
    fs::current_path(work_.path());
  }
  void Put(const std::string& name, const HandBuiltBlock& block) {
    Bytes d = block.DataBytes(), x = block.IndexBytes();
    Put(name, d, block.keys.empty() ? nullptr : &x);
  }
  std::string Folder() const { return folder_.string(); }

  TempFolder work_{TempFolder::Enter};
  fs::path folder_;
};

// The hand-built blocks carry names no record kind of the program claims (customers are
// "<n>C", products "<n>P"), so only their structure is checked unless a test adds a kind.
TEST_F(CliTest, CheckOfCleanFolderExitsZero) {
  Put("1X", SampleBlock());
  Put("1Y", SmallBlock());
  ToolRun r = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("2 file blocks checked"));
  EXPECT_THAT(r.out, HasSubstr("no problems"));
  EXPECT_EQ(fs::current_path(), fs::path(work_.path()));  // restored
}

TEST_F(CliTest, CheckPrintsOneFindingPerLinePrefixedByBlock) {
  HandBuiltBlock damaged = SampleBlock();
  damaged.updateFlag = 1;
  damaged.deletedCount = 5;
  Put("1X", damaged);
  Put("1Y", SmallBlock());
  ToolRun r = RunTool({"check", "--data", Folder()});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(Lines(r.out), ::testing::ElementsAre(
                                "1X: UpdateFlag is 1: the file block was not closed after its last change",
                                "1X: free chain holds 3 records but DeletedCount is 5"));
  EXPECT_THAT(r.err, HasSubstr("2 problems in 1 of 2 file blocks"));
}

TEST_F(CliTest, CheckCanBeLimitedToNamedBlocks) {
  HandBuiltBlock damaged = SmallBlock();
  damaged.updateFlag = 1;
  Put("BAD", damaged);
  Put("GOOD", SmallBlock());
  EXPECT_EQ(RunTool({"--data", Folder(), "check", "GOOD"}).status, cli::kExitOk);
  ToolRun missing = RunTool({"--data", Folder(), "check", "NONE"});
  EXPECT_EQ(missing.status, cli::kExitProblems);
  EXPECT_THAT(missing.out, HasSubstr("NONE: cannot open the data file NONE.DAT"));
}

TEST_F(CliTest, CheckSkipsSideFilesAndOtherExtensions) {
  Put("1Y", SmallBlock());
  for (const char* side : {"VQTERMS.DAT", "Lastlbl.DAT", "LastCo.Dat", "notes.txt"})
    std::ofstream(folder_ / side) << "Net 30\r\n";
  ToolRun r = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.out;
  EXPECT_THAT(r.out, HasSubstr("1 file block checked"));
}

TEST_F(CliTest, CheckUsesTheRecordKindKeyBuilder) {
  HandBuiltBlock block = SampleBlock();
  std::copy_n("ZZZZZZZZ", 8, block.records[9].begin() + 4);  // record 10 no longer matches key 1
  Put("7X", block);
  EXPECT_EQ(RunTool({"--data", Folder(), "check"}).status, cli::kExitOk);  // structure is sound

  cli::Extensions ext = cli::BuiltInExtensions();
  ext.recordKinds.Add({"samples", "[0-9]*X", SampleKeys, nullptr});
  ToolRun r = RunTool({"--data", Folder(), "check"}, ext);
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.out, HasSubstr("7X: key 1: record 10 has no entry \"ZZZZZZZZ\""));
}

TEST_F(CliTest, CheckOfMissingFolderIsAUsageError) {
  ToolRun r = RunTool({"--data", work_ / "nowhere", "check"});
  EXPECT_EQ(r.status, cli::kExitUsage);
  EXPECT_THAT(r.err, HasSubstr("does not exist"));
}

TEST_F(CliTest, DumpShowsHeaderRecordsAndEntriesInOrder) {
  Put("FRUIT", SmallBlock());
  ToolRun r = RunTool({"--data", Folder(), "dump", "FRUIT"});
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_THAT(r.out, HasSubstr("header: FirstFree -1, DeletedCount 0, RecordCount 5, RecordLength 24, "
                               "KeyCount 1, UpdateFlag 0"));
  EXPECT_THAT(r.out, HasSubstr("0000  00 00 00 00 50 45 41 52 00"));  // record 1, "PEAR"
  EXPECT_THAT(r.out, HasSubstr("|....PEAR"));
  EXPECT_THAT(r.out, HasSubstr("key 1: KeyLength 6, unique, EntryCount 5"));
  std::string entries = "  \"APPLE\" -> 2\n  \"BANANA\" -> 5\n  \"FIG\" -> 3\n  \"KIWI\" -> 4\n  \"PEAR\" -> 1\n";
  EXPECT_THAT(r.out, HasSubstr(entries));
}

TEST_F(CliTest, DumpShowsDeletedRecordsAndProblems) {
  HandBuiltBlock block = SampleBlock();
  block.updateFlag = 1;
  Put("S", block);
  ToolRun r = RunTool({"--data", Folder(), "dump", "S"});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.out, HasSubstr("record 5: deleted, next free 40\n"));
  EXPECT_THAT(r.out, HasSubstr("records: 67 live, 3 deleted"));
  EXPECT_THAT(r.out, HasSubstr("\"GRP0\" -> 4\n  \"GRP0\" -> 8\n"));
  EXPECT_THAT(r.out, HasSubstr("problems:\n  UpdateFlag is 1"));
}

TEST_F(CliTest, DumpUsesTheRecordKindFieldDumper) {
  Put("FRUIT", SmallBlock());
  cli::Extensions ext = cli::BuiltInExtensions();
  records::FieldDumper fields = [](std::span<const unsigned char> r) {
    return std::vector<std::string>{"Name: " + std::string(reinterpret_cast<const char*>(r.data() + 4))};
  };
  ext.recordKinds.Add({"fruit", "FRU*", nullptr, fields});
  ToolRun r = RunTool({"--data", Folder(), "dump", "FRUIT"}, ext);
  EXPECT_THAT(r.out, HasSubstr("record kind fruit"));
  EXPECT_THAT(r.out, HasSubstr("record 4:\n  Name: KIWI\n"));
  EXPECT_THAT(r.out, Not(HasSubstr("|....KIWI")));
  ToolRun hex = RunTool({"--data", Folder(), "dump", "FRUIT", "--hex"}, ext);
  EXPECT_THAT(hex.out, HasSubstr("  Name: KIWI\n  0000  00 00 00 00 4b 49 57 49"));
}

TEST_F(CliTest, DumpErrors) {
  EXPECT_EQ(RunTool({"--data", Folder(), "dump"}).status, cli::kExitUsage);
  EXPECT_EQ(RunTool({"--data", Folder(), "dump", "A", "B"}).status, cli::kExitUsage);
  ToolRun r = RunTool({"--data", Folder(), "dump", "NONE"});
  EXPECT_EQ(r.status, cli::kExitUsage);
  EXPECT_THAT(r.err, HasSubstr("no file block NONE"));
}

TEST_F(CliTest, InitCreatesTheFolderOnceAndRunsStarterSteps) {
  fs::path fresh = fs::path(work_ / "new") / "tallyfold";
  cli::Extensions ext;
  int runs = 0;
  ext.starterSteps.push_back({"starter file", [&runs] {
                                ++runs;
                                std::ofstream("STARTER.TXT") << "x";  // inside the folder
                                return std::string();
                              }});
  ToolRun first = RunTool({"init", fresh.string()}, ext);
  EXPECT_EQ(first.status, cli::kExitOk) << first.err;
  EXPECT_THAT(first.out, HasSubstr("created data folder"));
  EXPECT_TRUE(fs::exists(fresh / "STARTER.TXT"));
  ToolRun again = RunTool({"--data", fresh.string(), "init"}, ext);
  EXPECT_EQ(again.status, cli::kExitOk);
  EXPECT_THAT(again.out, Not(HasSubstr("created")));
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(fs::current_path(), fs::path(work_.path()));

  ext.starterSteps.push_back({"broken step", [] { return std::string("disk full"); }});
  ToolRun failing = RunTool({"init", fresh.string()}, ext);
  EXPECT_EQ(failing.status, cli::kExitUsage);
  EXPECT_THAT(failing.err, HasSubstr("broken step: disk full"));
}

TEST_F(CliTest, InitReportsAFolderItCannotCreate) {
  std::ofstream(work_ / "file") << "x";
  ToolRun r = RunTool({"init", (fs::path(work_ / "file") / "sub").string()});
  EXPECT_EQ(r.status, cli::kExitUsage);
  EXPECT_THAT(r.err, HasSubstr("cannot create"));
}

TEST_F(CliTest, HelpListsCommandsAndTheDataFolder) {
  ToolRun r = RunTool({"--data", Folder(), "help"});
  EXPECT_EQ(r.status, cli::kExitOk);
  for (const char* word : {"init", "check", "dump", "--data DIR", "Exit status"}) EXPECT_THAT(r.out, HasSubstr(word));
  EXPECT_THAT(r.out, HasSubstr("Data folder: " + Folder() + "\n"));
  EXPECT_EQ(RunTool({}).status, cli::kExitOk);  // no command: help
}

TEST_F(CliTest, UnknownCommandAndBadOptions) {
  ToolRun unknown = RunTool({"frobnicate"});
  EXPECT_EQ(unknown.status, cli::kExitUsage);
  EXPECT_THAT(unknown.err, HasSubstr("unknown command 'frobnicate'"));
  EXPECT_EQ(RunTool({"check", "--data"}).status, cli::kExitUsage);
}

TEST(CliHexTest, HexLinesShowOffsetBytesAndText) {
  std::vector<unsigned char> bytes(20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>('A' + i);
  bytes[1] = 0;
  auto lines = cli::HexLines(bytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "0000  41 00 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50  |A.CDEFGHIJKLMNOP|");
  EXPECT_EQ(lines[1], "0010  51 52 53 54                                      |QRST|");
}

}  // namespace
}  // namespace tf::test
