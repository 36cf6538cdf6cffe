// `import invoices` and `export invoices`: invoices entered through invoice entry and saved
// into the books, exported, and imported into a second company with the same customers give
// the same records, the same customer balances and aging and the same company record, and the
// books check finds nothing; the export of the import is the export it came from. A bad row
// refuses the whole file with its line and changes no file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/date_text.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "invoicing/invoice_books.h"
#include "invoicing/invoice_entry.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/invoice_file.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using cli::testing::ToolRun;
using common::PromptAnswer;
using invoicing::InvoiceEntry;
using ::testing::HasSubstr;

// A date `days` before today in the company's month-first form: the invoices fall into
// different aging amounts whenever the test runs.
std::string DaysAgo(int days) {
  const common::SystemClock clock;
  const auto day = std::chrono::sys_days{clock.Today()} - std::chrono::days{days};
  return common::FormatDate(std::chrono::year_month_day{day}, common::DateFormat::MonthFirst);
}

// Invoices entered in `folder` as a person enters them in the invoice dialog and saved by the
// books: every kind of line and amount entry handles.
void EnterInvoices(const fs::path& folder) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  engine::InitEngine(0, engine::kMinPageBuffers);
  {
    common::ScriptedPrompter prompter;
    SilentStatus status;
    common::SystemClock clock;
    records::CompanyBook book;
    {
      engine::FileBlockGuard companies;
      engine::OpenFileBlock(companies.handle(), records::company::kCompanyFileBlock);
      ASSERT_TRUE(engine::EngineOK);
      const std::int32_t ref = records::FindCompany(companies.get(), "1");
      ASSERT_NE(ref, 0);
      engine::GetRecord(companies.get(), ref, book.Current());
    }
    invoicing::InvoiceBooks books(book, prompter, status, clock);
    prompter.Answer(PromptAnswer::OK);  // the new invoice file's notice
    ASSERT_TRUE(books.Open()) << engine::EngineStatus;
    const InvoiceEntry::Services services{prompter, clock, [&](const std::string& n) { return books.NumberExists(n); },
                                          [] {
                                            return std::vector<std::string>{"Net 30", "Due on receipt"};
                                          },
                                          nullptr};
    auto save = [&](InvoiceEntry& e) {
      ASSERT_TRUE(e.Accept()) << (prompter.Texts().empty() ? "" : prompter.Texts().back());
      const invoicing::SaveOutcome outcome = books.SaveNew(e);
      ASSERT_TRUE(outcome.saved) << outcome.message;
      ASSERT_TRUE(outcome.problems.empty());
    };
    auto begin = [&](const std::string& number, const std::string& customer, const std::string& date) {
      auto e = std::make_unique<InvoiceEntry>(services, invoicing::EntryCompany::FromRecord(book.Current()));
      e->BeginAdd(clock.Today());
      e->SetNumber(number);
      e->ChooseCustomer(*books.FindCustomer(customer));
      e->SetDate(date);
      return e;
    };
    using invoicing::kDescriptionColumn, invoicing::kQuantityColumn, invoicing::kUnitPriceColumn, invoicing::kTaxColumn,
        invoicing::kCodeColumn;
    {  // taxed and untaxed lines and a comment row between them
      auto e = begin("1001", "C1", DaysAgo(5));
      e->SetCell(1, kCodeColumn, "W1");
      e->SetCell(1, kDescriptionColumn, "Widget, large");
      e->SetCell(1, kQuantityColumn, "2");
      e->SetCell(1, kUnitPriceColumn, "1,010.00");
      e->SetCell(1, kTaxColumn, "Y");
      e->MakeComment(2);
      e->SetCell(2, kDescriptionColumn, "=thank you");
      e->SetCell(3, kDescriptionColumn, "Gadget");
      e->SetCell(3, kUnitPriceColumn, "5");
      e->SetNotes("Order \"12\"");
      e->SetKeyCode("Web");
      save(*e);
    }
    {  // a memo invoice with money paid at entry
      auto e = begin("1002", "C2", DaysAgo(45));
      e->SetStyle(invoicing::InvoiceStyle::Memo);
      e->SetMemoText("Consulting in March:\n  two visits, one report\nThank you.");
      e->SetMemoDescription("Consulting");
      e->SetMemoQuantity("2");
      e->SetNet("100.00");
      e->SetTax("5.00");
      e->SetPaid("50");
      e->SetStatementNote("Half paid");
      save(*e);
    }
    {  // a tax-exempt customer, rounding and a credit line
      auto e = begin("1003", "C3", DaysAgo(75));
      e->SetCell(1, kDescriptionColumn, "Small part");
      e->SetCell(1, kQuantityColumn, "2.5");
      e->SetCell(1, kUnitPriceColumn, "0.25");
      e->SetCell(1, kTaxColumn, "Y");
      e->SetCell(2, kDescriptionColumn, "Returned part");
      e->SetCell(2, kQuantityColumn, "-1");
      e->SetCell(2, kUnitPriceColumn, "3");
      save(*e);
    }
    {  // paid in full at entry
      auto e = begin("1004", "C1", DaysAgo(200));
      e->SetCell(1, kDescriptionColumn, "Service");
      e->SetCell(1, kUnitPriceColumn, "40");
      e->SetPaid("40.00");
      e->SetTerms("Due on receipt");
      save(*e);
    }
    {  // taxable lines with the tax box cleared
      auto e = begin("1005", "C2", DaysAgo(1));
      e->SetCell(1, kDescriptionColumn, "Boxes");
      e->SetCell(1, kQuantityColumn, "3");
      e->SetCell(1, kUnitPriceColumn, "10");
      e->SetCell(1, kTaxColumn, "Y");
      e->SetTaxBox(false);
      save(*e);
    }
    {  // no charge
      auto e = begin("1006", "C1", DaysAgo(0));
      e->SetCell(1, kDescriptionColumn, "Warranty visit");
      e->SetCell(1, kQuantityColumn, "");
      e->SetCell(1, kUnitPriceColumn, "");
      prompter.Answer(PromptAnswer::Yes);  // "Is this a no-charge invoice?"
      save(*e);
    }
    books.Close();
  }
  engine::ExitEngine();
  fs::current_path(previous);
}

class InvoiceImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    entered_ = fs::path(work_.path()) / "entered";
    imported_ = fs::path(work_.path()) / "imported";
    ASSERT_NO_FATAL_FAILURE(MakeInvoiceFolder(entered_, work_.path()));
    ASSERT_NO_FATAL_FAILURE(MakeInvoiceFolder(imported_, work_.path()));
  }

  ToolRun Import(const fs::path& folder, const std::string& csv, const std::string& kind = "invoices",
                 const std::string& option = "") {
    const std::string file = work_ / (kind + ".csv");
    common::ReplaceFile(file, csv);
    std::vector<std::string> args = {"--data", folder.string(), "import", kind, file};
    if (!option.empty()) args.push_back(option);
    return RunTool(args);
  }
  std::string Export(const fs::path& folder) {
    const std::string file = work_ / "export.csv";
    const ToolRun r = RunTool({"--data", folder.string(), "export", "invoices", file});
    EXPECT_EQ(r.status, cli::kExitOk) << r.err;
    return r.status == cli::kExitOk ? common::ReadWholeFile(file) : std::string();
  }

  TempFolder work_;
  fs::path entered_, imported_;
};

TEST_F(InvoiceImportTest, ImportingAnExportGivesTheBooksEntryGave) {
  ASSERT_NO_FATAL_FAILURE(EnterInvoices(entered_));
  const std::string csv = Export(entered_);
  ASSERT_THAT(csv, HasSubstr("\r\n1006,"));
  const ToolRun r = Import(imported_, csv);
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Imported 6 invoices with 9 lines into 1I\n");
  // Invoices, lines, memos, customers (balances, aging, last invoice and payment) and the
  // company (balance, numbering): the same bytes.
  for (const char* block : {"1I", "1D", "1M", "1C", "Company"}) {
    const auto records = BlockRecords(imported_, block);
    EXPECT_FALSE(records.empty()) << block;
    EXPECT_EQ(records, BlockRecords(entered_, block)) << block;
  }
  EXPECT_EQ(Export(imported_), csv);
  for (const fs::path& folder : {entered_, imported_}) {
    const ToolRun check = RunTool({"--data", folder.string(), "check"});
    EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;
  }
  EXPECT_EQ(StageLeftovers(imported_), "");
}

TEST_F(InvoiceImportTest, ADryRunChecksEverythingAndChangesNothing) {
  const std::string good =
      "InvoiceNumber,CustomerNumber,InvoiceDate,Description,Quantity,UnitPrice,TaxMark\n"
      "7,C1,01/02/2024,Chair,2,10,Y\n"
      "8,C2,01/02/2024,Desk,1,5,N\n";
  const auto before = FolderBytes(imported_);
  ToolRun r = Import(imported_, good, "invoices", "--dry-run");
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "Checked 2 invoices with 2 lines: the file imports into 1I and takes the company balance to 26.65; "
            "nothing was changed (--dry-run)\n");
  EXPECT_EQ(ChangedFiles(before, FolderBytes(imported_)), "");
  r = Import(imported_, good + "9,C9,01/02/2024,Lamp,1,5,N\n", "invoices", "--dry-run");
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.err, HasSubstr("line 4: invoice 9: there is no customer C9"));
  r = Import(imported_, "CustomerName\nNew One\n", "customers", "--dry-run");
  EXPECT_EQ(r.status, cli::kExitOk) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Checked 1 customer: the file imports into 1C; nothing was changed (--dry-run)"));
  EXPECT_EQ(ChangedFiles(before, FolderBytes(imported_)), "");
  // Without it, the same file imports.
  EXPECT_EQ(Import(imported_, good).status, cli::kExitOk);
  EXPECT_NE(ChangedFiles(before, FolderBytes(imported_)), "");
}

// A customer's invoices move its one record however its number is spelled, and the books check
// finds its balance equal to what it owes.
TEST_F(InvoiceImportTest, ACustomerWithManyInvoicesOwesTheirSum) {
  std::string csv = "InvoiceNumber,CustomerNumber,InvoiceDate,Description,Quantity,UnitPrice,PaidAmount\n";
  const char* spellings[] = {"C1", "c1", " C1 "};
  for (int n = 0; n < 30; ++n)
    csv += std::to_string(200 + n) + "," + spellings[n % 3] + ",01/0" + std::to_string(1 + n % 9) +
           "/2024,Chair," + std::to_string(1 + n) + ",10," + (n % 4 == 0 ? "5.00" : "") + "\n";
  const ToolRun r = Import(imported_, csv);
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  const ToolRun check = RunTool({"--data", imported_.string(), "check"});
  EXPECT_EQ(check.status, cli::kExitOk) << check.out << check.err;
  // 10 x (1 + ... + 30) less 8 payments of 5.00.
  const ToolRun company = RunTool({"--data", imported_.string(), "company", "show"});
  EXPECT_THAT(company.out, HasSubstr("CompanyBalance: 4610.00"));
}

TEST_F(InvoiceImportTest, AFileGivenTwiceIsRefusedTheSecondTime) {
  const std::string csv =
      "InvoiceNumber,CustomerNumber,InvoiceDate,Description,Quantity,UnitPrice\n"
      "7,C1,01/02/2024,Chair,1,20\n";
  ASSERT_EQ(Import(imported_, csv).status, cli::kExitOk);
  const auto before = FolderBytes(imported_);
  const ToolRun again = Import(imported_, csv);
  EXPECT_EQ(again.status, cli::kExitProblems);
  EXPECT_THAT(again.err,
              HasSubstr("line 2: invoice 7: This invoice number currently exists. Please enter another one."));
  EXPECT_EQ(ChangedFiles(before, FolderBytes(imported_)), "");
}

// Each file starts with a good invoice; one bad row refuses all of it, with the row's line and
// why, and no file of the folder changes.
TEST_F(InvoiceImportTest, ABadRowRefusesTheWholeFileWithItsLine) {
  const std::string header =
      "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,TaxAmount,PaidAmount,ProductCode,Quantity,"
      "Description,UnitPrice,TaxMark,Extension,MemoText\n"
      "500,P,C1,03/01/2024,,,A1,1,Good one,10,N,,\n";
  const std::string hundredRows = [] {
    std::string rows;
    for (int i = 0; i < 100; ++i) rows += "502,P,C1,03/01/2024,,,,1,Item,1,N,,\n";
    return rows;
  }();
  const std::string longMemo = [] {
    std::string body;
    for (int i = 0; i < 26; ++i) body += "line\n";
    return "502,M,C1,03/01/2024,,,,1,Memo,,,,\"" + body + "\"\n";
  }();
  struct Case {
    const char* what;
    std::string rows;
    std::string error;
  } cases[] = {
      {"a line's quantity", "501,P,C1,03/01/2024,,,,1,Fine,2,N,,\n501,P,C1,03/01/2024,,,,x,Bad,2,N,,\n",
       "line 4: invoice 501: Line 2 has an invalid QUANTITY value."},
      {"a price without quantity", "501,P,C1,03/01/2024,,,,,Bad,2,N,,\n",
       "line 3: invoice 501: Line 1 has a unit price but no quantity."},
      {"a missing customer", "501,P,C9,03/01/2024,,,,1,Thing,2,N,,\n", "line 3: invoice 501: there is no customer C9"},
      {"a neighbour is no customer", "501,P,C,03/01/2024,,,,1,Thing,2,N,,\n",
       "line 3: invoice 501: there is no customer C"},
      {"a date", "501,P,C1,02/30/2024,,,,1,Thing,2,N,,\n", "line 3: invoice 501: You have an invalid invoice date."},
      {"a repeat billing number", "50G,P,C1,03/01/2024,,,,1,Thing,2,N,,\n",
       "line 3: invoice 50G: Please do not use the letter \"G\""},
      {"a deposit number", "DP5,P,C1,03/01/2024,,,,1,Thing,2,N,,\n",
       "line 3: invoice DP5: Please do not begin your invoice numbers with \"DP\"."},
      {"the same number twice", "501,P,C1,03/01/2024,,,,1,Other,2,N,,\n500,P,C1,03/01/2024,,,,1,Again,2,N,,\n",
       "line 4: invoice 500: This invoice number currently exists."},
      {"a number too long", "1234567890,P,C1,03/01/2024,,,,1,Thing,2,N,,\n",
       "line 3: invoice 1234567890: InvoiceNumber"},
      {"invoice fields that differ", "501,P,C1,03/01/2024,,,,1,A,2,N,,\n501,P,C2,03/01/2024,,,,1,B,2,N,,\n",
       "line 4: invoice 501: CustomerNumber differs from the invoice's first row (line 3)"},
      {"a tax the lines do not give", "501,P,C1,03/01/2024,9.99,,,1,Thing,100,Y,,\n",
       "line 3: invoice 501: TaxAmount 9.99 is not the tax of its lines (8.25 at the company's rate of 8.25%"},
      {"an extension the line does not give", "501,P,C1,03/01/2024,,,,3,Thing,2,N,7.00,\n",
       "line 3: invoice 501: Extension 7.00 is not Quantity x UnitPrice (6.00)"},
      {"paid over the total", "501,P,C1,03/01/2024,,30,,1,Thing,20,N,,\n",
       "line 3: invoice 501: The paid amount cannot exceed the invoice total amount."},
      {"a comma for a decimal point", "501,P,C1,03/01/2024,,,,\"1,5\",Thing,20,N,,\n",
       "line 3: invoice 501: Line 1 has an invalid QUANTITY value."},
      {"a memo of two rows", "501,M,C1,03/01/2024,,,,1,Memo,,,,Body\n501,M,C1,03/01/2024,,,,1,Memo,,,,Body\n",
       "line 4: invoice 501: a memo invoice has one row, its body in MemoText"},
      {"a memo without body", "501,M,C1,03/01/2024,,,,1,Memo,,,,\n",
       "line 3: invoice 501: You do not have any text entered in the body of your invoice."},
      {"a memo body too long", longMemo, "line 3: invoice 502: The memo text is longer than the 25 lines"},
      {"a body on line items", "501,P,C1,03/01/2024,,,,1,Thing,2,N,,Body\n",
       "line 3: invoice 501: MemoText belongs to a memo invoice (InvoiceType M) only"},
      {"a hundred lines", hundredRows, "line 102: invoice 502: an invoice holds at most 99 lines"},
      {"a character Latin-1 has not", "501,P,C1,03/01/2024,,,,1,Price in \xE2\x82\xAC,2,N,,\n", "line 3: "},
      {"a control character", "501,P,C1,03/01/2024,,,,1,Tab\there,2,N,,\n", "line 3: invoice 501: Description"},
  };
  const auto before = FolderBytes(imported_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun r = Import(imported_, header + c.rows);
    EXPECT_EQ(r.status, cli::kExitProblems);
    EXPECT_THAT(r.err, HasSubstr(c.error));
    EXPECT_THAT(r.err, HasSubstr("nothing was imported: 1 problem\n"));
    EXPECT_EQ(ChangedFiles(before, FolderBytes(imported_)), "");
  }
}

TEST_F(InvoiceImportTest, EveryBadInvoiceIsReportedNotOnlyTheFirst) {
  const ToolRun r = Import(imported_,
                           "InvoiceNumber,CustomerNumber,InvoiceDate,Description,Quantity,UnitPrice\n"
                           "1,C9,01/02/2024,Chair,1,20\n"
                           "2,C1,01/02/2024,Chair,1,20\n"
                           "3,C1,13/02/2024,Chair,1,20\n");
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.err, HasSubstr("line 2: invoice 1: there is no customer C9\nline 4: invoice 3: You have an invalid"));
  EXPECT_THAT(r.err, HasSubstr("nothing was imported: 2 problems"));
  EXPECT_TRUE(BlockRecords(imported_, "1I").empty());
}

TEST_F(InvoiceImportTest, AHeaderWithoutARequiredColumnIsRefused) {
  const ToolRun r = Import(imported_, "InvoiceNumber,CustomerNumber,Description\n1,C1,Chair\n");
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.err, HasSubstr("line 1: "));
  EXPECT_THAT(r.err, HasSubstr("InvoiceDate"));
}

// An invoice that entry's save could not write as rows is not exported in part.
TEST_F(InvoiceImportTest, AnExportOfAMemoInvoiceWithoutItsBodyWritesNothing) {
  ASSERT_EQ(Import(imported_,
                   "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,NetAmount,Description,MemoText\n"
                   "9,M,C1,01/02/2024,10,Memo,Body\n")
                .status,
            cli::kExitOk);
  const fs::path previous = fs::current_path();
  fs::current_path(imported_);
  engine::InitEngine(0, engine::kMinPageBuffers);
  engine::DeleteFileBlock("1M");
  const records::RecordFileKind& memos = records::invoice::MemoFileKind();
  engine::MakeFileBlock("1M", memos.recordLength, int(memos.keys.size()), memos.keys);
  engine::ExitEngine();
  fs::current_path(previous);
  const std::string file = work_ / "out.csv";
  const ToolRun r = RunTool({"--data", imported_.string(), "export", "invoices", file});
  EXPECT_EQ(r.status, cli::kExitProblems);
  EXPECT_THAT(r.err, HasSubstr("the memo body of invoice 9 is not in the memo file, so nothing was exported"));
  EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace tf::test
