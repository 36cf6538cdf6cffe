// Saving invoices into the books: what a new and an edited invoice write into the invoice,
// line, memo, customer and company records, the refusals before anything is written, the edit
// that changes nothing, renumbering, and a failure at every file call of a save leaving the
// books consistent.

#include "invoicing/invoice_books.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "invoicing/books_check.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "tests/app/cli_run.h"
#include "tests/invoicing/invoice_records.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/fault_file_system.h"

namespace tf::invoicing {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::Money;
using common::PromptAnswer;
using common::ReadText;
using common::RecordBuffer;
using common::ScriptedPrompter;
using common::WriteText;
namespace inv = records::invoice;
namespace cu = records::customer;
namespace co = records::company;

RecordBuffer CompanyRecord() { return testing::InvoicingCompany("8"); }

RecordBuffer CustomerRecord(const std::string& number, const std::string& name, const std::string& balance) {
  return testing::InvoicingCustomer(number, name, name.substr(0, 5), balance);
}

class InvoiceBooksTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    const RecordBuffer company = CompanyRecord();
    ASSERT_TRUE(MakeCompanyFile(company)) << engine::EngineStatus;
    std::copy(company.begin(), company.end(), book_.Current().begin());
    engine::FileBlock* customers = nullptr;
    ScriptedPrompter quiet{PromptAnswer::OK};
    ASSERT_TRUE(cu::OpenCustomerFile(customers, "1", quiet, status_));
    std::int32_t ref = 0;
    // C10 sorts right after C1: a lookup of a missing C1 must not land on it.
    for (const RecordBuffer& c : {CustomerRecord("C10", "Other Ltd", "0.00"), CustomerRecord("C1", "Ann Smith", "0.00")})
      ASSERT_TRUE(records::AddKeyedRecord(customers, cu::CustomerFileKind(), c, ref, quiet));
    engine::CloseFileBlock(customers);
    OpenBooks();
  }
  void TearDown() override {
    books_.reset();
    DataFolderTest::TearDown();
  }

  void OpenBooks() {
    books_ = std::make_unique<InvoiceBooks>(book_, prompter_, status_, clock_);
    prompter_.Answer(PromptAnswer::OK);  // the new invoice file's notice
    ASSERT_TRUE(books_->Open()) << engine::EngineStatus;
    prompter_.Clear();
  }

  InvoiceEntry::Services Services() {
    return {prompter_, clock_, [this](const std::string& n) { return books_->NumberExists(n); },
            [] { return std::vector<std::string>{"Net 30 Days"}; }, [](const std::vector<std::string>&) { return true; }};
  }

  std::unique_ptr<InvoiceEntry> NewEntry() {
    auto entry = std::make_unique<InvoiceEntry>(Services(), EntryCompany::FromRecord(book_.Current()));
    entry->BeginAdd(books_->LastInvoiceDate());
    return entry;
  }

  // A three-line invoice for C1 dated `date`: 2 x 10.00 taxable, a comment, 1 x 5.00.
  std::unique_ptr<InvoiceEntry> ThreeLines(const std::string& date = "12/20/1999") {
    auto e = NewEntry();
    e->ChooseCustomer(*books_->FindCustomer("C1"));
    e->SetDate(date);
    e->SetCell(1, kDescriptionColumn, "Widget");
    e->SetCell(1, kQuantityColumn, "2");
    e->SetCell(1, kUnitPriceColumn, "10");
    e->SetCell(1, kTaxColumn, "Y");
    e->MakeComment(2);
    e->SetCell(2, kDescriptionColumn, "Thank you");
    e->SetCell(3, kDescriptionColumn, "Gadget");
    e->SetCell(3, kUnitPriceColumn, "5");
    return e;
  }

  RecordBuffer Customer(const std::string& number) {
    RecordBuffer r = cu::NewCustomerRecord();
    EXPECT_TRUE(cu::FindCustomerByNumber(books_->Customers(), number, r));
    return r;
  }

  // Closes the books and checks every block and the invariants between them.
  std::string CheckAll() {
    books_->Close();
    std::string out;
    out += Findings("1I", inv::InvoiceKeys);
    out += Findings("1D", inv::LineKeys);
    out += Findings("1M", inv::MemoKeys);
    out += Findings("1C", cu::CustomerKeys);
    const BooksReport report = CheckBooks("1", ReadText(book_.Current(), co::kCompanyBalance));
    for (const std::string& f : report.findings) out += f + "\n";
    return out;
  }

  std::int32_t FindRef(const std::string& number) {
    std::int32_t ref = 0;
    EXPECT_TRUE(inv::FindInvoice(books_->Invoices(), number, ref, prompter_)) << number;
    return ref;
  }

  // A fresh folder: no invoices, C1 and C10 at nothing, the company at nothing.
  void ResetFolder() {
    books_->Close();
    for (const char* block : {"1I", "1D", "1M"}) engine::DeleteFileBlock(block);
    const RecordBuffer company = CompanyRecord();
    engine::DeleteFileBlock(co::kCompanyFileBlock);
    ASSERT_TRUE(MakeCompanyFile(company));
    std::copy(company.begin(), company.end(), book_.Current().begin());
    engine::DeleteFileBlock("1C");
    engine::FileBlock* customers = nullptr;
    ScriptedPrompter quiet{PromptAnswer::OK};
    ASSERT_TRUE(cu::OpenCustomerFile(customers, "1", quiet, status_));
    std::int32_t ref = 0;
    for (const RecordBuffer& c : {CustomerRecord("C10", "Other Ltd", "0.00"), CustomerRecord("C1", "Ann", "0.00")})
      ASSERT_TRUE(records::AddKeyedRecord(customers, cu::CustomerFileKind(), c, ref, quiet));
    engine::CloseFileBlock(customers);
  }

  void SweepFaults(const std::function<std::unique_ptr<InvoiceEntry>()>& prepare, bool edit);

  ScriptedPrompter prompter_;
  common::FixedClock clock_{2000y / January / 1d};
  SilentStatus status_;
  records::CompanyBook book_;
  std::unique_ptr<InvoiceBooks> books_;
};

TEST_F(InvoiceBooksTest, ANewInvoiceRaisesTheCustomerAndTheCompany) {
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept()) << prompter_.Texts().back();
  EXPECT_EQ(e->TotalText(), "26.60");
  const SaveOutcome out = books_->SaveNew(*e);
  ASSERT_TRUE(out.saved) << out.message;
  EXPECT_TRUE(out.problems.empty());
  EXPECT_EQ(out.status, "Added invoice 100 containing 3 line item(s).");

  const RecordBuffer c = Customer("C1");
  EXPECT_EQ(ReadText(c, cu::kBalance), "26.60");
  EXPECT_EQ(ReadText(c, cu::kAgingAmount1), "26.60");  // 12 days old
  EXPECT_EQ(ReadText(c, cu::kLastInvoiceNumber), "100");
  EXPECT_EQ(ReadText(c, cu::kLastPaymentDate), "");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "26.60");
  EXPECT_EQ(ReadText(book_.Current(), co::kNextInvoiceNumber), "101");
  EXPECT_EQ(ReadText(book_.Current(), co::kLastInvoiceNumber), "100");
  EXPECT_EQ(books_->LastInvoiceDate(), 1999y / December / 20d);

  const auto lines = inv::ReadInvoiceLines(books_->Lines(), "100");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 3u);
  EXPECT_EQ(ReadText((*lines)[1].record, inv::kLineText).substr(10, 9), "Thank you");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, ANewInvoicesCustomerJoinsTheLabelQueueWhenTheCompanyAsks) {
  correspondence::LabelQueue queue;
  books_->SetLabelQueue(&queue);
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  EXPECT_EQ(queue.Size(), 0u);  // the company does not ask
  common::WriteFlag(book_.Current(), co::kLabelQueueOnNewInvoice, true);
  e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  ASSERT_EQ(queue.Size(), 1u);
  EXPECT_EQ(queue.Entries()[0].CustomerNumber, "C1");
  EXPECT_EQ(queue.Entries()[0].CustomerName, "Ann Smith");
}

TEST_F(InvoiceBooksTest, PaidAtEntryIsStoredPaidAndAgesNothing) {
  auto e = ThreeLines("10/01/1999");  // 92 days: the oldest aging amount, had anything been open
  e->SetPaid("26.60");
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  const auto records = inv::ReadInvoiceRecords(books_->Invoices(), "100");
  ASSERT_EQ(records->size(), 1u);
  EXPECT_EQ(ReadText((*records)[0].record, inv::kPaidFlag), "P");
  EXPECT_EQ(ReadText((*records)[0].record, inv::kDatePaid), "1999/10/01");
  const RecordBuffer c = Customer("C1");
  EXPECT_EQ(ReadText(c, cu::kBalance), "0.00");
  EXPECT_EQ(ReadText(c, cu::kAgingAmount4), "");  // nothing added
  EXPECT_EQ(ReadText(c, cu::kLastPaymentDate), "10/01/1999");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, AMemoInvoiceWritesItsBodyAndOneLine) {
  auto e = NewEntry();
  e->SetStyle(InvoiceStyle::Memo);
  e->ChooseCustomer(*books_->FindCustomer("c1"));
  e->SetMemoText("Consulting in December\nsecond line");
  e->SetMemoDescription("Consulting");
  e->SetNet("300");
  e->SetTax("24");
  ASSERT_TRUE(e->Accept());
  const SaveOutcome out = books_->SaveNew(*e);
  ASSERT_TRUE(out.saved) << out.message;
  std::int32_t ref = 0;
  ASSERT_TRUE(inv::FindMemo(books_->Memos(), "100", ref, prompter_));
  RecordBuffer memo(inv::kMemoRecordLength);
  engine::GetRecord(books_->Memos(), ref, memo.data());
  EXPECT_EQ(ReadText(memo, inv::MemoLine(2)), "second line");
  EXPECT_EQ(ReadText(Customer("C1"), cu::kBalance), "324.00");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, RefusedBeforeAnythingIsWritten) {
  // The company balance would need 11 characters.
  WriteText(book_.Current(), co::kCompanyBalance, "9999990.00");
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  SaveOutcome out = books_->SaveNew(*e);
  EXPECT_FALSE(out.saved);
  EXPECT_EQ(out.message, kBalanceTooLarge);
  EXPECT_EQ(engine::UsedRecords(books_->Invoices()), 0);

  // The customer is looked up by its exact number: C1 gone, C10 is no stand-in.
  WriteText(book_.Current(), co::kCompanyBalance, "0.00");
  RecordBuffer c1 = Customer("C1");
  std::int32_t c1Ref = 0;
  ASSERT_TRUE(cu::FindCustomerByNumber(books_->Customers(), "C1", c1).has_value());
  c1Ref = *cu::FindCustomerByNumber(books_->Customers(), "C1", c1);
  ASSERT_TRUE(records::DeleteKeyedRecord(books_->Customers(), cu::CustomerFileKind(), c1Ref, c1, prompter_));
  out = books_->SaveNew(*e);
  EXPECT_FALSE(out.saved);
  EXPECT_EQ(out.message, kCustomerMissing);
  EXPECT_EQ(engine::UsedRecords(books_->Invoices()), 0);
  EXPECT_EQ(ReadText(Customer("C10"), cu::kBalance), "0.00");
  EXPECT_EQ(ReadText(Customer("C10"), cu::kLastInvoiceNumber), "");
}

TEST_F(InvoiceBooksTest, AnEditThatChangesNothingWritesNothing) {
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  // Closed and opened again, so that nothing of the save waits in the page pool.
  books_->Close();
  OpenBooks();
  auto edit = NewEntry();
  const std::int32_t ref = FindRef("100");
  FaultFileSystem watch;
  {
    engine::ScopedFileSystem scoped(watch);
    ASSERT_TRUE(books_->LoadForEdit(ref, *edit));
    ASSERT_TRUE(edit->Accept()) << prompter_.Texts().back();
    const SaveOutcome out = books_->SaveEdit(*edit);
    ASSERT_TRUE(out.saved) << out.message;
    EXPECT_EQ(out.lines, 3);
  }
  for (const FsEvent& event : watch.Log())
    EXPECT_NE(event.call, FsCall::Write) << event.path << " at " << event.offset;
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, RenumberingMovesExactlyTheInvoicesLines) {
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  // Another invoice whose lines sit beside them on the index.
  auto other = ThreeLines();
  other->SetNumber("1000");
  ASSERT_TRUE(other->Accept());
  ASSERT_TRUE(books_->SaveNew(*other).saved);

  auto edit = NewEntry();
  ASSERT_TRUE(books_->LoadForEdit(FindRef("100"), *edit));
  edit->SetNumber("z7");
  ASSERT_TRUE(edit->Accept());
  const SaveOutcome out = books_->SaveEdit(*edit);
  ASSERT_TRUE(out.saved) << out.message;
  EXPECT_EQ(out.status, "Editing invoice Z7 completed.");
  EXPECT_EQ(inv::ReadInvoiceLines(books_->Lines(), "100")->size(), 0u);
  EXPECT_EQ(inv::ReadInvoiceLines(books_->Lines(), "Z7")->size(), 3u);
  EXPECT_EQ(inv::ReadInvoiceLines(books_->Lines(), "1000")->size(), 3u);
  EXPECT_EQ(ReadText(Customer("C1"), cu::kBalance), "53.20");  // unchanged amounts
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, EditingMovesTheBalanceBetweenAgingAmountsAndDropsErasedLines) {
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  auto edit = NewEntry();
  ASSERT_TRUE(books_->LoadForEdit(FindRef("100"), *edit));
  edit->SetDate("10/15/1999");  // 78 days: the third aging amount
  edit->EraseLine(3);
  edit->SetPaid("1.60");
  ASSERT_TRUE(edit->Accept());
  const SaveOutcome out = books_->SaveEdit(*edit);
  ASSERT_TRUE(out.saved) << out.message;
  const RecordBuffer c = Customer("C1");
  EXPECT_EQ(ReadText(c, cu::kBalance), "20.00");
  EXPECT_EQ(ReadText(c, cu::kAgingAmount1), "0.00");
  EXPECT_EQ(ReadText(c, cu::kAgingAmount3), "20.00");
  EXPECT_EQ(ReadText(c, cu::kLastPaymentDate), "10/15/1999");
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "20.00");
  EXPECT_EQ(ReadText(book_.Current(), co::kNextInvoiceNumber), "101");  // an edit does not number
  EXPECT_EQ(inv::ReadInvoiceLines(books_->Lines(), "100")->size(), 2u);
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, ALaterPaymentDateIsNotMovedBack) {
  auto e = ThreeLines("12/20/1999");
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  RecordBuffer c = Customer("C1");
  const RecordBuffer before = c;
  WriteText(c, cu::kLastPaymentDate, "01/02/2000");  // later, though "01" < "12" as text
  RecordBuffer scratch = cu::NewCustomerRecord();
  const std::int32_t ref = *cu::FindCustomerByNumber(books_->Customers(), "C1", scratch);
  ASSERT_TRUE(records::ModifyKeyedRecord(books_->Customers(), cu::CustomerFileKind(), ref, c, before, prompter_));
  auto edit = NewEntry();
  ASSERT_TRUE(books_->LoadForEdit(FindRef("100"), *edit));
  edit->SetPaid("5");
  ASSERT_TRUE(edit->Accept());
  ASSERT_TRUE(books_->SaveEdit(*edit).saved);
  EXPECT_EQ(ReadText(Customer("C1"), cu::kLastPaymentDate), "01/02/2000");
}

TEST_F(InvoiceBooksTest, ARepeatMastersEditTouchesNoBalance) {
  auto e = ThreeLines();
  e->SetPaid("26.60");  // settled at entry: nothing open
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  // Repeat billing set-up turns the invoice into its master.
  const std::int32_t ref = FindRef("100");
  RecordBuffer stored(inv::kInvoiceRecordLength);
  engine::GetRecord(books_->Invoices(), ref, stored.data());
  RecordBuffer master = stored;
  WriteText(master, inv::kRecordKind, "R");
  WriteText(master, inv::kPaidAmount, "0.00");
  WriteText(master, inv::kPaidFlag, "");
  WriteText(master, inv::kDatePaid, "");
  ASSERT_TRUE(inv::ModifyInvoice(books_->Invoices(), master, stored, ref, prompter_));
  const RecordBuffer customerBefore = Customer("C1");

  auto edit = NewEntry();
  ASSERT_TRUE(books_->LoadForEdit(ref, *edit));
  ASSERT_TRUE(edit->IsMaster());
  edit->SetCell(3, kUnitPriceColumn, "7");  // the next bills cost more
  ASSERT_TRUE(edit->Accept());
  const SaveOutcome out = books_->SaveEdit(*edit);
  ASSERT_TRUE(out.saved) << out.message;
  const auto records = inv::ReadInvoiceRecords(books_->Invoices(), "100");
  ASSERT_EQ(records->size(), 1u);
  EXPECT_EQ(ReadText((*records)[0].record, inv::kTotalAmount), "28.60");
  EXPECT_EQ(ReadText((*records)[0].record, inv::kBalanceDue), "0.00");
  EXPECT_EQ(ReadText((*records)[0].record, inv::kPaidAmount), "0.00");
  const auto lines = inv::ReadInvoiceLines(books_->Lines(), "100");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 3u);
  for (const inv::StoredRecord& line : *lines) EXPECT_EQ(ReadText(line.record, inv::kLineKind), "R");
  EXPECT_EQ(Customer("C1"), customerBefore);
  EXPECT_EQ(ReadText(book_.Current(), co::kCompanyBalance), "0.00");
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceBooksTest, EditRefusalsInTheirOrder) {
  struct Case {
    std::string kind, paidFlag, paid, total, printed;
    bool audit;
    std::vector<PromptAnswer> answers;
    bool may;
    std::string message;
  };
  const Case cases[] = {
      {"Z", "", "0", "10", "", true, {}, false, "The audit trail feature is turned on. Unable to modify record."},
      {"X", "", "0", "10", "", false, {}, false, "This record is part of a partial-payment record and may not be edited."},
      {"I", "P", "5", "10", "", false, {}, false,
       "This record has been paid. You may not edit this record. You can use the Invoice-View menu option to look at "
       "this invoice."},
      {"I", "P", "10", "10", "", false, {}, true, ""},  // paid in full at entry opens
      {"D", "", "50", "0", "", false, {}, false,
       "This record is a deposit. You may not edit this record, however, you can delete it."},
      {"T", "", "50", "0", "", false, {}, false,
       "This record is a deposit which has been previously offset (taken). Unable to edit this record."},
      {"I", "", "0", "10", "Y", false, {PromptAnswer::No}, false,
       "This invoice has been printed. Are you sure you want to edit this record?"},
      {"R", "", "0", "10", "Y", false, {PromptAnswer::Yes}, true,
       "This invoice has been printed. Are you sure you want to edit this record?"},
  };
  for (const Case& c : cases) {
    RecordBuffer r(inv::kInvoiceRecordLength);
    WriteText(r, inv::kRecordKind, c.kind);
    WriteText(r, inv::kPaidFlag, c.paidFlag);
    WriteText(r, inv::kPaidAmount, c.paid);
    WriteText(r, inv::kTotalAmount, c.total);
    WriteText(r, inv::kPrintedFlag, c.printed);
    common::WriteFlag(book_.Current(), co::kRequireAuditTrail, c.audit);
    prompter_.Clear();
    for (PromptAnswer a : c.answers) prompter_.Answer(a);
    EXPECT_EQ(books_->MayEdit(r), c.may) << c.kind << c.paid;
    EXPECT_EQ(prompter_.Shown().empty() ? "" : prompter_.Shown().back().text, c.message) << c.kind << c.paid;
  }
}

TEST_F(InvoiceBooksTest, TheToolsCheckFindsBreaksBetweenTheBlocks) {
  auto e = ThreeLines();
  ASSERT_TRUE(e->Accept());
  ASSERT_TRUE(books_->SaveNew(*e).saved);
  books_->Close();
  cli::testing::ToolRun clean = cli::testing::RunToolHere({"check"});
  EXPECT_EQ(clean.status, cli::kExitOk) << clean.out << clean.err;

  ASSERT_TRUE(books_->Open());
  // A line whose invoice is not on file, and a customer balance that its invoices do not make.
  RecordBuffer orphan(inv::kLineRecordLength);
  WriteText(orphan, inv::kLineInvoiceNumber, "NOPE");
  std::int32_t ref = 0;
  ASSERT_TRUE(inv::AddLine(books_->Lines(), orphan, ref, prompter_));
  RecordBuffer c = Customer("C1");
  const RecordBuffer before = c;
  WriteText(c, cu::kBalance, "26.00");
  RecordBuffer scratch = cu::NewCustomerRecord();
  ASSERT_TRUE(records::ModifyKeyedRecord(books_->Customers(), cu::CustomerFileKind(),
                                         *cu::FindCustomerByNumber(books_->Customers(), "C1", scratch), c, before,
                                         prompter_));
  books_->Close();
  cli::testing::ToolRun broken = cli::testing::RunToolHere({"check"});
  EXPECT_EQ(broken.status, cli::kExitProblems);
  EXPECT_EQ(broken.out,
            "books of company 1: line record 4 belongs to invoice NOPE, which is not on file\n"
            "books of company 1: customer C1 has the balance 26.00 but its invoices add up to 26.60\n"
            "books of company 1: the company balance is 26.60 but the customers' balances add up to 26.00\n");
}

// Every file call of a save fails in turn (once): the save either gets through or reports its
// failure (having taken back all it wrote), and either way the blocks are sound and the books
// agree with the records. `prepare` builds the books and the entry afresh for each fault.
void InvoiceBooksTest::SweepFaults(const std::function<std::unique_ptr<InvoiceEntry>()>& prepare, bool edit) {
  int failures = 0;
  bool reachedEnd = false;
  for (int nth = 1; nth < 600 && !reachedEnd; ++nth) {
    ResetFolder();
    OpenBooks();
    const std::unique_ptr<InvoiceEntry> e = prepare();
    ASSERT_TRUE(e->Accept());
    FaultFileSystem faulty;
    SaveOutcome out;
    // A failed read of the company index on opening it asks for a rebuild: declined.
    for (int i = 0; i < 3; ++i) prompter_.Answer(PromptAnswer::No);
    {
      engine::ScopedFileSystem scoped(faulty);
      faulty.Arm(FaultKind::Eio, nth, false);
      out = edit ? books_->SaveEdit(*e) : books_->SaveNew(*e);
      faulty.Disarm();
    }
    prompter_.Clear();
    const bool met = faulty.InjectedCount() > 0;
    if (!out.saved || !out.problems.empty()) {
      ++failures;
      EXPECT_TRUE(met) << "fault " << nth;
    }
    if (!out.saved) {
      EXPECT_FALSE(out.message.empty());
      EXPECT_EQ(out.message.find(kUndoFailed), std::string::npos) << "fault " << nth << ": " << out.message;
    }
    EXPECT_EQ(CheckAll(), "") << "fault at file call " << nth << " (" << out.message << ")";
    if (!met) {
      reachedEnd = true;
      EXPECT_TRUE(out.saved && out.problems.empty());
    }
    if (HasFailure()) return;
  }
  EXPECT_TRUE(reachedEnd);
  EXPECT_GT(failures, 5);
}

TEST_F(InvoiceBooksTest, AFaultAtAnyFileCallOfANewInvoicesSaveLeavesTheBooksConsistent) {
  SweepFaults([this] { return ThreeLines(); }, false);
}

TEST_F(InvoiceBooksTest, AFaultAtAnyFileCallOfAMemoInvoicesSaveLeavesTheBooksConsistent) {
  SweepFaults(
      [this] {
        auto e = NewEntry();
        e->SetStyle(InvoiceStyle::Memo);
        e->ChooseCustomer(*books_->FindCustomer("C1"));
        e->SetMemoText("body");
        e->SetMemoDescription("Work");
        e->SetNet("10");
        return e;
      },
      false);
}

// An edit that changes the date, the paid amount and the lines (one rewritten, one erased, one
// added).
TEST_F(InvoiceBooksTest, AFaultAtAnyFileCallOfAnEditLeavesTheBooksConsistent) {
  SweepFaults(
      [this] {
        auto e = ThreeLines();
        EXPECT_TRUE(e->Accept());
        EXPECT_TRUE(books_->SaveNew(*e).saved);
        books_->Close();
        OpenBooks();
        auto edit = NewEntry();
        EXPECT_TRUE(books_->LoadForEdit(FindRef("100"), *edit));
        edit->SetDate("10/15/1999");
        edit->SetPaid("2");
        edit->SetCell(1, kQuantityColumn, "3");
        edit->EraseLine(3);
        edit->SetCell(4, kDescriptionColumn, "Extra");
        edit->SetCell(4, kUnitPriceColumn, "1");
        return edit;
      },
      true);
}

}  // namespace
}  // namespace tf::invoicing
