// The Company Manager's screen model on a real company file: the list, add through the options
// screen (numbers kept in one form, a taken number refused, a number whose files exist asking
// first), edit and delete behind the password, delete removing exactly the company's files and
// never the current company, find, the company list, and what closing the window comes to: an
// explicit choice wins over the re-read of an edited current company.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/clock.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/text.h"
#include "companies/company_files.h"
#include "companies/company_find_mode.h"
#include "companies/company_manager.h"
#include "finder/find_model.h"
#include "records/company_fields.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "tests/companies/company_fixture.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/status_sinks.h"

namespace tf::companies {
namespace {

namespace fs = std::filesystem;
namespace co = records::company;
using common::PromptAnswer;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct RecordingViewer : common::TextReportViewer {
  std::string title;
  std::vector<std::string> lines;
  void ShowTextFile(const std::string& path, std::string_view t) override {
    title = t;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
  }
};

class CompanyManagerTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    ASSERT_TRUE(test::AddCompanies({test::CompanyRecord("1", "Acme Supply"), test::CompanyRecord("2", "Beta Books"),
                                    test::CompanyRecord("3", "Gamma Goods")}));
    const common::RecordBuffer current = test::CompanyRecord("1", "Acme Supply");
    std::copy(current.begin(), current.end(), book.Current().begin());
    ASSERT_TRUE(browse::ShowOutcome(prompter, manager.Open()));
  }
  void TearDown() override {
    manager.Close();
    EXPECT_EQ(test::Findings("Company", co::CompanyKeys), "");
    DataFolderTest::TearDown();
  }

  bool RunOptions(CompanyOptions& options) {
    ++optionsShown;
    if (!fill) return false;
    fill(options);
    // The screen closes only on a save; a refusal is shown, a declined question keeps it open.
    const browse::Outcome outcome = options.Ok();
    browse::ShowOutcome(prompter, outcome);
    return outcome.IsDone();
  }
  // The current row's company number.
  std::string CurrentNumber() {
    bool unchanged = false;
    EXPECT_EQ(list.ReadCurrentRecord(unchanged), 0);
    return common::TrimBoth(common::ReadText(manager.Buffer(), co::kCompanyNumber));
  }
  void GoTo(const std::string& number) {
    const std::int32_t ref = FindCompanyNumber(manager.File(), number);
    ASSERT_NE(ref, 0);
    common::RecordBuffer r(co::kCompanyRecordLength);
    engine::GetRecord(manager.File(), ref, std::span<std::uint8_t>(r));
    list.GoToKey(co::CompanyKey(r, manager.Order()), ref);
    ASSERT_EQ(CurrentNumber(), number);
  }
  std::vector<std::string> Numbers() {
    std::vector<std::string> numbers;
    std::string key;
    std::int32_t ref = 0;
    for (engine::SearchKey(manager.File(), co::kNumberKey, ref, key); engine::EngineOK && ref != 0;
         engine::NextKey(manager.File(), co::kNumberKey, ref, key))
      numbers.push_back(common::TrimBoth(key));
    return numbers;
  }

  records::CompanyBook book;
  common::ScriptedPrompter prompter;
  test::SilentStatus status;
  RecordingViewer viewer;
  common::FixedClock clock{std::chrono::year{2026} / 3 / 14, std::chrono::hours{15}};
  browse::BrowseModelList list{8};
  std::function<void(CompanyOptions&)> fill;
  int optionsShown = 0;
  bool passwordPasses = true;
  int passwordAsked = 0;
  std::optional<std::string> found;
  CompanyManager manager{CompanyManagerServices{{book, prompter, status, viewer, clock},
                                                [this](CompanyOptions& o) { return RunOptions(o); },
                                                [this](const finder::FindMode&) { return found; },
                                                [this] {
                                                  ++passwordAsked;
                                                  return passwordPasses;
                                                }},
                         list};
};

TEST_F(CompanyManagerTest, ListsByNameOpensOnTheCurrentCompanyAndCounts) {
  EXPECT_EQ(manager.Panel(0), "Companies: 3");
  EXPECT_EQ(manager.Panel(1), "Right-click mouse or select from menu bar.");
  EXPECT_EQ(manager.Order(), co::kNameKey);
  EXPECT_EQ(CurrentNumber(), "1");
  EXPECT_EQ(manager.ListHeader().substr(0, 55), "Company Name                        Number      Balance");
  browse::RowRec row;
  common::RecordBuffer r = test::CompanyRecord("12", "Delta");
  common::WriteText(r, co::kCompanyBalance, "1234.5");
  CompanyManager::BuildRow(row, r);
  EXPECT_EQ(row.Row.substr(0, 55), "Delta                               12         1,234.50");
  EXPECT_EQ(row.Row.size(), 128u);
}

TEST_F(CompanyManagerTest, AddKeepsOneSpellingOfEachNumberAndRefusesATakenOne) {
  fill = [](CompanyOptions& o) {
    o.SetText("CName", "Twelve Trading");
    o.SetText("CoNumb", "0012");
  };
  EXPECT_TRUE(manager.Add().IsDone());
  EXPECT_EQ(CurrentNumber(), "12");
  EXPECT_EQ(manager.Panel(0), "Companies: 4");
  // The same number however spelt is refused, with the focus on the number.
  for (const char* spelling : {"12", "012", "+12"}) {
    prompter.Clear();
    fill = [&](CompanyOptions& o) {
      o.SetText("CName", "Copy");
      o.SetText("CoNumb", spelling);
    };
    EXPECT_FALSE(manager.Add().IsDone());
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"This Company number already exists. Enter another number."});
    EXPECT_EQ(manager.Options().FocusControl(), "CoNumb");
  }
  EXPECT_THAT(Numbers(), ElementsAre("1", "12", "2", "3"));
}

TEST_F(CompanyManagerTest, ANewCompanyIsProposedTheNextNumberWithTheDefaults) {
  fill = [](CompanyOptions& o) {
    EXPECT_EQ(o.Title(), "New Company");
    EXPECT_TRUE(o.NumberEditable());
    EXPECT_EQ(o.Text("CoNumb"), "4");  // three companies on file
    EXPECT_EQ(o.Text("CName"), "");
    EXPECT_EQ(o.Text("NextIno"), "100");
    EXPECT_EQ(o.Text("CAVal2"), "60");
    EXPECT_FALSE(o.Checked("MMDDYY"));  // day first
    o.SetText("CName", "Delta Dairy");
  };
  EXPECT_TRUE(manager.Add().IsDone());
  EXPECT_EQ(CurrentNumber(), "4");
  EXPECT_EQ(common::ReadText(manager.Buffer(), co::kCompanyBalance), "0.00");
}

TEST_F(CompanyManagerTest, FilesOfTheNumberOnDiskAreAskedAboutFirst) {
  common::ReplaceFile("4C.DAT", "left from an earlier company 4");
  fill = [](CompanyOptions& o) { o.SetText("CName", "Delta Dairy"); };
  prompter.Answer(PromptAnswer::No);
  EXPECT_FALSE(manager.Add().IsDone());
  EXPECT_THAT(prompter.Texts().back(), HasSubstr("Files of a company 4 are already in the data folder (4C.DAT)"));
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3"));
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(manager.Add().IsDone());
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3", "4"));
}

TEST_F(CompanyManagerTest, EditAndDeleteAskForThePasswordFirst) {
  GoTo("2");
  passwordPasses = false;
  fill = [](CompanyOptions& o) { o.SetText("CName", "Changed"); };
  EXPECT_FALSE(manager.Edit().IsDone());
  EXPECT_FALSE(manager.Delete().IsDone());
  EXPECT_EQ(passwordAsked, 2);
  EXPECT_EQ(optionsShown, 0);
  EXPECT_TRUE(prompter.Texts().empty());
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3"));
  passwordPasses = true;
  EXPECT_TRUE(manager.Edit().IsDone());
  EXPECT_EQ(CurrentNumber(), "2");
  EXPECT_EQ(common::ReadText(manager.Buffer(), co::kCompanyName), "Changed");
}

TEST_F(CompanyManagerTest, EditingKeepsTheNumber) {
  GoTo("2");
  fill = [](CompanyOptions& o) {
    EXPECT_EQ(o.Title(), "Edit Company");
    EXPECT_FALSE(o.NumberEditable());
    o.SetText("CoNumb", "9");
    o.SetText("CName", "Beta Renamed");
  };
  EXPECT_TRUE(manager.Edit().IsDone());
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3"));
  EXPECT_EQ(CurrentNumber(), "2");
}

TEST_F(CompanyManagerTest, DeletingRemovesExactlyTheCompanysFilesAndNeverTheCurrentOne) {
  const std::vector<std::string> company3 = {"3C.DAT", "3C.IX",  "3C.SAV", "3D.DAT", "3D.IX",   "3I.DAT",
                                             "3I.IX",  "3I.MSG", "3M.DAT", "3M.IX",  "3P.DAT", "~3C.DAT"};
  const std::vector<std::string> others = {"13C.DAT", "33C.DAT", "30I.DAT", "3.DAT", "1C.DAT", "LastCo.Dat"};
  for (const auto& f : company3) common::ReplaceFile(f, "company 3");
  for (const auto& f : others) common::ReplaceFile(f, "another");
  EXPECT_EQ(CompanyFiles("3"), company3);

  GoTo("1");
  EXPECT_FALSE(manager.Delete().IsDone());
  const browse::Outcome current = manager.Delete();
  EXPECT_EQ(current.Message().text, std::string(kCurrentCompanyNotDeleted));
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3"));

  GoTo("3");
  prompter.Answer(PromptAnswer::No);
  EXPECT_FALSE(manager.Delete().IsDone());
  EXPECT_THAT(Numbers(), ElementsAre("1", "2", "3"));
  prompter.Answer(PromptAnswer::Yes);
  EXPECT_TRUE(manager.Delete().IsDone());
  EXPECT_THAT(Numbers(), ElementsAre("1", "2"));
  EXPECT_EQ(manager.Panel(0), "Companies: 2");
  for (const auto& f : company3) EXPECT_FALSE(fs::exists(f)) << f;
  for (const auto& f : others) EXPECT_TRUE(fs::exists(f)) << f;
}

TEST_F(CompanyManagerTest, AFileThatCannotBeRemovedIsNamed) {
  common::ReplaceFile("2C.DAT", "company 2");
  fs::create_directory("2P.DAT");
  common::ReplaceFile("2P.DAT/inside", "a folder in the file's place");
  GoTo("2");
  prompter.Answer(PromptAnswer::Yes);
  const browse::Outcome outcome = manager.Delete();
  EXPECT_TRUE(outcome.IsFailed());
  EXPECT_THAT(outcome.Message().text, HasSubstr("Company 2 was deleted, but these of its files could not be removed:"));
  EXPECT_THAT(outcome.Message().text, HasSubstr("2P.DAT ("));
  EXPECT_FALSE(fs::exists("2C.DAT"));
  EXPECT_THAT(Numbers(), ElementsAre("1", "3"));
}

TEST_F(CompanyManagerTest, AnExplicitChoiceWinsOverTheEditOfTheCurrentCompany) {
  // The current company is edited, then another one is chosen: the choice holds.
  GoTo("1");
  fill = [](CompanyOptions& o) { o.SetText("CName", "Acme Renamed"); };
  EXPECT_TRUE(manager.Edit().IsDone());
  GoTo("3");
  EXPECT_TRUE(manager.SetAsDefault().IsDone());
  manager.Close();
  EXPECT_EQ(manager.Closed(), CompanyManager::Choice::Picked);
  EXPECT_EQ(common::ReadText(manager.Selected(), co::kCompanyNumber), "3");

  // Without a choice, the edit of the current company counts: it is read again.
  ASSERT_TRUE(manager.Open().IsDone());
  EXPECT_EQ(manager.Closed(), CompanyManager::Choice::Nothing);
  GoTo("1");
  fill = [](CompanyOptions& o) { o.SetText("SM1", "Thank you"); };
  EXPECT_TRUE(manager.Edit().IsDone());
  manager.Close();
  EXPECT_EQ(manager.Closed(), CompanyManager::Choice::CurrentChanged);

  // Editing another company is no change of the current one.
  ASSERT_TRUE(manager.Open().IsDone());
  GoTo("2");
  EXPECT_TRUE(manager.Edit().IsDone());
  manager.Close();
  EXPECT_EQ(manager.Closed(), CompanyManager::Choice::Nothing);
  ASSERT_TRUE(manager.Open().IsDone());
}

TEST_F(CompanyManagerTest, FindPositionsOnTheNumberChosen) {
  CompanyFindMode mode(manager.File());
  finder::FindModel model(mode);
  model.SetText("gamma");
  model.Find(prompter);
  ASSERT_EQ(model.Rows().size(), 1u);
  found = model.Choose(0);
  EXPECT_EQ(found, "3");
  EXPECT_TRUE(manager.Find().IsDone());
  EXPECT_EQ(CurrentNumber(), "3");
}

TEST_F(CompanyManagerTest, TheCompanyListInNumberOrder) {
  prompter.Answer(PromptAnswer::Yes);  // sort by number
  EXPECT_TRUE(manager.CompanyList().IsDone());
  EXPECT_EQ(viewer.title, "Company List by Number");
  ASSERT_EQ(viewer.lines.size(), 9u);
  EXPECT_EQ(viewer.lines[0], "Tallyfold Company List");
  EXPECT_EQ(viewer.lines[1], "Date: Saturday, March 14, 2026, 03:00 PM");
  EXPECT_EQ(viewer.lines[3], common::PadRight("Acme Supply", 35) + "    Number: 1        A/R: 0.00        ");
  EXPECT_EQ(viewer.lines[5].substr(0, 11), "Beta Books ");
  prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(manager.CompanyList().IsDone());
}

}  // namespace
}  // namespace tf::companies
