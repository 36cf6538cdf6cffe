// Rebuilding every data file of a company: the company file and each of the company's blocks
// in turn under its own caption, a block the company does not have yet passed over, a block
// that cannot be rebuilt named with its status while the others are still rebuilt, and another
// company's files left alone. The tool's `rebuild --all` says the same.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/core/engine.h"
#include "maintenance/rebuild_all.h"
#include "records/record_kinds.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using maintenance::BlockRebuild;
using ::testing::HasSubstr;

class RebuildAllTest : public BooksFolderTest {
 protected:
  bool EntersDataFolder() const override { return true; }
  void SetUp() override {
    BooksFolderTest::SetUp();
    engine::InitEngine(0, engine::kMinPageBuffers);
  }
  void TearDown() override {
    engine::ExitEngine();
    BooksFolderTest::TearDown();
  }
  maintenance::RebuildAllResult Rebuild() {
    return maintenance::RebuildAllFiles("1", records::BuiltInRecordKinds(), status_);
  }

  RecordingStatus status_;
};

TEST_F(RebuildAllTest, RebuildsTheCompanyFileAndEveryBlockOfTheCompanyInTurn) {
  // Another company's customers, as the first company's were before the rebuild.
  fs::copy_file("1C.DAT", "2C.DAT");
  fs::copy_file("1C.IX", "2C.IX");
  const FolderImage otherCompany{{"2C.DAT", common::ReadWholeFile("2C.DAT")}, {"2C.IX", common::ReadWholeFile("2C.IX")}};
  const maintenance::RebuildAllResult result = Rebuild();
  std::vector<std::string> names;
  for (const BlockRebuild& b : result.blocks) names.push_back(b.name + " " + b.title);
  EXPECT_EQ(names, (std::vector<std::string>{"Company Companies", "1C Customers", "1I Invoices", "1D Detail Records",
                                             "1M Memo Records", "1P Products"}));
  EXPECT_EQ(status_.titles, (std::vector<std::string>{"Companies", "Customers", "Invoices", "Detail Records",
                                                      "Memo Records"}));
  EXPECT_EQ(result.blocks[1].records, 3);  // the three customers
  EXPECT_EQ(result.blocks[5].outcome, BlockRebuild::Outcome::NotThere);  // no products yet: no failure
  EXPECT_TRUE(result.Failed().empty());
  EXPECT_EQ(result.Message(), "The data files have been rebuilt.");
  EXPECT_EQ(ChangedFiles(otherCompany, {{"2C.DAT", common::ReadWholeFile("2C.DAT")},
                                        {"2C.IX", common::ReadWholeFile("2C.IX")}}),
            "");
  engine::ExitEngine();
  const auto check = RunTool({"--data", data_.string(), "check"});
  EXPECT_EQ(check.status, 0) << check.out;
  engine::InitEngine(0, engine::kMinPageBuffers);
}

TEST_F(RebuildAllTest, ABlockThatFailsIsNamedWithItsStatusAndTheOthersAreStillRebuilt) {
  // A rebuild of the invoices was cut short earlier: its leftover stops this one.
  fs::copy_file("1I.DAT", "1I.SAV");
  const std::string invoices = common::ReadWholeFile("1I.DAT");
  const maintenance::RebuildAllResult result = Rebuild();
  ASSERT_EQ(result.Failed().size(), 1u);
  EXPECT_EQ(result.Failed()[0]->name, "1I");
  EXPECT_EQ(result.Failed()[0]->status, engine::status::kRebuildInterrupted);
  EXPECT_THAT(result.Message(), HasSubstr("Invoices (1I): status 10465"));
  EXPECT_EQ(common::ReadWholeFile("1I.DAT"), invoices);
  for (const BlockRebuild& b : result.blocks) {
    if (b.name == "1D" || b.name == "1M" || b.name == "1C") {
      EXPECT_EQ(b.outcome, BlockRebuild::Outcome::Rebuilt) << b.name;
    }
  }

  engine::ExitEngine();
  const auto tool = RunTool({"--data", data_.string(), "rebuild", "--all"});
  EXPECT_EQ(tool.status, 1);
  EXPECT_THAT(tool.err, HasSubstr("1I (Invoices) could not be rebuilt (status 10465)"));
  EXPECT_THAT(tool.out, HasSubstr("Rebuilt 1D (Detail Records)"));
  fs::remove("1I.SAV");
  const auto again = RunTool({"--data", data_.string(), "rebuild", "--all"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_THAT(again.out, HasSubstr("1P (Products) does not exist yet"));
  EXPECT_THAT(again.out, HasSubstr("The data files have been rebuilt."));
  engine::InitEngine(0, engine::kMinPageBuffers);
}

}  // namespace
}  // namespace tf::test
