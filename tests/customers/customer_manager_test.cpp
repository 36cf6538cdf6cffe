// The Customer Manager's commands on a real customer file, with the editor driven as a user
// would and every message answered by the scripted prompter.

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/clock.h"
#include "common/recording_canvas.h"
#include "common/side_file.h"
#include "customers/customer_invoices.h"
#include "customers/customer_list.h"
#include "customers/customer_list_report.h"
#include "customers/customer_manager.h"
#include "tests/customers/customer_fixture.h"
#include "tests/support/fault_file_system.h"

namespace tf::customers::testing {
namespace {

using common::PromptAnswer;

class RecordingViewer : public common::TextReportViewer {
 public:
  void ShowTextFile(const std::string& path, std::string_view title) override {
    titles.emplace_back(title);
    text = common::ReadWholeFile(path);
  }
  std::vector<std::string> titles;
  std::string text;
};

// The list on a bare browse model whose reads can be made to fail as an engine failure under
// the list fails them.
class FailingList : public browse::BrowseModelList {
 public:
  using BrowseModelList::BrowseModelList;
  int ReadCurrentRecord(bool& unchanged) override {
    if (failReads) throw browse::BrowseError(3, 9999);
    return BrowseModelList::ReadCurrentRecord(unchanged);
  }
  bool failReads = false;
};

class CustomerManagerTest : public CustomerFolderTest {
 protected:
  void SetUp() override {
    CustomerFolderTest::SetUp();
    book_.ReadStartupFile();
    manager_ = std::make_unique<CustomerManager>(
        CustomerManagerServices{{book_, prompter_, status_, viewer_, clock_},
                                queue_,
                                [this] { return emailMode_; },
                                [this](CustomerEditor& e) { return editorScript_(e); },
                                [this](const finder::FindMode& m) { return findScript_(m); },
                                [] { return std::vector<std::string>{"Net 10 Days", "Net 30 Days"}; },
                                nullptr},
        list_);
    prompter_.Answer(PromptAnswer::OK);  // create the customer file
    ASSERT_TRUE(Shown(manager_->Open()));
    prompter_.Clear();
  }
  void TearDown() override {
    manager_.reset();
    engine::KeyBuilder keys = CustomerKeys;
    EXPECT_EQ(tf::test::Findings("1C", keys), "");
    CustomerFolderTest::TearDown();
  }

  // What the window does with an outcome: a failure is shown. True when it is none.
  bool Shown(const browse::Outcome& outcome) { return browse::ShowOutcome(prompter_, outcome); }

  // Adds through the editor: the fields a user types, then "&Ok" (which must pass).
  void AddCustomer(const std::string& name, const std::string& number = "") {
    editorScript_ = [&](CustomerEditor& e) {
      e.Form().name = name;
      if (!number.empty()) e.Form().number = number;
      e.NameExit();
      return Shown(e.Ok());
    };
    Shown(manager_->Add());
  }
  std::string CurrentName() {
    bool unchanged;
    list_.ReadCurrentRecord(unchanged);
    return ReadText(manager_->Buffer(), kCustomerName);
  }
  void GoTo(const std::string& name) { list_.GoToKey(CustomerNameKey(name), 0); }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int k = 1; k <= list_.Model().RowsFilled(); ++k) rows.push_back(common::TrimBoth(list_.Model().Row(k).Row.substr(0, 35)));
    return rows;
  }

  RecordingViewer viewer_;
  common::FixedClock clock_{std::chrono::year_month_day{std::chrono::year{2024}, std::chrono::March, std::chrono::day{5}},
                            std::chrono::hours{14} + std::chrono::minutes{7}};
  correspondence::LabelQueue queue_;
  FailingList list_{10};
  std::function<bool(CustomerEditor&)> editorScript_;
  std::function<std::optional<std::string>(const finder::FindMode&)> findScript_;
  bool emailMode_ = false;
  std::unique_ptr<CustomerManager> manager_;
};

TEST_F(CustomerManagerTest, AddingProposesTheNextNumberAndMovesItOn) {
  editorScript_ = [&](CustomerEditor& e) {
    EXPECT_EQ(e.Title(), "Add Customer");
    EXPECT_EQ(e.Form().number, "100");
    EXPECT_EQ(e.Form().taxExempt, "N");
    EXPECT_EQ(e.Form().creditLimit, "0.00");
    EXPECT_EQ(e.Form().terms, "Net 30 Days");
    EXPECT_EQ(e.BalanceText(), "0.00");
    EXPECT_EQ(e.Terms(), (std::vector<std::string>{"Net 10 Days", "Net 30 Days"}));
    EXPECT_EQ(e.EditedNumber(), "0");
    e.Form().name = "Mary Ann Smith";
    e.NameExit();
    EXPECT_EQ(e.Form().shortName, "MAnn Smith");
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  EXPECT_EQ(CurrentName(), "Mary Ann Smith");
  EXPECT_EQ(ReadText(manager_->Buffer(), kBalance), "0.00");
  EXPECT_EQ(ReadText(manager_->Buffer(), kAgingAmount3), "0.00");
  EXPECT_EQ(ReadText(manager_->Buffer(), kLastInvoiceNumber), "");
  EXPECT_EQ(ReadText(book_.Current(), company::kNextCustomerNumber), "101");
  EXPECT_EQ(CompanyField(company::kNextCustomerNumber), "101");
  EXPECT_EQ(manager_->Panel(0), "Customers: 1");
  // A number that is no number starts the proposals again at 1.
  AddCustomer("Letters", "ABC");
  EXPECT_EQ(CompanyField(company::kNextCustomerNumber), "1");
}

TEST_F(CustomerManagerTest, EditorChecksRunInOrderAndKeepTheEditorOpenOnTheField) {
  AddCustomer("ACME", "7");
  struct Step {
    std::function<void(CustomerForm&)> change;
    std::string message;
    CustomerControl focus;
  };
  const std::vector<Step> steps = {
      {[](CustomerForm& f) { f.name = "  "; f.email = "bad"; f.creditLimit = "x"; }, std::string(kNameMissingText), CustomerControl::CName},
      {[](CustomerForm& f) { f.name = "Zed Co"; }, std::string(kBadEMailText), CustomerControl::EMadd},
      {[](CustomerForm& f) { f.email = "z@example.com"; f.number = " 7 "; }, std::string(kNumberTakenText), CustomerControl::CNo},
      {[](CustomerForm& f) { f.number = "8"; f.name = " acme "; }, std::string(kNameTakenText), CustomerControl::CName},
      {[](CustomerForm& f) { f.name = "Zed Co"; }, std::string(kBadCreditLimitText), CustomerControl::CLimit},
  };
  editorScript_ = [&](CustomerEditor& e) {
    for (const Step& s : steps) {
      prompter_.Clear();
      s.change(e.Form());
      EXPECT_FALSE(Shown(e.Ok()));
      EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{s.message});
      EXPECT_EQ(e.Focus(), s.focus) << s.message;
    }
    e.Form().creditLimit = "1,000";
    EXPECT_TRUE(Shown(e.Ok()));
    // The short name was filled by the second check even though a later one failed.
    EXPECT_EQ(e.Form().shortName, "ZCo");
    return true;
  };
  Shown(manager_->Add());
  EXPECT_EQ(CurrentName(), "Zed Co");
  EXPECT_EQ(ReadText(manager_->Buffer(), kCreditLimit), "1000");
}

TEST_F(CustomerManagerTest, TypedTextIsStoredAsTypedOrRefusedNamingTheFieldNeverChangedQuietly) {
  AddCustomer("Northern Lights Trading Company", "7");
  struct Case {
    const char* what;
    std::function<void(CustomerForm&)> change;
    std::string message;
    CustomerControl focus;
  };
  const std::string longNotes = [] { std::string s; for (int k = 0; k < 80; ++k) s += "ab\n"; return s; }();
  const std::vector<Case> cases = {
      {"euro sign", [](CustomerForm& f) { SetTyped(f, CustomerControl::CName, "Zed \xE2\x82\xAC Co"); },
       common::UnstorableCharacterText("Customer / Company Name", U'\u20AC'), CustomerControl::CName},
      {"tick in an address", [](CustomerForm& f) { SetTyped(f, CustomerControl::CAdd2Edit, "Stra\xC3\x9F" "e \xE2\x9C\x93"); },
       common::UnstorableCharacterText("Billing Address line 2", U'\u2713'), CustomerControl::CAdd2Edit},
      {"blank number", [](CustomerForm& f) { f.number = "  "; }, std::string(kNumberMissingText), CustomerControl::CNo},
      {"line break in the name", [](CustomerForm& f) { f.name = "Zed\nCo"; },
       "Customer / Company Name: holds LF, a line break (code 10), which this field cannot store; remove it.",
       CustomerControl::CName},
      {"NUL in the number", [](CustomerForm& f) { f.number = std::string("8\0", 2); },
       "Customer #: holds NUL (code 0), which this field cannot store; remove it.", CustomerControl::CNo},
      {"tab in a phone", [](CustomerForm& f) { f.phone1 = "555\t1"; },
       "Phone1: holds TAB (code 9), which this field cannot store; remove it.", CustomerControl::CPhone1},
      {"notes too long with their breaks", [&](CustomerForm& f) { f.notes = longNotes; },
       "Notes / Comments: 320 characters (a line break counts two) where at most 240 can be stored; shorten it.",
       CustomerControl::CstNote},
      {"over-long name", [](CustomerForm& f) { f.name = std::string(36, 'n'); },
       "Customer / Company Name: 36 characters where at most 35 can be stored; shorten it.", CustomerControl::CName},
      {"decimal comma", [](CustomerForm& f) { f.creditLimit = "1,5"; }, std::string(kBadCreditLimitText),
       CustomerControl::CLimit},
      {"same first 30 characters", [](CustomerForm& f) { f.name = "NORTHERN LIGHTS TRADING COMPANY PLC"; },
       std::string(kNameTakenText), CustomerControl::CName},
  };
  editorScript_ = [&](CustomerEditor& e) {
    for (const Case& c : cases) {
      prompter_.Clear();
      CustomerForm& f = e.Form();
      f = CustomerForm{};
      f.number = "8";
      f.name = "Zed Co";
      c.change(f);
      EXPECT_FALSE(Shown(e.Ok())) << c.what;
      EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{c.message}) << c.what;
      EXPECT_EQ(e.Focus(), c.focus) << c.what;
    }
    e.Form() = CustomerForm{};
    e.Form().number = "8";
    SetTyped(e.Form(), CustomerControl::CName, "Caf\xC3\xA9 Zed");
    e.Form().creditLimit = "1,250.00";
    e.Form().notes = longNotes.substr(0, 60 * 3);  // 60 lines: 240 as stored
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  EXPECT_EQ(CurrentName(), "Caf\xE9 Zed");
  EXPECT_EQ(ReadText(manager_->Buffer(), kCreditLimit), "1250.00");
  const std::string notes = ReadText(manager_->Buffer(), kNotes);
  EXPECT_EQ(notes.size(), 240u);
  EXPECT_EQ(notes.substr(0, 8), "ab\r\nab\r\n");
}

TEST_F(CustomerManagerTest, OpeningAndSavingNotesWithLoneLineBreaksChangesNothing) {
  RecordBuffer r = Customer("5", "Old Import");
  // Every field as the editor writes it, so that only the notes could differ.
  WriteText(r, kShortName, "OImport");
  WriteText(r, kCreditLimit, "0.00");
  WriteText(r, kTaxExempt, "N");
  common::WriteFlag(r, kCreditHold, false);
  common::WriteFlag(r, kNotesOnInvoices, false);
  common::WriteFlag(r, kNotesOnStatements, false);
  WriteText(r, kNotes, std::string("first\nsecond\rthird"));
  std::int32_t ref = 0;
  ASSERT_TRUE(records::AddKeyedRecord(manager_->File(), CustomerFileKind(), r, ref, quiet_));
  list_.Refresh();
  GoTo("Old Import");
  const std::string before = common::ReadWholeFile("1C.DAT");
  editorScript_ = [&](CustomerEditor& e) {
    // What the window gives back: every break as CR LF.
    e.Form().notes = "first\r\nsecond\r\nthird";
    return Shown(e.Ok());
  };
  Shown(manager_->Edit());
  EXPECT_TRUE(prompter_.Texts().empty());
  EXPECT_EQ(common::ReadWholeFile("1C.DAT"), before);
  // A real change is stored with CR LF throughout.
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().notes = "first\nsecond\nfourth";
    return Shown(e.Ok());
  };
  Shown(manager_->Edit());
  EXPECT_EQ(ReadText(manager_->Buffer(), kNotes), "first\r\nsecond\r\nfourth");
}

TEST_F(CustomerManagerTest, EditingKeepsTheCustomersOwnNumberAndNameAndWritesNothingUnchanged) {
  AddCustomer("ACME", "7");
  AddCustomer("Beta", "8");
  GoTo("ACME");
  const std::string before = common::ReadWholeFile("1C.DAT");
  editorScript_ = [&](CustomerEditor& e) {
    EXPECT_EQ(e.Title(), "Edit Customer");
    EXPECT_EQ(e.EditedNumber(), "7");
    return Shown(e.Ok());
  };
  Shown(manager_->Edit());
  EXPECT_TRUE(prompter_.Texts().empty());
  EXPECT_EQ(common::ReadWholeFile("1C.DAT"), before);
  // Taking Beta's number is refused; a new phone is written.
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().number = "8";
    EXPECT_FALSE(Shown(e.Ok()));
    e.Form().number = "7";
    e.Form().phone1 = "555-0100";
    return Shown(e.Ok());
  };
  Shown(manager_->Edit());
  EXPECT_EQ(CurrentName(), "ACME");
  EXPECT_EQ(ReadText(manager_->Buffer(), kPhone1), "555-0100");
  EXPECT_EQ(ReadText(book_.Current(), company::kNextCustomerNumber), "9");  // editing does not move it
}

TEST_F(CustomerManagerTest, RecordChangedInTheMeantimeIsNotOverwritten) {
  AddCustomer("ACME", "7");
  editorScript_ = [&](CustomerEditor& e) {
    // Another window changes the record while the editor is open.
    RecordBuffer other = e.OldImage();
    WriteText(other, kPhone2, "elsewhere");
    EXPECT_TRUE(records::ModifyKeyedRecord(manager_->File(), CustomerFileKind(), e.Ref(), other, e.OldImage(), quiet_));
    e.Form().phone1 = "mine";
    EXPECT_FALSE(Shown(e.Ok()));
    return false;
  };
  Shown(manager_->Edit());
  EXPECT_EQ(prompter_.Texts(), (std::vector<std::string>{"The record has changed in the meantime.", "Modify operation failed"}));
  bool unchanged;
  list_.ReadCurrentRecord(unchanged);
  EXPECT_EQ(ReadText(manager_->Buffer(), kPhone2), "elsewhere");
  EXPECT_EQ(ReadText(manager_->Buffer(), kPhone1), "");
}

TEST_F(CustomerManagerTest, RenumberingMovesTheInvoicesAndCancellingChangesNothing) {
  AddCustomer("ACME", "100");
  MakeInvoices({{"1", "100"}, {"2", "100"}, {"3", "300"}});
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().number = "200";
    return false;  // cancelled
  };
  Shown(manager_->Edit());
  EXPECT_EQ(CustomerHasInvoices("1", "100"), true);
  EXPECT_TRUE(prompter_.Texts().empty());
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().number = "200";
    return Shown(e.Ok());
  };
  Shown(manager_->Edit());
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text,
            "This customer has 2 record(s) on file. All have been changed to reflect the new customer number.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "Customer Number Changed");
  EXPECT_EQ(CustomerHasInvoices("1", "100"), false);
  EXPECT_EQ(CustomerHasInvoices("1", "200"), true);
  engine::KeyBuilder keys = InvoiceKeys;
  EXPECT_EQ(tf::test::Findings("1I", keys), "");
}

// The invoice file is opened as every record file is: a damaged one is offered a rebuild; when
// it cannot be opened the customer keeps its old number, since invoices left under that number
// would belong to nobody.
TEST_F(CustomerManagerTest, ARenumberThatCannotMoveTheInvoicesKeepsTheOldNumber) {
  AddCustomer("ACME", "100");
  MakeInvoices({{"1", "100"}, {"2", "100"}});
  const auto setUpdateFlag = [](char value) {
    std::fstream data("1I.DAT", std::ios::in | std::ios::out | std::ios::binary);
    data.seekp(20);
    data.put(value);
  };
  setUpdateFlag(1);  // as a crash leaves it: the open reports a defective index
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().number = "200";
    e.Form().phone1 = "555-0100";
    return Shown(e.Ok());
  };
  prompter_.Answer(PromptAnswer::No);  // no rebuild
  const browse::Outcome refused = manager_->Edit();
  EXPECT_TRUE(refused.IsFailed());
  EXPECT_EQ(refused.Message().caption, "Customer Number Changed");
  Shown(refused);
  EXPECT_EQ(prompter_.Texts(),
            (std::vector<std::string>{"Index file is defective.  Rebuild?",
                                      std::string(kRenumberFailedText) + "100."}));
  bool unchanged;
  list_.ReadCurrentRecord(unchanged);
  EXPECT_EQ(ReadText(manager_->Buffer(), kCustomerNumber), "100");
  EXPECT_EQ(ReadText(manager_->Buffer(), kPhone1), "555-0100");  // the other changes stay
  setUpdateFlag(0);
  EXPECT_EQ(CustomerHasInvoices("1", "100"), true);
  EXPECT_EQ(CustomerHasInvoices("1", "200"), false);

  // With the rebuild the invoices follow the new number.
  setUpdateFlag(1);
  prompter_.Clear();
  prompter_.Answer(PromptAnswer::Yes);
  Shown(manager_->Edit());
  EXPECT_EQ(prompter_.Texts(),
            (std::vector<std::string>{"Index file is defective.  Rebuild?",
                                      "This customer has 2 record(s) on file. All have been changed to reflect the new "
                                      "customer number."}));
  list_.ReadCurrentRecord(unchanged);
  EXPECT_EQ(ReadText(manager_->Buffer(), kCustomerNumber), "200");
  EXPECT_EQ(CustomerHasInvoices("1", "200"), true);
  engine::KeyBuilder keys = InvoiceKeys;
  EXPECT_EQ(tf::test::Findings("1I", keys), "");
}

// A prompter that lets a test act at the moment a question is asked (a disk failing while the
// user reads it).
class HookedPrompter : public common::ScriptedPrompter {
 public:
  PromptAnswer Show(const common::PromptMessage& message) override {
    if (onShow) onShow(message);
    return ScriptedPrompter::Show(message);
  }
  std::function<void(const common::PromptMessage&)> onShow;
};

// When the customer cannot be given its old number back either, the message says which number
// the customer has and which its invoices carry, instead of claiming the old number was kept.
TEST_F(CustomerManagerTest, ARenumberThatCannotBePutBackSaysWhereTheNumbersStand) {
  AddCustomer("ACME", "100");
  MakeInvoices({{"1", "100"}, {"2", "100"}});
  manager_.reset();
  HookedPrompter prompter;
  CustomerManager manager(CustomerManagerServices{{book_, prompter, status_, viewer_, clock_},
                                                  queue_,
                                                  [] { return false; },
                                                  [this](CustomerEditor& e) { return editorScript_(e); },
                                                  nullptr,
                                                  nullptr,
                                                  nullptr},
                          list_);
  ASSERT_TRUE(browse::ShowOutcome(prompter, manager.Open()));
  {
    std::fstream data("1I.DAT", std::ios::in | std::ios::out | std::ios::binary);
    data.seekp(20);
    data.put(1);  // the invoice file's index is defective
  }
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().number = "200";
    return browse::ShowOutcome(prompter, e.Ok());
  };
  tf::test::FaultFileSystem disk;
  prompter.onShow = [&](const common::PromptMessage& m) {
    // While the rebuild question is up, the next write fails: the invoice file stays shut, so it
    // is the customer file's, the one that would give the customer its old number back (the
    // customer file was opened before this layer, so its path is not known to it).
    if (m.text == "Index file is defective.  Rebuild?") disk.ArmErrno(tf::test::FsCall::Write, EIO);
  };
  prompter.Answer(PromptAnswer::No);
  browse::Outcome outcome = browse::Outcome::Nothing();
  {
    engine::ScopedFileSystem use(disk);
    outcome = manager.Edit();
  }
  ASSERT_EQ(disk.InjectedCount(), 1u) << "the customer file was never written again";
  ASSERT_TRUE(outcome.IsFailed());
  EXPECT_EQ(outcome.Message().text,
            std::string(kRenumberUndoFailedText) + "200 and some of its invoices may carry number 100.");
  EXPECT_EQ(outcome.Message().caption, "Customer Number Changed");
  bool unchanged;
  list_.ReadCurrentRecord(unchanged);
  EXPECT_EQ(ReadText(manager.Buffer(), kCustomerNumber), "200");
  manager.Close();
  {
    std::fstream data("1I.DAT", std::ios::in | std::ios::out | std::ios::binary);
    data.seekp(20);
    data.put(0);
  }
  EXPECT_EQ(CustomerHasInvoices("1", "100"), true);
  EXPECT_EQ(CustomerHasInvoices("1", "200"), false);
}

TEST_F(CustomerManagerTest, DeletingChecksBalanceThenInvoicesThenAsks) {
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().name = "Owing";
    e.Form().number = "1";
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  // Give it a balance as invoice posting would.
  {
    bool unchanged;
    list_.ReadCurrentRecord(unchanged);
    RecordBuffer owing = manager_->Buffer();
    WriteText(owing, kBalance, "12.50");
    ASSERT_TRUE(records::ModifyKeyedRecord(manager_->File(), CustomerFileKind(), list_.CurrentRef(), owing,
                                         manager_->Buffer(), quiet_));
    list_.Refresh();
  }
  AddCustomer("Invoiced", "2");
  AddCustomer("Free", "3");
  MakeInvoices({{"10", "2"}});

  GoTo("Owing");
  Shown(manager_->Delete());
  GoTo("Invoiced");
  Shown(manager_->Delete());
  GoTo("Free");
  prompter_.Answer(PromptAnswer::No);
  Shown(manager_->Delete());
  ASSERT_EQ(prompter_.Shown().size(), 3u);
  EXPECT_EQ(prompter_.Shown()[0].text, kBalanceDueText);
  EXPECT_EQ(prompter_.Shown()[0].caption, "Delete Customer");
  EXPECT_EQ(prompter_.Shown()[1].text, kInvoicesOnFileText);
  EXPECT_EQ(prompter_.Shown()[2].text, "Are you sure you want to delete this customer?");
  EXPECT_EQ(prompter_.Shown()[2].caption, "Delete Customer#: 3");
  EXPECT_EQ(engine::UsedRecords(manager_->File()), 3);
  prompter_.Answer(PromptAnswer::Yes);
  Shown(manager_->Delete());
  EXPECT_EQ(engine::UsedRecords(manager_->File()), 2);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Invoiced", "Owing"}));
  EXPECT_EQ(manager_->Panel(0), "Customers: 2");
}

TEST_F(CustomerManagerTest, ListRowsOrderAndFind) {
  AddCustomer("Zulu", "1");
  AddCustomer("Alpha", "2");
  AddCustomer("Mike", "10");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Alpha", "Mike", "Zulu"}));
  GoTo("Mike");
  manager_->SetOrder(2);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Zulu", "Mike", "Alpha"}));  // numbers sort as text
  EXPECT_EQ(CurrentName(), "Mike");
  manager_->SetOrder(1);
  findScript_ = [](const finder::FindMode& m) -> std::optional<std::string> {
    EXPECT_EQ(m.Caption(), "Find Customer");
    return "1";
  };
  Shown(manager_->Find());
  EXPECT_EQ(CurrentName(), "Zulu");
  EXPECT_EQ(CustomerListHeader(),
            common::PadRight(common::PadRight("Name", 36) + "Number        Balance Last Pmt.  Last Inv. Phone Number(s)", 128));
  EXPECT_EQ(list_.Model().Row(list_.Model().CurrentRow()).Row,
            common::PadRight(common::PadRight("Zulu", 36) + "1                0.00", 128));
  EXPECT_EQ(UnreadableRow("KEY"), "****  KEY");
}

TEST_F(CustomerManagerTest, PickingPositionsOnTheSelectedCustomerAndCopiesThePick) {
  AddCustomer("Alpha", "2");
  AddCustomer("Mike", "10");
  AddCustomer("Zulu", "1");
  manager_->Close();
  manager_->BeginPicking("Mike", "10");
  EXPECT_EQ(manager_->Panel(1), "Double-click or press <enter> to select.");
  ASSERT_TRUE(Shown(manager_->Open()));
  EXPECT_EQ(CurrentName(), "Mike");
  list_.Model().LineDown();
  EXPECT_TRUE(manager_->Pick().IsDone());
  EXPECT_TRUE(manager_->Picked());
  EXPECT_EQ(ReadText(manager_->Selected(), kCustomerName), "Zulu");
  manager_->EndPicking();
  EXPECT_EQ(manager_->Panel(1), "Right-click mouse or select from menu bar.");
}

// Errors are values: a command whose list fails comes back failed with the engine's text
// instead of throwing, and the window shows it once.
TEST_F(CustomerManagerTest, AListFailureIsAFailedOutcomeNotAnException) {
  AddCustomer("ACME", "7");
  list_.failReads = true;
  int editorShown = 0;
  editorScript_ = [&](CustomerEditor&) { return ++editorShown, false; };
  for (const auto& command : std::vector<std::function<browse::Outcome()>>{
           [&] { return manager_->Edit(); }, [&] { return manager_->Delete(); }, [&] { return manager_->Pick(); },
           [&] { return manager_->SetOrder(2); }, [&] { return manager_->AddToLabelQueue(); }}) {
    prompter_.Clear();
    browse::Outcome outcome = browse::Outcome::Done();
    EXPECT_NO_THROW(outcome = command());
    ASSERT_TRUE(outcome.IsFailed());
    EXPECT_EQ(outcome.Message().text, "Class 3 error.  Isam Error 9999");
    EXPECT_EQ(outcome.Message().icon, common::PromptIcon::Error);
    EXPECT_FALSE(Shown(outcome));
    EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"Class 3 error.  Isam Error 9999"});
  }
  EXPECT_EQ(editorShown, 0);
  EXPECT_FALSE(manager_->Picked());
  EXPECT_EQ(queue_.Size(), 0u);
  list_.failReads = false;
  EXPECT_EQ(CurrentName(), "ACME");
}

// A company without a name: start-up shows the setup text in its place, in memory only.
// Adding a customer writes the company record and reads it back from the file; the caption and
// the list report still show the same text as every other window, never " - #1" or an empty
// "Customer List for".
TEST_F(CustomerManagerTest, CompanyWithoutANameReadsTheSameAfterTheCompanyRecordIsWritten) {
  ASSERT_TRUE(book_.UpdateCurrentCompany([](std::span<std::uint8_t> work) { WriteText(work, company::kCompanyName, ""); },
                                         prompter_, status_));
  WriteText(book_.Current(), company::kCompanyName, "Please Setup Your Company.");
  EXPECT_EQ(manager_->CompanyCaption(), "Please Setup Your Company. - #1");
  AddCustomer("Gamma");
  ASSERT_EQ(CompanyField(company::kNextCustomerNumber), "101");  // the record was written and read back
  EXPECT_EQ(ReadText(book_.Current(), company::kCompanyName), "");
  EXPECT_EQ(manager_->CompanyCaption(), "Please Setup Your Company. - #1");
  prompter_.Answer(PromptAnswer::No);  // no addresses
  prompter_.Answer(PromptAnswer::No);  // by name
  Shown(manager_->CustomerListReport());
  EXPECT_EQ(viewer_.text.substr(0, viewer_.text.find('\r')), "Customer List for Please Setup Your Company.");
}

TEST_F(CustomerManagerTest, TitleCaptionAndLabelQueue) {
  EXPECT_EQ(manager_->Title(), "Customer Manager");
  emailMode_ = true;
  EXPECT_EQ(manager_->Title(), "Customer Manager - (E-Mail Mode)");
  EXPECT_EQ(manager_->CompanyCaption(), "Acme Books - #1");
  Shown(manager_->AddToLabelQueue());  // empty list: nothing
  EXPECT_EQ(queue_.Size(), 0u);
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().name = "Alpha";
    e.Form().mailSortCode = "N1";
    e.Form().type = "Retail";
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  Shown(manager_->AddToLabelQueue());
  ASSERT_EQ(queue_.Size(), 1u);
  EXPECT_EQ(queue_.Entries()[0], (correspondence::LabelQueueEntry{"100", "Alpha", "N1", "Retail"}));
  EXPECT_TRUE(queue_.Unsaved());
  EXPECT_EQ(manager_->Panel(1), "Alpha added to label queue.");
  EXPECT_EQ(queue_.StatusText(), "Alpha added to label queue.");
}

TEST_F(CustomerManagerTest, CustomerListReportWithAddressesByNumber) {
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().name = "Alpha Trading";
    e.Form().number = "2";
    e.SetAutoCopy(true);
    e.SetBilling(0, "1 Road");
    e.Form().phone1 = "555";
    e.Form().type = "Retail";
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  AddCustomer("Beta", "10");
  prompter_.Answer(PromptAnswer::Yes);  // addresses
  prompter_.Answer(PromptAnswer::Yes);  // by number
  Shown(manager_->CustomerListReport());
  EXPECT_EQ(prompter_.Shown()[1].defaultAnswer, PromptAnswer::No);
  EXPECT_EQ(prompter_.Shown()[0].buttons, common::PromptButtons::YesNoCancel);
  ASSERT_EQ(viewer_.titles, std::vector<std::string>{"Customer List by Number"});
  std::vector<std::string> lines;
  std::istringstream in(viewer_.text);
  for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.size() - 1));
  ASSERT_GE(lines.size(), 13u);
  EXPECT_EQ(lines[0], "Customer List for Acme Books");
  EXPECT_EQ(lines[1], "Date: Tuesday, March 5, 2024, 02:07 PM");
  EXPECT_EQ(lines[2], std::string(80, '-'));
  // "10" sorts before "2" as text.
  EXPECT_EQ(lines[3].substr(0, 4), "Beta");
  const auto alpha = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Alpha", 0) == 0; });
  ASSERT_NE(alpha, lines.end());
  EXPECT_EQ(*alpha, common::PadRight("Alpha Trading", 35) + "     Number: 2           Balance: 0.00");
  EXPECT_EQ(alpha[1], "Short Name: ATrading      Type: Retail                      Last Pmt: ");
  EXPECT_EQ(alpha[2], "Credit Limit: 0.00            Last Invoice:              Tax Exempt: N");
  EXPECT_EQ(alpha[3], "Phone1: 555                           Phone2: ");
  EXPECT_EQ(alpha[4], "Payment Terms: Net 30 Days");
  EXPECT_EQ(alpha[5], common::PadRight("Billing Address:", 35) + "     Shipping Address:");
  EXPECT_EQ(alpha[6], common::PadRight("1 Road", 35) + "     1 Road");
  EXPECT_FALSE(std::filesystem::exists("TXTTEMP.TXT"));
  // Cancel at the first question stops.
  prompter_.Clear();
  prompter_.Answer(PromptAnswer::Cancel);
  Shown(manager_->CustomerListReport());
  EXPECT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(viewer_.titles.size(), 1u);
}

TEST_F(CustomerManagerTest, EnvelopeLayoutFromTheCompanySettings) {
  editorScript_ = [&](CustomerEditor& e) {
    e.Form().name = "  Alpha Trading ";
    for (int k = 0; k < 4; ++k) {
      e.Form().bill[k] = "Bill " + std::to_string(k + 1);
      e.Form().ship[k] = "Ship " + std::to_string(k + 1);
    }
    return Shown(e.Ok());
  };
  Shown(manager_->Add());
  for (const char* source : {"B", "S"}) {
    auto co = book_.Current();
    WriteText(co, company::kEnvLineSpacing, "50");
    WriteText(co, company::kEnvLeftMargin, "100");
    WriteText(co, company::kEnvTopMargin, "80");
    WriteText(co, company::kEnvSendAddressLeft, "1200");
    WriteText(co, company::kEnvOrientation, "L");
    WriteText(co, company::kEnvAddressSource, source);
    common::WriteFlag(co, company::kPrintReturnAddress, std::string(source) == "B");
    common::WriteFontSpec(co, company::kEnvelopeFont, {"Arial", 12, 0, 0});
    common::RecordingCanvas canvas;
    Shown(manager_->PrintEnvelope(canvas));
    const auto& texts = canvas.Texts(0);
    std::vector<std::string> drawn;
    for (const auto& t : texts) drawn.push_back(std::to_string(t.x) + "," + std::to_string(t.y) + " " + t.text);
    if (std::string(source) == "B") {
      EXPECT_EQ(drawn, (std::vector<std::string>{"100,80 Acme Books", "100,130 1 Main Street", "100,180 Springfield",
                                                 "100,230 ", "100,280 ", "1200,480   Alpha Trading ",
                                                 "1200,530 Bill 1", "1200,580 Bill 2", "1200,630 Bill 3",
                                                 "1200,680 Bill 4"}));
    } else {
      EXPECT_EQ(drawn, (std::vector<std::string>{"1200,480   Alpha Trading ", "1200,530 Ship 1", "1200,580 Ship 2",
                                                 "1200,630 Ship 3", "1200,680 Ship 4"}));
    }
    EXPECT_EQ(canvas.Orientation(), common::PageOrientation::Portrait);
    EXPECT_NE(std::find(canvas.Ops().begin(), canvas.Ops().end(), "Orientation Landscape"), canvas.Ops().end());
    EXPECT_NE(std::find(canvas.Ops().begin(), canvas.Ops().end(), "Title Envelope"), canvas.Ops().end());
  }
  EXPECT_EQ(manager_->Panel(1), "Envelope for Alpha Trading sent to printer.");
}

}  // namespace
}  // namespace tf::customers::testing
