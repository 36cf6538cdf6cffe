// The invoice, line and memo file blocks through their own procedures: opening, the guarded
// maintenance with its all-or-nothing rule under file faults, exact finding, the reading of one
// invoice number's records, the date fields and the invoice numbering.

#include "records/invoice_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "records/invoice_record.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/fault_file_system.h"

namespace tf::records::invoice {
namespace {

using namespace std::chrono;
using namespace ::tf::test;
using common::PromptAnswer;
using common::ReadText;
using common::RecordBuffer;
using common::ScriptedPrompter;
using common::WriteText;
using engine::EngineOK;
using engine::EngineStatus;
using engine::FileBlock;

RecordBuffer Invoice(std::string_view number, std::string_view kind, std::string_view customer = "C1",
                     std::string_view datePaid = "") {
  RecordBuffer r(kInvoiceRecordLength);
  WriteText(r, kInvoiceNumber, number);
  WriteText(r, kRecordKind, kind);
  WriteText(r, kCustomerNumber, customer);
  WriteText(r, kKeyCode, "None");
  EXPECT_TRUE(SetInvoiceDate(r, "03/07/1999", common::DateFormat::MonthFirst));
  WriteText(r, kDatePaid, datePaid);
  WriteText(r, kTotalAmount, "10.00");
  return r;
}

RecordBuffer Line(std::string_view number, std::string_view text) {
  RecordBuffer r(kLineRecordLength);
  WriteText(r, kLineInvoiceNumber, number);
  WriteText(r, kLineDateKey, "1999/03/07");
  WriteText(r, kLineText, text);
  return r;
}

struct BlockState {
  std::vector<std::vector<engine::testing::KeyEntry>> keys;
  std::vector<std::vector<std::uint8_t>> records;
  bool operator==(const BlockState&) const = default;
};

BlockState Snapshot(FileBlock* h) {
  BlockState s;
  for (int k = 1; k <= engine::KeyCount(h); ++k) s.keys.push_back(engine::testing::WalkKeys(h, k));
  for (std::int32_t ref : engine::testing::WalkRecords(h)) {
    std::vector<std::uint8_t> bytes(std::size_t(engine::RecordLength(h)));
    engine::GetRecord(h, ref, bytes.data());
    s.records.push_back(bytes);
  }
  return s;
}

class InvoiceFileTest : public DataFolderTest {
 protected:
  FileBlock* OpenInvoices() {
    FileBlock* h = nullptr;
    ScriptedPrompter prompter;
    EXPECT_TRUE(OpenInvoiceFile(h, "7", prompter, status_)) << EngineStatus;
    return h;
  }
  FileBlock* OpenLines() {
    FileBlock* h = nullptr;
    ScriptedPrompter prompter;
    EXPECT_TRUE(OpenLineFile(h, "7", prompter, status_)) << EngineStatus;
    return h;
  }
  void CloseAndCheck(FileBlock*& h, const std::string& name, const engine::KeyBuilder& keys) {
    engine::CloseFileBlock(h);
    EXPECT_EQ(Findings(name, keys), "");
  }
  std::int32_t Add(FileBlock* h, const RecordBuffer& r) {
    ScriptedPrompter prompter;
    std::int32_t ref = 0;
    EXPECT_TRUE(AddInvoice(h, r, ref, prompter)) << EngineStatus;
    return ref;
  }
  SilentStatus status_;
};

TEST_F(InvoiceFileTest, OnlyAMissingInvoiceFileIsAnnounced) {
  FileBlock* invoices = nullptr;
  FileBlock* lines = nullptr;
  FileBlock* memos = nullptr;
  ScriptedPrompter prompter;
  ASSERT_TRUE(OpenInvoiceFile(invoices, " 7 ", prompter, status_));
  ASSERT_TRUE(OpenLineFile(lines, "7", prompter, status_));
  ASSERT_TRUE(OpenMemoFile(memos, "7", prompter, status_));
  ASSERT_EQ(prompter.Texts(), std::vector<std::string>{std::string(kNewInvoiceFileNotice)});
  EXPECT_EQ(prompter.Shown()[0].caption, "New Company");
  EXPECT_EQ(engine::RecordLength(invoices), 360);
  EXPECT_EQ(engine::KeyCount(invoices), 6);
  EXPECT_EQ(engine::RecordLength(lines), 132);
  EXPECT_EQ(engine::RecordLength(memos), 1892);
  engine::CloseFileBlock(invoices);
  engine::CloseFileBlock(lines);
  engine::CloseFileBlock(memos);
  prompter.Clear();
  ASSERT_TRUE(OpenInvoiceFile(invoices, "7", prompter, status_));  // now there: no notice
  EXPECT_TRUE(prompter.Texts().empty());
  engine::CloseFileBlock(invoices);
}

TEST_F(InvoiceFileTest, AZInvoiceAndItsXPaymentShareTheNumberAndKeyFiveTellsThemApart) {
  FileBlock* h = OpenInvoices();
  Add(h, Invoice("A10", "I"));
  const std::int32_t z = Add(h, Invoice("A100", "Z", "C2"));
  const std::int32_t x = Add(h, Invoice("a100", "X", "C2", "1999/04/01"));
  Add(h, Invoice("A1000", "I"));
  const auto records = ReadInvoiceRecords(h, " a100 ");
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 2u);  // neither A10 nor A1000
  EXPECT_EQ((*records)[0].ref, z);
  EXPECT_EQ((*records)[1].ref, x);
  EXPECT_EQ(InvoiceKey((*records)[0].record, kKeyByKind), "ZA100     ");
  EXPECT_EQ(InvoiceKey((*records)[1].record, kKeyByKind), "XA100     ");
  const auto ofCustomer = ReadCustomerInvoices(h, "c2");
  ASSERT_TRUE(ofCustomer.has_value());
  EXPECT_EQ(ofCustomer->size(), 2u);
  const auto none = ReadInvoiceRecords(h, "A2");
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());
  CloseAndCheck(h, "7I", InvoiceKeys);
}

TEST_F(InvoiceFileTest, FindingLandsOnlyOnTheNumberAskedFor) {
  FileBlock* h = OpenInvoices();
  const std::int32_t a100 = Add(h, Invoice("A100", "I"));
  ScriptedPrompter prompter;
  std::int32_t ref = -1;
  EXPECT_FALSE(FindInvoice(h, "A10", ref, prompter));  // A100 is the next key, not A10
  EXPECT_TRUE(EngineOK);
  EXPECT_EQ(ref, -1);
  EXPECT_FALSE(FindInvoice(h, "B", ref, prompter));  // past the end of the index
  EXPECT_TRUE(EngineOK);
  ASSERT_TRUE(FindInvoice(h, "a100", ref, prompter));
  EXPECT_EQ(ref, a100);
  CloseAndCheck(h, "7I", InvoiceKeys);

  FileBlock* lines = OpenLines();
  std::int32_t lineRef = 0;
  ASSERT_TRUE(AddLine(lines, Line("a100", "1"), lineRef, prompter));
  ref = 0;
  EXPECT_TRUE(FindLine(lines, InvoiceNumberKey("A100"), kLineKeyByInvoice, ref, prompter));
  EXPECT_EQ(ref, lineRef);
  EXPECT_FALSE(FindLine(lines, InvoiceNumberKey("A1"), kLineKeyByInvoice, ref, prompter));
  CloseAndCheck(lines, "7D", LineKeys);
}

TEST_F(InvoiceFileTest, TheLinesOfOneInvoiceComeInKeyOrderWithoutTheirNeighbours) {
  FileBlock* h = OpenLines();
  ScriptedPrompter prompter;
  std::int32_t ref = 0;
  for (const auto& [number, text] : std::vector<std::pair<std::string, std::string>>{
           {"7", "x"}, {"77", "first"}, {"778", "y"}, {"77", "second"}, {"77", "third"}})
    ASSERT_TRUE(AddLine(h, Line(number, text), ref, prompter));
  const auto lines = ReadInvoiceLines(h, "77");
  ASSERT_TRUE(lines.has_value());
  std::vector<std::string> texts;
  for (const StoredRecord& l : *lines) texts.push_back(ReadText(l.record, kLineText));
  EXPECT_EQ(texts, (std::vector<std::string>{"first", "second", "third"}));
  CloseAndCheck(h, "7D", LineKeys);
}

TEST_F(InvoiceFileTest, AModifyOfThePaidFieldsMovesOnlyKeySix) {
  FileBlock* h = OpenInvoices();
  const RecordBuffer old = Invoice("A100", "I");
  const std::int32_t ref = Add(h, old);
  const BlockState before = Snapshot(h);
  RecordBuffer paid = old;
  WriteText(paid, kPaidFlag, "P");
  WriteText(paid, kDatePaid, "1999/05/01");
  ScriptedPrompter prompter;
  ASSERT_TRUE(ModifyInvoice(h, paid, old, ref, prompter)) << EngineStatus;
  const BlockState after = Snapshot(h);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(after.keys[k], before.keys[k]) << "key " << k + 1;
  ASSERT_EQ(after.keys[5].size(), 1u);
  EXPECT_EQ(after.keys[5][0].first, "1999/05/01");
  CloseAndCheck(h, "7I", InvoiceKeys);
}

TEST_F(InvoiceFileTest, ReplaceKeyAddsTheNewKeyBeforeRemovingTheOld) {
  FileBlock* h = OpenInvoices();
  const std::int32_t ref = Add(h, Invoice("A100", "I"));
  ScriptedPrompter prompter;
  EXPECT_TRUE(ReplaceKey(h, "NONE    ", "NONE    ", ref, kKeyByKeyCode, prompter));
  ASSERT_TRUE(ReplaceKey(h, "NONE    ", "RUSH    ", ref, kKeyByKeyCode, prompter));
  const auto keys = engine::testing::WalkKeys(h, kKeyByKeyCode);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0], (engine::testing::KeyEntry{"RUSH    ", ref}));
  engine::CloseFileBlock(h);  // the record itself still says "None": only the index moved
}

// With this many invoices the indexes outgrow the smallest pool, so pages are written back
// inside the operations under test.
constexpr int kFiller = 300;

// Every file call of an add, a modify that renumbers and a delete fails in turn: a failed
// operation leaves the invoice file exactly as it was (an add whose key 5 fails leaves no record
// and none of the other keys), and the checker finds nothing.
TEST_F(InvoiceFileTest, AFaultAtAnyFileCallLeavesTheInvoiceFileAsItWas) {
  enum Op { Add, Modify, Delete };
  const RecordBuffer first = Invoice("A1", "I");
  std::int32_t ref = 0;
  {
    FileBlock* h = OpenInvoices();
    ref = this->Add(h, first);
    for (int i = 0; i < kFiller; ++i)
      this->Add(h, Invoice("F" + std::to_string(1000 + i), i % 2 ? "I" : "X", "C" + std::to_string(i % 37)));
    engine::CloseFileBlock(h);
  }
  namespace fs = std::filesystem;
  fs::copy_file("7I.DAT", "seed.DAT");
  fs::copy_file("7I.IX", "seed.IX");
  for (Op op : {Add, Modify, Delete}) {
    int failures = 0;
    for (int nth = 1; nth < 2000; ++nth) {
      fs::copy_file("seed.DAT", "7I.DAT", fs::copy_options::overwrite_existing);
      fs::copy_file("seed.IX", "7I.IX", fs::copy_options::overwrite_existing);
      FileBlock* h = OpenInvoices();
      RecordBuffer renumbered = first;
      WriteText(renumbered, kInvoiceNumber, "C12345678");
      WriteText(renumbered, kRecordKind, "Z");
      WriteText(renumbered, kCustomerNumber, "C9");
      const BlockState before = Snapshot(h);
      FaultFileSystem faulty;
      ScriptedPrompter prompter;
      bool ok = false;
      {
        engine::ScopedFileSystem scoped(faulty);
        faulty.Arm(FaultKind::Eio, nth, false);
        std::int32_t added = 0;
        switch (op) {
          case Add: ok = AddInvoice(h, Invoice("A123456789", "Z"), added, prompter); break;
          case Modify: ok = ModifyInvoice(h, renumbered, first, ref, prompter); break;
          case Delete: ok = DeleteInvoice(h, first, ref, prompter); break;
        }
        faulty.Disarm();
      }
      const bool met = faulty.InjectedCount() > 0;
      if (!ok) {
        ++failures;
        EXPECT_TRUE(met) << "op " << op << " fault " << nth;
        EXPECT_EQ(Snapshot(h), before) << "op " << op << " fault at call " << nth;
      }
      CloseAndCheck(h, "7I", InvoiceKeys);
      if (!met || HasFailure()) break;
    }
    EXPECT_GT(failures, 2) << "op " << op;
  }
}

TEST_F(InvoiceFileTest, TheDateFieldsComeFromTheDateInTheCompanyFormat) {
  RecordBuffer r(kInvoiceRecordLength);
  ASSERT_TRUE(SetInvoiceDate(r, "7/3/1999", common::DateFormat::DayFirst));
  EXPECT_EQ(ReadText(r, kInvoiceDate), "07/03/1999");
  EXPECT_EQ(ReadText(r, kInvoiceMonth), "03");
  EXPECT_EQ(ReadText(r, kInvoiceDay), "07");
  EXPECT_EQ(ReadText(r, kInvoiceYear), "1999");
  EXPECT_EQ(ReadText(r, kDateKey), "1999/03/07");
  EXPECT_EQ(InvoiceDateOf(r), year_month_day(1999y / March / 7d));
  const RecordBuffer before = r;
  EXPECT_FALSE(SetInvoiceDate(r, "02/30/2024", common::DateFormat::MonthFirst));
  EXPECT_FALSE(SetInvoiceDate(r, "12/31/99", common::DateFormat::MonthFirst));
  EXPECT_EQ(r, before);
}

TEST(InvoiceNumberTest, ProposedNumbers) {
  EXPECT_EQ(ProposeInvoiceNumber(" 100 ", false, 1999y / March / 7d), "100");
  EXPECT_EQ(ProposeInvoiceNumber("100", true, 1999y / March / 7d), "9903100");
  EXPECT_EQ(ProposeInvoiceNumber("12345", true, 2024y / December / 1d), "241212345");
  EXPECT_EQ(ProposeInvoiceNumber("123456", true, 2024y / December / 1d), std::nullopt);
  EXPECT_EQ(ProposeInvoiceNumber("1234567890", false, 2024y / December / 1d), std::nullopt);
}

TEST(InvoiceNumberTest, NextNumberAfterAnInvoiceIsStored) {
  struct Case {
    std::string current, used;
    bool prefix;
    std::string next;
  };
  const Case cases[] = {
      {"100", "100", false, "101"},
      {"100", "105", false, "106"},           // numbers typed ahead move the sequence on
      {"200", "105", false, "200"},           // an older number never moves it back
      {"100", "A105", false, "100"},          // not all digits: left alone
      {"100", "10-5", false, "100"},
      {"100", "0099", false, "100"},
      {"100", "999999999", false, "100"},     // its successor has 10 digits
      {"100", "99999998", false, "99999999"},
      {"106", "9903105", true, "106"},
      {"100", "9903105", true, "106"},        // the prefix is not part of the sequence
      {"100", "990399999", true, "100"},      // 100000 does not fit behind the prefix
      {"100", "9903", true, "100"},           // no sequence at all
      {"100", "9903x7", true, "100"},
      {"abc", "41", false, "42"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextInvoiceNumberAfter(c.current, c.used, c.prefix), c.next) << c.current << " " << c.used;
}

TEST(InvoiceKindTest, KindsShowTheirTexts) {
  RecordBuffer r(kInvoiceRecordLength);
  const std::pair<std::string, std::string> kinds[] = {
      {"I", "I - Regular Invoice"},
      {"G", "G - Repeat Billing Generated Invoice"},
      {"Z", "Z - Invoice has Partial Payment(s) of Type X"},
      {"X", "X - Partial Payment Record against Type Z"},
      {"D", "D - Deposit on Account"},
      {"T", "T - Deposit Taken (offsets type D)"},
  };
  for (const auto& [kind, text] : kinds) {
    WriteText(r, kRecordKind, kind);
    EXPECT_EQ(RecordKindText(r), text);
  }
  WriteText(r, kRecordKind, "R");
  WriteText(r, kRepeatCount, "4");
  EXPECT_EQ(RecordKindText(r), "R - Repeat Billing Master Record (Created: 4)");
}

}  // namespace
}  // namespace tf::records::invoice
