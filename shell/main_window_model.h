#pragma once
// What the main window offers and says, without any widget: its commands (tool buttons and menu
// items with their captions, hints and owners), the default output choice and its label, the
// clock text, the home page question, the calculator search and the questions asked before the
// window closes. TMainForm (shell/ui/main_form.h) shows this; tests read it directly.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/help_topics.h"
#include "common/program_version.h"
#include "common/prompter.h"

namespace tf::shell {

// The window that carries out a command. Commands of MainWindow are handled by the main window
// itself; every other one waits for its window to register a handler.
enum class CommandOwner {
  MainWindow,
  CompanyManager,
  Passwords,
  DataMaintenance,
  Customers,
  Products,
  InvoiceManager,
  PaymentTerms,
  PaymentWizard,
  AgingChart,
  ReportWizard,
  InterestWizard,
  RepeatBilling,
  EMailMessage,
  FormLetters,
  Labels,
};

enum class CommandId {
  CompanyManager,
  CustomerManager,
  ProductManager,
  InvoiceManager,
  PaymentWizard,
  ReportWizard,
  InterestWizard,
  LabelWizard,
  RepeatBillingWizard,
  LetterWizard,
  SendEMailMessage,
  AgingChart,
  CloseChart,
  Calculator,
  ViewCalendar,
  PasswordSetup,
  PurgePaidInvoices,
  BackupDataFiles,
  RebuildDataFiles,
  PrinterSetup,
  EditTerms,
  Exit,
  HelpTopics,
  HelpWithHelp,
  FrequentAskedQuestions,
  About,
  AgingChartHelp,
  EMailModeHelp,
  HomePage,
};

// Where a command's tool button sits.
enum class ButtonPanel {
  None,     // menu only
  Buttons,  // the button panel Panel1
  Chart,    // the aging chart panel Panel2
  Output,   // the output panel SelOut
  Title,    // the title panel, beside the company caption
};

// What a control does to the aging chart before its own action.
enum class ChartEffect {
  None,
  Hide,          // hides the aging chart panel
  HideAndReady,  // and puts "Ready." into status panel 1
};

struct Command {
  CommandId id;
  std::string_view menuItem;       // objectName of the menu item; empty when menu-less
  std::string_view menuCaption;    // with "&" accelerators
  std::string_view button;         // objectName of the tool button; empty when button-less
  std::string_view buttonCaption;  // text under the button's icon; may be empty
  std::string_view hint;           // tool tip and status tip of the button
  ButtonPanel panel;
  CommandOwner owner;
  ChartEffect menuEffect;    // of the menu item
  ChartEffect buttonEffect;  // of the tool button
};

// Every command, in the order the window lists them (the button panel's order).
std::span<const Command> Commands();
const Command& FindCommand(CommandId id);
// Null when no command has that objectName (menu item or tool button).
const Command* FindCommandByName(std::string_view objectName);

// A menu entry: a command, or a separator when `command` is empty.
struct MenuEntry {
  std::optional<CommandId> command;
};
struct Menu {
  std::string_view caption;  // "&File"
  std::vector<MenuEntry> entries;
};
// "&File", "&Tools", "&Help" with their items and separators in order.
const std::vector<Menu>& Menus();

// A caption without its "&" accelerator marks ("&&" stays one "&").
std::string StripAccelerators(std::string_view caption);

// Which commands can run now: the main window's own at once, every other one once its window
// registered a handler.
class CommandAvailability {
 public:
  bool Available(CommandId id) const;
  void Register(CommandId id);

 private:
  std::array<bool, static_cast<std::size_t>(CommandId::HomePage) + 1> registered_{};
};

// --- texts and choices ---------------------------------------------------------------------

inline constexpr std::string_view kApplicationName = "QZ Tallyfold Pro";
inline constexpr std::string_view kProductVersion = common::kProgramVersion;
inline constexpr std::string_view kReady = "Ready.";
inline constexpr std::string_view kPrinterCaption = "Pri&nter or Fax";
inline constexpr std::string_view kEMailCaption = "&E-Mail";
inline constexpr int kClockPanelWidth = 300;

// The default printed output of documents.
enum class OutputMode { Printer, EMail };

// The company's DefaultOutputEMail: "Y" chooses e-mail, anything else the printer.
OutputMode OutputFromCompany(std::string_view defaultOutputEMail);
// "System Mode: Printer / Fax" or "System Mode: E-Mail".
std::string_view OutputLabelText(OutputMode mode);

// Status panel 0: "Thursday, December 10, 2026, 01:05 PM".
std::string ClockText(const common::Clock& clock);

// The home page button.
inline constexpr std::string_view kHomePageAddress = "www.tallyfold.example";
inline constexpr std::string_view kHomePageQuestion =
    "This feature will connect you to the internet and take you to our home page. You must have "
    "an internet connection on this computer. Continue?";
inline constexpr std::string_view kHomePageCaption = "Internet Home Page";
// Asks the question; the address to open ("http://www.tallyfold.example/"), or nothing after No.
std::optional<std::string> AskHomePage(common::Prompter& prompter);

// Help topics of the help window (the contents are the empty topic).
inline constexpr std::string_view kTopicHelpOnHelp = common::help::kHowToUseHelp;
inline constexpr std::string_view kTopicFaq = common::help::kFrequentQuestions;
inline constexpr std::string_view kTopicAgingChart = common::help::kAgingChart;
inline constexpr std::string_view kTopicEMailMode = common::help::kEMailMode;

// The calculator: the first of these programs found on the search path is started.
inline constexpr std::array<std::string_view, 6> kCalculatorPrograms = {
    "gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "qalculate", "xcalc"};
inline constexpr std::string_view kCalculatorNotFound = "Calculator not found.";
// The full path of the first calculator found in the ":"-separated `searchPath`
// (normally $PATH); nothing when none is an executable file there.
std::optional<std::filesystem::path> FindCalculator(std::string_view searchPath);

// --- closing -------------------------------------------------------------------------------

inline constexpr std::string_view kLabelQueueQuestion =
    "You have labels in the print queue that you have not printed or saved to a file. Exit "
    "anyway?";
inline constexpr std::string_view kLabelQueueCaption = "Please Confirm";

// Before the window closes: with labels neither printed nor saved, asks whether to exit anyway.
// False keeps the program open.
bool MayClose(bool labelQueuePending, common::Prompter& prompter);

// What closing does once it is decided, in order: the backup window when the company asks for
// it (its BackupPromptOnExit), then the engine is shut down. The steps are the callers' so that
// each window plugs in its own.
struct ClosingSteps {
  std::function<void()> offerBackup;
  std::function<void()> exitEngine;
};
void RunClosing(bool backupPromptOnExit, const ClosingSteps& steps);

}  // namespace tf::shell
