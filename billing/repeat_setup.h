#pragma once
// The Repeat Invoice Setup screen without its window: an invoice ("I") becomes a repeat master
// ("R") with a schedule (every n months or days from a next due date), or a master's schedule
// is changed. Turning an invoice into a master takes its amount out of the receivables: the
// customer's balance and aging amount and the company balance drop by what it carried.
//
// Write order, so that a failure at any step leaves the books consistent: the master record
// first, then the customer, then the company record; a failure takes back what was written
// before it. The lines are marked as the master's last (they carry no money).

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/date_text.h"
#include "common/help_topics.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"

namespace tf::billing {

inline constexpr std::string_view kRepeatSetupCaption = "Repeat Invoice Setup";
inline constexpr std::string_view kRepeatSetupHelpTopic = common::help::kSetRepeat;
inline constexpr std::string_view kPaymentActivity =
    "This invoice has payment activity. To create a repeat billing, the invoice must not have any payments.";
inline constexpr std::string_view kPaymentActivityCaption = "Payment Acivity";
inline constexpr std::string_view kWrongKind =
    "This record must be Type Code \"I\" or \"R\" in order to change repeat billing information.";
inline constexpr std::string_view kWrongKindCaption = "Transaction Type";
inline constexpr std::string_view kNumberTooLong =
    "The invoice number is too long. A repeat billing invoice number must be 5 or less characters. Please change "
    "the invoice number and try again.";
inline constexpr std::string_view kNumberTooLongCaption = "Repeat Billing Setup";
inline constexpr std::string_view kNeedInterval =
    "You must enter the number of days/months in order to generate invoices.";
inline constexpr std::string_view kIntervalNotNumber = "You must enter a valid NUMBER of days/months.";
inline constexpr std::string_view kIntervalCaption = "Number of Days/Months";
inline constexpr std::string_view kInvalidStartDate = "You must enter a valid date.";
inline constexpr std::string_view kStartDateCaption = "Start Date";

class RepeatSetup {
 public:
  // The screen for the record selected in the Invoice Manager, or nothing (the refusal shown)
  // when it cannot be a master: an invoice with payments, a record of another kind, a number of
  // more than 5 characters.
  static std::optional<RepeatSetup> Begin(std::span<const std::uint8_t> record, std::span<const std::uint8_t> company,
                                          common::Prompter& prompter);

  // --- what the screen shows -----------------------------------------------------------------
  std::string Label1() const;  // "Invoice Number: " + number
  std::string Label2() const;  // the invoice date in the company's order
  std::string Label3() const;  // "Short Name: ... Customer#: ..."
  std::string Label8() const;  // "Invoices Generated to Date: n", or empty
  bool Panel2Visible() const { return count_ < 1; }
  bool CheckBoxEnabled() const { return !master_; }
  bool Converting() const { return !master_; }
  // NumDays and OK work only while the generate box is checked.
  bool NumDaysEnabled() const { return generate; }

  // --- what the user edits ---------------------------------------------------------------------
  std::string numDays;   // NumDays
  bool months = true;    // RBMonths (else RBDays)
  std::string endDate;   // EndDate, the next scheduled creation date
  bool generate = false; // CheckBox1

  enum class Field { NumDays, EndDate };
  // The checks of OK in their order, each shown; the field to return to, or nothing when all pass.
  std::optional<Field> Check(common::Prompter& prompter) const;
  // The record as OK writes it (call after Check passed).
  common::RecordBuffer Record() const;
  const common::RecordBuffer& AsRead() const { return record_; }

 private:
  RepeatSetup(std::span<const std::uint8_t> record, common::DateFormat format);

  common::RecordBuffer record_;
  common::DateFormat format_;
  bool master_ = false;
  int count_ = 0;
};

// Where the setup writes: the Invoice Manager's open invoice and line files, and the record's
// number in the invoice file.
struct SetupFiles {
  engine::FileBlock* invoices = nullptr;
  engine::FileBlock* lines = nullptr;
  std::int32_t ref = 0;
};

// Writes the master, and for a converted invoice the customer, the company (through `book`)
// and the lines. Empty when saved; otherwise what failed (and that nothing was changed, or what
// could not be taken back).
std::string SaveRepeatSetup(const SetupFiles& files, const RepeatSetup& setup, records::CompanyBook& book,
                            common::Prompter& prompter, engine::RebuildStatus& status, std::chrono::year_month_day today);

}  // namespace tf::billing
