// An import is all or nothing under a kill: a child process imports a file of customers into a
// folder that already holds some, and dies at one file call after another, from the first copy
// of the block to the last rename of the switch. After each death the next open of the customer
// file finds either the customers it held before or those and every imported one, never a part,
// and the checker finds the block clean.

#include <gtest/gtest.h>

#include <fstream>

#include "app/cli/cli.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/staged_block.h"
#include "tests/app/cli_run.h"
#include "tests/app/kill_sweep.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;

constexpr int kBefore = 25;
constexpr int kImported = 200;

std::string Csv(int first, int count) {
  std::string csv = "CustomerName,Phone1\n";
  for (int i = first; i < first + count; ++i) csv += "Customer " + std::to_string(i) + ",555-" + std::to_string(i) + "\n";
  return csv;
}

// The customers the program finds when it next opens the file (a cut-short import is finished
// or dropped by that open); -1 when the block cannot be opened or is not clean.
int CustomersAfterNextOpen(const fs::path& folder, std::string& findings) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  engine::InitEngine(0, engine::kMinPageBuffers);
  int count = -1;
  {
    engine::FileBlock* handle = nullptr;
    common::ScriptedPrompter prompter;
    class : public engine::RebuildStatus {
      void Show(std::string_view) override {}
      void Lines(std::string_view, std::string_view, std::string_view) override {}
      void Close() override {}
    } quiet;
    if (records::customer::OpenCustomerFile(handle, "1", prompter, quiet)) {
      count = engine::UsedRecords(handle);
      engine::CloseFileBlock(handle);
    }
    engine::KeyBuilder keys = records::customer::CustomerKeys;
    for (const engine::Finding& f : engine::CheckFileBlock("1C", &keys).findings) findings += f.text + "\n";
    if (fs::exists("~1C.DAT") || fs::exists("~1C.IX") || fs::exists("1C.CMT")) findings += "stage left behind\n";
  }
  engine::ExitEngine();
  fs::current_path(previous);
  return count;
}

TEST(ImportCrashTest, AKilledImportLeavesAllOrNothing) {
  TempFolder work;
  const fs::path folder = fs::path(work.path()) / "data";
  ASSERT_EQ(RunTool({"init", folder.string()}).status, cli::kExitOk);
  const std::string before = work / "before.csv", rows = work / "rows.csv";
  common::ReplaceFile(before, Csv(1, kBefore));
  common::ReplaceFile(rows, Csv(1000, kImported));
  ASSERT_EQ(RunTool({"--data", folder.string(), "import", "customers", before}).status, cli::kExitOk);
  const fs::path pristine = work / "pristine";
  fs::copy(folder, pristine, fs::copy_options::recursive);

  // How many file calls a whole import makes.
  long total = 0;
  {
    FaultFileSystem counting;
    engine::ScopedFileSystem use(counting);
    ASSERT_EQ(RunTool({"--data", folder.string(), "import", "customers", rows}).status, cli::kExitOk);
    total = long(counting.Calls());
  }
  std::string findings;
  ASSERT_EQ(CustomersAfterNextOpen(folder, findings), kBefore + kImported);
  ASSERT_GT(total, 100);

  // Every call near the switch, and points spread over the rest.
  int none = 0, all = 0;
  for (long dieAt : KillPoints(total, 60, 40)) {
    ASSERT_NO_FATAL_FAILURE(
        RunToolKilledAt(pristine, folder, dieAt, {"--data", folder.string(), "import", "customers", rows}));
    std::string problems;
    const int count = CustomersAfterNextOpen(folder, problems);
    EXPECT_TRUE(count == kBefore || count == kBefore + kImported) << "killed at call " << dieAt << ": " << count;
    EXPECT_EQ(problems, "") << "killed at call " << dieAt;
    none += count == kBefore;
    all += count == kBefore + kImported;
  }
  // The sweep reached both sides of the switch.
  EXPECT_GT(none, 0);
  EXPECT_GT(all, 0);
}

}  // namespace
}  // namespace tf::test
