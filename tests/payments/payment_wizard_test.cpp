// The Payment Wizard's screen model on its own: the item columns, the amount rule and its
// messages, moving items, splitting one, adding a deposit, when Post may be pressed, the date
// checked before a post, and that a post happens once.

#include "payments/payment_wizard.h"

#include <gtest/gtest.h>

#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "records/customer_record.h"

namespace tf::payments {
namespace {

using namespace std::chrono;
using common::Money;
using common::ScriptedPrompter;

Money M(const char* text) { return *common::ParseAmount(text); }

common::RecordBuffer CustomerRecord(const std::string& balance) {
  namespace cu = records::customer;
  common::RecordBuffer r(cu::kCustomerRecordLength);
  common::WriteText(r, cu::kCustomerNumber, "C1");
  common::WriteText(r, cu::kCustomerName, "Ann Smith");
  common::WriteText(r, cu::kShortName, "ANN");
  common::WriteText(r, cu::kPhone1, "555-0100");
  common::WriteText(r, cu::kBalance, balance);
  return r;
}

class PaymentWizardTest : public ::testing::Test {
 protected:
  PaymentWizard& Wizard(std::vector<PaymentItem> items, common::DateFormat format = common::DateFormat::MonthFirst) {
    items_ = std::move(items);
    PaymentWizard::Services services{prompter_, clock_,
                                     [this](const std::string&, std::vector<std::string>&) { return items_; },
                                     [this](const PostRequest& r) {
                                       requests_.push_back(r);
                                       PostOutcome out;
                                       out.posted = true;
                                       out.amount = r.amount;
                                       return out;
                                     }};
    wizard_ = std::make_unique<PaymentWizard>(services, WizardCompany{"1", "Acme Books", format});
    return *wizard_;
  }

  ScriptedPrompter prompter_;
  common::FixedClock clock_{2024y / May / 15d};
  std::vector<PaymentItem> items_;
  std::vector<PostRequest> requests_;
  std::unique_ptr<PaymentWizard> wizard_;
};

TEST(PaymentItems, FixedColumns) {
  EXPECT_EQ((PaymentItem{"100", "05/05/24", M("40"), true}.Text()), "100       05/05/24        40.00P");
  EXPECT_EQ((PaymentItem{"A12345678", "05/05/24", M("1234567.5"), false}.Text()), "A12345678 05/05/24 1,234,567.50");
  EXPECT_EQ((PaymentItem{"DEPOSIT", "05/15/24", M("50"), false}.Text()), "DEPOSIT   05/15/24        50.00");
  EXPECT_EQ((PaymentItem{"DP3", "", M("-50"), false}.Text()), "DP3                      -50.00");
  EXPECT_EQ(ShortDate(2024y / March / 4d, common::DateFormat::MonthFirst), "03/04/24");
  EXPECT_EQ(ShortDate(2024y / March / 4d, common::DateFormat::DayFirst), "04/03/24");
}

TEST_F(PaymentWizardTest, OpeningAndChoosingTheCustomer) {
  PaymentWizard& w = Wizard({{"101", "05/01/24", M("20"), false}, {"100", "04/01/24", M("80"), false}});
  EXPECT_EQ(w.Caption(), "Payment Wizard - Acme Books");
  EXPECT_EQ(w.DateText(), "05/15/2024");
  EXPECT_EQ(w.AmountText(), "0.00");
  EXPECT_EQ(w.CustomerBalanceText(), "0.00");
  EXPECT_FALSE(w.PostEnabled());
  EXPECT_FALSE(w.PartialEnabled());
  EXPECT_FALSE(w.DepositEnabled());
  EXPECT_EQ(w.Focus(), WizardFocus::CustomerButton);

  w.SetDate("01/01/2024");
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("1250")));
  EXPECT_EQ(w.Customer()->shortName, "ANN");
  EXPECT_EQ(w.CustomerBalanceText(), "1,250.00");
  EXPECT_EQ(w.DateText(), "05/15/2024");
  EXPECT_TRUE(w.DepositEnabled());
  EXPECT_EQ(w.Focus(), WizardFocus::PaymentDate);
  // The left list is sorted by its text.
  EXPECT_EQ(w.LeftTexts(), (std::vector<std::string>{"100       04/01/24        80.00", "101       05/01/24        20.00"}));
  EXPECT_TRUE(prompter_.Shown().empty());

  // A customer who owes nothing is told what the wizard can still do.
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("-5.00")));
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, kNoBalanceDue);
  EXPECT_EQ(prompter_.Shown()[0].caption, "Please Note");
}

// The amount received follows the program's amount rule; Post stays off for anything else.
TEST_F(PaymentWizardTest, TheAmountRule) {
  const struct {
    const char* typed;
    std::optional<Money> amount;
    std::string_view whileTyping;  // the message on the change, if any
    std::string_view onLeaving;    // the message when leaving the field, if any
  } cases[] = {
      {"40", M("40"), "", ""},
      {"  40.5 ", M("40.5"), "", ""},
      {"1,250.00", M("1250"), "", ""},
      {"12.3.4", std::nullopt, kNotNumeric, kNotNumeric},
      {"-50", std::nullopt, kNegativeAmount, kNegativeAmount},
      {"5-", std::nullopt, kNegativeAmount, kNegativeAmount},
      {"1,25", std::nullopt, "", kNotNumeric},
      {"1.2,5", std::nullopt, kNotNumeric, kNotNumeric},
      {"12.345", std::nullopt, kTooManyDecimals, kTooManyDecimals},
      {"1e3", std::nullopt, kNotNumeric, kNotNumeric},
      {"", std::nullopt, "", ""},
  };
  for (const auto& c : cases) {
    PaymentWizard& w = Wizard({{"100", "04/01/24", M("40"), false}});
    ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("100")));
    w.Include({0});
    prompter_.Clear();
    w.SetAmount(c.typed);
    EXPECT_EQ(w.Amount(), c.amount) << c.typed;
    EXPECT_EQ(prompter_.Shown().empty() ? "" : prompter_.Shown().back().text, c.whileTyping) << c.typed;
    prompter_.Clear();
    w.FinishAmount();
    EXPECT_EQ(prompter_.Shown().empty() ? "" : prompter_.Shown().back().text, c.onLeaving) << c.typed;
    // Post only for exactly the posted 40.00.
    EXPECT_EQ(w.PostEnabled(), c.amount == M("40")) << c.typed;
  }
}

TEST_F(PaymentWizardTest, PayingTheWholeBalanceMovesEveryItem) {
  PaymentWizard& w = Wizard({{"100", "04/01/24", M("1000"), false}, {"101", "05/01/24", M("250"), false}});
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("1250.00")));
  w.SetAmount("1,25");
  EXPECT_EQ(w.Right().size(), 0u);
  w.SetAmount("1,250.00");
  EXPECT_TRUE(w.Left().empty());
  ASSERT_EQ(w.Right().size(), 2u);
  EXPECT_EQ(w.Right()[0].number, "100");
  EXPECT_EQ(w.PostedText(), "1,250.00");
  EXPECT_TRUE(w.PostEnabled());
  EXPECT_EQ(w.Focus(), WizardFocus::PaidAmount);
}

TEST_F(PaymentWizardTest, MovingItems) {
  PaymentWizard& w = Wizard({{"100", "04/01/24", M("10"), false},
                             {"101", "04/02/24", M("20"), false},
                             {"102", "04/03/24", M("-5"), false},
                             {"103", "04/04/24", M("30"), false}});
  // Nothing to move before a customer is chosen.
  w.IncludeAll();
  EXPECT_EQ(prompter_.Shown().back().text, kNothingToMoveRight);
  EXPECT_EQ(prompter_.Shown().back().caption, "Payment Wizard");
  EXPECT_EQ(w.Focus(), WizardFocus::CustomerButton);
  w.Exclude({0});
  EXPECT_EQ(prompter_.Shown().back().text, kNothingToMoveLeft);
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("55")));
  EXPECT_TRUE(w.IncludeEnabled());
  EXPECT_FALSE(w.ExcludeEnabled());

  // ">" with two selected: they join the end of the right list; the item now in the first
  // moved place is selected.
  EXPECT_EQ(w.Include({3, 1}), std::optional<std::size_t>(1));
  EXPECT_EQ(w.LeftTexts().size(), 2u);
  ASSERT_EQ(w.Right().size(), 2u);
  EXPECT_EQ(w.Right()[0].number, "101");
  EXPECT_EQ(w.Right()[1].number, "103");
  EXPECT_EQ(w.PostedText(), "50.00");
  // "<" puts one back, sorted into the left list.
  w.Exclude({0});
  EXPECT_EQ(w.Left()[1].number, "101");
  // ">>" disables the partial payment, "<<" enables it.
  w.SelectLeft(0);
  EXPECT_TRUE(w.PartialEnabled());
  w.IncludeAll();
  EXPECT_FALSE(w.PartialEnabled());
  EXPECT_FALSE(w.IncludeEnabled());
  w.ExcludeAll();
  EXPECT_TRUE(w.PartialEnabled());
  EXPECT_EQ(w.Left().size(), 4u);
  // A credit cannot be split.
  w.SelectLeft(2);
  EXPECT_FALSE(w.PartialEnabled());
  w.SelectLeft(std::nullopt);
  EXPECT_FALSE(w.PartialEnabled());
}

TEST_F(PaymentWizardTest, SplittingAnItem) {
  PaymentWizard& w = Wizard({{"100", "04/01/24", M("100"), false}, {"200", "", M("5"), false}});
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("105")));
  const auto dialog = w.BeginPartial(0);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->caption, "Partial Payment");
  EXPECT_EQ(dialog->label, "Invoice: 100   Date: 04/01/24");
  // An item without a date, or no item, beeps.
  EXPECT_FALSE(w.BeginPartial(1));
  EXPECT_FALSE(w.BeginPartial(std::nullopt));

  const struct {
    const char* typed;
    std::string_view message;
    std::string_view caption;
  } refused[] = {{"0", kNotAboveZero, "Payment Amount"},
                 {"100", kNotBelowDue, "Partial Payment Amount"},
                 {"150.00", kNotBelowDue, "Partial Payment Amount"},
                 {"4O", kNotNumeric, "Invalid Payment Amount"},
                 {"-5", kNegativeAmount, "Paid Amount"}};
  for (const auto& r : refused) {
    EXPECT_FALSE(w.AcceptPartial(0, r.typed)) << r.typed;
    EXPECT_EQ(prompter_.Shown().back().text, r.message) << r.typed;
    EXPECT_EQ(prompter_.Shown().back().caption, r.caption) << r.typed;
  }
  ASSERT_TRUE(w.AcceptPartial(0, "40"));
  EXPECT_EQ(w.RightTexts(), (std::vector<std::string>{"100       04/01/24        40.00P"}));
  EXPECT_EQ(w.LeftTexts()[0], "100       04/01/24        60.00");
  // Moved back, the partial payment goes into what is left of its invoice.
  w.Exclude({0});
  EXPECT_EQ(w.LeftTexts(), (std::vector<std::string>{"100       04/01/24       100.00", "200" + std::string(24, ' ') + "5.00"}));
}

TEST_F(PaymentWizardTest, AZInvoiceSplitAndPutBackKeepsItsMark) {
  PaymentWizard& w = Wizard({{"100", "04/01/24", M("60"), true}});
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("60")));
  ASSERT_TRUE(w.AcceptPartial(0, "10"));
  EXPECT_FALSE(w.Left()[0].partial);
  w.Exclude({0});
  EXPECT_EQ(w.LeftTexts(), (std::vector<std::string>{"100       04/01/24        60.00P"}));
}

TEST_F(PaymentWizardTest, ADepositOnAccount) {
  PaymentWizard& w = Wizard({});
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("0.00")));
  w.SetDate("05/14/2024");
  const AmountDialog dialog = w.BeginDeposit();
  EXPECT_EQ(dialog.caption, "Deposit on Account");
  EXPECT_EQ(dialog.label, "Invoice: DEPOSIT     Date: 05/14/2024");
  EXPECT_FALSE(w.AcceptDeposit("0"));
  EXPECT_EQ(prompter_.Shown().back().text, kNotAboveZero);
  EXPECT_FALSE(w.AcceptDeposit("9999999.99"));
  EXPECT_EQ(prompter_.Shown().back().text, kDepositTooLarge);
  ASSERT_TRUE(w.AcceptDeposit("1,000"));
  EXPECT_EQ(w.RightTexts(), (std::vector<std::string>{"DEPOSIT   05/14/24     1,000.00"}));
  w.SetAmount("1000");
  EXPECT_TRUE(w.PostEnabled());
}

TEST_F(PaymentWizardTest, PostChecksTheDateAndHappensOnce) {
  PaymentWizard& w = Wizard({{"100", "04/01/24", M("40"), false}, {"101", "04/02/24", M("-40"), false}});
  ASSERT_TRUE(w.ChooseCustomer(CustomerRecord("0")));
  prompter_.Clear();
  // An offset: the items add up to nothing, and nothing is what was received.
  w.IncludeAll();
  EXPECT_TRUE(w.PostEnabled());
  w.SetDate("02/30/2024");
  EXPECT_FALSE(w.Post().posted);
  EXPECT_EQ(prompter_.Texts(), (std::vector<std::string>{std::string(kInvalidPaymentDate)}));
  EXPECT_EQ(w.Focus(), WizardFocus::PaymentDate);
  EXPECT_TRUE(requests_.empty());

  w.SetDate("5/3/2024");
  w.SetNotes("Check 1234");
  EXPECT_FALSE(w.SetNotes(std::string(26, 'x')));
  EXPECT_TRUE(w.Post().posted);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].dateText, "05/03/2024");
  EXPECT_EQ(requests_[0].date, 2024y / May / 3d);
  EXPECT_EQ(requests_[0].notes, "Check 1234");
  EXPECT_EQ(requests_[0].amount, Money());
  EXPECT_EQ(requests_[0].items.size(), 2u);
  // The items are gone and Post with them: a second press posts nothing.
  EXPECT_FALSE(w.PostEnabled());
  EXPECT_TRUE(w.Left().empty() && w.Right().empty());
  EXPECT_FALSE(w.Post().posted);
  EXPECT_EQ(requests_.size(), 1u);
}

}  // namespace
}  // namespace tf::payments
