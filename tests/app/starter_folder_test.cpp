// The starter folder the windowed program makes on its first start and `init` makes on demand.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "app/cli/help_text.h"
#include "app/starter/starter_folder.h"
#include "common/program_version.h"
#include "tests/app/cli_run.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::map<std::string, std::string> FolderBytes(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(StarterFolderTest, MakesANestedFolderThatChecksCleanAndIsLeftAloneTheSecondTime) {
  TempFolder temp;
  const fs::path folder = fs::path(temp.path()) / "home" / ".local" / "share" / "tallyfold";
  const fs::path before = fs::current_path();
  ASSERT_EQ(app::CreateStarterFolder(folder), "");
  EXPECT_TRUE(fs::equivalent(fs::current_path(), folder));
  fs::current_path(before);

  const auto first = FolderBytes(folder);
  for (const char* name : {"LastCo.Dat", "VQTERMS.DAT", "qzt8.bmp", "LETTER30.LBL", "A4-24.LBL"}) EXPECT_TRUE(first.contains(name)) << name;
  EXPECT_EQ(cli::testing::RunTool({"check", "--data", folder.string()}).status, cli::kExitOk);

  ASSERT_EQ(app::CreateStarterFolder(folder), "");
  fs::current_path(before);
  EXPECT_EQ(FolderBytes(folder), first);
}

TEST(StarterFolderTest, AFolderThatCannotBeMadeIsReportedWithItsName) {
  TempFolder temp;
  const fs::path blocker = fs::path(temp.path()) / "plain-file";
  std::ofstream(blocker) << "not a folder";
  const std::string error = app::CreateStarterFolder(blocker / "tallyfold");
  EXPECT_THAT(error, HasSubstr("cannot create"));
  EXPECT_THAT(error, HasSubstr((blocker / "tallyfold").string()));
}

TEST(ToolAboutItselfTest, VersionAndHelpSpeakFromTheSharedTexts) {
  for (const char* spelling : {"version", "--version"}) {
    auto run = cli::testing::RunTool({spelling});
    EXPECT_EQ(run.status, cli::kExitOk);
    EXPECT_EQ(run.out, "tallyfold-cli " + std::string(common::kProgramVersion) + "\n");
  }
  auto help = cli::testing::RunTool({"--help"});
  EXPECT_THAT(help.out, HasSubstr(cli::kCliSynopsis));
  for (const app::OptionText& option : cli::kCliOptions) EXPECT_THAT(help.out, HasSubstr(option.text));
}

TEST(ToolAboutItselfTest, ManualPageNamesEveryCommandAndKeepsRoffControlsOutOfTheText) {
  std::ostringstream page;
  cli::WriteCliManualPage(page, cli::BuiltInExtensions());
  const std::string text = page.str();
  EXPECT_THAT(text, HasSubstr(".TH tallyfold\\-cli 1"));
  EXPECT_THAT(text, HasSubstr(".B import"));
  EXPECT_THAT(text, HasSubstr("\\-\\-dry\\-run"));
  // No line of running text may start with a dot or a quote: roff would take it for a request.
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != '.') continue;
    const std::string request = line.substr(1, line.find(' ') == std::string::npos ? std::string::npos : line.find(' ') - 1);
    EXPECT_THAT((std::vector<std::string>{"TH", "SH", "TP", "B", "BR", "I"}), ::testing::Contains(request))
        << line;
  }
}

}  // namespace
}  // namespace tf::test
