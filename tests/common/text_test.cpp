#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/key_text.h"

namespace tf::common {
namespace {

using namespace std::string_literals;

struct TrimCase {
  std::string input;
  std::string expected;
};

TEST(TrimBoth, DropsCodesUpTo32AtBothEndsOnly) {
  const TrimCase cases[] = {
      {"", ""},
      {"   ", ""},
      {"\t\r\n \x01\x1f", ""},
      {"abc", "abc"},
      {"  abc  ", "abc"},
      {"\tabc\r\n", "abc"},
      {"\0\0abc\0"s, "abc"},
      {"a b  c", "a b  c"},              // inner blanks stay
      {" \x7f ", "\x7f"},                // DEL is not a blank
      {"\x21x\x21", "\x21x\x21"},        // "!" (33) is the first kept code
      {" \xe9t\xe9 ", "\xe9t\xe9"},      // bytes above 127 are kept
      {"\x20\x20x", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimBoth(c.input), c.expected) << "input [" << c.input << "]";
}

struct PadCase {
  std::string input;
  std::size_t width;
  char fill;
  std::string expected;
};

TEST(PadRight, PadsToWidthAndNeverCuts) {
  const PadCase cases[] = {
      {"", 0, ' ', ""},
      {"", 3, ' ', "   "},
      {"ab", 5, ' ', "ab   "},
      {"ab", 2, ' ', "ab"},
      {"abcdef", 3, ' ', "abcdef"},
      {"7", 4, '0', "7000"},
      {"  x", 4, ' ', "  x "},  // no trimming
  };
  for (const auto& c : cases) EXPECT_EQ(PadRight(c.input, c.width, c.fill), c.expected) << c.input;
}

struct AlignCase {
  std::string input;
  std::size_t width;
  std::string expected;
};

TEST(AlignRight, TrimsPadsLeftAndCutsToWidth) {
  const AlignCase cases[] = {
      {"", 0, ""},
      {"", 3, "   "},
      {"   ", 2, "  "},
      {"12.50", 8, "   12.50"},
      {"  12.50\t", 8, "   12.50"},
      {"12.50", 5, "12.50"},
      {"1,234,567.89", 5, "1,234"},  // keeps the first characters
      {"-1,234,567.89", 12, "-1,234,567.8"},
      {"abc", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AlignRight(c.input, c.width), c.expected) << c.input;
}

TEST(UpperCase, ChangesOnlyAsciiLetters) {
  const TrimCase cases[] = {
      {"", ""},
      {"acme corp.", "ACME CORP."},
      {"Already UPPER 123", "ALREADY UPPER 123"},
      {"az{`@[", "AZ{`@["},                // the neighbours of a..z stay
      {"caf\xc3\xa9 \xe9", "CAF\xc3\xa9 \xe9"},  // UTF-8 and code page bytes stay
      {"a\0b"s, "A\0B"s},
  };
  for (const auto& c : cases) EXPECT_EQ(UpperCase(c.input), c.expected) << c.input;
}

TEST(Cut, KeepsFirstCharacters) {
  EXPECT_EQ(Cut("abcdef", 3), "abc");
  EXPECT_EQ(Cut("ab", 3), "ab");
  EXPECT_EQ(Cut("abc", 0), "");
}

struct KeyCase {
  std::string field;
  std::size_t keyLength;
  std::string expected;
};

TEST(BuildKey, TrimsPadsUpperCasesAndCutsTo30) {
  const KeyCase cases[] = {
      {"", 5, "     "},
      {"  12 ", 5, "12   "},
      {"123456", 5, "123456"},  // padding never cuts
      {"acme", 8, "ACME    "},
      {" \tacme inc\r\n", 30, "ACME INC" + std::string(22, ' ')},
      {std::string(40, 'x'), 30, std::string(30, 'X')},
      {std::string(35, 'a'), 35, std::string(30, 'A')},  // the finished key is cut to 30
      {"short", 40, "SHORT" + std::string(25, ' ')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildKey(c.field, c.keyLength), c.expected) << "[" << c.field << "] " << c.keyLength;
  }
}

TEST(BuildKey, DiffersOnlyByCaseOrSurroundingBlanksGiveTheSameKey) {
  EXPECT_EQ(BuildKey(" acme ", 30), BuildKey("ACME", 30));
  EXPECT_NE(BuildKey("acme", 30), BuildKey("acme2", 30));
}

}  // namespace
}  // namespace tf::common
