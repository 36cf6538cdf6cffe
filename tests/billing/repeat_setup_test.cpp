// Setting up a repeat master from an invoice: the refusals in their order, the screen filled
// for a new master and for an existing one, the checks of OK, and the conversion that takes the
// invoice's amount out of the customer's balance, aging amount and the company balance (and a
// generated invoice that puts it back), with a failure at any file call taken back whole.

#include "billing/repeat_setup.h"

#include <gtest/gtest.h>

#include "aging/aging_run.h"
#include "billing/repeat_run.h"
#include "tests/billing/billing_folder.h"
#include "tests/support/fault_file_system.h"

namespace tf::billing {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::PromptAnswer;
using common::ReadText;
namespace co = records::company;
namespace cu = records::customer;
namespace inv = records::invoice;

// Under a failing disk: a rebuild offered on opening is declined, a lock given up.
class GiveUp : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    if (m.buttons == common::PromptButtons::OK) return PromptAnswer::OK;
    return m.text.find("Rebuild?") != std::string::npos ? PromptAnswer::No : PromptAnswer::Yes;
  }
};

class RepeatSetupTest : public BillingFolderTest {
 protected:
  void SetUp() override {
    BillingFolderTest::SetUp();
    AddCustomer("C1", "Name C1");
    ref_ = AddInvoice({"1001", "C1", year{2024} / April / day{1}, "100.00"});  // 44 days: category 2
    AddLine("1001", "1         Service                         100.00    N100.00");
    ASSERT_TRUE(aging::RunAging({book_, quiet_, status_, clock_, [](std::string_view) {}, false}).complete);
    ASSERT_EQ(Amounts("C1"), "100.00 | 0.00 100.00 0.00 0.00");
  }

  common::RecordBuffer Stored() { return Records("1001").at(0); }

  // Saves with the invoice and line files open as the Invoice Manager holds them; `around`
  // runs the save (a test puts a fault file system under it).
  std::string Save(const RepeatSetup& setup, common::Prompter& prompter,
                   const std::function<std::string(const std::function<std::string()>&)>& around) {
    engine::FileBlockGuard invoices, lines;
    EXPECT_TRUE(inv::OpenInvoiceFile(invoices.handle(), "1", quiet_, status_));
    EXPECT_TRUE(inv::OpenLineFile(lines.handle(), "1", quiet_, status_));
    return around([&] {
      return SaveRepeatSetup({invoices.get(), lines.get(), ref_}, setup, book_, prompter, status_, kToday);
    });
  }
  std::string Save(const RepeatSetup& setup) {
    return Save(setup, quiet_, [](const std::function<std::string()>& save) { return save(); });
  }

  RepeatSetup Monthly(const std::string& start) {
    auto setup = RepeatSetup::Begin(Stored(), book_.Current(), quiet_);
    EXPECT_TRUE(setup);
    setup->generate = true;
    setup->numDays = "1";
    setup->endDate = start;
    return *setup;
  }

  std::int32_t ref_ = 0;
};

TEST_F(RepeatSetupTest, RecordsThatCannotBeMastersAreRefusedInOrder) {
  struct Case {
    const char* kind;
    const char* number;
    const char* paid;
    const char* message;
    const char* caption;
  };
  for (const Case& c : {Case{"I", "123456", "10.00", "This invoice has payment activity.", "Payment Acivity"},
                        Case{"Z", "1001", "10.00", "This record must be Type Code \"I\" or \"R\"", "Transaction Type"},
                        Case{"G", "1001G1", "0.00", "This record must be Type Code \"I\" or \"R\"", "Transaction Type"},
                        Case{"I", "123456", "0.00", "The invoice number is too long.", "Repeat Billing Setup"},
                        Case{"R", "123456", "0.00", "The invoice number is too long.", "Repeat Billing Setup"}}) {
    common::RecordBuffer r = Stored();
    common::WriteText(r, inv::kRecordKind, c.kind);
    common::WriteText(r, inv::kInvoiceNumber, c.number);
    common::WriteText(r, inv::kPaidAmount, c.paid);
    quiet_.Clear();
    EXPECT_FALSE(RepeatSetup::Begin(r, book_.Current(), quiet_)) << c.kind << " " << c.number;
    ASSERT_EQ(quiet_.Texts().size(), 1u);
    EXPECT_EQ(quiet_.Texts()[0].rfind(c.message, 0), 0u) << quiet_.Texts()[0];
    EXPECT_EQ(quiet_.Shown()[0].caption, c.caption);
  }
}

TEST_F(RepeatSetupTest, TheScreenShowsANewMasterAndAnExistingOne) {
  auto fresh = RepeatSetup::Begin(Stored(), book_.Current(), quiet_);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->Label1(), "Invoice Number: 1001");
  EXPECT_EQ(fresh->Label2(), "04/01/2024");
  EXPECT_EQ(fresh->Label3(), "Short Name: C1      Customer#: C1");
  EXPECT_EQ(fresh->endDate, "04/01/2024");
  EXPECT_EQ(fresh->numDays, "1");
  EXPECT_TRUE(fresh->months);
  EXPECT_FALSE(fresh->generate);
  EXPECT_TRUE(fresh->CheckBoxEnabled());
  EXPECT_TRUE(fresh->Panel2Visible());
  EXPECT_EQ(fresh->Label8(), "");

  common::RecordBuffer master = fresh->Record();
  common::WriteText(master, inv::kRepeatCount, "4");
  common::WriteText(master, inv::kRepeatUnit, "D");
  common::WriteText(master, inv::kRepeatInterval, "14");
  common::WriteText(master, inv::kNextDueDate, "06/03/2024");
  common::RecordBuffer dayFirst = CompanyOnFile();
  common::WriteText(dayFirst, co::kDateFormat, "D");
  auto existing = RepeatSetup::Begin(master, dayFirst, quiet_);
  ASSERT_TRUE(existing);
  EXPECT_EQ(existing->endDate, "03/06/2024");
  EXPECT_EQ(existing->Label2(), "01/04/2024");
  EXPECT_EQ(existing->numDays, "14");
  EXPECT_FALSE(existing->months);
  EXPECT_TRUE(existing->generate);
  EXPECT_FALSE(existing->CheckBoxEnabled());
  EXPECT_FALSE(existing->Panel2Visible());
  EXPECT_EQ(existing->Label8(), "Invoices Generated to Date: 4");
  // A day-first date typed back is stored month first.
  existing->endDate = "10/07/2024";
  EXPECT_EQ(ReadText(existing->Record(), inv::kNextDueDate), "07/10/2024");
}

TEST_F(RepeatSetupTest, OkChecksTheIntervalThenTheDate) {
  struct Case {
    const char* numDays;
    bool generate;
    const char* endDate;
    const char* message;  // empty: accepted
  };
  for (const Case& c : {Case{"", true, "06/01/2024", "You must enter the number of days/months in order to generate invoices."},
                        Case{"x1", true, "06/01/2024", "You must enter a valid NUMBER of days/months."},
                        Case{"1000", true, "06/01/2024", "You must enter a valid NUMBER of days/months."},
                        Case{"0", true, "06/01/2024", "You must enter the number of days/months in order to generate invoices."},
                        Case{"0", false, "06/01/2024", ""},
                        Case{"3", true, "6/1/2024", "You must enter a valid date."},
                        Case{"3", true, "02/30/2024", "You must enter a valid date."},
                        Case{"3", true, "06/01/2024", ""}}) {
    RepeatSetup s = Monthly(c.endDate);
    s.numDays = c.numDays;
    s.generate = c.generate;
    quiet_.Clear();
    const auto field = s.Check(quiet_);
    EXPECT_EQ(quiet_.Texts().empty() ? "" : quiet_.Texts()[0], c.message) << c.numDays << " " << c.endDate;
    EXPECT_EQ(bool(field), *c.message != '\0');
  }
}

TEST_F(RepeatSetupTest, ConvertingTakesTheAmountOutAndEachGeneratedInvoicePutsItBack) {
  const std::string saved = Save(Monthly("01/31/2024"));
  ASSERT_EQ(saved, "");
  const common::RecordBuffer master = Stored();
  EXPECT_EQ(ReadText(master, inv::kRecordKind), "R");
  EXPECT_EQ(ReadText(master, inv::kBalanceDue), "0.00");
  EXPECT_EQ(ReadText(master, inv::kRepeatCount), "0");
  EXPECT_EQ(ReadText(master, inv::kRepeatUnit), "M");
  EXPECT_EQ(ReadText(master, inv::kNextDueDate), "01/31/2024");
  EXPECT_EQ(ReadText(Lines("1001").at(0), inv::kLineKind), "R");
  EXPECT_EQ(Amounts("C1"), "0.00 | 0.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "0.00");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kCompanyBalance), "0.00");
  EXPECT_EQ(CheckEverything(), "");

  // Billed twice: 100.00 each time, and the next due date drifts from the 31st to the 29th.
  for (const char* number : {"1001G1", "1001G2"}) {
    RepeatOptions o;
    o.invoiceDate = "05/15/2024";
    const RepeatResult r = GenerateRepeat(book_.Current(), {"1001"}, o, kToday, quiet_);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.generated.size(), 1u);
    EXPECT_EQ(r.generated[0].number, number);
    std::copy(r.company.begin(), r.company.end(), book_.Current().begin());
  }
  EXPECT_EQ(ReadText(Stored(), inv::kNextDueDate), "03/29/2024");
  EXPECT_EQ(Amounts("C1"), "200.00 | 200.00 0.00 0.00 0.00");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kCompanyBalance), "200.00");
  EXPECT_EQ(CheckEverything(), "");

  // Changing the master's schedule afterwards moves no money.
  auto again = RepeatSetup::Begin(Stored(), book_.Current(), quiet_);
  ASSERT_TRUE(again);
  again->numDays = "2";
  again->endDate = "07/01/2024";
  ASSERT_EQ(Save(*again), "");
  EXPECT_EQ(ReadText(Stored(), inv::kRepeatInterval), "2");
  EXPECT_EQ(ReadText(Stored(), inv::kRepeatCount), "2");
  EXPECT_EQ(ReadText(CompanyOnFile(), co::kCompanyBalance), "200.00");
  EXPECT_EQ(CheckEverything(), "");
}

TEST_F(RepeatSetupTest, AFailureAtAnyFileCallLeavesTheBooksConsistent) {
  const auto start = FolderBytes();
  const common::RecordBuffer company = CompanyOnFile();
  bool reachedEnd = false;
  int failures = 0;
  for (int nth = 1; nth < 300 && !reachedEnd; ++nth) {
    for (const auto& [name, bytes] : start) {
      std::ofstream out(name, std::ios::binary | std::ios::trunc);
      out << bytes;
    }
    std::copy(company.begin(), company.end(), book_.Current().begin());
    const RepeatSetup setup = Monthly("06/01/2024");
    FaultFileSystem faulty;
    GiveUp prompter;
    const std::string message = Save(setup, prompter, [&](const std::function<std::string()>& save) {
      engine::ScopedFileSystem scoped(faulty);
      faulty.Arm(FaultKind::Eio, nth, false);
      const std::string said = save();
      faulty.Disarm();
      return said;
    });
    if (faulty.InjectedCount() == 0) reachedEnd = true;
    if (!message.empty()) {
      ++failures;
      EXPECT_EQ(message.find("could not all be taken back"), std::string::npos) << nth << ": " << message;
    }
    EXPECT_EQ(CheckEverything(), "") << "fault at file call " << nth << " (" << message << ")";
    // What the program holds is what the file says.
    EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), ReadText(CompanyOnFile(), co::kCompanyBalance)) << nth;
    if (HasFailure()) return;
  }
  EXPECT_TRUE(reachedEnd);
  EXPECT_GT(failures, 5);
}

}  // namespace
}  // namespace tf::billing
