#include "common/scripted_prompter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tf::common {
namespace {

TEST(ScriptedPrompter, AnswersQuestionsInOrderAndRecordsEveryMessage) {
  ScriptedPrompter p{PromptAnswer::No, PromptAnswer::Yes};
  p.Inform("Invalid date.", "Date");
  EXPECT_FALSE(p.AskYesNo("Index file is defective.  Rebuild?", "Error"));
  EXPECT_TRUE(p.AskYesNo("Delete?", "Confirm", PromptAnswer::No));
  EXPECT_EQ(p.Texts(),
            (std::vector<std::string>{"Invalid date.", "Index file is defective.  Rebuild?",
                                      "Delete?"}));
  ASSERT_EQ(p.Shown().size(), 3u);
  EXPECT_EQ(p.Shown()[0].icon, PromptIcon::Exclamation);
  EXPECT_EQ(p.Shown()[0].buttons, PromptButtons::OK);
  EXPECT_EQ(p.Shown()[1].icon, PromptIcon::Question);
  EXPECT_EQ(p.Shown()[1].buttons, PromptButtons::YesNo);
  EXPECT_EQ(p.Shown()[2].defaultAnswer, PromptAnswer::No);
  EXPECT_EQ(p.Shown()[2].caption, "Confirm");
  EXPECT_EQ(p.Unanswered(), 0u);
}

TEST(ScriptedPrompter, AnUnscriptedQuestionFailsLoudly) {
  ScriptedPrompter p;
  p.Inform("Just so you know.");  // needs no answer
  EXPECT_THROW(p.AskYesNo("Abort?"), std::logic_error);
  EXPECT_THROW(p.AskOKCancel("Continue?"), std::logic_error);
}

TEST(ScriptedPrompter, AnOKInTheQueueIsTakenByTheNextMessageOnly) {
  ScriptedPrompter p{PromptAnswer::Yes};
  p.Inform("first");  // a Yes is not an OK: it stays for the question
  EXPECT_EQ(p.Unanswered(), 1u);
  EXPECT_TRUE(p.AskYesNo("second?"));

  p.Answer(PromptAnswer::OK);
  p.Answer(PromptAnswer::Cancel);
  p.Inform("third");
  EXPECT_EQ(p.Unanswered(), 1u);
  EXPECT_FALSE(p.AskOKCancel("fourth?"));
  p.Clear();
  EXPECT_TRUE(p.Shown().empty());
}

}  // namespace
}  // namespace tf::common
