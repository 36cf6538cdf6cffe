// What a record can hold of a typed or imported text: Latin-1 only, no control characters in
// one-line fields, line breaks of notes as CR LF counted two, nothing longer than the field.

#include "common/stored_text.h"

#include <gtest/gtest.h>

namespace tf::common {
namespace {

TEST(StoredText, Utf8ToLatin1StopsAtTheFirstCharacterItCannotHoldOrTheFirstBadByte) {
  struct Case { const char* utf8; const char* latin1; std::optional<char32_t> unstorable; std::optional<std::size_t> bad; };
  for (const Case& c : {Case{"Caf\xC3\xA9", "Caf\xE9", {}, {}},                 // é is Latin-1
                        Case{"\xC3\xBF", "\xFF", {}, {}},                        // ÿ, the last one
                        Case{"10 \xE2\x82\xAC", nullptr, U'\u20AC', {}},         // €
                        Case{"a\xF0\x9F\x98\x80", nullptr, U'\U0001F600', {}},   // an emoji
                        Case{"M\xFCller", nullptr, {}, 1},                       // a Latin-1 byte
                        Case{"ok\xC3", nullptr, {}, 2},                          // a cut sequence
                        Case{"\xC0\xAF", nullptr, {}, 0},                        // an overlong "/"
                        Case{"\xED\xA0\x80", nullptr, {}, 0}}) {                 // a surrogate
    Latin1Conversion got = ConvertToLatin1(c.utf8);
    EXPECT_EQ(got.unstorable, c.unstorable) << c.utf8;
    EXPECT_EQ(got.badOffset, c.bad) << c.utf8;
    if (c.latin1) {
      EXPECT_TRUE(got.ok());
      EXPECT_EQ(got.latin1, c.latin1);
      EXPECT_EQ(Latin1ToUtf8(got.latin1), c.utf8);
    } else {
      EXPECT_EQ(Utf8ToLatin1(c.utf8), std::nullopt);
    }
  }
}

TEST(StoredText, TheRefusalNamesTheFieldAndTheCharacter) {
  EXPECT_EQ(UnstorableCharacterText("Notes", U'\u20AC'),
            "Notes: the character \"\xE2\x82\xAC\" (U+20AC) cannot be stored (only Latin-1 letters and signs can); "
            "remove or replace it.");
  EXPECT_EQ(DescribeCharacter(U'\u0085'), "U+0085");  // invisible: named by code alone
}

TEST(StoredText, LineBreaksOfEveryKindAreStoredAsCrLf) {
  EXPECT_EQ(StoredLineBreaks("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(StoredLineBreaks("\r\n\r\n"), "\r\n\r\n");
  EXPECT_EQ(StoredLineBreaks("plain"), "plain");
}

TEST(StoredText, ProblemsOfStoredTexts) {
  struct Case { std::string text; std::size_t capacity; TextKind kind; const char* problem; };
  const std::vector<Case> cases = {
      {"Smith Ltd", 35, TextKind::Line, nullptr},
      {std::string(35, 'x'), 35, TextKind::Line, nullptr},
      {std::string(36, 'x'), 35, TextKind::Line, "Name: 36 characters where at most 35 can be stored; shorten it."},
      {std::string("a\0b", 3), 35, TextKind::Line, "Name: holds NUL (code 0), which this field cannot store; remove it."},
      {"a\nb", 35, TextKind::Line, "Name: holds LF, a line break (code 10), which this field cannot store; remove it."},
      {"a\r\nb", 35, TextKind::Line, "Name: holds CR, a line break (code 13), which this field cannot store; remove it."},
      {"a\tb", 35, TextKind::Line, "Name: holds TAB (code 9), which this field cannot store; remove it."},
      {"a\x7F", 35, TextKind::Line, "Name: holds a control character (code 127), which this field cannot store; remove it."},
      {"one\r\ntwo\tthree", 240, TextKind::Notes, nullptr},
      {"lone\nLF", 240, TextKind::Notes, "Name: holds LF, a line break (code 10), which this field cannot store; remove it."},
      {std::string("a\0", 2), 240, TextKind::Notes, "Name: holds NUL (code 0), which this field cannot store; remove it."},
      // 149 characters and one line break make 151 as stored.
      {std::string(74, 'x') + "\r\n" + std::string(75, 'y'), 150, TextKind::Notes,
       "Name: 151 characters (a line break counts two) where at most 150 can be stored; shorten it."},
  };
  for (const Case& c : cases) {
    std::optional<std::string> problem = StoredTextProblem("Name", c.text, c.capacity, c.kind);
    EXPECT_EQ(problem.value_or("none"), c.problem ? c.problem : "none") << c.text;
  }
}

}  // namespace
}  // namespace tf::common
