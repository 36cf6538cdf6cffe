// An invoice import is all or nothing under a kill, across the five blocks it changes: a child
// process imports a file of invoices into a company that already has some, and dies at one
// file call after another, from the first copy of a block to the last rename of the switch.
// After each death, whichever block of the change is opened first, the folder holds the books
// as they were or the books with every imported invoice, with the customers' balances and the
// company's to match, and `check` finds every block and the books between them clean.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/cli.h"
#include "common/side_file.h"
#include "engine/core/engine.h"
#include "records/staged_block.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/app/kill_sweep.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;

constexpr const char* kBlocks[] = {"1I", "1D", "1M", "1C", "Company"};

// `count` invoices from `first` on: two lines each for the first customers, a memo invoice for
// every fifth.
std::string InvoiceCsv(int first, int count) {
  std::string csv =
      "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,NetAmount,PaidAmount,Quantity,Description,UnitPrice,"
      "TaxMark,MemoText\n";
  for (int n = first; n < first + count; ++n) {
    const std::string number = std::to_string(n);
    const std::string customer = "C" + std::to_string(1 + n % 3);
    if (n % 5 == 0) {
      csv += number + ",M," + customer + ",02/03/2024,40.00,10.00,1,Repairs,,,\"Repairs of\nthe roof\"\n";
      continue;
    }
    csv += number + ",P," + customer + ",02/03/2024,,,2,Chair," + std::to_string(n % 7 + 1) + ",Y,\n";
    csv += number + ",P," + customer + ",02/03/2024,,,1,Table,12.50,N,\n";
  }
  return csv;
}

// The state of the books as one text: each block's records; "" when a block cannot be read.
std::string Books(const fs::path& folder) {
  std::string books;
  for (const char* block : kBlocks) {
    const auto records = BlockRecords(folder, block);
    books += std::string(block) + ":" + std::to_string(records.size()) + ":" +
             std::to_string(std::hash<std::string>{}([&] {
               std::string all;
               for (const std::string& r : records) all += r;
               return all;
             }())) +
             " ";
  }
  return books;
}

// A company with `already` invoices imported, kept as the pristine copy each run starts from,
// and a file of `imported` more.
class InvoiceImportCrashTest : public ::testing::Test {
 protected:
  void Prepare(int already, int imported) {
    ASSERT_NO_FATAL_FAILURE(MakeInvoiceFolder(folder, work.path()));
    const std::string before = work / "before.csv";
    common::ReplaceFile(before, InvoiceCsv(100, already));
    common::ReplaceFile(rows, InvoiceCsv(500, imported));
    ASSERT_EQ(RunTool({"--data", folder.string(), "import", "invoices", before}).status, cli::kExitOk);
    fs::copy(folder, pristine, fs::copy_options::recursive);
  }

  TempFolder work;
  const fs::path folder = fs::path(work.path()) / "data";
  const fs::path pristine = fs::path(work.path()) / "pristine";
  const std::string rows = work / "rows.csv";
};

TEST_F(InvoiceImportCrashTest, AKilledImportLeavesAllOrNothing) {
  ASSERT_NO_FATAL_FAILURE(Prepare(12, 30));
  const std::string none = Books(pristine);

  // How many file calls a whole import makes, and the books it leaves.
  long total = 0;
  {
    FaultFileSystem counting;
    engine::ScopedFileSystem use(counting);
    const auto r = RunTool({"--data", folder.string(), "import", "invoices", rows});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    total = long(counting.Calls());
  }
  const std::string all = Books(folder);
  ASSERT_NE(all, none);
  ASSERT_GT(total, 200);

  // Every call near the switch, and points spread over the rest.
  const std::vector<long> points = KillPoints(total, 50, 60);
  int seenNone = 0, seenAll = 0;
  for (std::size_t k = 0; k < points.size(); ++k) {
    const long dieAt = points[k];
    ASSERT_NO_FATAL_FAILURE(
        RunToolKilledAt(pristine, folder, dieAt, {"--data", folder.string(), "import", "invoices", rows}));
    // One block of the change is opened first (each in turn over the sweep). When the change
    // had reached it (its note whole), its open finishes or drops the whole change.
    const std::string first = kBlocks[k % std::size(kBlocks)];
    const fs::path note = folder / records::GroupNoteName(first);
    bool joined = fs::exists(folder / records::CommitMarkerName(first)) ||
                  (fs::exists(note) && common::ReadWholeFile(note).ends_with("\n"));
    for (const char* ext : {".DAT", ".IX"}) joined |= fs::exists(folder / (records::StageName(first) + ext));
    {
      const fs::path previous = fs::current_path();
      fs::current_path(folder);
      engine::InitEngine(0, engine::kMinPageBuffers);
      EXPECT_TRUE(records::RecoverStagedBlock(first)) << dieAt;
      engine::ExitEngine();
      fs::current_path(previous);
    }
    if (joined) {
      EXPECT_EQ(StageLeftovers(folder), "") << "killed at call " << dieAt << ", " << first << " first";
    }
    const std::string books = Books(folder);
    EXPECT_EQ(StageLeftovers(folder), "") << "killed at call " << dieAt;
    EXPECT_TRUE(books == none || books == all) << "killed at call " << dieAt << ": " << books;
    const auto check = RunTool({"--data", folder.string(), "check"});
    EXPECT_EQ(check.status, cli::kExitOk) << "killed at call " << dieAt << ": " << check.out << check.err;
    seenNone += books == none;
    seenAll += books == all;
  }
  // The sweep reached both sides of the switch.
  EXPECT_GT(seenNone, 0);
  EXPECT_GT(seenAll, 0);
}

// Killed right after its commit marker became durable, before any block was switched (in a
// company with invoices already, so that all five blocks are on file): `check` says each of
// them waits for the switch (and does not read the books half switched); the next open of any
// of them, here the export's, puts every block in place.
TEST_F(InvoiceImportCrashTest, ACheckBetweenTheCommitAndTheSwitchSaysSoForEveryBlock) {
  ASSERT_NO_FATAL_FAILURE(Prepare(6, 6));
  long afterMarker = -1;
  {
    FaultFileSystem counting;
    engine::ScopedFileSystem use(counting);
    ASSERT_EQ(RunTool({"--data", folder.string(), "import", "invoices", rows}).status, cli::kExitOk);
    const auto& log = counting.Log();
    // The directory sync that makes the marker durable comes right after its write.
    for (std::size_t i = 0; i + 2 < log.size() && afterMarker < 0; ++i)
      if (log[i].call == FsCall::Write && log[i].path.ends_with("1I.CMT"))
        for (std::size_t j = i + 1; j < log.size() && afterMarker < 0; ++j)
          if (log[j].call == FsCall::SyncDirectory) afterMarker = long(j) + 1;
  }
  const std::string all = Books(folder);
  ASSERT_GT(afterMarker, 0);
  ASSERT_NO_FATAL_FAILURE(
      RunToolKilledAt(pristine, folder, afterMarker, {"--data", folder.string(), "import", "invoices", rows}));
  ASSERT_TRUE(fs::exists(folder / "1I.CMT"));
  const auto check = RunTool({"--data", folder.string(), "check"});
  EXPECT_EQ(check.status, cli::kExitProblems);
  for (const char* block : kBlocks)
    EXPECT_THAT(check.out, ::testing::HasSubstr(std::string(block) + ": an import was cut short")) << block;
  EXPECT_EQ(RunTool({"--data", folder.string(), "export", "invoices", (work / "out.csv")}).status, cli::kExitOk);
  EXPECT_EQ(StageLeftovers(folder), "");
  EXPECT_EQ(RunTool({"--data", folder.string(), "check"}).status, cli::kExitOk);
  EXPECT_EQ(Books(folder), all);
}

}  // namespace
}  // namespace tf::test
