// The main window's start-up steps in a data folder: the start-up file, the current company,
// the computer date, the caption, the background picture and the working date.

#include "shell/startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "records/company_record.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/record_print.h"

namespace tf::shell::testing {
namespace {

using namespace ::tf::test;

using common::PromptAnswer;
using common::RecordBuffer;
using common::ScriptedPrompter;
using namespace records::company;
using namespace records;
using namespace std::chrono;

constexpr year_month_day kToday{year{2026}, February, day{3}};

std::string Bytes(const RecordBuffer& r) { return std::string(reinterpret_cast<const char*>(r.data()), r.size()); }

RecordBuffer Acme() {
  RecordBuffer r(kCompanyRecordLength);
  common::WriteText(r, kCompanyNumber, "1");
  common::WriteText(r, kCompanyName, "Acme Supply");
  common::WriteText(r, kDateFormat, "D");
  common::WriteText(r, TextField{kDefaultOutputEMail.offset, 1}, "Y");
  common::WriteBool(r, kShowHints, true);
  common::WriteFontSpec(r, kEditorFont, {"Arial", 14, 16711680, common::kFontBold | common::kFontItalic});
  return r;
}

class StartupTest : public DataFolderTest {
 protected:
  // "LastCo.Dat" holding `startup`, and the company file block holding `stored`.
  void MakeFolder(const RecordBuffer& startup, const RecordBuffer& stored) {
    common::ReplaceFile("LastCo.Dat", Bytes(startup));
    ScriptedPrompter prompter{PromptAnswer::OK};
    engine::FileBlockGuard block;
    ASSERT_TRUE(OpenCompanyFile(block.handle(), prompter, status_));
    std::int32_t ref = 0;
    ASSERT_TRUE(AddKeyedRecord(block.get(), CompanyFileKind(), stored, ref, prompter));
  }

  StartupResult Start(const year_month_day& today = kToday) {
    common::FixedClock clock(today);
    return StartUp(book_, prompter_, clock, status_);
  }

  CompanyBook book_;
  ScriptedPrompter prompter_;
  RecordingStatus status_;
};

TEST_F(StartupTest, WithoutTheStartupFileTheProgramSaysSoAndEnds) {
  engine::ExitEngine();  // as before the program starts it
  const StartupResult r = Start();
  EXPECT_TRUE(r.endProgram);
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  const common::PromptMessage& m = prompter_.Shown()[0];
  EXPECT_EQ(m.text,
            "I do not find the billing data files. The data files must be in the same directory as the billing "
            "program.");
  EXPECT_EQ(m.caption, "QZ Tallyfold PRO");
  EXPECT_EQ(m.icon, common::PromptIcon::Exclamation);
  EXPECT_TRUE(std::filesystem::is_empty(".")) << "no file is created";
  engine::EngineReady();
  EXPECT_FALSE(engine::EngineOK) << "the engine was not started";
}

TEST_F(StartupTest, LoadsTheCompanyFromTheFileBlockAndWorksOutTheWindow) {
  RecordBuffer stale = Acme();
  common::WriteText(stale, kCompanyName, "Acme (as it was)");
  common::WriteText(stale, kDateFormat, "M");
  MakeFolder(stale, Acme());
  const StartupResult r = Start();
  EXPECT_FALSE(r.endProgram);
  EXPECT_TRUE(r.engineReady);
  EXPECT_TRUE(prompter_.Shown().empty());
  EXPECT_EQ(r.title, "QZ Tallyfold PRO");
  EXPECT_EQ(common::ReadText(book_.Current(), kCompanyName), "Acme Supply") << "refreshed from the file block";
  EXPECT_EQ(r.captionText, "Acme Supply\r     Number: 1");
  ASSERT_TRUE(r.captionFont);
  EXPECT_EQ(*r.captionFont, (common::FontSpec{"Arial", 14, 16711680, common::kFontBold | common::kFontItalic}));
  EXPECT_EQ(r.dateFormat, common::DateFormat::DayFirst);
  EXPECT_EQ(r.workingDate, "03/02/2026") << "day first";
  EXPECT_TRUE(r.showHints);
  EXPECT_EQ(r.output, OutputMode::EMail);
  EXPECT_FALSE(r.background);
}

TEST_F(StartupTest, MonthFirstCompanyGetsAMonthFirstWorkingDate) {
  RecordBuffer c = Acme();
  common::WriteText(c, kDateFormat, "M");
  common::WriteText(c, TextField{kDefaultOutputEMail.offset, 1}, "N");
  MakeFolder(c, c);
  const StartupResult r = Start();
  EXPECT_EQ(r.workingDate, "02/03/2026");
  EXPECT_EQ(r.output, OutputMode::Printer);
}

TEST_F(StartupTest, CompanyWithoutANameStartsWithTheSetupNameInMemoryOnly) {
  RecordBuffer c = Acme();
  common::WriteText(c, kCompanyName, " x ");
  common::WriteBool(c, kBackgroundOn, true);
  common::WriteText(c, kBackgroundPath, "missing.bmp");
  MakeFolder(c, c);
  const StartupResult r = Start();
  EXPECT_FALSE(r.endProgram);
  EXPECT_TRUE(prompter_.Shown().empty()) << "the background is not looked for";
  EXPECT_EQ(common::ReadText(book_.Current(), kCompanyName), "Please Setup Your Company.");
  EXPECT_FALSE(common::ReadBool(book_.Current(), kBackgroundOn));
  EXPECT_EQ(r.captionText, "");
  EXPECT_FALSE(r.captionFont);
  EXPECT_FALSE(r.background);
  EXPECT_EQ(common::ReadWholeFile("LastCo.Dat"), Bytes(c)) << "nothing is written";
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "Company");
  RecordBuffer stored(kCompanyRecordLength);
  engine::GetRecord(block.get(), FindCompany(block.get(), "1"), stored.data());
  EXPECT_EQ(stored, c);
}

TEST_F(StartupTest, ComputerDateBefore1995IsWarnedAboutAndStartUpGoesOn) {
  MakeFolder(Acme(), Acme());
  const StartupResult r = Start(year_month_day{year{1994}, December, day{31}});
  EXPECT_FALSE(r.endProgram);
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text,
            "The date on your computer appears to be incorrect. This will effect program calculations. Please "
            "verify your computer is using the correct date.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "Computer Date");
  EXPECT_EQ(prompter_.Shown()[0].icon, common::PromptIcon::Exclamation);
  EXPECT_EQ(r.workingDate, "31/12/1994");

  prompter_.Clear();
  engine::ExitEngine();
  Start(year_month_day{year{1995}, January, day{1}});
  EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(StartupTest, BackgroundPictureThatIsGoneIsSwitchedOffInMemory) {
  RecordBuffer c = Acme();
  common::WriteBool(c, kBackgroundOn, true);
  common::WriteText(c, kBackgroundPath, "qzt8.bmp");
  MakeFolder(c, c);
  const StartupResult r = Start();
  EXPECT_EQ(prompter_.Texts(),
            std::vector<std::string>{"Background bitmap image no longer exists. Unable to load background picture."});
  EXPECT_FALSE(common::ReadBool(book_.Current(), kBackgroundOn));
  EXPECT_FALSE(r.background);
  EXPECT_EQ(common::ReadWholeFile("LastCo.Dat"), Bytes(c));

  // With the picture in place it is tiled.
  { std::ofstream("qzt8.bmp") << "BM"; }
  engine::ExitEngine();
  prompter_.Clear();
  const StartupResult again = Start();
  EXPECT_TRUE(prompter_.Shown().empty());
  ASSERT_TRUE(again.background);
  EXPECT_EQ(*again.background, "qzt8.bmp");
  EXPECT_TRUE(common::ReadBool(book_.Current(), kBackgroundOn));
}

TEST_F(StartupTest, MissingCompanyFileIsCreatedOrTheProgramEnds) {
  common::ReplaceFile("LastCo.Dat", Bytes(Acme()));
  prompter_.Answer(PromptAnswer::Cancel);
  StartupResult r = Start();
  EXPECT_TRUE(r.endProgram);
  EXPECT_EQ(prompter_.Texts(), (std::vector<std::string>{"I am going to create a new, empty company file.",
                                                         "Unable to open company database"}));
  engine::EngineReady();
  EXPECT_FALSE(engine::EngineOK) << "the engine is shut down again";

  engine::InitEngine(0, engine::kMinPageBuffers);
  prompter_.Clear();
  prompter_.Answer(PromptAnswer::OK);
  r = Start();
  EXPECT_FALSE(r.endProgram);
  EXPECT_EQ(r.captionText, "Acme Supply\r     Number: 1") << "the start-up file's company stays current";
  engine::ExitEngine();
  EXPECT_EQ(Findings("Company", [](std::span<const unsigned char> rec) {
              return std::vector<std::string>{CompanyKey(rec, 1), CompanyKey(rec, 2)};
            }),
            "");
}

TEST_F(StartupTest, StartupFileShorterThanARecordEndsTheProgram) {
  { std::ofstream("LastCo.Dat") << "short"; }
  const StartupResult r = Start();
  EXPECT_TRUE(r.endProgram);
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_NE(prompter_.Shown()[0].text.find("LastCo.Dat"), std::string::npos);
}

TEST(DailyAging, DueOnlyWhenTheLastAgingDateIsNotTodaysDate) {
  RecordBuffer c(kCompanyRecordLength);
  common::WriteText(c, kLastAgingDate, "03/02/2026");
  EXPECT_FALSE(DailyAgingDue(c, "03/02/2026"));
  EXPECT_TRUE(DailyAgingDue(c, "04/02/2026"));
  common::WriteText(c, kLastAgingDate, " ");  // a new company: never aged
  EXPECT_TRUE(DailyAgingDue(c, "03/02/2026"));
}

}  // namespace
}  // namespace tf::shell::testing
