// The password: the check with no file, with a file of the older plain layout (its exact bytes)
// and with a hashed one; trimming and case; Cancel after the right password; a damaged file
// failing the check instead of skipping it; and the set-up: a new password stored as a slow
// hash that shows nowhere, a change that upgrades the older layout, mismatches, removal, a
// character Latin-1 cannot hold refused, and a failed write keeping the previous password.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <deque>
#include <filesystem>

#include "common/prompter.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "maintenance/passwords.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using common::PromptAnswer;
using maintenance::PasswordEntry;
using ::testing::HasSubstr;

// The dialog as a script: each showing takes the next entry and records its title.
class ScriptedDialog {
 public:
  ScriptedDialog(std::initializer_list<PasswordEntry> entries) : entries_(entries) {}
  maintenance::PasswordDialog Dialog() {
    return [this](std::string_view title, bool showHelp) {
      titles.emplace_back(title);
      helpShown.push_back(showHelp);
      if (entries_.empty()) throw std::logic_error("unexpected password dialog: " + std::string(title));
      PasswordEntry e = entries_.front();
      entries_.pop_front();
      return e;
    };
  }
  std::vector<std::string> titles;
  std::vector<bool> helpShown;

 private:
  std::deque<PasswordEntry> entries_;
};

PasswordEntry Ok(std::string text) { return {true, std::move(text)}; }
PasswordEntry Cancel(std::string text) { return {false, std::move(text)}; }

// The older layout: a length byte, the text, the rest of the 21 bytes as left in memory.
std::string LegacyFile(const std::string& text, char filler = '\0') {
  std::string bytes(21, filler);
  bytes[0] = char(text.size());
  bytes.replace(1, text.size(), text);
  return bytes;
}

class PasswordTest : public ::testing::Test {
 protected:
  std::string File() const { return common::ReadWholeFile(std::string(maintenance::kPasswordFile)); }
  bool HasFile() const { return fs::exists(std::string(maintenance::kPasswordFile)); }
  bool Check(ScriptedDialog& dialog) { return maintenance::CheckPassword(dialog.Dialog(), prompter_); }

  TempFolder folder_{TempFolder::Enter};
  common::ScriptedPrompter prompter_;
};

TEST_F(PasswordTest, WithoutAFileTheCheckPassesAndShowsNothing) {
  ScriptedDialog dialog{};
  EXPECT_TRUE(Check(dialog));
  EXPECT_TRUE(dialog.titles.empty());
  EXPECT_TRUE(prompter_.Texts().empty());
}

TEST_F(PasswordTest, TheOlderPlainLayoutIsAcceptedTrimmedAndCaseSensitive) {
  struct Case {
    PasswordEntry typed;
    bool passes;
    bool wrongSaid;
  } cases[] = {
      {Ok("Secret"), true, false},      {Ok("  Secret \t"), true, false}, {Ok("secret"), false, true},
      {Ok("SECRET"), false, true},      {Ok(""), false, true},            {Cancel("Secret"), false, false},
      {Cancel("wrong"), false, true},   {Cancel(""), false, true},
  };
  // Bytes after the text are whatever the old program left there; they do not count.
  for (char filler : {'\0', 'x'}) {
    common::ReplaceFile(std::string(maintenance::kPasswordFile), LegacyFile("Secret", filler));
    for (const Case& c : cases) {
      prompter_.Clear();
      ScriptedDialog dialog{c.typed};
      EXPECT_EQ(Check(dialog), c.passes) << c.typed.text;
      EXPECT_EQ(dialog.titles, std::vector<std::string>{"Password Required"});
      EXPECT_EQ(dialog.helpShown, std::vector<bool>{false});
      if (c.wrongSaid) {
        ASSERT_EQ(prompter_.Shown().size(), 1u) << c.typed.text;
        EXPECT_EQ(prompter_.Shown()[0].text, "You did not enter the correct password.");
        EXPECT_EQ(prompter_.Shown()[0].caption, "Invalid Password");
      } else {
        EXPECT_TRUE(prompter_.Texts().empty()) << c.typed.text;
      }
    }
  }
}

TEST_F(PasswordTest, ADamagedFileFailsTheCheckWithoutAsking) {
  for (const std::string& bytes : {std::string(), std::string("\x06Secr", 5), LegacyFile("Secret") + "x",
                                   std::string(1, char(25)) + std::string(20, 'a'), std::string("plain text")}) {
    common::ReplaceFile(std::string(maintenance::kPasswordFile), bytes);
    prompter_.Clear();
    ScriptedDialog dialog{};
    EXPECT_FALSE(Check(dialog)) << bytes.size();
    EXPECT_TRUE(dialog.titles.empty());
    ASSERT_EQ(prompter_.Texts().size(), 1u);
    EXPECT_THAT(prompter_.Texts()[0], HasSubstr("is damaged"));
  }
}

TEST_F(PasswordTest, ANewPasswordIsStoredAsASlowHashAndShowsInNoMessage) {
  prompter_.Answer(PromptAnswer::Yes);  // "Once you create a password ..."
  ScriptedDialog setup{Ok(" Tr0ub4dor "), Ok("Tr0ub4dor")};
  maintenance::PasswordSetup(setup.Dialog(), prompter_);
  EXPECT_EQ(setup.titles, (std::vector<std::string>{"Password Setup", "Re-enter Your Password"}));
  ASSERT_TRUE(HasFile());
  const std::string stored = File();
  EXPECT_EQ(stored.rfind("$argon2id$", 0), 0u);
  EXPECT_THAT(stored, ::testing::Not(HasSubstr("Tr0ub4dor")));
  for (const common::PromptMessage& m : prompter_.Shown()) {
    EXPECT_THAT(m.text, ::testing::Not(HasSubstr("Tr0ub4dor")));
    EXPECT_THAT(m.caption, ::testing::Not(HasSubstr("Tr0ub4dor")));
  }
  EXPECT_THAT(prompter_.Texts().back(), HasSubstr("Your new password has been set."));

  ScriptedDialog right{Ok("Tr0ub4dor")}, wrong{Ok("tr0ub4dor")};
  EXPECT_TRUE(Check(right));
  EXPECT_FALSE(Check(wrong));
  // The same password hashed again gives another file: the hash is salted.
  maintenance::SavePassword("Tr0ub4dor");
  EXPECT_NE(File(), stored);
}

TEST_F(PasswordTest, AChangeFromTheOlderLayoutUpgradesItToTheHash) {
  common::ReplaceFile(std::string(maintenance::kPasswordFile), LegacyFile("Secret"));
  prompter_.Answer(PromptAnswer::Yes);  // "A Password exists. Do you want to change it?"
  ScriptedDialog setup{Ok("Secret"), Ok("Better1"), Ok("Better1")};
  maintenance::PasswordSetup(setup.Dialog(), prompter_);
  EXPECT_EQ(setup.titles,
            (std::vector<std::string>{"Enter the Current Password", "Password Setup", "Re-enter Your Password"}));
  EXPECT_EQ(File().rfind("$argon2id$", 0), 0u);
  ScriptedDialog old{Ok("Secret")}, current{Ok("Better1")};
  EXPECT_FALSE(Check(old));
  EXPECT_TRUE(Check(current));
}

TEST_F(PasswordTest, RefusedChangesLeaveThePasswordAsItWas) {
  const std::string legacy = LegacyFile("Secret");
  struct Case {
    const char* what;
    std::vector<PasswordEntry> entries;
    const char* said;  // the last message
  } cases[] = {
      {"wrong current password", {Ok("secret")}, "You did not enter the correct password. Unable to change password."},
      {"two entries differ", {Ok("Secret"), Ok("First1"), Ok("First2")},
       "The two passwords do not match. Unable to setup password. Try again."},
      {"a character Latin-1 cannot hold", {Ok("Secret"), Ok("Pass\xe2\x82\xac"), Ok("Pass\xe2\x82\xac")},
       "cannot be stored"},
      {"cancelled", {Ok("Secret"), Cancel("Other1")}, "You will need to enter a new password TWO times"},
  };
  for (const Case& c : cases) {
    common::ReplaceFile(std::string(maintenance::kPasswordFile), legacy);
    prompter_.Clear();
    prompter_.Answer(PromptAnswer::Yes);
    ScriptedDialog dialog{};
    std::deque<PasswordEntry> entries(c.entries.begin(), c.entries.end());
    maintenance::PasswordSetup(
        [&](std::string_view, bool) {
          PasswordEntry e = entries.front();
          entries.pop_front();
          return e;
        },
        prompter_);
    EXPECT_EQ(File(), legacy) << c.what;
    EXPECT_THAT(prompter_.Texts().back(), HasSubstr(c.said)) << c.what;
  }
}

TEST_F(PasswordTest, EntriesShorterThanTwoCharactersRemoveTheProtection) {
  for (const char* entry : {"", "x"}) {
    maintenance::SavePassword("Secret");
    prompter_.Clear();
    prompter_.Answer(PromptAnswer::Yes);
    ScriptedDialog setup{Ok("Secret"), Ok(entry), Ok(entry)};
    maintenance::PasswordSetup(setup.Dialog(), prompter_);
    EXPECT_FALSE(HasFile()) << entry;
    EXPECT_EQ(prompter_.Shown().back().caption, "Password Removed");
    ScriptedDialog none{};
    EXPECT_TRUE(Check(none));
  }
}

TEST_F(PasswordTest, AFailedWriteKeepsThePreviousPassword) {
  maintenance::SavePassword("Secret");
  const std::string before = File();
  prompter_.Answer(PromptAnswer::Yes);
  ScriptedDialog setup{Ok("Secret"), Ok("Newer1"), Ok("Newer1")};
  {
    // The new file's write fails half-way, as on a full disk.
    FileSizeLimit limit(16);
    ASSERT_TRUE(limit.set());
    maintenance::PasswordSetup(setup.Dialog(), prompter_);
  }
  EXPECT_EQ(File(), before);
  EXPECT_THAT(prompter_.Texts().back(), HasSubstr("The previous password is unchanged."));
  ScriptedDialog old{Ok("Secret")};
  EXPECT_TRUE(Check(old));
}

}  // namespace
}  // namespace tf::test
