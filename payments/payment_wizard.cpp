#include "payments/payment_wizard.h"

#include <algorithm>

#include "aging/aging_rules.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_record.h"

namespace tf::payments {

namespace co = records::company;
namespace cu = records::customer;
using common::Money;
using common::ReadText;

WizardCompany WizardCompany::FromRecord(std::span<const std::uint8_t> company) {
  return {common::TrimBoth(ReadText(company, co::kCompanyNumber)), ReadText(company, co::kCompanyName),
          common::DateFormatFromCode(ReadText(company, co::kDateFormat))};
}

WizardCustomer WizardCustomer::FromRecord(std::span<const std::uint8_t> customer) {
  WizardCustomer c;
  c.number = ReadText(customer, cu::kCustomerNumber);
  c.name = ReadText(customer, cu::kCustomerName);
  c.shortName = common::TrimBoth(ReadText(customer, cu::kShortName));
  c.phone = ReadText(customer, cu::kPhone1);
  c.balanceText = ReadText(customer, cu::kBalance);
  c.balance = common::ParseAmount(c.balanceText, common::BlankAmount::Zero);
  return c;
}

PaymentWizard::PaymentWizard(Services services, WizardCompany company)
    : services_(std::move(services)), company_(std::move(company)) {
  Open();
}

void PaymentWizard::Open() {
  customer_.reset();
  left_.clear();
  right_.clear();
  loaded_.clear();
  date_ = common::FormatDate(services_.clock.Today(), company_.dateFormat);
  amountText_ = "0.00";
  notes_.clear();
  partialEnabled_ = depositEnabled_ = posted_ = false;
  focus_ = WizardFocus::CustomerButton;
}

bool PaymentWizard::ChooseCustomer(std::span<const std::uint8_t> record) {
  WizardCustomer customer = WizardCustomer::FromRecord(record);
  std::vector<std::string> unreadable;
  const auto items = services_.openItems ? services_.openItems(customer.number, unreadable) : std::nullopt;
  if (!items) {
    services_.prompter.Inform("The invoice file could not be read.", kWizardTitle);
    return false;
  }
  customer_ = std::move(customer);
  right_.clear();
  left_ = loaded_ = *items;
  SortByText(left_);
  date_ = common::FormatDate(services_.clock.Today(), company_.dateFormat);
  amountText_ = "0.00";
  notes_.clear();
  posted_ = false;
  if (!unreadable.empty()) {
    std::string list;
    for (const std::string& n : unreadable) list += (list.empty() ? "" : ", ") + n;
    services_.prompter.Inform(std::string(kUnreadableItems) + list + ".", kWizardTitle);
  }
  if (!customer_->balance || *customer_->balance <= Money())
    services_.prompter.Inform(kNoBalanceDue, kNoBalanceDueTitle, common::PromptIcon::Information);
  depositEnabled_ = true;
  focus_ = WizardFocus::PaymentDate;
  return true;
}

std::string PaymentWizard::CustomerBalanceText() const {
  if (!customer_) return "0.00";
  return customer_->balance ? common::FormatHashComma0_00(*customer_->balance) : customer_->balanceText;
}

PaymentWizard::ReadAmount PaymentWizard::Read(std::string_view text, bool typing) {
  const std::string t = common::TrimBoth(text);
  if (t.empty()) return {};
  if (t.find('-') != std::string::npos) return {std::nullopt, kNegativeAmount, kNegativeAmountTitle};
  const std::size_t point = t.find('.');
  const bool onlyNumberCharacters = std::all_of(t.begin(), t.end(), [](char ch) {
    return (ch >= '0' && ch <= '9') || ch == ',' || ch == '.';
  });
  if (!onlyNumberCharacters || (point != std::string::npos && t.find_first_of(".,", point + 1) != std::string::npos))
    return {std::nullopt, kNotNumeric, kNotNumericTitle};
  if (point != std::string::npos && t.size() - point - 1 > 2) return {std::nullopt, kTooManyDecimals, kNotNumericTitle};
  const auto value = common::ParseTypedAmount(t);
  // "1,2" may still become "1,234": it is said only when the user leaves the field with it.
  if (!value) return {std::nullopt, typing ? std::string_view() : kNotNumeric, kNotNumericTitle};
  return {value, {}, {}};
}

std::optional<Money> PaymentWizard::Amount() const { return Read(amountText_, false).value; }

void PaymentWizard::SetAmount(std::string_view text) {
  amountText_ = std::string(text);
  focus_ = WizardFocus::Unchanged;
  if (common::TrimBoth(text).empty()) return;
  const ReadAmount read = Read(text, true);
  if (!read.message.empty()) {
    services_.prompter.Inform(read.message, read.title);
    return;
  }
  if (read.value && customer_ && customer_->balance && *read.value == *customer_->balance && !left_.empty()) {
    IncludeAll();
    focus_ = WizardFocus::PaidAmount;
  }
}

void PaymentWizard::FinishAmount() {
  const ReadAmount read = Read(amountText_, false);
  if (!read.value && !read.message.empty()) services_.prompter.Inform(read.message, read.title);
}

bool PaymentWizard::SetNotes(std::string_view text) {
  if (text.size() > kNotesLength) return false;
  notes_ = std::string(text);
  return true;
}

std::vector<std::string> PaymentWizard::LeftTexts() const {
  std::vector<std::string> texts;
  for (const PaymentItem& i : left_) texts.push_back(i.Text());
  return texts;
}

std::vector<std::string> PaymentWizard::RightTexts() const {
  std::vector<std::string> texts;
  for (const PaymentItem& i : right_) texts.push_back(i.Text());
  return texts;
}

namespace {

// The selected indexes that exist, each once, in order.
std::vector<std::size_t> Valid(std::vector<std::size_t> selected, std::size_t size) {
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::erase_if(selected, [size](std::size_t i) { return i >= size; });
  return selected;
}

// Takes the selected items out of `from`, in order.
std::vector<PaymentItem> TakeOut(std::vector<PaymentItem>& from, const std::vector<std::size_t>& selected) {
  std::vector<PaymentItem> taken;
  for (std::size_t i : selected) taken.push_back(from[i]);
  for (auto i = selected.rbegin(); i != selected.rend(); ++i) from.erase(from.begin() + std::ptrdiff_t(*i));
  return taken;
}

std::optional<std::size_t> Near(std::size_t wanted, const std::vector<PaymentItem>& list) {
  if (list.empty()) return std::nullopt;
  return std::min(wanted, list.size() - 1);
}

}  // namespace

std::optional<std::size_t> PaymentWizard::Include(std::vector<std::size_t> selected) {
  if (left_.empty()) {
    services_.prompter.Inform(kNothingToMoveRight, kWizardTitle);
    focus_ = WizardFocus::CustomerButton;
    return std::nullopt;
  }
  selected = Valid(std::move(selected), left_.size());
  if (selected.empty()) return std::nullopt;
  for (PaymentItem& item : TakeOut(left_, selected)) right_.push_back(std::move(item));
  return Near(selected.front(), left_);
}

void PaymentWizard::IncludeAll() {
  if (left_.empty()) {
    services_.prompter.Inform(kNothingToMoveRight, kWizardTitle);
    focus_ = WizardFocus::CustomerButton;
    return;
  }
  for (PaymentItem& item : left_) right_.push_back(std::move(item));
  left_.clear();
  partialEnabled_ = false;
}

std::optional<std::size_t> PaymentWizard::Exclude(std::vector<std::size_t> selected) {
  if (right_.empty()) {
    services_.prompter.Inform(kNothingToMoveLeft, kWizardTitle);
    focus_ = WizardFocus::CustomerButton;
    return std::nullopt;
  }
  selected = Valid(std::move(selected), right_.size());
  if (selected.empty()) return std::nullopt;
  for (PaymentItem& item : TakeOut(right_, selected)) {
    // A partial payment goes back into what is left of its item, which then reads as it was
    // loaded once it is whole again.
    auto rest = std::find_if(left_.begin(), left_.end(), [&](const PaymentItem& l) {
      return item.partial && !item.IsDeposit() && l.number == item.number && !l.partial;
    });
    if (rest == left_.end()) {
      left_.push_back(std::move(item));
      continue;
    }
    rest->amount += item.amount;
    const auto original = std::find_if(loaded_.begin(), loaded_.end(), [&](const PaymentItem& l) {
      return l.number == rest->number && l.amount == rest->amount;
    });
    if (original != loaded_.end()) *rest = *original;
  }
  SortByText(left_);
  return Near(selected.front(), right_);
}

void PaymentWizard::ExcludeAll() {
  if (right_.empty()) {
    services_.prompter.Inform(kNothingToMoveLeft, kWizardTitle);
    focus_ = WizardFocus::CustomerButton;
    return;
  }
  std::vector<std::size_t> all(right_.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  Exclude(all);
  partialEnabled_ = true;
}

void PaymentWizard::SelectLeft(std::optional<std::size_t> index) {
  partialEnabled_ = index && *index < left_.size() && left_[*index].amount > Money() && !left_[*index].IsDeposit();
}

std::optional<AmountDialog> PaymentWizard::BeginPartial(std::optional<std::size_t> index) {
  if (left_.empty()) {
    partialEnabled_ = false;
    return std::nullopt;
  }
  if (!index || *index >= left_.size() || common::TrimBoth(left_[*index].date).empty()) return std::nullopt;
  const PaymentItem& item = left_[*index];
  return AmountDialog{std::string(kPartialCaption), "Invoice: " + item.number + "   Date: " + item.date};
}

std::optional<Money> PaymentWizard::DialogAmount(std::string_view text) {
  const ReadAmount read = Read(text, false);
  if (!read.value) {
    services_.prompter.Inform(read.message.empty() ? kNotNumeric : read.message,
                              read.message.empty() ? kNotNumericTitle : read.title);
    return std::nullopt;
  }
  if (*read.value <= Money()) {
    services_.prompter.Inform(kNotAboveZero, kNotAboveZeroTitle);
    return std::nullopt;
  }
  return read.value;
}

bool PaymentWizard::AcceptPartial(std::size_t index, std::string_view amountText) {
  if (index >= left_.size()) return false;
  const auto amount = DialogAmount(amountText);
  if (!amount) return false;
  PaymentItem& item = left_[index];
  if (*amount >= item.amount) {
    services_.prompter.Inform(kNotBelowDue, kNotBelowDueTitle);
    return false;
  }
  right_.push_back({item.number, item.date, *amount, true});
  item.amount -= *amount;
  item.partial = false;
  SortByText(left_);
  return true;
}

AmountDialog PaymentWizard::BeginDeposit() const {
  return {std::string(kDepositCaption), "Invoice: DEPOSIT     Date: " + date_};
}

bool PaymentWizard::AcceptDeposit(std::string_view amountText) {
  const auto amount = DialogAmount(amountText);
  if (!amount) return false;
  // Its record holds minus the amount.
  if (!aging::FitsField(-*amount, aging::kAmountWidth)) {
    services_.prompter.Inform(kDepositTooLarge, kDepositCaption);
    return false;
  }
  right_.push_back({std::string(kDepositItem), ShortDate(date_), *amount, false});
  return true;
}

Money PaymentWizard::PostedSum() const {
  Money sum;
  for (const PaymentItem& i : right_) sum += i.amount;
  return sum;
}

std::string PaymentWizard::PostedText() const { return common::FormatHashComma0_00(PostedSum()); }

bool PaymentWizard::PostEnabled() const {
  const auto amount = Amount();
  return !posted_ && customer_ && amount && !right_.empty() && PostedSum() == *amount;
}

PostOutcome PaymentWizard::Post() {
  PostOutcome outcome;
  if (!PostEnabled() || !services_.post) return outcome;
  const auto date = common::ParseDate(date_, company_.dateFormat);
  if (!date) {
    services_.prompter.Inform(kInvalidPaymentDate, kInvalidPaymentDateTitle);
    focus_ = WizardFocus::PaymentDate;
    return outcome;
  }
  // The date as the records keep it: two-digit day and month.
  const std::string dateText = common::FormatDate(*date, company_.dateFormat);
  outcome = services_.post({customer_->number, dateText, *date, notes_, *Amount(), right_});
  if (outcome.posted) {
    posted_ = true;
    left_.clear();
    right_.clear();
    partialEnabled_ = depositEnabled_ = false;
  }
  if (!outcome.failed.empty()) {
    std::string text = "These items were not posted:";
    for (const std::string& f : outcome.failed) text += "\n" + f;
    if (outcome.posted)
      text += "\nThe balances were lowered by " + common::FormatHashComma0_00(outcome.amount) + ", what was posted.";
    services_.prompter.Inform(text, kWizardTitle);
  }
  if (!outcome.message.empty()) services_.prompter.Inform(outcome.message, kWizardTitle);
  return outcome;
}

}  // namespace tf::payments
