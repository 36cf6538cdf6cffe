#include "shell/main_window_model.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/scripted_prompter.h"
#include "tests/support/temp_folder.h"

namespace tf::shell {
namespace {

using namespace std::chrono;
using common::PromptAnswer;

TEST(MainWindowCommands, ToolButtonsInPanelOrderWithCaptionsAndHints) {
  struct Row {
    const char* button;
    const char* caption;
    const char* hint;
  };
  const std::vector<Row> expected = {
      {"SpeedButton2", "", "Companies/System Options"},
      {"SpeedButton3", "&Customers", "Customers"},
      {"SpeedButton4", "&Products", "Products"},
      {"SpeedButton5", "&Invoices", "Invoices"},
      {"PayboxButn", "Pay&ments", "Payments"},
      {"RptButton", "&Reports", "Reports"},
      {"SpeedButton9", "Interest Wizard", "Interest Wizard"},
      {"SpeedButton10", "Label Wizard", "Label Wizard"},
      {"SpeedButton11", "Repeat Billing Wizard", "Repeat Billing Wizard"},
      {"SpeedButton17", "Form Letter Wizard", "Form Letter Wizard"},
      {"SpeedButton18", "Send E-mail Message", "Send E-mail Message"},
      {"SpeedButton12", "Aging Chart", "Aging Chart"},
      {"SpeedButton1", "", "Close Chart"},
      {"SpeedButton8", "Calculator", "Calculator"},
      {"SpeedButton7", "View Calendar", "View Calendar"},
      {"SpeedButton6", "Password Setup", "Password Setup"},
      {"SpeedButton13", "Backup Files", "Backup Files"},
      {"SpeedButton15", "Printer Setup", "Printer Setup"},
      {"SpeedButton16", "Close", "Close"},
      {"SpeedButton14", "Help", "Help"},
      {"AgeChartBtn", "", "Help"},
      {"EMHlp", "", "Help"},
      {"HomeButn", "Home", "Our Internet Home Page"},
  };
  std::vector<Row> actual;
  for (const Command& c : Commands())
    if (!c.button.empty())
      actual.push_back({c.button.data(), c.buttonCaption.data(), c.hint.data()});
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].button);
    EXPECT_EQ(std::string(actual[i].button), expected[i].button);
    EXPECT_EQ(std::string(actual[i].caption), expected[i].caption);
    EXPECT_EQ(std::string(actual[i].hint), expected[i].hint);
  }
}

// The menus flattened: captions and "-" for separators, each menu after its own caption.
std::vector<std::string> FlatMenus() {
  std::vector<std::string> out;
  for (const Menu& m : Menus()) {
    out.emplace_back(m.caption);
    for (const MenuEntry& e : m.entries)
      out.push_back(e.command ? std::string(FindCommand(*e.command).menuCaption) : "-");
  }
  return out;
}

TEST(MainWindowCommands, MenusInOrderWithSeparators) {
  const std::vector<std::string> expected = {
      "&File", "Co&mpany Manager...", "-", "&Customer Manager...", "&Product Manager...",
      "&Invoice Manager...", "-", "P&rinter Setup...", "-", "&Edit Payment Terms...", "-",
      "E&xit",
      "&Tools", "&Payment Wizard...", "&Report  Wizard...", "&Interest Wizard...",
      "&Label Wizard...", "Repeat Billing &Wizard...", "Form L&etter Wizard...", "-",
      "Send E-Mail &Message", "&Aging Chart", "&Calculator", "&View Calendar",
      "Password &Setup", "-", "&Delete Paid Invoices", "&Backup Data Files",
      "Rebuild Data &Files",
      "&Help", "&Topics", "&How to use Help", "-", "&Frequent Asked Questions", "-", "&About"};
  EXPECT_EQ(FlatMenus(), expected);
}

TEST(MainWindowCommands, EveryMenuItemHasItsObjectNameAndEveryCommandIsReachable) {
  for (const Command& c : Commands()) {
    SCOPED_TRACE(static_cast<int>(c.id));
    EXPECT_FALSE(c.menuItem.empty() && c.button.empty());
    EXPECT_EQ(c.menuItem.empty(), c.menuCaption.empty());
    if (!c.menuItem.empty()) {
      EXPECT_EQ(FindCommandByName(c.menuItem), &c);
    }
    if (!c.button.empty()) {
      EXPECT_EQ(FindCommandByName(c.button), &c);
    }
  }
  EXPECT_EQ(FindCommandByName("PaymentManager1")->id, CommandId::PaymentWizard);
  EXPECT_EQ(FindCommandByName("Calculator1")->button, "SpeedButton8");
  EXPECT_EQ(FindCommandByName("NoSuchButton"), nullptr);
  EXPECT_EQ(FindCommandByName(""), nullptr);
}

TEST(MainWindowCommands, ChartEffectsOfTheControls) {
  EXPECT_EQ(FindCommand(CommandId::CompanyManager).buttonEffect, ChartEffect::HideAndReady);
  EXPECT_EQ(FindCommand(CommandId::CompanyManager).menuEffect, ChartEffect::None);
  EXPECT_EQ(FindCommand(CommandId::InvoiceManager).menuEffect, ChartEffect::HideAndReady);
  EXPECT_EQ(FindCommand(CommandId::PaymentWizard).buttonEffect, ChartEffect::HideAndReady);
  EXPECT_EQ(FindCommand(CommandId::InterestWizard).buttonEffect, ChartEffect::Hide);
  EXPECT_EQ(FindCommand(CommandId::RepeatBillingWizard).menuEffect, ChartEffect::Hide);
  EXPECT_EQ(FindCommand(CommandId::CloseChart).buttonEffect, ChartEffect::HideAndReady);
  EXPECT_EQ(FindCommand(CommandId::CustomerManager).buttonEffect, ChartEffect::None);
}

TEST(MainWindowCommands, OnlyTheMainWindowsOwnCommandsAreAvailableUntilRegistered) {
  CommandAvailability a;
  std::vector<CommandId> available;
  for (const Command& c : Commands())
    if (a.Available(c.id)) available.push_back(c.id);
  using enum CommandId;
  const std::vector<CommandId> own = {CloseChart, Calculator,    ViewCalendar, PrinterSetup,
                                      Exit,       HelpTopics,    HelpWithHelp,
                                      FrequentAskedQuestions,    About,        AgingChartHelp,
                                      EMailModeHelp, HomePage};
  EXPECT_EQ(available, own);

  a.Register(CustomerManager);
  EXPECT_TRUE(a.Available(CustomerManager));
  EXPECT_FALSE(a.Available(ProductManager));
  EXPECT_FALSE(a.Available(CompanyManager));
}

TEST(MainWindowCommands, StripAccelerators) {
  EXPECT_EQ(StripAccelerators("Co&mpany Manager..."), "Company Manager...");
  EXPECT_EQ(StripAccelerators("Pri&nter or Fax"), "Printer or Fax");
  EXPECT_EQ(StripAccelerators("A && B"), "A & B");
  EXPECT_EQ(StripAccelerators("trailing&"), "trailing");
  EXPECT_EQ(StripAccelerators(""), "");
}

TEST(MainWindowOutput, CompanyChoiceAndLabel) {
  EXPECT_EQ(OutputFromCompany("Y"), OutputMode::EMail);
  EXPECT_EQ(OutputFromCompany("N"), OutputMode::Printer);
  EXPECT_EQ(OutputFromCompany(""), OutputMode::Printer);
  EXPECT_EQ(OutputFromCompany("y"), OutputMode::Printer);
  EXPECT_EQ(OutputLabelText(OutputMode::Printer), "System Mode: Printer / Fax");
  EXPECT_EQ(OutputLabelText(OutputMode::EMail), "System Mode: E-Mail");
}

TEST(MainWindowClock, LongDateTimeWithTwelveHourClock) {
  struct Case {
    year_month_day day;
    seconds time;
    const char* text;
  };
  const Case cases[] = {
      {2026y / December / 10d, hours(13) + minutes(5) + seconds(59),
       "Thursday, December 10, 2026, 01:05 PM"},
      {2024y / February / 29d, seconds(0), "Thursday, February 29, 2024, 12:00 AM"},
      {2025y / January / 1d, hours(12) + minutes(30), "Wednesday, January 1, 2025, 12:30 PM"},
      {1999y / July / 4d, hours(9) + minutes(7), "Sunday, July 4, 1999, 09:07 AM"},
  };
  for (const Case& c : cases) {
    common::FixedClock clock(c.day, c.time);
    EXPECT_EQ(ClockText(clock), c.text);
  }
}

TEST(MainWindowHomePage, NoStaysOfflineOtherwiseOpensTheAddress) {
  common::ScriptedPrompter no{PromptAnswer::No};
  EXPECT_EQ(AskHomePage(no), std::nullopt);
  ASSERT_EQ(no.Shown().size(), 1u);
  EXPECT_EQ(no.Shown()[0].text,
            "This feature will connect you to the internet and take you to our home page. You "
            "must have an internet connection on this computer. Continue?");
  EXPECT_EQ(no.Shown()[0].caption, "Internet Home Page");
  EXPECT_EQ(no.Shown()[0].buttons, common::PromptButtons::YesNo);
  EXPECT_EQ(no.Shown()[0].icon, common::PromptIcon::Question);

  common::ScriptedPrompter yes{PromptAnswer::Yes};
  EXPECT_EQ(AskHomePage(yes), "http://www.tallyfold.example/");
  // A box closed without a button is not a No.
  common::ScriptedPrompter closed{PromptAnswer::Cancel};
  EXPECT_EQ(AskHomePage(closed), "http://www.tallyfold.example/");
}

class CalculatorSearch : public ::testing::Test {
 protected:
  std::filesystem::path Program(const std::string& dir, const std::string& name, bool exec) {
    std::filesystem::create_directories(root_ / dir);
    auto p = root_ / dir / name;
    std::ofstream(p) << "#!/bin/sh\n";
    chmod(p.c_str(), exec ? 0755 : 0644);
    return p;
  }
  std::string Path(std::initializer_list<std::string> dirs) {
    std::string s;
    for (const auto& d : dirs) s += (s.empty() ? "" : ":") + (root_ / d).string();
    return s;
  }
  tf::test::TempFolder folder_;
  std::filesystem::path root_ = folder_.path();
};

TEST_F(CalculatorSearch, ProgramOrderWinsOverPathOrder) {
  Program("a", "xcalc", true);
  auto kcalc = Program("b", "kcalc", true);
  EXPECT_EQ(FindCalculator(Path({"a", "b"})), kcalc);
}

TEST_F(CalculatorSearch, FirstDirectoryWinsForTheSameProgram) {
  auto first = Program("a", "galculator", true);
  Program("b", "galculator", true);
  EXPECT_EQ(FindCalculator(Path({"a", "b"})), first);
}

TEST_F(CalculatorSearch, SkipsFilesThatCannotRunAndFolders) {
  Program("a", "gnome-calculator", false);
  std::filesystem::create_directories(root_ / "a" / "kcalc");
  auto xcalc = Program("a", "xcalc", true);
  EXPECT_EQ(FindCalculator(Path({"a"})), xcalc);
}

TEST_F(CalculatorSearch, NothingFound) {
  Program("a", "calc", true);
  EXPECT_EQ(FindCalculator(Path({"a"})), std::nullopt);
  EXPECT_EQ(FindCalculator(""), std::nullopt);
  EXPECT_EQ(FindCalculator(":"), std::nullopt);
}

TEST(MainWindowClosing, LabelQueueQuestionDecides) {
  common::ScriptedPrompter quiet;
  EXPECT_TRUE(MayClose(false, quiet));
  EXPECT_TRUE(quiet.Shown().empty());

  common::ScriptedPrompter no{PromptAnswer::No};
  EXPECT_FALSE(MayClose(true, no));
  ASSERT_EQ(no.Shown().size(), 1u);
  EXPECT_EQ(no.Shown()[0].text,
            "You have labels in the print queue that you have not printed or saved to a file. "
            "Exit anyway?");
  EXPECT_EQ(no.Shown()[0].caption, "Please Confirm");
  EXPECT_EQ(no.Shown()[0].buttons, common::PromptButtons::YesNo);

  common::ScriptedPrompter yes{PromptAnswer::Yes};
  EXPECT_TRUE(MayClose(true, yes));
}

TEST(MainWindowClosing, BackupOnlyWhenAskedThenEngine) {
  for (bool backup : {true, false}) {
    SCOPED_TRACE(backup);
    std::vector<std::string> steps;
    RunClosing(backup, {[&] { steps.push_back("backup"); }, [&] { steps.push_back("engine"); }});
    std::vector<std::string> expected = backup ? std::vector<std::string>{"backup", "engine"}
                                               : std::vector<std::string>{"engine"};
    EXPECT_EQ(steps, expected);
  }
  // A step a window has not plugged in yet is skipped.
  std::vector<std::string> steps;
  RunClosing(true, {nullptr, [&] { steps.push_back("engine"); }});
  EXPECT_EQ(steps, std::vector<std::string>{"engine"});
}

}  // namespace
}  // namespace tf::shell
