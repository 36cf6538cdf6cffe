#pragma once
// The Payment Wizard's screen model: the customer, the payment date, the amount received and
// the note; the open items on the left and the items being paid on the right; splitting an item
// into a partial payment, adding a deposit on account; when Post may be pressed, and the post.
// TPayBox (payments/ui) shows it; every rule and message lives here.
//
// The amount received is read as every typed amount of the program is: thousands separators
// only where they belong ("1,250.00" is 1250.00, "1,5" is no amount), at most two decimals, and
// never negative. Post stays disabled while the amount is not such an amount, while the items on
// the right do not add up to it exactly, and once a post has been made: the lists are emptied
// then, so the same items cannot be paid twice.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/help_topics.h"
#include "common/money.h"
#include "common/prompter.h"
#include "payments/payment_books.h"
#include "payments/payment_items.h"

namespace tf::payments {

inline constexpr std::string_view kCaptionPrefix = "Payment Wizard - ";
inline constexpr std::string_view kWizardTitle = "Payment Wizard";
inline constexpr std::string_view kNoBalanceDue =
    "This customer does not have a balance due. You can only record deposits on account or clear offsetting "
    "invoices and credits.";
inline constexpr std::string_view kNoBalanceDueTitle = "Please Note";
inline constexpr std::string_view kNegativeAmount =
    "You should not enter a negative number in the payment box. Create a credit invoice if you are trying to give "
    "the customer credit.";
inline constexpr std::string_view kNegativeAmountTitle = "Paid Amount";
inline constexpr std::string_view kNotNumeric = "The payment amount must be a numeric value.";
inline constexpr std::string_view kTooManyDecimals = "The payment amount cannot have more than two decimals.";
inline constexpr std::string_view kNotNumericTitle = "Invalid Payment Amount";
inline constexpr std::string_view kNothingToMoveRight = "There are no records to move to the right (post) box.";
inline constexpr std::string_view kNothingToMoveLeft = "There are no records to move to the left box.";
inline constexpr std::string_view kNotAboveZero = "The payment amount must be greater than zero.";
inline constexpr std::string_view kNotAboveZeroTitle = "Payment Amount";
inline constexpr std::string_view kNotBelowDue = "The partial payment amount must be less than amount due.";
inline constexpr std::string_view kNotBelowDueTitle = "Partial Payment Amount";
inline constexpr std::string_view kDepositTooLarge = "This deposit is larger than a record can hold.";
inline constexpr std::string_view kInvalidPaymentDate =
    "You have an invalid payment date. You can clear the date and then select the calendar button.";
inline constexpr std::string_view kInvalidPaymentDateTitle = "Payment Date";
inline constexpr std::string_view kUnreadableItems = "These records have a balance that is not an amount and are not listed: ";
inline constexpr std::string_view kPartialCaption = "Partial Payment";
inline constexpr std::string_view kDepositCaption = "Deposit on Account";
inline constexpr std::string_view kPostHint =
    "The Post Button will activate when the PAID amount equals the POSTED amount.";
inline constexpr std::string_view kHelpTopic = common::help::kPaymentWizard;
inline constexpr std::size_t kAmountLength = 10;
inline constexpr std::size_t kNotesLength = 25;

// The company as the wizard needs it.
struct WizardCompany {
  std::string number;
  std::string name;
  common::DateFormat dateFormat = common::DateFormat::MonthFirst;
  static WizardCompany FromRecord(std::span<const std::uint8_t> company);
};

// The customer chosen.
struct WizardCustomer {
  std::string number;
  std::string name;
  std::string shortName;
  std::string phone;
  std::string balanceText;          // as stored
  std::optional<common::Money> balance;  // nothing when the stored text is no amount
  static WizardCustomer FromRecord(std::span<const std::uint8_t> customer);
};

// Where the focus goes after an action.
enum class WizardFocus { Unchanged, CustomerButton, PaymentDate, PaidAmount };

// The amount dialog TPPmtDialog as the wizard opens it.
struct AmountDialog {
  std::string caption;  // "Partial Payment" / "Deposit on Account"
  std::string label;    // Label1
};

class PaymentWizard {
 public:
  struct Services {
    common::Prompter& prompter;
    const common::Clock& clock;
    // The customer's open items in the left list's order; the numbers of records left out in
    // `unreadable`. Nothing when the invoice file cannot be read.
    std::function<std::optional<std::vector<PaymentItem>>(const std::string& customerNumber,
                                                          std::vector<std::string>& unreadable)>
        openItems;
    std::function<PostOutcome(const PostRequest&)> post;
  };

  PaymentWizard(Services services, WizardCompany company);

  // --- 1. opening ---------------------------------------------------------------------------
  // Empty lists, no customer, today's date, "0.00", no note; Post, partial payment and
  // deposit disabled.
  void Open();
  std::string Caption() const { return std::string(kCaptionPrefix) + company_.name; }
  const WizardCompany& Company() const { return company_; }

  // --- 2. the customer ----------------------------------------------------------------------
  // Fills the customer and its open items. False when its items cannot be read (the customer
  // is then not taken).
  bool ChooseCustomer(std::span<const std::uint8_t> customer);
  const std::optional<WizardCustomer>& Customer() const { return customer_; }
  // PCustBal: "#,0.00" of the balance, "0.00" without a customer.
  std::string CustomerBalanceText() const;

  // --- fields --------------------------------------------------------------------------------
  void SetDate(std::string_view text) { date_ = std::string(text); }
  const std::string& DateText() const { return date_; }
  // 3. Every change of PAmt: the negative and not-numeric messages, paying the whole balance
  // moves every item right, and the posted sum.
  void SetAmount(std::string_view text);
  // Leaving PAmt: a text that is still no amount is said.
  void FinishAmount();
  const std::string& AmountText() const { return amountText_; }
  // The amount received, when the text is one (never negative).
  std::optional<common::Money> Amount() const;
  // False, keeping the note, for a text longer than 25 characters.
  bool SetNotes(std::string_view text);
  const std::string& Notes() const { return notes_; }

  // --- 4. the lists ---------------------------------------------------------------------------
  const std::vector<PaymentItem>& Left() const { return left_; }
  const std::vector<PaymentItem>& Right() const { return right_; }
  std::vector<std::string> LeftTexts() const;
  std::vector<std::string> RightTexts() const;
  // ">": the selected left items to the end of the right list; the left item to select then.
  std::optional<std::size_t> Include(std::vector<std::size_t> selected);
  // ">>"
  void IncludeAll();
  // "<": a partial payment goes back into the item it was split from when that is on the left.
  std::optional<std::size_t> Exclude(std::vector<std::size_t> selected);
  // "<<"
  void ExcludeAll();
  bool IncludeEnabled() const { return !left_.empty(); }
  bool ExcludeEnabled() const { return !right_.empty(); }

  // --- 6. partial payment and deposit ---------------------------------------------------------
  // Clicking a left item: PPmtBtn is enabled for an item above zero that is not a new deposit.
  void SelectLeft(std::optional<std::size_t> index);
  bool PartialEnabled() const { return partialEnabled_; }
  bool DepositEnabled() const { return depositEnabled_; }
  // PPmtBtn: the dialog to open for left item `index`, or nothing (a beep) when there is no
  // item or it has no date.
  std::optional<AmountDialog> BeginPartial(std::optional<std::size_t> index);
  // The dialog's OK. False, with the message shown, when the amount is refused.
  bool AcceptPartial(std::size_t index, std::string_view amountText);
  AmountDialog BeginDeposit() const;
  bool AcceptDeposit(std::string_view amountText);

  // --- 5. the posted sum and Post ---------------------------------------------------------------
  common::Money PostedSum() const;
  std::string PostedText() const;  // IPostedAmt, "#,0.00"
  bool PostEnabled() const;

  // --- 7. posting -----------------------------------------------------------------------------
  // The payment date is checked first. After a post that wrote anything the lists are empty and
  // Post stays disabled; what was not posted is said.
  PostOutcome Post();
  bool HasPosted() const { return posted_; }

  WizardFocus Focus() const { return focus_; }

 private:
  // The amount of a typed text for the amount fields: nothing, with the message to say, when it
  // is none.
  struct ReadAmount {
    std::optional<common::Money> value;
    std::string_view message;  // empty: nothing to say (yet)
    std::string_view title;
  };
  static ReadAmount Read(std::string_view text, bool typing);
  // The amount typed into the amount dialog: above zero, or nothing with the message shown.
  std::optional<common::Money> DialogAmount(std::string_view text);

  Services services_;
  WizardCompany company_;
  std::optional<WizardCustomer> customer_;
  std::string date_;
  std::string amountText_;
  std::string notes_;
  std::vector<PaymentItem> left_;
  std::vector<PaymentItem> right_;
  std::vector<PaymentItem> loaded_;  // the items as read, for putting a split item back together
  bool partialEnabled_ = false;
  bool depositEnabled_ = false;
  bool posted_ = false;
  WizardFocus focus_ = WizardFocus::Unchanged;
};

}  // namespace tf::payments
