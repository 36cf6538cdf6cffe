#include "billing/wizards.h"

#include "billing/interest_report.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::billing {
namespace {

namespace co = records::company;
using common::ReadText;
using common::TrimBoth;

std::string CompanyNumberOf(const records::CompanyBook& book) { return TrimBoth(ReadText(book.Current(), co::kCompanyNumber)); }

common::DateFormat FormatOf(const records::CompanyBook& book) {
  return common::DateFormatFromCode(ReadText(book.Current(), co::kDateFormat));
}

}  // namespace

// --- Interest Wizard -------------------------------------------------------------------------

void InterestWizard::Show() {
  options = LoadInterestOptions(s_.book.Current(), s_.clock.Today());
  scan_ = {};
  result_ = {};
  generated_ = false;
  scanEnabled_ = true;
  generateEnabled_ = false;
  status_ = kEnterOptions;
}

std::array<std::string, 3> InterestWizard::AgeCaptions() const {
  return {AgeOptionCaption(s_.book.Current(), 0), AgeOptionCaption(s_.book.Current(), 1),
          AgeOptionCaption(s_.book.Current(), 2)};
}

std::string InterestWizard::LastRunText() const {
  return "Last Interest Invoices: " + ReadText(s_.book.Current(), co::kInterestLastRun);
}

std::vector<std::vector<std::string>> InterestWizard::Grid() const {
  if (generated_) return InterestGrid(s_.book.Current(), options, result_.rows, true);
  if (scan_.rows.empty()) {
    auto grid = InterestGrid(s_.book.Current(), options, {}, false);
    grid.back() = {"", "", "", ""};  // the heading and one empty row
    return grid;
  }
  return InterestGrid(s_.book.Current(), options, scan_.rows, false);
}

bool InterestWizard::FlatRateTyped(const std::string& text) {
  options.flatRate = text;
  if (const auto refusal = CheckFlatRate(text)) {
    s_.prompter.Inform(refusal->text, refusal->caption);
    return false;
  }
  scanEnabled_ = true;
  return true;
}

InterestWizard::Focus InterestWizard::Scan() {
  status_ = kScanning;
  scanEnabled_ = false;
  generateEnabled_ = false;
  generated_ = false;
  scan_ = {};
  BillingReader reader;
  std::string message;
  if (!reader.Open(CompanyNumberOf(s_.book), message)) {
    s_.prompter.Inform(message, kInterestWizardCaption);
    scanEnabled_ = true;
    status_ = kEnterOptions;
    return Focus::None;
  }
  scan_ = ScanInterest(reader.Blocks(), s_.book.Current(), options, s_.clock.Today());
  if (scan_.refusal) {
    s_.prompter.Inform(scan_.refusal->text, scan_.refusal->caption);
    scanEnabled_ = true;
    status_ = kEnterOptions;
    if (scan_.refusal->text == kNoFlatRate || options.flatFee) return Focus::FlatRate;
    return scan_.refusal->caption == "Minimum Charge" ? Focus::MinChg : Focus::IPct;
  }
  if (scan_.rows.empty()) {
    status_ = kNoRecordsFound;
    s_.prompter.Inform(kNoRecordsWereFound, kInterestWizardCaption, common::PromptIcon::Information);
    return Focus::None;
  }
  generateEnabled_ = true;
  status_ = std::to_string(scan_.rows.size()) + " found. Complete data below then select generate button...";
  return Focus::None;
}

bool InterestWizard::Generate(Focus& focus) {
  focus = Focus::None;
  if (!common::ParseDate(options.invoiceDate, FormatOf(s_.book))) {
    s_.prompter.Inform(kInvalidInvoiceDate, kInvoiceDateCaption);
    focus = Focus::IDate;
    return false;
  }
  if (const auto question = SameMonthQuestion(s_.book.Current(), options);
      question && !s_.prompter.AskYesNo(*question, kInterestWizardCaption, common::PromptAnswer::No))
    return false;
  generateEnabled_ = false;
  if (!PrepareBlocks(CompanyNumberOf(s_.book), s_.prompter, s_.status)) {
    s_.prompter.Inform("The files cannot be opened " + StatusText() + ". No interest invoices were created.",
                       kInterestWizardCaption);
    generateEnabled_ = true;
    return false;
  }
  result_ = GenerateInterest(s_.book.Current(), scan_.rows, options, s_.clock.Today(), s_.prompter);
  if (!result_.ok) {
    s_.prompter.Inform(result_.message, kInterestWizardCaption);
    generateEnabled_ = true;
    return false;
  }
  std::copy(result_.company.begin(), result_.company.end(), s_.book.Current().begin());
  if (result_.committedLate) s_.prompter.Inform(result_.message, kInterestWizardCaption);
  generated_ = true;
  return true;
}

bool InterestWizard::AskForReport() {
  return s_.prompter.AskYesNo(
      std::to_string(result_.rows.size()) + " invoices were created. Would you like to send a report to the printer?",
      kOperationComplete);
}

bool InterestWizard::PrintReport(common::PrintCanvas& canvas) const {
  return PrintInterestReport(canvas, s_.book.Current(), options, result_.rows, s_.clock.Now());
}

// --- Repeat Billing Wizard ----------------------------------------------------------------------

void RepeatWizard::Show() {
  endDate = newInvDate = common::FormatDate(s_.clock.Today(), FormatOf(s_.book));
  lines_.clear();
  search_ = {};
  result_ = {};
  status_ = "Last generated invoices were dated: " + ReadText(s_.book.Current(), co::kRepeatLastRun);
  createEnabled_ = false;
  progress_ = 0;
}

RepeatWizard::Focus RepeatWizard::Search() {
  const auto through = common::ParseDate(endDate, FormatOf(s_.book));
  if (!through) {
    s_.prompter.Inform("You have an invalid search date. You can clear the date and then select the calendar button.",
                       kRepeatWizardCaption);
    return Focus::EndDate;
  }
  status_ = kWorking;
  lines_.clear();
  createEnabled_ = false;
  BillingReader reader;
  std::string message;
  if (!reader.Open(CompanyNumberOf(s_.book), message)) {
    s_.prompter.Inform(message, kRepeatWizardCaption);
    status_.clear();
    return Focus::ExitButn;
  }
  search_ = SearchRepeat(reader.Blocks().invoices, *through, FormatOf(s_.book));
  if (!search_.ok) {
    s_.prompter.Inform(search_.message, kRepeatWizardCaption);
    status_.clear();
    return Focus::ExitButn;
  }
  for (const DueMaster& m : search_.masters) lines_.push_back(m.listLine);
  status_ = search_.Summary();
  newInvDate = endDate;
  if (!search_.problems.empty()) {
    std::string text = "These masters were passed over:";
    for (const std::string& p : search_.problems) text += "\n" + p;
    s_.prompter.Inform(text, kRepeatWizardCaption);
  }
  if (search_.masters.empty()) {
    s_.prompter.Inform(kNoRepeatBillings, kNoRepeatBillingsCaption, common::PromptIcon::Information);
    return Focus::ExitButn;
  }
  createEnabled_ = true;
  return Focus::InvComm;
}

bool RepeatWizard::Create(Focus& focus) {
  focus = Focus::None;
  RepeatOptions o;
  o.invoiceDate = newInvDate;
  o.reference = reference;
  if (!common::ParseDate(newInvDate, FormatOf(s_.book))) {
    s_.prompter.Inform(kInvalidInvoiceDate, kInvoiceDateCaption);
    focus = Focus::NewInvDate;
    return false;
  }
  if (const auto question = SameDateQuestion(s_.book.Current(), o);
      question && !s_.prompter.AskYesNo(*question, kRepeatWizardCaption, common::PromptAnswer::No))
    return false;
  createEnabled_ = false;
  status_ = kWorking;
  std::vector<std::string> masters;
  for (const DueMaster& m : search_.masters) masters.push_back(m.number);
  if (!PrepareBlocks(CompanyNumberOf(s_.book), s_.prompter, s_.status)) {
    s_.prompter.Inform("The files cannot be opened " + StatusText() + ". No invoices were generated.",
                       kRepeatWizardCaption);
    createEnabled_ = true;
    return false;
  }
  result_ = GenerateRepeat(s_.book.Current(), masters, o, s_.clock.Today(), s_.prompter);
  if (!result_.ok) {
    s_.prompter.Inform(result_.message, kRepeatWizardCaption);
    createEnabled_ = true;
    status_ = search_.Summary();
    return false;
  }
  if (!result_.generated.empty()) std::copy(result_.company.begin(), result_.company.end(), s_.book.Current().begin());
  if (result_.committedLate) s_.prompter.Inform(result_.message, kRepeatWizardCaption);
  status_ = "Complete.";
  progress_ = 100;
  return true;
}

void RepeatWizard::AnnounceCompletion() {
  if (!result_.refused.empty()) {
    std::string text = "These masters were not billed and are left as they were:";
    for (const std::string& r : result_.refused) text += "\n" + r;
    s_.prompter.Inform(text, kRepeatWizardCaption);
  }
  s_.prompter.Inform(result_.CompletionText(), kRepeatDoneCaption, common::PromptIcon::Information);
}

}  // namespace tf::billing
