// The purge of paid invoices: exactly the invoice numbers whose every record is settled and
// older than the cut-off go, with their lines and memo, and nothing else changes: the open
// invoice of a paid partial payment keeps its records, lines and memo, a record dated on the
// cut-off day or without a date stays, the customers and the company keep their balances, and
// the books and indexes check clean afterwards. The tool runs the same purge, asks for the
// password when one is set, and --dry-run changes nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <sstream>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "invoicing/books_check.h"
#include "maintenance/passwords.h"
#include "maintenance/purge.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
namespace inv = records::invoice;
using namespace std::chrono;
using cli::testing::RunTool;
using ::testing::HasSubstr;

struct Stored {
  const char* number;
  const char* kind;      // RecordKind
  const char* type;      // InvoiceType
  const char* paid;      // PaidFlag
  const char* dateKey;
  const char* balance;
  int lines;             // line records written for the number with this record
  bool memo;
  bool goes;             // what a purge with the cut-off 2001/01/01 must remove
};

// Every record kind, settled or open, on both sides of the cut-off 2001/01/01. C1's open
// balance is 50.00 (C1) + 30.00 (D1): 80.00, the company's too.
const Stored kBooks[] = {
    {"A1", "I", "P", "P", "2000/12/31", "0.00", 2, false, true},    // paid, the day before: goes
    {"B1", "I", "P", "P", "2001/01/01", "0.00", 1, false, false},   // paid on the cut-off day: stays
    {"C1", "I", "P", " ", "1999/05/05", "50.00", 1, false, false},  // open: stays
    {"D1", "Z", "P", " ", "1999/06/01", "30.00", 2, false, false},  // open, partly paid...
    {"D1", "X", "P", "P", "1999/07/01", "0.00", 0, false, false},   // ...its paid payment stays with it
    {"E1", "Z", "M", "P", "1999/08/01", "0.00", 1, true, true},     // paid in two parts, a memo: all go
    {"E1", "X", "M", "P", "1999/09/01", "0.00", 0, false, true},
    {"E1", "X", "M", "P", "1999/10/01", "0.00", 0, false, true},
    {"F1", "I", "M", "P", "2000/02/02", "0.00", 1, true, true},     // a paid memo invoice goes
    {"G1", "Z", "P", "P", "1999/01/01", "0.00", 1, false, false},   // settled, but...
    {"G1", "X", "P", "P", "2002/01/01", "0.00", 0, false, false},   // ...its last payment is newer
    {"H1", "I", "P", "P", "", "0.00", 1, false, false},             // no date: never taken for old
    {"DP9", "D", "D", "P", "1999/03/03", "0.00", 0, false, true},   // a deposit used up: goes
};

class PurgeTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    namespace co = records::company;
    common::RecordBuffer company(co::kCompanyRecordLength);
    common::WriteText(company, co::kCompanyName, "Purge Books");
    common::WriteText(company, co::kCompanyNumber, "1");
    common::WriteText(company, co::kCompanyBalance, "80.00");
    ASSERT_TRUE(MakeCompanyFile(company));
    Add(records::customer::CustomerFileKind(), "1C", Customer());
    for (const Stored& s : kBooks) {
      Add(inv::InvoiceFileKind(), "1I", Invoice(s));
      for (int n = 0; n < s.lines; ++n) Add(inv::LineFileKind(), "1D", Line(s.number, s.dateKey));
      if (s.memo) Add(inv::MemoFileKind(), "1M", Memo(s.number));
    }
    ASSERT_TRUE(invoicing::CheckBooks("1", "80.00").Clean());
  }

  static common::RecordBuffer Customer() {
    namespace cu = records::customer;
    common::RecordBuffer r(cu::kCustomerRecordLength);
    common::WriteText(r, cu::kCustomerNumber, "C1");
    common::WriteText(r, cu::kCustomerName, "Ann Smith");
    common::WriteText(r, cu::kBalance, "80.00");
    return r;
  }
  static common::RecordBuffer Invoice(const Stored& s) {
    common::RecordBuffer r(inv::kInvoiceRecordLength);
    common::WriteText(r, inv::kInvoiceNumber, s.number);
    common::WriteText(r, inv::kRecordKind, s.kind);
    common::WriteText(r, inv::kInvoiceType, s.type);
    common::WriteText(r, inv::kPaidFlag, s.paid);
    common::WriteText(r, inv::kDateKey, s.dateKey);
    common::WriteText(r, inv::kCustomerNumber, "C1");
    common::WriteText(r, inv::kCompanyNumber, "1");
    common::WriteText(r, inv::kTotalAmount, "100.00");
    common::WriteText(r, inv::kBalanceDue, s.balance);
    return r;
  }
  static common::RecordBuffer Line(const char* number, const char* dateKey) {
    common::RecordBuffer r(inv::kLineRecordLength);
    common::WriteText(r, inv::kLineInvoiceNumber, number);
    common::WriteText(r, inv::kLineKind, "P");
    common::WriteText(r, inv::kLineCompanyNumber, "1");
    common::WriteText(r, inv::kLineDateKey, dateKey);
    common::WriteText(r, inv::kLineText, "1         Item");
    return r;
  }
  static common::RecordBuffer Memo(const char* number) {
    common::RecordBuffer r(inv::kMemoRecordLength);
    common::WriteText(r, inv::kMemoInvoiceNumber, number);
    common::WriteText(r, inv::MemoLine(1), std::string("The memo of ") + number);
    return r;
  }
  void Add(const records::RecordFileKind& kind, const std::string& name, const common::RecordBuffer& record) {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), name);
    if (!engine::EngineOK) {
      engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
      engine::OpenFileBlock(block.handle(), name);
    }
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(block.get(), kind, record, ref, prompter_));
  }

  // Invoice records, lines and memo still on file for a number.
  struct OnFile {
    int records = 0, lines = 0;
    bool memo = false;
  };
  OnFile Count(const std::string& number) {
    OnFile f;
    engine::FileBlockGuard invoices, lines, memos;
    engine::OpenFileBlock(invoices.handle(), "1I");
    engine::OpenFileBlock(lines.handle(), "1D");
    engine::OpenFileBlock(memos.handle(), "1M");
    f.records = int(inv::ReadInvoiceRecords(invoices.get(), number).value().size());
    f.lines = int(inv::ReadInvoiceLines(lines.get(), number).value().size());
    std::int32_t ref = 0;
    f.memo = inv::FindMemo(memos.get(), number, ref, prompter_);
    return f;
  }

  maintenance::PurgeResult Purge(bool dryRun) {
    SilentStatus status;
    return maintenance::PurgePaidInvoices({"1", year{2001} / January / 1, dryRun}, prompter_, status);
  }

  common::ScriptedPrompter prompter_;
};

std::set<std::string> Numbers(const std::vector<maintenance::PurgedInvoice>& removed) {
  std::set<std::string> numbers;
  for (const auto& p : removed) numbers.insert(p.number);
  return numbers;
}

TEST_F(PurgeTest, RemovesExactlyTheNumbersWhoseEveryRecordIsSettledAndOld) {
  const std::string customers = common::ReadWholeFile("1C.DAT");
  const std::string companies = common::ReadWholeFile("Company.DAT");
  // What must go, worked out from the table on its own.
  std::set<std::string> expected, all;
  int records = 0, lines = 0, memos = 0;
  for (const Stored& s : kBooks) {
    all.insert(s.number);
    if (!s.goes) continue;
    expected.insert(s.number);
    ++records;
    lines += s.lines;
    memos += s.memo ? 1 : 0;
  }

  const maintenance::PurgeResult result = Purge(false);
  EXPECT_TRUE(result.error.empty());
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(Numbers(result.removed), expected);
  EXPECT_EQ(result.RemovedRecords(), records);
  EXPECT_EQ(result.RemovedLines(), lines);
  EXPECT_EQ(result.RemovedMemos(), memos);
  EXPECT_EQ(result.keptOpen, 2);  // D1 and G1 have an old settled record but stay

  for (const std::string& number : all) {
    OnFile wanted;
    for (const Stored& s : kBooks)
      if (s.number == number && !s.goes) {
        ++wanted.records;
        wanted.lines += s.lines;
        wanted.memo = wanted.memo || s.memo;
      }
    const OnFile left = Count(number);
    EXPECT_EQ(left.records, wanted.records) << number;
    EXPECT_EQ(left.lines, wanted.lines) << number;
    EXPECT_EQ(left.memo, wanted.memo) << number;
  }
  // No balance moved; indexes and books are whole.
  EXPECT_EQ(common::ReadWholeFile("1C.DAT"), customers);
  EXPECT_EQ(common::ReadWholeFile("Company.DAT"), companies);
  EXPECT_EQ(Findings("1I", inv::InvoiceKeys), "");
  EXPECT_EQ(Findings("1D", inv::LineKeys), "");
  EXPECT_EQ(Findings("1M", inv::MemoKeys), "");
  const invoicing::BooksReport books = invoicing::CheckBooks("1", "80.00");
  EXPECT_TRUE(books.Clean()) << (books.findings.empty() ? "" : books.findings.front());

  // A second purge finds nothing more.
  EXPECT_TRUE(Purge(false).removed.empty());
}

TEST_F(PurgeTest, ADryRunFindsTheSameAndChangesNothing) {
  const FolderImage before = DataFileBytes(".");
  const maintenance::PurgeResult dry = Purge(true);
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(".")), "");
  const maintenance::PurgeResult real = Purge(false);
  EXPECT_EQ(Numbers(dry.removed), Numbers(real.removed));
  EXPECT_EQ(dry.RemovedRecords(), real.RemovedRecords());
  EXPECT_EQ(dry.RemovedLines(), real.RemovedLines());
}

TEST_F(PurgeTest, ACompanyWithoutInvoicesHasNothingToPurgeAndGetsNoFiles) {
  SilentStatus status;
  const maintenance::PurgeResult result =
      maintenance::PurgePaidInvoices({"2", year{2001} / January / 1, false}, prompter_, status);
  EXPECT_TRUE(result.error.empty());
  EXPECT_TRUE(result.removed.empty());
  EXPECT_FALSE(fs::exists("2I.DAT"));
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST(PurgeDate, ProposesTodayTwoYearsBackAndTheTwentyEighthForALeapDay) {
  struct Case {
    year_month_day today, proposed;
  } cases[] = {
      {year{2024} / February / 29, year{2022} / February / 28},
      {year{2024} / March / 15, year{2022} / March / 15},
      {year{2023} / December / 31, year{2021} / December / 31},
      {year{2026} / February / 28, year{2024} / February / 28},
  };
  for (const Case& c : cases) EXPECT_EQ(maintenance::DefaultPurgeCutoff(c.today), c.proposed);
}

// --- the tool ----------------------------------------------------------------------------------

class PurgeToolTest : public BooksFolderTest {
 protected:
  cli::testing::ToolRun Purge(const std::vector<std::string>& more, const std::string& input = "") {
    std::vector<std::string> args{"--data", data_.string(), "purge"};
    args.insert(args.end(), more.begin(), more.end());
    return RunToolWithInput(args, input);
  }
};

TEST_F(PurgeToolTest, ADryRunListsThePaidInvoicesAndThePurgeRemovesThem) {
  const FolderImage before = DataFileBytes(data_);
  const auto dry = Purge({"--paid-before", "2021-01-01", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_THAT(dry.out, HasSubstr("would remove invoice 100: 1 record, 2 lines\n"));
  EXPECT_THAT(dry.out, HasSubstr("would remove invoice 102: 1 record, 1 line, its memo\n"));
  EXPECT_THAT(dry.out, ::testing::Not(HasSubstr("invoice 101")));  // open
  EXPECT_THAT(dry.out, ::testing::Not(HasSubstr("invoice 103")));  // newer
  EXPECT_THAT(dry.out, HasSubstr("2 paid records older than 01/01/2021 would be removed"));
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(data_)), "");

  const auto purge = Purge({"--paid-before", "01/01/2021"});
  ASSERT_EQ(purge.status, 0) << purge.err;
  EXPECT_THAT(purge.out, HasSubstr("2 paid records older than 01/01/2021 were removed."));
  const auto check = RunTool({"--data", data_.string(), "check"});
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_THAT(Purge({"--paid-before", "2021-01-01", "--dry-run"}).out, HasSubstr("0 paid records"));
}

TEST_F(PurgeToolTest, WithAPasswordSetThePurgeAsksForItAndAWrongOneChangesNothing) {
  const fs::path previous = fs::current_path();
  fs::current_path(data_);
  maintenance::SavePassword("Secret");
  fs::current_path(previous);
  const FolderImage before = DataFileBytes(data_);
  const auto wrong = Purge({"--paid-before", "2021-01-01"}, "secret\n");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_THAT(wrong.err, HasSubstr("not the password"));
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(data_)), "");
  const auto right = Purge({"--paid-before", "2021-01-01"}, "  Secret \n");
  EXPECT_EQ(right.status, 0) << right.err;
  EXPECT_THAT(right.out, HasSubstr("2 paid records"));
}

TEST_F(PurgeToolTest, ADateThatIsNoDateIsRefused) {
  const auto bad = Purge({"--paid-before", "2021-02-30"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_THAT(bad.err, HasSubstr("is not a date"));
  EXPECT_EQ(Purge({}).status, 2);
}

}  // namespace
}  // namespace tf::test
