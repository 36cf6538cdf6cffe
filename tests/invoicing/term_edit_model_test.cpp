// The payment terms dialog's model: the list as the file holds it, add and edit through the
// box, the refusals (empty text, the last term), a click abandoning an edit, and only Close
// writing the file.

#include "invoicing/term_edit_model.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "tests/invoicing/terms_folder.h"

namespace tf::invoicing {
namespace {

using Terms = std::vector<std::string>;
using common::PromptAnswer;

class TermEditModelTest : public testing::TermsFolderTest {
 protected:
  // The terms file holding `fileText`, and the model shown on it.
  void ShowWith(const std::string& fileText) {
    Write(fileText);
    model_.Show(file_);
  }
  std::string FileText() const { return common::ReadWholeFile(file_); }
  void ExpectNotEditing() const {
    EXPECT_EQ(model_.EditMode(), TermEditModel::Mode::None);
    EXPECT_FALSE(model_.BoxEnabled());
    EXPECT_FALSE(model_.OkEnabled());
    EXPECT_EQ(model_.BoxText(), "");
    EXPECT_EQ(model_.Prompt(), "");
  }

  TermEditModel model_;
  common::ScriptedPrompter prompter_;
};

TEST_F(TermEditModelTest, ShowLoadsTheFileSortedWithTheFirstTermSelectedAndTheBoxIdle) {
  ShowWith("net 60 Days\r\nDue On Receipt\r\nNet 30 Days\r\n");
  EXPECT_EQ(model_.Terms(), (Terms{"Due On Receipt", "Net 30 Days", "net 60 Days"}));
  EXPECT_EQ(model_.Selected(), 0);
  ExpectNotEditing();
}

TEST_F(TermEditModelTest, AMissingFileShowsTheNineTerms) {
  model_.Show(file_);
  EXPECT_EQ(model_.Terms(), DefaultTerms());
  EXPECT_EQ(model_.Selected(), 0);
}

TEST_F(TermEditModelTest, AddPlacesTheNewTermInOrderAndEndsTheAdd) {
  ShowWith("Net 60 Days\r\nNet 30 Days\r\n");
  model_.Click(1);
  model_.Add();
  EXPECT_EQ(model_.EditMode(), TermEditModel::Mode::Add);
  EXPECT_TRUE(model_.BoxEnabled());
  EXPECT_TRUE(model_.OkEnabled());
  EXPECT_EQ(model_.BoxText(), "");
  EXPECT_EQ(model_.Prompt(), "Enter new payment term and select Ok button...");
  ASSERT_TRUE(model_.Ok("Net 45 Days", prompter_));
  EXPECT_EQ(model_.Terms(), (Terms{"Net 30 Days", "Net 45 Days", "Net 60 Days"}));
  EXPECT_EQ(model_.Selected(), 0);
  ExpectNotEditing();
  EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(TermEditModelTest, EditReplacesTheSelectedTermAndResorts) {
  ShowWith("Alpha\r\nBeta\r\nGamma\r\n");
  model_.Click(2);
  model_.Edit();
  EXPECT_EQ(model_.EditMode(), TermEditModel::Mode::Edit);
  EXPECT_EQ(model_.BoxText(), "Gamma");
  EXPECT_EQ(model_.Prompt(), "Edit this payment term and select Ok button...");
  EXPECT_TRUE(model_.OkEnabled());
  ASSERT_TRUE(model_.Ok("Aardvark", prompter_));
  EXPECT_EQ(model_.Terms(), (Terms{"Aardvark", "Alpha", "Beta"}));
  EXPECT_EQ(model_.Selected(), 0);
  ExpectNotEditing();
}

TEST_F(TermEditModelTest, AnEmptyOrBlankTextIsRefusedAndTheAddGoesOn) {
  ShowWith("Net 30 Days\r\n");
  for (const char* text : {"", "   "}) {
    SCOPED_TRACE(text);
    prompter_.Clear();
    model_.Add();
    EXPECT_FALSE(model_.Ok(text, prompter_));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_EQ(prompter_.Shown()[0].text, "You do not have any text entered.");
    EXPECT_EQ(prompter_.Shown()[0].caption, "Invalid Payment Term");
    EXPECT_EQ(model_.EditMode(), TermEditModel::Mode::Add);
    EXPECT_TRUE(model_.OkEnabled());
    EXPECT_EQ(model_.Terms(), (Terms{"Net 30 Days"}));
  }
}

TEST_F(TermEditModelTest, ATermIsAtMostThirtyFiveCharacters) {
  ShowWith("Net 30 Days\r\n");
  const std::string full(35, 'x');
  model_.Add();
  ASSERT_TRUE(model_.Ok(full, prompter_));
  model_.Add();
  ASSERT_TRUE(model_.Ok(std::string(36, 'y'), prompter_));
  EXPECT_EQ(model_.Terms(), (Terms{"Net 30 Days", full, std::string(35, 'y')}));
}

TEST_F(TermEditModelTest, DuplicatesAreKept) {
  ShowWith("Net 30 Days\r\n");
  model_.Add();
  ASSERT_TRUE(model_.Ok("Net 30 Days", prompter_));
  EXPECT_EQ(model_.Terms(), (Terms{"Net 30 Days", "Net 30 Days"}));
}

TEST_F(TermEditModelTest, AClickAbandonsAnEditSoOkCannotChangeAnotherTerm) {
  ShowWith("Alpha\r\nBeta\r\n");
  model_.Edit();
  EXPECT_EQ(model_.BoxText(), "Alpha");
  model_.Click(1);
  ExpectNotEditing();
  EXPECT_EQ(model_.Selected(), 1);
  EXPECT_FALSE(model_.Ok("Changed", prompter_));
  EXPECT_EQ(model_.Terms(), (Terms{"Alpha", "Beta"}));
  EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(TermEditModelTest, DeleteRemovesTheSelectedTermButNeverTheLast) {
  ShowWith("Alpha\r\nBeta\r\nGamma\r\n");
  model_.Click(1);
  // Asked first; No keeps the term.
  prompter_.Answer(PromptAnswer::No);
  model_.Delete(prompter_);
  EXPECT_EQ(model_.Terms(), (Terms{"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(model_.Selected(), 1);
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "Are you sure you want to delete this payment term?");
  EXPECT_EQ(prompter_.Shown()[0].caption, "Delete Payment Term");
  EXPECT_EQ(prompter_.Shown()[0].buttons, common::PromptButtons::YesNo);
  EXPECT_EQ(prompter_.Shown()[0].defaultAnswer, PromptAnswer::No);
  prompter_.Clear();

  prompter_.Answer(PromptAnswer::Yes);
  model_.Delete(prompter_);
  EXPECT_EQ(model_.Terms(), (Terms{"Alpha", "Gamma"}));
  EXPECT_EQ(model_.Selected(), 0);
  prompter_.Answer(PromptAnswer::Yes);
  model_.Delete(prompter_);
  EXPECT_EQ(model_.Terms(), (Terms{"Gamma"}));
  EXPECT_EQ(prompter_.Unanswered(), 0u);
  prompter_.Clear();

  model_.Delete(prompter_);
  EXPECT_EQ(model_.Terms(), (Terms{"Gamma"}));
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "You must have at least on payment term.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "Delete Payment Term");
}

TEST_F(TermEditModelTest, OnlyCloseWritesTheListSortedWithCrLf) {
  ShowWith("Net 60 Days\nNet 30 Days\n");
  model_.Add();
  ASSERT_TRUE(model_.Ok("Net 45 Days", prompter_));
  prompter_.Answer(PromptAnswer::Yes);
  model_.Delete(prompter_);  // Net 30 Days, the first
  EXPECT_EQ(FileText(), "Net 60 Days\nNet 30 Days\n");

  model_.Close();
  EXPECT_EQ(FileText(), "Net 45 Days\r\nNet 60 Days\r\n");
  // Shown again, the dialog reads what was written.
  TermEditModel again;
  again.Show(file_);
  EXPECT_EQ(again.Terms(), (Terms{"Net 45 Days", "Net 60 Days"}));
}

}  // namespace
}  // namespace tf::invoicing
