// The tool on a data folder where a FIFO, a directory or a device stands under a file block's
// data or index name, or where an index file has lost its data file: every command ends with a
// plain sentence instead of waiting for ever, and `check` never passes over such a block. An
// alarm ends the test process should any command block.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/cli/cli.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/core/engine.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/record_file.h"
#include "records/record_kinds.h"
#include "tests/app/cli_run.h"
#include "tests/checker/block_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using cli::testing::RunTool;
using cli::testing::ToolRun;

struct Intruder {
  const char* what;  // as the tool names it
  std::function<void(const fs::path&)> make;
};

class CliRegularFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    alarm(60);
    folder_ = fs::path(work_.path()) / "data";
    fs::create_directories(folder_);
    fs::current_path(folder_);
    WriteBlock("1X", SampleBlock());
    fs::current_path(work_.path());
  }
  void TearDown() override { alarm(0); }
  std::string Folder() const { return folder_.string(); }

  TempFolder work_{TempFolder::Enter};
  fs::path folder_;
};

const Intruder kIntruders[] = {
    {"a FIFO", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }},
    {"a directory", [](const fs::path& p) { fs::create_directory(p); }},
    {"a device", [](const fs::path& p) { fs::create_symlink("/dev/null", p); }},
};

TEST_F(CliRegularFilesTest, CheckDumpAndRebuildReportWhatStandsInAFilesPlace) {
  for (const char* file : {"1X.DAT", "1X.IX"}) {
    for (const Intruder& intruder : kIntruders) {
      SCOPED_TRACE(std::string(intruder.what) + " as " + file);
      const fs::path path = folder_ / file;
      const fs::path kept = folder_ / "kept";
      fs::rename(path, kept);
      intruder.make(path);

      const ToolRun check = RunTool({"--data", Folder(), "check"});
      EXPECT_EQ(check.status, cli::kExitProblems) << check.out << check.err;
      EXPECT_THAT(check.out, HasSubstr(std::string(file) + " is " + intruder.what + ", not a regular file"));

      const ToolRun dump = RunTool({"--data", Folder(), "dump", "1X"});
      EXPECT_NE(dump.status, cli::kExitOk);
      EXPECT_THAT(dump.out + dump.err, HasSubstr("not a regular file"));

      const ToolRun rebuild =
          RunTool({"--data", Folder(), "rebuild", "1X", "--record-length", "32", "--key", "8:0:4", "--key", "4:1:12"});
      EXPECT_EQ(rebuild.status, cli::kExitProblems) << rebuild.out << rebuild.err;
      EXPECT_THAT(rebuild.err, HasSubstr("stands where one of 1X's files belongs; nothing was changed"));
      struct stat st {};
      EXPECT_EQ(lstat(path.c_str(), &st), 0);  // still there, untouched
      EXPECT_FALSE(S_ISREG(st.st_mode));

      fs::remove(path);
      fs::rename(kept, path);
    }
  }
  EXPECT_EQ(RunTool({"--data", Folder(), "check"}).status, cli::kExitOk);
}

TEST_F(CliRegularFilesTest, CheckListsAnIndexFileWithoutItsDataFile) {
  fs::remove(folder_ / "1X.DAT");
  const ToolRun check = RunTool({"--data", Folder(), "check"});
  EXPECT_EQ(check.status, cli::kExitProblems) << check.out << check.err;
  EXPECT_THAT(check.out, HasSubstr("1X: the index file 1X.IX is there but its data file 1X.DAT is not"));
}

TEST_F(CliRegularFilesTest, CheckReportsATextFieldLongerThanItsCapacity) {
  fs::current_path(folder_);
  engine::InitEngine(0, engine::kMinPageBuffers);
  const records::RecordFileKind& kind = records::customer::CustomerFileKind();
  engine::MakeFileBlock("1C", kind.recordLength, int(kind.keys.size()), kind.keys);
  {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), "1C");
    common::RecordBuffer r(size_t(kind.recordLength));
    common::WriteText(r, records::customer::kCustomerNumber, "7");
    common::WriteText(r, records::customer::kCustomerName, "Damaged");
    r.data()[records::customer::kCustomerName.offset] = 40;  // more than the 35 the name holds
    common::ScriptedPrompter quiet;
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(block.get(), kind, r, ref, quiet)) << engine::EngineStatus;
  }
  engine::ExitEngine();
  fs::current_path(work_.path());
  const ToolRun check = RunTool({"--data", Folder(), "check", "1C"});
  EXPECT_EQ(check.status, cli::kExitProblems) << check.out << check.err;
  EXPECT_THAT(check.out, HasSubstr("1C: record 1: CustomerName has length byte 40 but holds at most 35 characters"));
}

}  // namespace
}  // namespace tf::test
