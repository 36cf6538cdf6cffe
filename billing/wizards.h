#pragma once
// The screen models of the Interest Wizard (TInterestWiz) and the Repeat Billing Wizard
// (TSelectRepeat): the fields as typed, which buttons work, the status line and the list, and
// the commands with their checks, questions and messages in order. The forms only show them.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "billing/interest_run.h"
#include "billing/repeat_run.h"
#include "common/clock.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"

namespace tf::billing {

struct WizardServices {
  records::CompanyBook& book;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  const common::Clock& clock;
};

class InterestWizard {
 public:
  explicit InterestWizard(WizardServices services) : s_(services) {}

  // Showing the screen: the company's options, today's date, the empty list; only "Scan File".
  void Show();

  InterestOptions options;  // the fields
  std::array<std::string, 3> AgeCaptions() const;
  std::string LastRunText() const;  // "Last Interest Invoices: " + InterestLastRun
  const std::string& Status() const { return status_; }  // Label3
  bool ScanEnabled() const { return scanEnabled_; }
  bool GenerateEnabled() const { return generateEnabled_; }
  // CustGrid: heading, rows, totals ("Invoice#" once generated).
  std::vector<std::vector<std::string>> Grid() const;

  // An option that changes the charges: the list must be scanned again.
  void OptionChanged() { scanEnabled_ = true; }
  // FlatRate as typed: a refusal is shown (the field keeps the focus); a valid rate is a change.
  bool FlatRateTyped(const std::string& text);

  enum class Focus { None, FlatRate, IPct, MinChg, IDate };
  // "Scan File".
  Focus Scan();
  // "Generate Invoices": true when the invoices were created (the wizard closes).
  bool Generate(Focus& focus);
  // After the wizard closed on created invoices: whether the user wants the report printed.
  bool AskForReport();
  // The Interest Charges Report of the last run; false when the job failed.
  bool PrintReport(common::PrintCanvas& canvas) const;
  const InterestResult& Result() const { return result_; }

 private:
  WizardServices s_;
  InterestScan scan_;
  InterestResult result_;
  std::string status_;
  bool scanEnabled_ = true;
  bool generateEnabled_ = false;
  bool generated_ = false;
};

class RepeatWizard {
 public:
  explicit RepeatWizard(WizardServices services) : s_(services) {}

  // Both dates today, the list empty, the last run's date in the status, "Create" off.
  void Show();

  std::string endDate;     // EndDate: through this date
  std::string newInvDate;  // NewInvDate
  std::string reference = std::string(kDefaultReference);  // InvComm
  const std::string& Status() const { return status_; }    // Label3
  const std::vector<std::string>& ListLines() const { return lines_; }  // RichEdit1
  bool CreateEnabled() const { return createEnabled_; }
  int Progress() const { return progress_; }  // ProgressBar1, 0..100

  enum class Focus { None, EndDate, NewInvDate, InvComm, ExitButn };
  // "&Search".
  Focus Search();
  // "Create In&voices": true when invoices were generated (the wizard closes).
  bool Create(Focus& focus);
  // Once the list shows the run complete: what it generated, and the masters it left alone.
  void AnnounceCompletion();
  const RepeatResult& Result() const { return result_; }

 private:
  WizardServices s_;
  RepeatSearch search_;
  RepeatResult result_;
  std::vector<std::string> lines_;
  std::string status_;
  bool createEnabled_ = false;
  int progress_ = 0;
};

}  // namespace tf::billing
