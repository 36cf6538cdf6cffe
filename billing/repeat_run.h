#pragma once
// Repeat billing without its windows: the schedule of a master, the search for the masters due
// through a date, and the run that generates one "G" invoice per listed master (numbered master
// + "G" + the master's new count), copies its lines and memo, advances its schedule and carries
// the amount into the customer and the company.
//
// Soundness the run keeps:
//   - the master's lines are collected before any line is added (walking the line index while
//     adding to it would meet the copies);
//   - the generated invoice, its memo and lines are written before the master's schedule and
//     the balances move, and the whole run is one staged change (billing_change.h): a failure
//     leaves every master as it was, with no period skipped and no customer billed without an
//     invoice;
//   - a master whose count would pass 999 (the field holds three digits), whose generated number
//     already exists or would not fit, whose customer or memo text is missing, or whose amounts
//     would not fit is refused with a message and left as it was; the others are billed;
//   - month steps clamp the day to the month's end and carry the clamped day on (January 31,
//     February 28, March 28), as masters always have; one invoice per master per run.

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "billing/billing_change.h"
#include "common/date_text.h"
#include "common/help_topics.h"
#include "common/money.h"
#include "common/prompter.h"
#include "common/record_buffer.h"

namespace tf::billing {

inline constexpr std::string_view kRepeatWizardCaption = "Repeat Billing Wizard";
inline constexpr std::string_view kRepeatWizardHelpTopic = common::help::kGetRepeat;
inline constexpr std::string_view kWorking = "Working...";
inline constexpr std::string_view kNoRepeatBillings = "There are no repeat billings due through the date you selected.";
inline constexpr std::string_view kNoRepeatBillingsCaption = "Repeat Billings";
inline constexpr std::string_view kDefaultReference = "Monthly Service";
inline constexpr std::string_view kRepeatDoneCaption = "Operation Complete!";
inline constexpr int kMaxRepeatCount = 999;

// `months` added one at a time (December steps to January), the day clamped to the last day of
// the month reached.
std::chrono::year_month_day AddMonths(int months, std::chrono::year_month_day date);
// The next due date after `due`: `interval` months when `unit` is "M", else days.
std::chrono::year_month_day NextDueDate(std::chrono::year_month_day due, std::string_view unit, int interval);

// One master listed by the search.
struct DueMaster {
  std::string number;
  std::string shortName;
  std::string customer;
  common::Money total;
  std::string nextDue;  // as shown: NextDueDate in the company's date order
  int count = 0;
  std::string listLine;  // the wizard's list line
};

struct RepeatSearch {
  bool ok = false;
  std::string message;  // why the search failed
  std::vector<DueMaster> masters;
  common::Money total;
  std::vector<std::string> problems;  // masters passed over (a next due date that is no date)
  // "There are 3 invoices selected totaling 1,200.00."
  std::string Summary() const;
};

// Every master ("R" on key 5) whose next due date is on or before `through`.
RepeatSearch SearchRepeat(engine::FileBlock* invoices, std::chrono::year_month_day through, common::DateFormat format);

struct RepeatOptions {
  std::string invoiceDate;  // NewInvDate, in the company's date format
  std::string reference = std::string(kDefaultReference);  // InvComm
};

struct GeneratedInvoice {
  std::string master;
  std::string number;
  std::string customer;
  std::string shortName;
  common::Money total;
  std::string nextDue;  // the master's next due date after the run, "mm/dd/yyyy"
  bool monthly = false;
};

struct RepeatResult {
  bool ok = false;
  std::string message;                     // why nothing was written
  std::vector<GeneratedInvoice> generated;
  std::vector<std::string> refused;        // "master 1001: ..." for each master left as it was
  common::Money total;
  int monthly = 0;
  int daily = 0;
  common::RecordBuffer company{0};  // the company record after the run
  bool committedLate = false;
  // "3 invoices were generated. 2 Monthly Setups and 1 Daily Setups."
  std::string CompletionText() const;
};

// The question asked before a second run dated as the last one: nothing when the last run had
// another date (or there was none).
std::optional<std::string> SameDateQuestion(std::span<const std::uint8_t> company, const RepeatOptions& options);

// Generates (or, with `write` false, only plans) one invoice per master of `masters` (their
// numbers, in order) into `blocks`. A refused master is named in `refused` and skipped; a
// failure to read or write stops the run with the message (the caller abandons the change).
RepeatResult ApplyRepeat(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                         const std::vector<std::string>& masters, const RepeatOptions& options,
                         std::chrono::year_month_day today, common::Prompter& prompter, bool write);

// The whole run on the company's files, staged and committed, or nothing.
RepeatResult GenerateRepeat(std::span<const std::uint8_t> company, const std::vector<std::string>& masters,
                            const RepeatOptions& options, std::chrono::year_month_day today,
                            common::Prompter& prompter);
// What the run would generate, read from the files as they are.
RepeatResult PreviewRepeat(std::span<const std::uint8_t> company, const std::vector<std::string>& masters,
                           const RepeatOptions& options, std::chrono::year_month_day today,
                           common::Prompter& prompter);

}  // namespace tf::billing
