// Posting payments into the books through the wizard: a partial payment and its rest, a deposit
// and its offset (checked through dates and balances), a credit offset, paying a whole balance,
// the next free deposit number, an item that cannot be posted beside others that are, the
// second Post, and a failure at every file call of a post leaving the books consistent.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "aging/aging_run.h"
#include "payments/payment_books.h"
#include "payments/payment_wizard.h"
#include "tests/aging/books_folder.h"
#include "tests/support/fault_file_system.h"

namespace tf::payments {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::Money;
using common::ReadText;
using common::RecordBuffer;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

year_month_day DaysAgo(int days, year_month_day from) { return year_month_day{sys_days{from} - std::chrono::days{days}}; }

class PaymentPostTest : public BooksFolderTest {
 protected:
  void TearDown() override {
    CloseBooks();
    BooksFolderTest::TearDown();
  }

  void CloseBooks() {
    wizard_.reset();
    books_.reset();
    customersInUse_ = nullptr;
  }

  // Ages the books as they were written (balances and aging amounts from the records), as the
  // day's first start would, then opens the wizard on them.
  void OpenWizard() {
    CloseBooks();
    const aging::AgingOutcome aged = aging::RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, false});
    ASSERT_TRUE(aged.complete) << aged.message;
    books_ = std::make_unique<PaymentBooks>(book_, quiet_, status_, clock_);
    ASSERT_TRUE(books_->Open()) << engine::EngineStatus;
    customersInUse_ = books_->Customers();
    PaymentWizard::Services services{
        quiet_, clock_,
        [this](const std::string& number, std::vector<std::string>& unreadable) {
          return books_->OpenItems(number, Format(), unreadable);
        },
        [this](const PostRequest& r) { return books_->Post(r); }};
    wizard_ = std::make_unique<PaymentWizard>(services, WizardCompany::FromRecord(book_.Current()));
  }

  void Choose(const std::string& number) {
    const auto customer = books_->FindCustomer(number);
    ASSERT_TRUE(customer) << number;
    ASSERT_TRUE(wizard_->ChooseCustomer(*customer));
  }

  // The records of an invoice number, in key 1 order.
  std::vector<RecordBuffer> Records(const std::string& number) {
    std::vector<RecordBuffer> out;
    const auto found = inv::ReadInvoiceRecords(books_->Invoices(), number);
    EXPECT_TRUE(found);
    for (const inv::StoredRecord& r : *found) out.push_back(r.record);
    return out;
  }

  // "kind balance paid flag datepaid date" of a record.
  static std::string Describe(const RecordBuffer& r) {
    return ReadText(r, inv::kRecordKind) + " " + ReadText(r, inv::kBalanceDue) + " " + ReadText(r, inv::kPaidAmount) +
           " " + (ReadText(r, inv::kPaidFlag).empty() ? "-" : ReadText(r, inv::kPaidFlag)) + " " +
           (ReadText(r, inv::kDatePaid).empty() ? "-" : ReadText(r, inv::kDatePaid)) + " " +
           ReadText(r, inv::kInvoiceDate);
  }
  std::vector<std::string> Described(const std::string& number) {
    std::vector<std::string> out;
    for (const RecordBuffer& r : Records(number)) out.push_back(Describe(r));
    return out;
  }

  std::string CheckClosed() {
    CloseBooks();
    return CheckAll();
  }

  std::unique_ptr<PaymentBooks> books_;
  std::unique_ptr<PaymentWizard> wizard_;
};

TEST_F(PaymentPostTest, FortyOnAHundredThenTheSixtyLeft) {
  AddCustomer("C1", "Ann Smith");
  AddInvoice({"100", "C1", DaysAgo(10, kToday), "100.00"});
  OpenWizard();
  Choose("C1");
  ASSERT_EQ(wizard_->LeftTexts(), (std::vector<std::string>{"100       05/05/24       100.00"}));
  wizard_->SetAmount("40");
  wizard_->SetNotes("Check 501");
  ASSERT_TRUE(wizard_->BeginPartial(0));
  ASSERT_TRUE(wizard_->AcceptPartial(0, "40"));
  ASSERT_TRUE(wizard_->PostEnabled());
  const PostOutcome first = wizard_->Post();
  ASSERT_TRUE(first.posted) << first.message;
  EXPECT_TRUE(first.failed.empty());
  EXPECT_EQ(first.amount, Money::FromWhole(40));
  EXPECT_EQ(Described("100"), (std::vector<std::string>{"Z 60.00 0.00 - - 05/05/2024",
                                                        "X 0.00 40.00 P 2024/05/15 05/15/2024"}));
  const RecordBuffer x = Records("100")[1];
  EXPECT_EQ(ReadText(x, inv::kKeyCode), "Partial");
  EXPECT_EQ(ReadText(x, inv::kStatementNote), "Check 501");
  EXPECT_EQ(ReadText(x, inv::kInvoiceType), "P");
  EXPECT_EQ(ReadText(x, inv::kDateKey), "2024/05/15");
  EXPECT_EQ(Amounts("C1"), "60.00 | 60.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(Customer("C1"), cu::kLastPaymentDate), "05/15/2024");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "60.00");
  EXPECT_EQ(CheckClosed(), "");

  // A week later the rest: the "Z" item carries the mark and pays through the partial route.
  clock_.Set(local_days{2024y / May / 22d});
  OpenWizard();
  Choose("C1");
  ASSERT_EQ(wizard_->LeftTexts(), (std::vector<std::string>{"100       05/05/24        60.00P"}));
  wizard_->SetAmount("60");  // the whole balance: every item moves
  ASSERT_TRUE(wizard_->PostEnabled());
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("100"), (std::vector<std::string>{"Z 0.00 0.00 P 2024/05/22 05/05/2024",
                                                        "X 0.00 40.00 P 2024/05/15 05/15/2024",
                                                        "X 0.00 60.00 P 2024/05/22 05/22/2024"}));
  EXPECT_EQ(Amounts("C1"), "0.00 | 0.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "0.00");
  EXPECT_EQ(CheckClosed(), "");
}

// A deposit received in March and taken against an April invoice: the "D" record keeps its
// March date, the "T" record carries April's, so each lands in its own month of the payment
// register; the customer's balance goes down by the deposit and back by nothing at the offset.
TEST_F(PaymentPostTest, ADepositThenItsOffset) {
  clock_.Set(local_days{2024y / March / 20d});
  book_.UpdateCurrentCompany([](std::span<std::uint8_t> w) { common::WriteText(w, co::kLastAgingDate, "03/20/2024"); },
                             quiet_, status_);
  AddCustomer("C2", "Bob Jones");
  OpenWizard();
  Choose("C2");
  EXPECT_EQ(quiet_.Shown().back().text, kNoBalanceDue);
  wizard_->SetAmount("50.00");
  ASSERT_TRUE(wizard_->AcceptDeposit("50"));
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("DP1"), (std::vector<std::string>{"D -50.00 50.00 - 2024/03/20 03/20/2024"}));
  const RecordBuffer d = Records("DP1")[0];
  EXPECT_EQ(ReadText(d, inv::kInvoiceType), "D");
  EXPECT_EQ(ReadText(d, inv::kKeyCode), "Deposit");
  EXPECT_EQ(ReadText(d, inv::kTotalAmount), "0.00");
  EXPECT_EQ(Amounts("C2"), "-50.00 | -50.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "-50.00");
  EXPECT_EQ(CheckClosed(), "");

  clock_.Set(local_days{2024y / April / 12d});
  AddInvoice({"200", "C2", 2024y / April / 10d, "50.00"});
  OpenWizard();
  Choose("C2");
  ASSERT_EQ(wizard_->LeftTexts(), (std::vector<std::string>{"200       04/10/24        50.00",
                                                            "DP1       03/20/24       -50.00"}));
  wizard_->IncludeAll();
  EXPECT_EQ(wizard_->PostedText(), "0.00");
  ASSERT_TRUE(wizard_->PostEnabled());  // 0.00 received, 0.00 posted
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("DP1"), (std::vector<std::string>{"D 0.00 50.00 P 2024/03/20 03/20/2024",
                                                        "T 0.00 -50.00 P 2024/04/12 04/12/2024"}));
  EXPECT_EQ(Described("200"), (std::vector<std::string>{"I 0.00 50.00 P 2024/04/12 04/10/2024"}));
  EXPECT_EQ(Amounts("C2"), "0.00 | 0.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "0.00");
  EXPECT_EQ(CheckClosed(), "");
}

TEST_F(PaymentPostTest, ACreditOffsetAgainstAnInvoice) {
  AddCustomer("C3", "Cy Young");
  AddInvoice({"300", "C3", DaysAgo(40, kToday), "80.00"});
  AddInvoice({"301", "C3", DaysAgo(5, kToday), "-80.00"});
  OpenWizard();
  Choose("C3");
  wizard_->IncludeAll();
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("300"), (std::vector<std::string>{"I 0.00 80.00 P 2024/05/15 04/05/2024"}));
  EXPECT_EQ(Described("301"), (std::vector<std::string>{"I 0.00 -80.00 P 2024/05/15 05/10/2024"}));
  EXPECT_EQ(Amounts("C3"), "0.00 | 0.00 0.00 0.00 0.00");
  EXPECT_EQ(CheckClosed(), "");
}

// Typed with its thousands separator, the whole balance moves every item; an invoice that was
// paid in part at entry gets an "X" record for the rest.
TEST_F(PaymentPostTest, TheWholeBalancePaysEveryItem) {
  AddCustomer("C4", "Dee Lee");
  AddInvoice({"400", "C4", DaysAgo(5, kToday), "1000.00"});
  AddInvoice({"401", "C4", DaysAgo(50, kToday), "300.00", "50.00"});
  OpenWizard();
  Choose("C4");
  wizard_->SetAmount("1,250.00");
  EXPECT_TRUE(wizard_->Left().empty());
  ASSERT_TRUE(wizard_->PostEnabled());
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("400"), (std::vector<std::string>{"I 0.00 1000.00 P 2024/05/15 05/10/2024"}));
  EXPECT_EQ(Described("401"), (std::vector<std::string>{"Z 0.00 50.00 P 2024/05/15 03/26/2024",
                                                        "X 0.00 250.00 P 2024/05/15 05/15/2024"}));
  EXPECT_EQ(ReadText(Records("401")[1], inv::kNetAmount), "300.00");
  EXPECT_EQ(ReadText(Records("401")[1], inv::kTotalAmount), "0.00");
  EXPECT_EQ(Amounts("C4"), "0.00 | 0.00 0.00 0.00 0.00");
  EXPECT_EQ(CheckClosed(), "");
}

TEST_F(PaymentPostTest, ASecondPostCannotPayTheSameItemsAgain) {
  AddCustomer("C1", "Ann Smith");
  AddInvoice({"100", "C1", DaysAgo(10, kToday), "100.00"});
  OpenWizard();
  Choose("C1");
  wizard_->SetAmount("100");
  ASSERT_TRUE(wizard_->Post().posted);
  books_->Close();
  const auto after = FolderBytes();
  ASSERT_TRUE(books_->Open());
  customersInUse_ = books_->Customers();
  EXPECT_FALSE(wizard_->PostEnabled());
  EXPECT_FALSE(wizard_->Post().posted);
  books_->Close();
  EXPECT_EQ(FolderBytes(), after);
  EXPECT_EQ(CheckClosed(), "");
}

// Deleted records make "DP" + (live records + 1) a number that may be taken: the next free one
// is used.
TEST_F(PaymentPostTest, ADepositTakesTheNextFreeNumber) {
  AddCustomer("C1", "Ann Smith");
  AddInvoice({"DP3", "C1", DaysAgo(3, kToday), "0.00", "20.00", "D"});
  AddInvoice({"DP4", "C1", DaysAgo(2, kToday), "0.00", "10.00", "D"});
  OpenWizard();  // two live records: DP3 would be "the next"
  Choose("C1");
  wizard_->SetAmount("5");
  ASSERT_TRUE(wizard_->AcceptDeposit("5"));
  ASSERT_TRUE(wizard_->Post().posted);
  EXPECT_EQ(Described("DP5"), (std::vector<std::string>{"D -5.00 5.00 - 2024/05/15 05/15/2024"}));
  EXPECT_EQ(Records("DP3").size(), 1u);
  EXPECT_EQ(Amounts("C1"), "-35.00 | -35.00 0.00 0.00 0.00");
  EXPECT_EQ(CheckClosed(), "");
}

// An item another payment settled in the meantime is not posted; the others are, and the
// balances move by exactly what was.
TEST_F(PaymentPostTest, AnItemThatCannotBePostedLeavesTheOthersPosted) {
  AddCustomer("C1", "Ann Smith");
  AddInvoice({"100", "C1", DaysAgo(10, kToday), "100.00"});
  AddInvoice({"101", "C1", DaysAgo(20, kToday), "20.00"});
  OpenWizard();
  Choose("C1");
  wizard_->SetAmount("120");
  ASSERT_TRUE(wizard_->PostEnabled());
  // Meanwhile 40.00 of invoice 100 is posted by another wizard.
  {
    PaymentWizard other({quiet_, clock_,
                         [this](const std::string& n, std::vector<std::string>& u) {
                           return books_->OpenItems(n, Format(), u);
                         },
                         [this](const PostRequest& r) { return books_->Post(r); }},
                        WizardCompany::FromRecord(book_.Current()));
    ASSERT_TRUE(other.ChooseCustomer(*books_->FindCustomer("C1")));
    ASSERT_TRUE(other.AcceptPartial(0, "40"));
    other.SetAmount("40");
    ASSERT_TRUE(other.Post().posted);
  }
  quiet_.Clear();
  const PostOutcome out = wizard_->Post();
  EXPECT_TRUE(out.posted);
  EXPECT_EQ(out.amount, Money::FromWhole(20));
  ASSERT_EQ(out.failed.size(), 1u);
  EXPECT_EQ(out.failed[0], "100       05/05/24       100.00: Adding reg pmt failed. Invoice 100 has 60.00 open.");
  ASSERT_EQ(quiet_.Shown().size(), 1u);
  EXPECT_EQ(quiet_.Shown()[0].text,
            "These items were not posted:\n100       05/05/24       100.00: Adding reg pmt failed. Invoice 100 has "
            "60.00 open.\nThe balances were lowered by 20.00, what was posted.");
  EXPECT_EQ(Described("101"), (std::vector<std::string>{"I 0.00 20.00 P 2024/05/15 04/25/2024"}));
  EXPECT_EQ(Amounts("C1"), "60.00 | 60.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "60.00");
  EXPECT_EQ(CheckClosed(), "");
}

// Every file call of a post (a partial payment, a payment in full, a deposit and a deposit
// taken) fails in turn, once. Whatever was posted or not, the blocks are sound, every balance
// is the sum of its records, the aging amounts are the records' aging, and the balances moved
// by exactly what the post says it posted.
TEST_F(PaymentPostTest, AFaultAtAnyFileCallOfAPostLeavesTheBooksConsistent) {
  auto prepare = [this] {
    CloseBooks();
    for (const char* block : {"1C", "1I"}) engine::DeleteFileBlock(block);
    AddCustomer("C1", "Ann Smith");
    AddCustomer("C2", "Bob Jones");
    AddInvoice({"100", "C1", DaysAgo(10, kToday), "100.00"});
    AddInvoice({"101", "C1", DaysAgo(40, kToday), "30.00", "10.00"});
    AddInvoice({"DP1", "C1", DaysAgo(70, kToday), "0.00", "25.00", "D"});
    AddInvoice({"102", "C1", DaysAgo(5, kToday), "25.00"});
    OpenWizard();
    Choose("C1");
    // Left, by text: 100 (100.00), 101 (20.00), 102 (25.00), DP1 (-25.00).
    ASSERT_TRUE(wizard_->AcceptPartial(0, "40"));
    wizard_->Include({1, 2, 3});
    ASSERT_TRUE(wizard_->AcceptDeposit("15"));
    wizard_->SetAmount("75");
    ASSERT_TRUE(wizard_->PostEnabled()) << wizard_->PostedText();
  };
  int failures = 0;
  bool reachedEnd = false;
  for (int nth = 1; nth < 800 && !reachedEnd; ++nth) {
    prepare();
    if (HasFailure()) return;
    const std::string balanceBefore = ReadText(Customer("C1"), cu::kBalance);
    FaultFileSystem faulty;
    PostOutcome out;
    for (int i = 0; i < 4; ++i) quiet_.Answer(common::PromptAnswer::No);
    {
      engine::ScopedFileSystem scoped(faulty);
      faulty.Arm(FaultKind::Eio, nth, false);
      out = wizard_->Post();
      faulty.Disarm();
    }
    quiet_.Clear();
    const bool met = faulty.InjectedCount() > 0;
    if (!out.posted || !out.failed.empty()) {
      ++failures;
      EXPECT_TRUE(met) << "fault " << nth;
    }
    if (!out.message.empty()) {
      EXPECT_EQ(out.message.find(kUndoFailed), std::string::npos) << out.message;
    }
    EXPECT_EQ(common::ParseAmount(ReadText(Customer("C1"), cu::kBalance)),
              std::optional(*common::ParseAmount(balanceBefore) - (out.posted ? out.amount : Money())))
        << "fault " << nth;
    EXPECT_EQ(CheckClosed(), "") << "fault at file call " << nth << " (" << out.message << ")";
    if (!met) {
      reachedEnd = true;
      EXPECT_TRUE(out.posted && out.failed.empty());
      EXPECT_EQ(out.amount, Money::FromWhole(75));
    }
    if (HasFailure()) return;
  }
  EXPECT_TRUE(reachedEnd);
  EXPECT_GT(failures, 5);
}

}  // namespace
}  // namespace tf::payments
