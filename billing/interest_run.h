#pragma once
// The Interest Wizard without its window: the options a company remembers, the scan of the
// customers' overdue amounts into a list of charges, and the run that writes one interest
// invoice per listed customer ("I" records numbered with the letter "I") and carries the charges
// into the customers, the company balance and the invoice numbering.
//
// Soundness the run keeps:
//   - open interest invoices are left out of the overdue amount unless the options include
//     them, so interest is not charged on interest;
//   - each charge is rounded to cents before it is compared with the minimum and summed, so the
//     report's total is the sum of the invoices;
//   - every number is looked up on the invoice file before it is used (a number already there
//     is passed over), numbers follow the plain sequence of NextInvoiceNumber whether or not
//     the company prefixes its invoice numbers with year and month, and a number that would
//     not fit the 9 characters of an invoice number is refused before anything is written;
//   - the whole run is one staged change (billing_change.h): a customer is charged only
//     together with its invoice;
//   - a second run for the same month is asked about (the date of the last run is remembered).

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

inline constexpr std::string_view kInterestWizardCaption = "Interest Wizard";
inline constexpr std::string_view kInterestHelpTopic = common::help::kInterestWizard;
inline constexpr std::string_view kInterestCharges = "Interest Charges";
inline constexpr std::string_view kEnterOptions = "Enter above options then select scan button...";
inline constexpr std::string_view kScanning = "Scanning...";
inline constexpr std::string_view kNoRecordsFound = "No records found.";
inline constexpr std::string_view kNoRecordsWereFound = "No records were found.";
inline constexpr std::string_view kNoFlatRate = "No flat rate is specified.";
inline constexpr std::string_view kNoFlatRateCaption = "Flat Rate Fee";
inline constexpr std::string_view kNegativeFlatRate = "You should not enter a negative number in the flat rate box.";
inline constexpr std::string_view kNegativeFlatRateCaption = "Flat Rate Amount";
inline constexpr std::string_view kFlatRateNotNumeric = "The flat rate must be a numeric value.";
inline constexpr std::string_view kFlatRateNotNumericCaption = "Invalid Flat Rate Amount";
inline constexpr std::string_view kInvalidInvoiceDate =
    "You have an invalid invoice date. You can clear the date and then select the calendar button.";
inline constexpr std::string_view kInvoiceDateCaption = "Invoice Date";
inline constexpr std::string_view kOperationComplete = "Operation Complete";
inline constexpr std::string_view kInterestRunCaption = "Interest Charges Report";

// The options of one run, as the wizard's fields hold them.
struct InterestOptions {
  int ageOption = 0;              // 0: over AgingDays1 (amounts 2..4), 1: over AgingDays2 (3..4), 2: over AgingDays3 (4)
  std::string percent = "1.50";   // IPct, monthly percentage rate
  std::string minimum = ".10";    // MinChg
  bool flatFee = false;           // FlatCB
  std::string flatRate;           // FlatRate
  bool markPrinted = false;       // IPrin
  std::string invoiceDate;        // IDate, in the company's date format
  std::string comments = std::string(kInterestCharges);       // InvComm (80)
  std::string statementNote = std::string(kInterestCharges);  // StmntNote (35)
  std::string terms;              // ITerms (35)
  // Open interest invoices count in the overdue amount (interest on interest).
  bool interestOnInterest = false;
};

// The options the company remembers, with the invoice date today: the age option from
// InterestAgingCategory ("6" second, "9" third, else first), the rate ("1.50" when blank), the
// minimum (".10" when blank), printed flag and terms.
InterestOptions LoadInterestOptions(std::span<const std::uint8_t> company, std::chrono::year_month_day today);
// The options written back into the company record at the end of a run, with InterestLastRun.
void RememberInterestOptions(std::span<std::uint8_t> company, const InterestOptions& options);

// "Over 30 Days" for the age option (0..2) from the company's aging days.
std::string AgeOptionCaption(std::span<const std::uint8_t> company, int ageOption);

// A flat rate as it is typed: nothing when acceptable (blank included), else the message and
// its caption (a "-" anywhere; text that is not a number).
struct Refusal {
  std::string text;
  std::string caption;
};
std::optional<Refusal> CheckFlatRate(std::string_view typed);

// One customer to charge.
struct InterestRow {
  std::string name;
  std::string number;
  common::Money overdue;
  common::Money charge;    // rounded to cents
  std::string invoiceNumber;  // once generated (or planned by a dry run)
};

struct InterestScan {
  bool ok = false;
  std::optional<Refusal> refusal;  // a zero flat rate, a rate that is not a number
  std::vector<InterestRow> rows;  // in customer name order
  common::Money totalOverdue;
  common::Money totalCharge;
};

// Walks the customers in name order and lists each whose overdue amount (its aging amounts
// over the chosen age, less its open interest invoices of those ages unless the options include
// them) is above zero and whose charge reaches the minimum. `blocks` needs customers and
// invoices; `today` ages the interest invoices.
InterestScan ScanInterest(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                          const InterestOptions& options, std::chrono::year_month_day today);

// The number the run would start from, or the refusal when it cannot number its invoices.
struct InterestStart {
  std::optional<std::int64_t> next;
  std::string refusal;
};
InterestStart InterestNumbering(std::span<const std::uint8_t> company);

// The question a run asks before it charges a month already charged: nothing when the last run
// was in another month (or never).
std::optional<std::string> SameMonthQuestion(std::span<const std::uint8_t> company, const InterestOptions& options);

struct InterestResult {
  bool ok = false;
  std::string message;   // why nothing was written
  std::vector<InterestRow> rows;  // with their invoice numbers
  common::Money total;
  common::RecordBuffer company{0};  // the company record after the run
  bool committedLate = false;  // the commit was cut short after it took effect
};

// Writes (or, with `write` false, only plans) one interest invoice and its line per row, the
// customers' balances, aging amounts and last invoice numbers, and the company balance,
// numbering and remembered options into `blocks`. Stops at the first refusal or failure, with
// the message; the caller then abandons the change. Nothing is asked.
InterestResult ApplyInterest(const BillingBlocks& blocks, std::span<const std::uint8_t> company,
                             const std::vector<InterestRow>& rows, const InterestOptions& options,
                             std::chrono::year_month_day today, common::Prompter& prompter, bool write);

// The whole run on the company's files: staged, written and committed, or nothing. The invoice
// date must be valid (checked by the caller first).
InterestResult GenerateInterest(std::span<const std::uint8_t> company, const std::vector<InterestRow>& rows,
                                const InterestOptions& options, std::chrono::year_month_day today,
                                common::Prompter& prompter);

// The same without writing: what the run would create, read from the files as they are.
InterestResult PreviewInterest(std::span<const std::uint8_t> company, const std::vector<InterestRow>& rows,
                               const InterestOptions& options, std::chrono::year_month_day today,
                               common::Prompter& prompter);

}  // namespace tf::billing
