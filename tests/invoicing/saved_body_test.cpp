// The saved invoice body: the lines and the memo written and loaded back, a short file, the
// notes a trailer cannot hold refused, and the files' messages.

#include "invoicing/saved_body.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/money_text.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/text.h"
#include "tests/support/temp_folder.h"

namespace tf::invoicing {
namespace {

using namespace std::chrono;
using common::ScriptedPrompter;

class SavedBodyTest : public ::testing::Test {
 protected:
  std::unique_ptr<InvoiceEntry> NewEntry() {
    EntryCompany company;
    company.companyNumber = "1";
    company.nextInvoiceNumber = "1";
    company.taxRate = *common::ParseAmount("10");
    company.calculateTaxes = true;
    company.defaultQuantity = "1";
    auto e = std::make_unique<InvoiceEntry>(
        InvoiceEntry::Services{prompter_, clock_, [](const std::string&) { return false; }, {}, {}}, company);
    e->BeginAdd(2000y / January / 1d);
    return e;
  }

  test::TempFolder folder_{test::TempFolder::Enter};
  ScriptedPrompter prompter_;
  common::FixedClock clock_{2000y / January / 1d};
};

TEST_F(SavedBodyTest, LinesComeBackAsTheyWereSaved) {
  auto e = NewEntry();
  e->SetCell(1, kCodeColumn, "P-1");
  e->SetCell(1, kQuantityColumn, "1,000");
  e->SetCell(1, kDescriptionColumn, std::string(32, 'd'));
  e->SetCell(1, kUnitPriceColumn, "2.5");
  e->SetCell(1, kTaxColumn, "Y");
  e->MakeComment(2);
  e->SetCell(2, kDescriptionColumn, "Thanks");
  e->SetCell(99, kDescriptionColumn, "Last row");
  e->SetCell(99, kUnitPriceColumn, "-1");
  e->SetNotes(std::string(60, 'n'));
  e->SetStatementNote("Statement");
  e->SetKeyCode("RUSH");
  const SavedBodyText saved = WriteSavedBody(*e);
  ASSERT_TRUE(saved.refusal.empty());
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = saved.text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(saved.text.substr(at, end - at));
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0], "1  P-1        1,000      " + std::string(32, 'd') + " 2.5        Y 2,500.00    ");
  EXPECT_EQ(lines[99], "");
  EXPECT_EQ(lines[100], std::string(60, 'n') + common::PadRight("Statement", 25) + "RUSH    ");

  auto loaded = NewEntry();
  loaded->SetCell(5, kDescriptionColumn, "overwritten");
  ReadSavedBody(*loaded, saved.text);
  for (int r : {1, 2, 5, 50, 99})
    for (int c = kCodeColumn; c <= kExtensionColumn; ++c)
      EXPECT_EQ(common::TrimBoth(loaded->Row(r).cell[std::size_t(c)]), common::TrimBoth(e->Row(r).cell[std::size_t(c)]))
          << r << "," << c;
  EXPECT_EQ(loaded->TotalText(), e->TotalText());
  EXPECT_EQ(loaded->Notes(), e->Notes());
  EXPECT_EQ(loaded->KeyCode(), "RUSH");
}

TEST_F(SavedBodyTest, AMemoComesBackWithItsLine) {
  auto e = NewEntry();
  e->SetStyle(InvoiceStyle::Memo);
  e->SetMemoText("first\nsecond");
  e->SetMemoDescription("Consulting");
  e->SetMemoQuantity("3");
  e->SetNet("120");
  const SavedBodyText saved = WriteSavedBody(*e);
  ASSERT_TRUE(saved.refusal.empty());
  auto loaded = NewEntry();
  loaded->SetStyle(InvoiceStyle::Memo);
  ReadSavedBody(*loaded, saved.text);
  EXPECT_EQ(loaded->MemoBody(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(loaded->MemoDescription(), "Consulting");
  EXPECT_EQ(loaded->MemoQuantity(), "3");
}

TEST_F(SavedBodyTest, AShortFileLeavesTheOtherRowsEmptyAndLongNotesAreRefused) {
  auto e = NewEntry();
  e->SetCell(3, kDescriptionColumn, "stale");
  ReadSavedBody(*e, "1  A1         2          Widget                           4.00       N 8.00\n");
  EXPECT_EQ(e->Row(1).cell[kDescriptionColumn], "Widget");
  EXPECT_EQ(e->Row(1).cell[kExtensionColumn], "8.00");
  EXPECT_EQ(e->Row(3).cell[kDescriptionColumn], "");
  EXPECT_EQ(e->Row(3).cell[kQuantityColumn], "1");  // an empty row as a reset leaves it
  EXPECT_EQ(e->NetText(), "8.00");
  e->SetNotes(std::string(61, 'n'));
  EXPECT_FALSE(WriteSavedBody(*e).refusal.empty());
  EXPECT_FALSE(SaveBodyFile(*e, prompter_));
  EXPECT_FALSE(std::filesystem::exists(kSavedLinesFile));
}

TEST_F(SavedBodyTest, TheFilesAndTheirMessages) {
  auto e = NewEntry();
  EXPECT_FALSE(LoadBodyFile(*e, prompter_));
  EXPECT_EQ(prompter_.Shown().back().text, "You have not created a saved lines file.");
  EXPECT_EQ(prompter_.Shown().back().caption, "Load Saved Lines");
  e->SetCell(1, kDescriptionColumn, "Kept");
  ASSERT_TRUE(SaveBodyFile(*e, prompter_));
  EXPECT_EQ(prompter_.Shown().back().text, "The saved lines file has been replaced with the current invoice lines.");
  auto loaded = NewEntry();
  ASSERT_TRUE(LoadBodyFile(*loaded, prompter_));
  EXPECT_EQ(loaded->Row(1).cell[kDescriptionColumn], "Kept");
  loaded->SetStyle(InvoiceStyle::Memo);
  EXPECT_FALSE(LoadBodyFile(*loaded, prompter_));
  EXPECT_EQ(prompter_.Shown().back().text, "You have not created a saved memo file.");
}

}  // namespace
}  // namespace tf::invoicing
