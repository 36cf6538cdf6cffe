// The find window's invoice mode: what it searches (short name inside a word, any case, parts
// of the date key), its columns, and the invoice number handed back.

#include <gtest/gtest.h>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "finder/find_model.h"
#include "finder/invoice_find_mode.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "tests/support/data_folder_test.h"

namespace tf::finder {
namespace {

namespace inv = records::invoice;
using common::RecordBuffer;
using common::WriteText;

class InvoiceFindModeTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    common::ScriptedPrompter quiet{common::PromptAnswer::OK};
    ASSERT_TRUE(inv::OpenInvoiceFile(invoices_, "1", quiet, status_));
    Add("1001", "C1", "XACMEX", "03/07/1999", "", "");
    Add("1002", "C2", "Other", "04/02/1999", "acme refund", "");
    Add("1003", "C3", "Third", "03/20/1998", "", "Order 1999/03 extra");
    Add("1004", "C4", "Fourth", "05/05/2000", "", "");
  }
  void TearDown() override {
    engine::CloseFileBlock(invoices_);
    DataFolderTest::TearDown();
  }
  void Add(const char* number, const char* customer, const char* shortName, const char* date, const char* note,
           const char* notes) {
    RecordBuffer r(inv::kInvoiceRecordLength);
    WriteText(r, inv::kInvoiceNumber, number);
    WriteText(r, inv::kRecordKind, "I");
    WriteText(r, inv::kCustomerNumber, customer);
    WriteText(r, inv::kShortName, shortName);
    WriteText(r, inv::kKeyCode, "None");
    WriteText(r, inv::kStatementNote, note);
    WriteText(r, inv::kNotes, notes);
    ASSERT_TRUE(inv::SetInvoiceDate(r, date, common::DateFormat::MonthFirst));
    std::int32_t ref = 0;
    ASSERT_TRUE(inv::AddInvoice(invoices_, r, ref, prompter_));
  }
  std::vector<std::string> Found(const std::string& text) {
    InvoiceFindMode mode(invoices_);
    FindModel model(mode);
    model.Show();
    model.SetText(text);
    model.Find(prompter_);
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < model.Rows().size(); ++i) numbers.push_back(*model.Choose(int(i)));
    return numbers;
  }

  engine::FileBlock* invoices_ = nullptr;
  common::ScriptedPrompter prompter_;
  test::SilentStatus status_;
};

TEST_F(InvoiceFindModeTest, FindsInsideWordsInAnyCaseAndInTheDateKey) {
  EXPECT_EQ(Found("acme"), (std::vector<std::string>{"1001", "1002"}));
  EXPECT_EQ(Found("1999/03"), (std::vector<std::string>{"1001", "1003"}));
  EXPECT_EQ(Found("c4"), (std::vector<std::string>{"1004"}));
  EXPECT_EQ(Found("1003"), (std::vector<std::string>{"1003"}));
  EXPECT_TRUE(Found("zzz").empty());
  EXPECT_EQ(prompter_.Texts().back(), "No matching items were found.");
}

TEST_F(InvoiceFindModeTest, CaptionColumnsAndRowCells) {
  InvoiceFindMode mode(invoices_);
  EXPECT_EQ(mode.Caption(), "Find Invoice/Payment");
  std::vector<std::string> captions;
  std::vector<int> widths;
  for (const FindColumn& c : mode.Columns()) {
    captions.push_back(c.caption);
    widths.push_back(c.width);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Year/Mo/Dy", "Invoice#", "Customer#", "Key Code", "Short Name",
                                                "Statement Note", "Reference/Notes/Comments"}));
  EXPECT_EQ(widths, (std::vector<int>{80, 60, 75, 75, 80, 130, 400}));
  FindModel model(mode);
  model.Show();
  model.SetText("third");
  model.Find(prompter_);
  ASSERT_EQ(model.Rows().size(), 1u);
  EXPECT_EQ(model.Rows()[0], (std::vector<std::string>{"1998/03/20", "1003", "C3", "None", "Third", "",
                                                       "Order 1999/03 extra"}));
}

}  // namespace
}  // namespace tf::finder
