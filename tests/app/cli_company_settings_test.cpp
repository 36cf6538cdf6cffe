// `tallyfold-cli company show / set` on a starter folder, and the data folder's lock that keeps
// the tool from changing a folder the windowed program runs on.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/cli/cli.h"
#include "common/folder_lock.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "records/company_record.h"
#include "tests/app/cli_run.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using namespace records::company;
using cli::testing::RunTool;
using cli::testing::ToolRun;

class CliCompanySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(work_.path()) / "data";
    ToolRun init = RunTool({"init", folder_.string()});
    ASSERT_EQ(init.status, cli::kExitOk) << init.err;
  }
  ToolRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", folder_.string()});
    return RunTool(args);
  }
  std::string Startup() const { return common::ReadWholeFile((folder_ / "LastCo.Dat").string()); }
  std::string StartupText(TextField field) const {
    const std::string s = Startup();
    return common::ReadText(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), field);
  }

  TempFolder work_;
  fs::path folder_;
};

TEST_F(CliCompanySettingsTest, SetChangesTheCompanyFileAndTheStartupCopy) {
  ToolRun set = Tool({"company", "set", "CompanyName=Café Zürich", "TaxRate=8.125", "ShowHints=n",
                      "EditorFont=Courier New,12,255,1"});
  ASSERT_EQ(set.status, cli::kExitOk) << set.err;
  ToolRun show = Tool({"company", "show"});
  EXPECT_THAT(show.out, HasSubstr("CompanyName: Café Zürich\n"));
  EXPECT_THAT(show.out, HasSubstr("TaxRate: 8.125\n"));
  EXPECT_THAT(show.out, HasSubstr("ShowHints: N\n"));
  EXPECT_THAT(show.out, HasSubstr("EditorFont: Courier New, 12 pt, colour 255, style 1\n"));
  // Stored as Latin-1, the program's text; the start-up copy follows the company file.
  EXPECT_EQ(StartupText(kCompanyName), "Caf\xE9 Z\xFCrich");
  EXPECT_EQ(StartupText(kTaxRate), "8.125");
  ToolRun check = Tool({"check"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out;
}

struct Refusal {
  std::string setting;
  std::string message;
};

class CliCompanyRefusalTest : public CliCompanySettingsTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(CliCompanyRefusalTest, ARefusedValueChangesNothing) {
  ASSERT_EQ(Tool({"company", "set", "CompanyName=Acme"}).status, cli::kExitOk);
  const std::string before = Startup();
  ToolRun set = Tool({"company", "set", "CompanyName=Other", GetParam().setting});
  EXPECT_EQ(set.status, cli::kExitProblems);
  EXPECT_THAT(set.err, HasSubstr(GetParam().message));
  EXPECT_THAT(set.err, HasSubstr("nothing was changed"));
  EXPECT_EQ(Startup(), before);
  EXPECT_THAT(Tool({"company", "show"}).out, HasSubstr("CompanyName: Acme\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, CliCompanyRefusalTest,
    ::testing::Values(Refusal{"TaxRate=8,125", "TaxRate: \"8,125\" is not a number"},
                      Refusal{"Address1=Price in €", "Address1: the character \"€\" cannot be stored"},
                      Refusal{"Address1=" + std::string(36, 'x'), "at most 35 fit"},
                      Refusal{"Address1=a\tb", "control characters"},
                      Refusal{"InvoiceCopies=7", "InvoiceCopies: \"7\" is not one of 1, 2, 3, 4, 5."},
                      Refusal{"DateFormat=Y", "DateFormat: \"Y\" is not one of M, D."},
                      Refusal{"PrintLogo=perhaps", "PrintLogo: \"perhaps\" is not Y or N."},
                      Refusal{"CompanyBalance=10.00", "CompanyBalance is kept by the program"},
                      Refusal{"CompanyNumber=2", "CompanyNumber is kept by the program"},
                      Refusal{"NoSuchField=1", "There is no company field \"NoSuchField\""},
                      Refusal{"EMailAddress=billing.example.com", "does not have the @ sign"},
                      Refusal{"AgingDays2=31", "category 2 must be greater than category 1 by at least 2 days"},
                      Refusal{"EditorFont=Courier", "FACE,SIZE"}));

TEST_F(CliCompanySettingsTest, CompanyTakesOnlyANumber) {
  ToolRun show = Tool({"company", "show", "--company", "../elsewhere/1"});
  EXPECT_EQ(show.status, cli::kExitUsage);
  EXPECT_THAT(show.err, HasSubstr("--company takes a company number"));
  ToolRun missing = Tool({"company", "show", "--company", "7"});
  EXPECT_EQ(missing.status, cli::kExitUsage);
  EXPECT_THAT(missing.err, HasSubstr("there is no company 7"));
}

TEST_F(CliCompanySettingsTest, TheToolChangesNothingWhileTheWindowHoldsTheFolder) {
  const std::string before = Startup();
  {
    common::FolderLock window(folder_);
    ASSERT_EQ(window.state(), common::FolderLock::State::Held);
    for (std::vector<std::string> args : {std::vector<std::string>{"company", "set", "CompanyName=Acme"},
                                          std::vector<std::string>{"rebuild", "Company"},
                                          std::vector<std::string>{"init"}}) {
      ToolRun run = Tool(args);
      EXPECT_EQ(run.status, cli::kExitUsage) << args[0];
      EXPECT_THAT(run.err, HasSubstr("is in use by the Tallyfold window")) << args[0];
    }
    // Reading is allowed.
    EXPECT_EQ(Tool({"company", "show"}).status, cli::kExitOk);
    EXPECT_EQ(Tool({"check"}).status, cli::kExitOk);
  }
  EXPECT_EQ(Startup(), before);
  EXPECT_EQ(Tool({"company", "set", "CompanyName=Acme"}).status, cli::kExitOk);
}

}  // namespace
}  // namespace tf::test

namespace tf::test {
namespace {

// A command that throws ends with a sentence and status 1, not an abort.
TEST(CliExceptionTest, AThrowingCommandEndsWithASentence) {
  TempFolder work;
  struct Case {
    std::function<std::string()> step;
    std::string said;
  };
  for (const Case& c : {Case{[]() -> std::string { throw std::bad_alloc(); }, "there is not enough memory for it"},
                        Case{[]() -> std::string { throw std::runtime_error("disk gone"); }, "disk gone"}}) {
    cli::Extensions ext;
    ext.starterSteps.push_back({"a step that throws", c.step});
    cli::testing::ToolRun run = cli::testing::RunTool({"init", work / "data"}, ext);
    EXPECT_EQ(run.status, cli::kExitProblems);
    EXPECT_THAT(run.err, HasSubstr("tallyfold-cli: init stopped: " + c.said));
  }
}

}  // namespace
}  // namespace tf::test
