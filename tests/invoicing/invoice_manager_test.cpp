// The Invoice Manager's model on a bare list: opening on the last invoice, rows and views, the
// customer filter in every view, delete with its refusals and the balances it reverses (under
// a fault at every file call too), find, customer data, print and batch print with what they
// mark, and entry through the manager's own files being let go.

#include <gtest/gtest.h>

#include <algorithm>

#include "browse/manager_list.h"
#include "common/money_format.h"
#include "common/recording_canvas.h"
#include "invoicing/books_check.h"
#include "invoicing/invoice_books.h"
#include "invoicing/manager/invoice_manager.h"
#include "invoicing/manager/invoice_rows.h"
#include "tests/invoicing/document_books.h"
#include "tests/invoicing/invoice_manager_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::invoicing {
namespace {

using namespace testing;
using browse::Outcome;
using common::PromptAnswer;
using common::RecordingCanvas;

// --- the list ---------------------------------------------------------------------------------------

TEST_F(InvoiceManagerTest, RowsHeaderAndBadRecords) {
  EXPECT_EQ(common::TrimBoth(InvoiceListHeader()),
            "Year/Mo/Dy T Invoice#  Cust#    Short Name  Grand Total   Amount Due  Paid Amount Key Code Date Paid  CO#");
  RecordBuffer r = InvoiceRecord({.number = "1001", .total = "1234.5", .paid = "34.50", .datePaid = ""});
  WriteText(r, inv::kBalanceDue, "1200.00");
  EXPECT_EQ(InvoiceRow(r).size(), 128u);
  EXPECT_EQ(common::TrimBoth(InvoiceRow(r)),
            "1999/03/07 I 1001      C1       C1             1,234.50     1,200.00        34.50 None                1");
  WriteText(r, inv::kBalanceDue, "");
  EXPECT_TRUE(IsBadInvoiceRecord(r));
  EXPECT_EQ(common::TrimBoth(InvoiceRow(r)),
            "1999/03/07 I DELETE ME C1       BAD RECORD            0            0            0 None                1");
  EXPECT_EQ(common::TrimBoth(UnreadableInvoiceRow("1001     ")), "****  1001");
}

TEST_F(InvoiceManagerTest, OpensByDateOnTheLastInvoiceAndSwitchesBetweenTheSixViews) {
  Post({.number = "300", .customer = "C2", .date = "01/15/1999", .total = "5.00"});
  Post({.number = "100", .customer = "C1", .date = "03/01/1999", .total = "7.00"});
  Post({.number = "200", .customer = "C1", .date = "02/01/1999", .total = "9.00", .paid = "9.00",
        .datePaid = "1999/02/02", .paidFlag = "P"});
  Add({.number = "DP4", .kind = "D", .customer = "C2", .date = "01/20/1999", .paid = "0.00", .type = "D",
       .datePaid = "1999/01/20"});
  WriteText(book_.Current(), co::kLastInvoiceNumber, "200");
  OpenManager();
  EXPECT_EQ(manager_->Order(), inv::kKeyByDate);
  EXPECT_EQ(manager_->Title(), "Invoice Manager");
  EXPECT_EQ(manager_->Panel(0), "Records: 4");
  EXPECT_EQ(manager_->Panel(1), "Right-click mouse or select from menu bar.");
  EXPECT_EQ(manager_->TimerText(), "Timer off");
  EXPECT_EQ(manager_->FilterText(), "Filter Closed");
  EXPECT_EQ(manager_->ReceivablesText(), "12.00");
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"300", "DP4", "200", "100"}));
  EXPECT_EQ(Current(), "200");  // the company's last invoice

  const std::vector<std::pair<int, std::vector<std::string>>> views = {
      {inv::kKeyByNumber, {"100", "200", "300", "DP4"}},  {inv::kKeyByCustomer, {"100", "200", "300", "DP4"}},
      {inv::kKeyByKind, {"DP4", "100", "200", "300"}},    {inv::kKeyByDatePaid, {"300", "100", "DP4", "200"}},
      {inv::kKeyByKeyCode, {"300", "100", "200", "DP4"}}, {inv::kKeyByDate, {"300", "DP4", "200", "100"}},
  };
  for (const auto& [key, order] : views) {
    ASSERT_TRUE(manager_->SetOrder(key).IsDone());
    EXPECT_EQ(Numbers(), order) << "key " << key;
    EXPECT_EQ(Current(), "200") << "key " << key;  // the list stays on the record
  }
  email_ = true;
  EXPECT_EQ(manager_->Title(), "Invoice Manager - (E-Mail Mode)");
}

TEST_F(InvoiceManagerTest, TheCustomerFilterListsOneCustomerInEveryViewAndClears) {
  WriteText(company_, co::kCompanyNumber, "1");
  for (int i = 0; i < 30; ++i)
    Add({.number = std::to_string(1000 + i), .customer = i % 10 == 3 ? "C2" : "C1",
         .date = "03/" + std::string(i % 28 + 1 < 10 ? "0" : "") + std::to_string(i % 28 + 1) + "/1999",
         .total = "1.00"});
  Add({.number = "2000", .customer = "c2", .total = "1.00"});  // another customer: the number's case counts
  OpenManager();
  Select(Numbers().front());
  list_.Model().FirstPage();
  // The first row is C1's; move to one of C2's and filter on it.
  while (Rows()[std::size_t(list_.Model().CurrentRow() - 1)].find(" C2 ") == std::string::npos) list_.Model().LineDown();
  const std::string wanted = Current();
  ASSERT_TRUE(manager_->ToggleFilter().IsDone());
  EXPECT_TRUE(manager_->FilterOn());
  EXPECT_EQ(manager_->FilterText(), "Filtering Customer#: C2");
  EXPECT_EQ(manager_->Panel(1), "Click filter button again to clear filter.");
  EXPECT_EQ(Current(), wanted);
  for (int key = 1; key <= 6; ++key) {
    const std::string before = Current();
    ASSERT_TRUE(manager_->SetOrder(key).IsDone());
    const auto numbers = Numbers();
    EXPECT_EQ(numbers.size(), 3u) << "key " << key;
    for (const std::string& row : Rows()) EXPECT_NE(row.find(" C2 "), std::string::npos) << row;
    EXPECT_EQ(Current(), key == 1 ? wanted : before);
    list_.Model().LastPage();
    list_.Model().PageDown();
    list_.Model().LineDown();
    EXPECT_EQ(Numbers().size(), 3u);
  }
  ASSERT_TRUE(manager_->SetOrder(inv::kKeyByNumber).IsDone());
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"1003", "1013", "1023"}));
  ASSERT_TRUE(manager_->ToggleFilter().IsDone());
  EXPECT_FALSE(manager_->FilterOn());
  EXPECT_EQ(manager_->FilterText(), "Filter Closed");
  EXPECT_EQ(manager_->Panel(1), "Filter closed.");
  EXPECT_EQ(list_.Model().RowsFilled(), 10);
  // The filter is off again each time the window opens.
  ASSERT_TRUE(manager_->ToggleFilter().IsDone());
  manager_->Close();
  ASSERT_TRUE(manager_->Open().IsDone());
  EXPECT_FALSE(manager_->FilterOn());
}

// --- delete ------------------------------------------------------------------------------------------

TEST_F(InvoiceManagerTest, DeleteRefusesAndWarnsInItsOrder) {
  Add({.number = "Z1", .kind = "Z", .total = "10.00"});
  Add({.number = "Z1", .kind = "X", .paid = "4.00"});
  Add({.number = "P1", .total = "10.00", .paid = "10.00", .datePaid = "1999/03/07", .paidFlag = "P"});
  OpenManager();
  struct Case {
    std::string number;
    std::string text;
    std::string caption;
  };
  manager_->SetOrder(inv::kKeyByKind);
  for (const Case& c : {Case{"P1", "This record has been paid and may not be deleted. It will be deleted when you "
                                   "remove paid records.",
                             "Paid Item"},
                        Case{"Z1", "This record is associated with a partial payment (type X or Z). Unable to delete "
                                   "this item.",
                             "Partial Payment Item"}}) {
    Select(c.number);
    const Outcome refused = manager_->Delete();
    ASSERT_TRUE(refused.IsFailed()) << c.number;
    EXPECT_EQ(refused.Message().text, c.text);
    EXPECT_EQ(refused.Message().caption, c.caption);
  }
  // The audit trail comes before everything.
  common::WriteFlag(book_.Current(), co::kRequireAuditTrail, true);
  Select("P1");
  EXPECT_EQ(manager_->Delete().Message().text, "The audit trail feature is turned on. Unable to delete record.");
  EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(InvoiceManagerTest, DeletingAnOpenInvoiceLowersTheCustomerItsAgingAndTheCompanyByWhatIsOpen) {
  Post({.number = "1001", .total = "100.00", .paid = "30.00"});
  AddLine("1001", "W", LineText("1", "Widget", "100.00", "N", "100.00"));
  AddLine("1001", "", LineText("", "Thanks", "", " ", ""));
  Post({.number = "1002", .total = "25.00"});
  ASSERT_EQ(ReadText(Customer("C1"), cu::kBalance), "95.00");
  ASSERT_EQ(ReadText(Customer("C1"), cu::kAgingAmount1), "95.00");
  OpenManager();
  Select("1001");
  prompter_.Answer(PromptAnswer::Yes);
  const Outcome deleted = manager_->Delete();
  ASSERT_TRUE(deleted.IsDone()) << deleted.Message().text;
  ASSERT_EQ(prompter_.Shown().size(), 2u);
  EXPECT_EQ(prompter_.Shown()[0].text,
            "This record has payment activity. If you delete this record the payment data will also be removed.");
  EXPECT_EQ(prompter_.Shown()[1].text, "Are you sure you want to delete this record?");
  EXPECT_EQ(prompter_.Shown()[1].caption, "Delete Invoice#: 1001");
  EXPECT_EQ(manager_->Panel(1), "Deleted invoice 1001 containing 2 line item(s).");
  EXPECT_EQ(manager_->Panel(0), "Records: 1");
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"1002"}));
  EXPECT_EQ(ReadText(Customer("C1"), cu::kBalance), "25.00");
  EXPECT_EQ(ReadText(Customer("C1"), cu::kAgingAmount1), "25.00");
  EXPECT_EQ(manager_->ReceivablesText(), "25.00");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceManagerTest, AMasterADepositAMemoAndABadRecordDelete) {
  Post({.number = "M1", .kind = "R", .total = "50.00"});
  Post({.number = "DP2", .kind = "D", .customer = "C2", .paid = "40.00", .type = "D", .datePaid = "1999/03/07"});
  Post({.number = "ME3", .total = "12.00", .type = "M"});
  AddMemo("ME3", {"Body"});
  Post({.number = "ME4", .total = "0.00", .type = "M"});  // its memo is missing
  Add({.number = "BAD5", .total = "", .paid = ""});
  const std::string before = ReadText(Customer("C1"), cu::kBalance);
  OpenManager();
  manager_->SetOrder(inv::kKeyByNumber);

  Select("M1");
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(manager_->Delete().IsDone());
  EXPECT_EQ(prompter_.Shown()[0].text,
            "This is a repeat billing master record. If you delete this master record, no further invoices will be "
            "generated.");
  EXPECT_EQ(ReadText(Customer("C1"), cu::kBalance), before);  // a master is no receivable

  prompter_.Clear();
  Select("DP2");
  prompter_.Answer(PromptAnswer::No);
  EXPECT_EQ(manager_->Delete().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(prompter_.Texts().back(), "You are about to delete a payment you posted as a Deposit on Account. Are you sure?");
  prompter_.Answer(PromptAnswer::Yes);
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(manager_->Delete().IsDone());
  EXPECT_EQ(ReadText(Customer("C2"), cu::kBalance), "0.00");  // the deposit's -40.00 is gone with it

  Select("ME3");
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(manager_->Delete().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Deleted memo invoice ME3.");
  std::int32_t ref = 0;
  EXPECT_FALSE(inv::FindMemo(manager_->Memos(), "ME3", ref, prompter_));

  Select("ME4");
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(manager_->Delete().IsDone());
  EXPECT_EQ(beeps_, 1);

  // "DELETE ME": its empty amounts count as nothing.
  const auto numbers = Numbers();
  ASSERT_EQ(numbers.size(), 1u);
  EXPECT_EQ(numbers[0], "DELETE ME");
  list_.Model().SelectRow(1);
  prompter_.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(manager_->Delete().IsDone());
  EXPECT_EQ(list_.Model().RowsFilled(), 0);
  EXPECT_EQ(ReadText(Customer("C1"), cu::kBalance), "0.00");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceManagerTest, AFaultAtAnyFileCallOfADeleteLeavesTheBooksAgreeing) {
  int failed = 0;
  bool reachedEnd = false;
  for (int nth = 1; nth < 400 && !reachedEnd; ++nth) {
    manager_.reset();
    CloseBooks();
    for (const char* block : {"1I", "1D", "1M", "1C", "Company"}) engine::DeleteFileBlock(block);
    ASSERT_TRUE(test::MakeCompanyFile(company_));
    std::copy(company_.begin(), company_.end(), book_.Current().begin());
    {
      common::ScriptedPrompter quiet{PromptAnswer::OK};
      engine::FileBlock* customers = nullptr;
      ASSERT_TRUE(cu::OpenCustomerFile(customers, "1", quiet, status_));
      std::int32_t ref = 0;
      ASSERT_TRUE(records::AddKeyedRecord(customers, cu::CustomerFileKind(), DocumentCustomer("C1", "Ann", "a@b.c"), ref,
                                          quiet));
      engine::CloseFileBlock(customers);
    }
    OpenBooks();
    Post({.number = "1001", .total = "100.00", .paid = "30.00"});
    AddLine("1001", "W", LineText("1", "Widget", "100.00", "N", "100.00"));
    OpenManager();
    Select("1001");
    prompter_.Clear();
    prompter_.Answer(PromptAnswer::Yes);
    for (int i = 0; i < 4; ++i) prompter_.Answer(PromptAnswer::Yes);  // "Abort?" questions give up
    test::FaultFileSystem faulty;
    Outcome outcome = Outcome::Nothing();
    {
      engine::ScopedFileSystem scoped(faulty);
      faulty.Arm(test::FaultKind::Eio, nth, false);
      outcome = manager_->Delete();
      faulty.Disarm();
    }
    const bool met = faulty.InjectedCount() > 0;
    if (outcome.IsFailed()) ++failed;
    std::string findings = CheckAll();
    // Lines carry no money: a body left behind by a failure after the record and its balances
    // went is said, and is all that may be left.
    const auto texts = prompter_.Texts();
    const bool bodyLeftSaid = std::find(texts.begin(), texts.end(), "Delete detail recs failed") != texts.end();
    if (bodyLeftSaid) {
      EXPECT_EQ(findings, "line record 1 belongs to invoice 1001, which is not on file\n") << nth;
      findings.clear();
    }
    EXPECT_EQ(findings, "") << "fault at file call " << nth << ": " << outcome.Message().text;
    if (outcome.IsFailed()) {
      EXPECT_EQ(outcome.Message().text.find("could not all be taken back"), std::string::npos) << nth;
    }
    if (!met) {
      reachedEnd = true;
      EXPECT_TRUE(outcome.IsDone());
    }
    if (HasFailure()) return;
    prompter_.Clear();
  }
  EXPECT_TRUE(reachedEnd);
  EXPECT_GT(failed, 3);
}

// --- find, customer data, view --------------------------------------------------------------------

TEST_F(InvoiceManagerTest, FindPutsTheListOnTheChosenInvoice) {
  for (int i = 0; i < 25; ++i) Add({.number = std::to_string(500 + i), .total = "1.00"});
  OpenManager();
  found_ = "517";
  ASSERT_TRUE(manager_->Find().IsDone());
  EXPECT_EQ(findCaption_, "Find Invoice/Payment");
  EXPECT_EQ(Current(), "517");
  found_.reset();
  EXPECT_EQ(manager_->Find().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(Current(), "517");
}

TEST_F(InvoiceManagerTest, CustomerDataFillsTheQuickViewsInvoicePart) {
  Post({.number = "Z9", .kind = "Z", .total = "100.00", .printed = "Y"});
  // Two partial payments have lowered the balance; the Z record's own paid amount stays 0.
  {
    RecordBuffer r = Records("Z9")[0];
    RecordBuffer changed = r;
    WriteText(changed, inv::kBalanceDue, "45.00");
    WriteText(changed, inv::kEMailedDate, "03/09/1999");
    const auto refs = inv::ReadInvoiceRecords(invoices_, "Z9");
    ASSERT_TRUE(inv::ModifyInvoice(invoices_, changed, r, (*refs)[0].ref, prompter_));
  }
  RecordBuffer master = InvoiceRecord({.number = "R1", .kind = "R", .total = "10.00", .type = "M"});
  WriteText(master, inv::kNextDueDate, "04/07/1999");
  WriteText(master, inv::kRepeatCount, "3");
  std::int32_t ref = 0;
  ASSERT_TRUE(inv::AddInvoice(invoices_, master, ref, prompter_));
  OpenManager();
  manager_->SetOrder(inv::kKeyByNumber);
  Select("Z9");
  ASSERT_TRUE(manager_->CustomerData().IsDone());
  ASSERT_TRUE(quickView_);
  EXPECT_EQ(quickView_->name, "Ann Smith");
  ASSERT_TRUE(quickView_->invoice);
  const customers::QuickViewInvoice& z = *quickView_->invoice;
  EXPECT_EQ(z.type, "Z - Invoice has Partial Payment(s) of Type X");
  EXPECT_EQ(z.number, "Z9   (Product Invoice)");
  EXPECT_EQ(z.total, "100.00");
  EXPECT_EQ(z.paid, "55.00");
  EXPECT_EQ(z.balanceDue, "45.00");
  EXPECT_TRUE(z.printed);
  EXPECT_EQ(z.printedText, "E-Mailed: 03/09/1999");

  Select("R1");
  ASSERT_TRUE(manager_->CustomerData().IsDone());
  const customers::QuickViewInvoice& r = *quickView_->invoice;
  EXPECT_EQ(r.type, "R - Repeat Billing Master Record (Created: 3)");
  EXPECT_EQ(r.number, "R1   (Memo Invoice)");
  EXPECT_EQ(r.date, "03/07/1999\n - Next Due: 04/07/1999");
  EXPECT_TRUE(r.repeat);
  EXPECT_FALSE(r.printed);
}

// --- print ---------------------------------------------------------------------------------------

TEST_F(InvoiceManagerTest, PrintMarksOnlyWhatThePrinterTook) {
  Post({.number = "1001", .total = "10.00"});
  Post({.number = "DP2", .kind = "D", .customer = "C2", .paid = "5.00", .type = "D"});
  OpenManager();
  manager_->SetOrder(inv::kKeyByNumber);
  Select("1001");
  printerCancelled_ = true;
  EXPECT_EQ(manager_->Print().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(Flag("1001"), "N");
  printerCancelled_ = false;
  printerFails_ = true;
  const Outcome failed = manager_->Print();
  ASSERT_TRUE(failed.IsFailed());
  EXPECT_EQ(failed.Message().text, "Printing failed. Invoice 1001 was not marked as printed.");
  EXPECT_EQ(Flag("1001"), "N");
  printerFails_ = false;
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Invoice 1001 sent to print queue.");
  EXPECT_EQ(printed_.title, "Invoice - 1001");
  EXPECT_EQ(Flag("1001"), "Y");

  // A deposit is shown instead.
  Select("DP2");
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(prompter_.Texts().back(),
            "This record is a deposit. Unable to print. I am going to use the view option instead.");
  ASSERT_EQ(views_.size(), 1u);
  EXPECT_EQ(views_[0].caption, "View Invoice# DP2");
}

TEST_F(InvoiceManagerTest, EMailModePrintSaysWhereTheInvoiceWent) {
  Post({.number = "1001", .total = "10.00"});
  Post({.number = "1002", .customer = "C2", .total = "10.00"});
  email_ = true;
  OpenManager();
  manager_->SetOrder(inv::kKeyByNumber);
  Select("1001");
  // Without the e-mail sender nothing is claimed.
  const Outcome unavailable = manager_->Print();
  ASSERT_TRUE(unavailable.IsFailed());
  EXPECT_EQ(Flag("1001"), "N");

  std::vector<documents::MailMessage> sent;
  InvoiceManagerServices s = Services();
  s.checkMailReady = [] { return true; };
  s.sendMail = [&](const documents::MailMessage& m) {
    sent.push_back(m);
    return documents::MailResult{true, ""};
  };
  manager_.reset();
  manager_ = std::make_unique<InvoiceManager>(s, list_);
  ASSERT_TRUE(manager_->Open().IsDone());
  manager_->SetOrder(inv::kKeyByNumber);
  Select("1001");
  prompter_.Clear();
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Invoice 1001 sent by e-mail.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"Invoice sent by e-mail."});
  EXPECT_EQ(Flag("1001"), "Y");
  Select("1002");
  prompter_.Clear();
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Invoice 1002 was not sent by e-mail.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"This customer has no e-mail address. Invoice not sent by e-mail."});
  EXPECT_EQ(Flag("1002"), "N");
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(InvoiceManagerTest, BatchPrintTakesTheUnprintedBillsUpToTheNumberTyped) {
  Post({.number = "1", .total = "1.00"});
  Post({.number = "2", .total = "1.00", .printed = "Y"});
  Post({.number = "3", .kind = "G", .total = "1.00"});
  Post({.number = "4", .kind = "Z", .total = "9.00"});
  Add({.number = "4", .kind = "X", .paid = "2.00"});
  Post({.number = "5", .kind = "R", .total = "1.00"});
  Post({.number = "DP6", .kind = "D", .customer = "C2", .paid = "1.00", .type = "D"});
  Post({.number = "7", .total = "1.00"});
  OpenManager();
  batchNumber_ = 2;
  ASSERT_TRUE(manager_->BatchPrint().IsDone());
  EXPECT_EQ(batchPrompt_->countLine, "There are 4 invoice(s) to print.");
  EXPECT_EQ(batchPrompt_->line2, "Packing Slips are turned off.");
  EXPECT_EQ(batchPrompt_->preset, "4");
  EXPECT_EQ(manager_->Panel(1), "Batch Print complete. 2 invoices sent to spooler.");
  EXPECT_EQ(Flag("1"), "Y");
  EXPECT_EQ(Flag("3"), "Y");
  EXPECT_EQ(Flag("4"), "N");
  batchNumber_ = 50;  // more than there are: the count
  printToFile_ = true;
  ASSERT_TRUE(manager_->BatchPrint().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Batch Print complete. 2 invoices sent to spooler.");
  EXPECT_EQ(printed_.pages, 2u);
  EXPECT_EQ(Flag("4"), "Y");
  EXPECT_EQ(Flag("7"), "Y");
  EXPECT_EQ(Flag("5"), "N");
  prompter_.Clear();
  EXPECT_EQ(manager_->BatchPrint().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"There are no invoices to print."});
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceManagerTest, ABatchThatCouldNotBePrintedMarksNothing) {
  Post({.number = "1", .total = "1.00"});
  Post({.number = "2", .total = "1.00"});
  OpenManager();
  batchNumber_ = 9;
  printerFails_ = true;
  for (bool toFile : {false, true}) {
    printToFile_ = toFile;
    const Outcome outcome = manager_->BatchPrint();
    ASSERT_TRUE(outcome.IsFailed()) << toFile;
    EXPECT_EQ(Flag("1"), "N");
    EXPECT_EQ(Flag("2"), "N");
  }
}

TEST(BatchPrompt, LinesOfBothModesAndTheNumberTyped) {
  const BatchPrompt mail = BatchPromptFor(3, true, true, true);
  EXPECT_EQ(mail.countLine, "There are 3 invoice(s) to e-mail.");
  EXPECT_EQ(mail.line2, "* E-Mail Mode *");
  EXPECT_EQ(mail.line3, "(No packing slips or copies.)");
  EXPECT_EQ(mail.button, "&E-Mail");
  const BatchPrompt paper = BatchPromptFor(12345, false, true, false);
  EXPECT_EQ(paper.line2, "Packing Slips will be printed.");
  EXPECT_EQ(paper.line3, "File Copies are turned off.");
  EXPECT_EQ(paper.button, "&Print");
  EXPECT_EQ(paper.preset, "9999");
  common::ScriptedPrompter prompter;
  EXPECT_EQ(AcceptBatchNumber(" 12 ", prompter), 12);
  EXPECT_EQ(AcceptBatchNumber("   ", prompter), std::nullopt);
  ASSERT_EQ(prompter.Shown().size(), 1u);
  EXPECT_EQ(prompter.Shown()[0].text, "You need to specify the number to print.");
  EXPECT_EQ(prompter.Shown()[0].caption, "Print Number");
}

// --- entry -------------------------------------------------------------------------------------------

TEST_F(InvoiceManagerTest, EntryGetsTheFilesAndTheListComesBackOnTheSavedInvoice) {
  Post({.number = "1001", .total = "10.00"});
  InvoiceManagerServices s = Services();
  bool filesFree = false;
  s.addInvoice = [&]() -> std::optional<EntryResult> {
    // Entry opens the invoice files itself: the manager must have let them go.
    common::ScriptedPrompter quiet;
    engine::FileBlockGuard invoices;
    filesFree = inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_);
    std::int32_t ref = 0;
    EXPECT_TRUE(inv::AddInvoice(invoices.get(), InvoiceRecord({.number = "1002", .total = "5.00"}), ref, quiet));
    return EntryResult{"1002", "Added invoice 1002 containing 0 line item(s).", true};
  };
  s.editInvoice = [&](const std::string& number) -> std::optional<EntryResult> {
    return EntryResult{number, "Editing invoice " + number + " completed.", false};
  };
  CloseBooks();
  manager_ = std::make_unique<InvoiceManager>(s, list_);
  ASSERT_TRUE(manager_->Open().IsDone());
  ASSERT_TRUE(manager_->Add().IsDone());
  EXPECT_TRUE(filesFree);
  EXPECT_EQ(Current(), "1002");
  // "Print Invoice" was checked: printed as the Print command does.
  EXPECT_EQ(manager_->Panel(1), "Invoice 1002 sent to print queue.");
  EXPECT_EQ(Flag("1002"), "Y");
  EXPECT_EQ(manager_->Panel(0), "Records: 2");
  Select("1001");
  ASSERT_TRUE(manager_->Edit().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Editing invoice 1001 completed.");
  EXPECT_EQ(Current(), "1001");
}

}  // namespace
}  // namespace tf::invoicing
