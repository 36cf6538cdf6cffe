#include "shell/main_window_model.h"

#include <unistd.h>

#include "common/date_time_format.h"

namespace tf::shell {

namespace {

using enum CommandId;
using O = CommandOwner;
using P = ButtonPanel;

// The button panel lists its buttons in this order; menu-only commands sit where their menu
// item would follow.
constexpr Command kCommands[] = {
    {CompanyManager, "CompanyManager1", "Co&mpany Manager...", "SpeedButton2", "",
     "Companies/System Options", P::Buttons, O::CompanyManager, ChartEffect::None,
     ChartEffect::HideAndReady},
    {CustomerManager, "CustomerManager1", "&Customer Manager...", "SpeedButton3", "&Customers",
     "Customers", P::Buttons, O::Customers, ChartEffect::None, ChartEffect::None},
    {ProductManager, "ProductManager1", "&Product Manager...", "SpeedButton4", "&Products",
     "Products", P::Buttons, O::Products, ChartEffect::None, ChartEffect::None},
    {InvoiceManager, "InvoiceManager1", "&Invoice Manager...", "SpeedButton5", "&Invoices",
     "Invoices", P::Buttons, O::InvoiceManager, ChartEffect::HideAndReady,
     ChartEffect::HideAndReady},
    {PaymentWizard, "PaymentManager1", "&Payment Wizard...", "PayboxButn", "Pay&ments",
     "Payments", P::Buttons, O::PaymentWizard, ChartEffect::HideAndReady,
     ChartEffect::HideAndReady},
    {ReportWizard, "ReportManager1", "&Report  Wizard...", "RptButton", "&Reports", "Reports",
     P::Buttons, O::ReportWizard, ChartEffect::None, ChartEffect::None},
    {InterestWizard, "InterestWizard1", "&Interest Wizard...", "SpeedButton9", "Interest Wizard",
     "Interest Wizard", P::Buttons, O::InterestWizard, ChartEffect::Hide, ChartEffect::Hide},
    {LabelWizard, "LabelWizard1", "&Label Wizard...", "SpeedButton10", "Label Wizard",
     "Label Wizard", P::Buttons, O::Labels, ChartEffect::None, ChartEffect::None},
    {RepeatBillingWizard, "RepeatBillingWizard1", "Repeat Billing &Wizard...", "SpeedButton11",
     "Repeat Billing Wizard", "Repeat Billing Wizard", P::Buttons, O::RepeatBilling,
     ChartEffect::Hide, ChartEffect::Hide},
    {LetterWizard, "LetterWizard1", "Form L&etter Wizard...", "SpeedButton17",
     "Form Letter Wizard", "Form Letter Wizard", P::Buttons, O::FormLetters, ChartEffect::None,
     ChartEffect::None},
    {SendEMailMessage, "SendEMailMessage1", "Send E-Mail &Message", "SpeedButton18",
     "Send E-mail Message", "Send E-mail Message", P::Buttons, O::EMailMessage,
     ChartEffect::None, ChartEffect::None},
    {AgingChart, "AgingChart1", "&Aging Chart", "SpeedButton12", "Aging Chart", "Aging Chart",
     P::Buttons, O::AgingChart, ChartEffect::None, ChartEffect::None},
    {CloseChart, "", "", "SpeedButton1", "", "Close Chart", P::Chart, O::MainWindow,
     ChartEffect::None, ChartEffect::HideAndReady},
    {Calculator, "Calculator1", "&Calculator", "SpeedButton8", "Calculator", "Calculator",
     P::Buttons, O::MainWindow, ChartEffect::None, ChartEffect::None},
    {ViewCalendar, "ViewCalendar1", "&View Calendar", "SpeedButton7", "View Calendar",
     "View Calendar", P::Buttons, O::MainWindow, ChartEffect::None, ChartEffect::None},
    {PasswordSetup, "PasswordSetup1", "Password &Setup", "SpeedButton6", "Password Setup",
     "Password Setup", P::Buttons, O::Passwords, ChartEffect::None, ChartEffect::None},
    {PurgePaidInvoices, "PurgePaidInvoices1", "&Delete Paid Invoices", "", "", "", P::None,
     O::DataMaintenance, ChartEffect::None, ChartEffect::None},
    {BackupDataFiles, "BackupDataFiles1", "&Backup Data Files", "SpeedButton13", "Backup Files",
     "Backup Files", P::Buttons, O::DataMaintenance, ChartEffect::None, ChartEffect::None},
    {RebuildDataFiles, "RebuildDataFiles1", "Rebuild Data &Files", "", "", "", P::None,
     O::DataMaintenance, ChartEffect::None, ChartEffect::None},
    {PrinterSetup, "PrinterSetup1", "P&rinter Setup...", "SpeedButton15", "Printer Setup",
     "Printer Setup", P::Buttons, O::MainWindow, ChartEffect::None, ChartEffect::None},
    {EditTerms, "EditTerms1", "&Edit Payment Terms...", "", "", "", P::None, O::PaymentTerms,
     ChartEffect::None, ChartEffect::None},
    {Exit, "Exit1", "E&xit", "SpeedButton16", "Close", "Close", P::Buttons, O::MainWindow,
     ChartEffect::None, ChartEffect::None},
    {HelpTopics, "Topics1", "&Topics", "SpeedButton14", "Help", "Help", P::Buttons,
     O::MainWindow, ChartEffect::None, ChartEffect::None},
    {HelpWithHelp, "HelpWithHelp1", "&How to use Help", "", "", "", P::None, O::MainWindow,
     ChartEffect::None, ChartEffect::None},
    {FrequentAskedQuestions, "FrequentAskedQuestions1", "&Frequent Asked Questions", "", "", "",
     P::None, O::MainWindow, ChartEffect::None, ChartEffect::None},
    {About, "About1", "&About", "", "", "", P::None, O::MainWindow, ChartEffect::None,
     ChartEffect::None},
    {AgingChartHelp, "", "", "AgeChartBtn", "", "Help", P::Chart, O::MainWindow,
     ChartEffect::None, ChartEffect::None},
    {EMailModeHelp, "", "", "EMHlp", "", "Help", P::Output, O::MainWindow, ChartEffect::None,
     ChartEffect::None},
    {HomePage, "", "", "HomeButn", "Home", "Our Internet Home Page", P::Buttons, O::MainWindow,
     ChartEffect::None, ChartEffect::None},
};

constexpr std::size_t kCommandCount = std::size(kCommands);
static_assert(kCommandCount == static_cast<std::size_t>(HomePage) + 1);

constexpr bool TableFollowsIds() {
  for (std::size_t i = 0; i < kCommandCount; ++i)
    if (static_cast<std::size_t>(kCommands[i].id) != i) return false;
  return true;
}
static_assert(TableFollowsIds(), "FindCommand indexes the table by id");

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command& FindCommand(CommandId id) { return kCommands[static_cast<std::size_t>(id)]; }

const Command* FindCommandByName(std::string_view objectName) {
  if (objectName.empty()) return nullptr;
  for (const Command& c : kCommands)
    if (c.menuItem == objectName || c.button == objectName) return &c;
  return nullptr;
}

const std::vector<Menu>& Menus() {
  static const std::vector<Menu> menus = [] {
    MenuEntry sep{};
    return std::vector<Menu>{
        {"&File",
         {{CompanyManager}, sep, {CustomerManager}, {ProductManager}, {InvoiceManager}, sep,
          {PrinterSetup}, sep, {EditTerms}, sep, {Exit}}},
        {"&Tools",
         {{PaymentWizard}, {ReportWizard}, {InterestWizard}, {LabelWizard},
          {RepeatBillingWizard}, {LetterWizard}, sep, {SendEMailMessage}, {AgingChart},
          {Calculator}, {ViewCalendar}, {PasswordSetup}, sep, {PurgePaidInvoices},
          {BackupDataFiles}, {RebuildDataFiles}}},
        {"&Help", {{HelpTopics}, {HelpWithHelp}, sep, {FrequentAskedQuestions}, sep, {About}}},
    };
  }();
  return menus;
}

std::string StripAccelerators(std::string_view caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

bool CommandAvailability::Available(CommandId id) const {
  return FindCommand(id).owner == CommandOwner::MainWindow ||
         registered_[static_cast<std::size_t>(id)];
}

void CommandAvailability::Register(CommandId id) {
  registered_[static_cast<std::size_t>(id)] = true;
}

OutputMode OutputFromCompany(std::string_view defaultOutputEMail) {
  return defaultOutputEMail == "Y" ? OutputMode::EMail : OutputMode::Printer;
}

std::string_view OutputLabelText(OutputMode mode) {
  return mode == OutputMode::Printer ? "System Mode: Printer / Fax" : "System Mode: E-Mail";
}

std::string ClockText(const common::Clock& clock) {
  return common::FormatDateTime(common::kLongDateTimePattern, clock.Now());
}

std::optional<std::string> AskHomePage(common::Prompter& prompter) {
  // Only an explicit No stays offline; closing the box is not a refusal.
  common::PromptAnswer a = prompter.Show({std::string(kHomePageQuestion),
                                          std::string(kHomePageCaption),
                                          common::PromptIcon::Question,
                                          common::PromptButtons::YesNo, common::PromptAnswer::Yes});
  if (a == common::PromptAnswer::No) return std::nullopt;
  return "http://" + std::string(kHomePageAddress) + "/";
}

std::optional<std::filesystem::path> FindCalculator(std::string_view searchPath) {
  std::vector<std::filesystem::path> dirs;
  std::size_t start = 0;
  while (start <= searchPath.size()) {
    std::size_t end = searchPath.find(':', start);
    if (end == std::string_view::npos) end = searchPath.size();
    std::string_view dir = searchPath.substr(start, end - start);
    // An empty entry of a search path means the working directory, which is the data folder
    // here: never a place to start programs from.
    if (!dir.empty()) dirs.emplace_back(dir);
    start = end + 1;
  }
  for (std::string_view program : kCalculatorPrograms) {
    for (const auto& dir : dirs) {
      std::filesystem::path candidate = dir / program;
      std::error_code ec;
      if (std::filesystem::is_regular_file(candidate, ec) &&
          ::access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
  }
  return std::nullopt;
}

bool MayClose(bool labelQueuePending, common::Prompter& prompter) {
  if (!labelQueuePending) return true;
  return prompter.AskYesNo(kLabelQueueQuestion, kLabelQueueCaption);
}

void RunClosing(bool backupPromptOnExit, const ClosingSteps& steps) {
  if (backupPromptOnExit && steps.offerBackup) steps.offerBackup();
  if (steps.exitEngine) steps.exitEngine();
}

}  // namespace tf::shell
