// The tool says what went wrong in words a user can act on (a file held by the running program,
// a full disk), with the engine's status only in parentheses.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/cli/cli.h"
#include "app/cli/failure_words.h"
#include "engine/core/engine.h"
#include "engine/core/engine_status.h"
#include "engine/core/file_names.h"
#include "engine/core/file_system.h"
#include "records/company_record.h"
#include "tests/app/cli_run.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;
using cli::testing::RunTool;
using cli::testing::ToolRun;
namespace st = engine::status;

TEST(FailureWordsTest, TheOperatingSystemsReasonComesBeforeTheEnginesSummary) {
  struct Case {
    std::int32_t status;
    int osError;
    const char* words;
  };
  const Case cases[] = {
      {st::kOsFailure, EWOULDBLOCK, "it is in use by another program"},
      {st::kOsFailure, ENOSPC, "the disk is full"},
      {st::kShortWrite, EDQUOT, "the disk is full"},
      {st::kOsFailure, EROFS, "the disk is read-only"},
      {st::kOsFailure, EIO, "the disk reported a read or write error"},
      {st::kAccessDenied, 0, "permission was refused"},
      {st::kFileNotFound, 0, "the file is missing"},
      {st::kPathNotFound, 0, "its folder is missing"},
      {st::kNotRegularFile, 0, "something other than a regular file stands in its place"},
      {st::kIndexDefective, 0, "its index is damaged"},
      {st::kDuplicateKey, 0, "a record with the same key is already on file"},
      {st::kNoMemoryOpening, 0, "there is not enough memory"},
      {st::kOsFailure, 0, "the storage engine reported a failure"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cli::FailureInWords(c.status, c.osError), c.words) << c.status << "/" << c.osError;
}

class CliFailureWordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(work_.path()) / "data";
    ToolRun init = RunTool({"init", folder_.string()});
    ASSERT_EQ(init.status, cli::kExitOk) << init.err;
  }
  ToolRun SetCompanyName() {
    return RunTool({"--data", folder_.string(), "company", "set", "CompanyName=Acme Supply"});
  }
  fs::path CompanyDataFile() const {
    return folder_ / engine::EngineFileName(records::company::kCompanyFileBlock, engine::FileKind::Data);
  }

  TempFolder work_;
  fs::path folder_;
};

// Another program holding the company file (as the windowed program does while it runs on an
// open company) is named as such, not as a bare status.
TEST_F(CliFailureWordsTest, AFileHeldByAnotherProgramIsSaidToBeInUse) {
  const int held = ::open(CompanyDataFile().c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  ToolRun run = SetCompanyName();
  ::close(held);
  EXPECT_NE(run.status, cli::kExitOk);
  EXPECT_THAT(run.err, HasSubstr("the company file cannot be opened: it is in use by another program (status "));
  ToolRun again = SetCompanyName();
  EXPECT_EQ(again.status, cli::kExitOk) << again.err;
}

TEST_F(CliFailureWordsTest, AFullDiskIsSaidToBeFullAndNothingChanges) {
  FaultFileSystem faults;
  faults.ArmErrno(FsCall::Write, ENOSPC, 1, true);
  ToolRun run;
  {
    engine::ScopedFileSystem scoped(faults);
    run = SetCompanyName();
  }
  ASSERT_GT(faults.InjectedCount(), 0u);
  EXPECT_EQ(run.status, cli::kExitProblems);
  EXPECT_THAT(run.err, HasSubstr("the disk is full (status "));
  EXPECT_THAT(run.err, HasSubstr("nothing was changed"));
  ToolRun show = RunTool({"--data", folder_.string(), "company", "show"});
  EXPECT_THAT(show.out, Not(HasSubstr("Acme Supply")));
}

}  // namespace
}  // namespace tf::test
