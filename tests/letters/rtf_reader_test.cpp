// The rich text reader on what word processors write and on files that lie.

#include <gtest/gtest.h>

#include <string>

#include "letters/rtf_reader.h"

namespace tf::letters {
namespace {

LetterDocument Read(std::string_view rtf) {
  RtfReadResult r = ReadRtf(rtf);
  EXPECT_TRUE(r.letter) << r.problem;
  return r.letter.value_or(LetterDocument{});
}

struct TextCase {
  const char* name;
  const char* rtf;
  const char* text;  // the paragraphs' texts, one per line
};

class RtfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfTextTest, GivesTheTextAWordProcessorShows) {
  EXPECT_EQ(Read(GetParam().rtf).PlainText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfTextTest,
    ::testing::Values(
        TextCase{"Paragraphs", "{\\rtf1 one\\par two\\par}", "one\ntwo"},
        TextCase{"TextAfterTheLastPar", "{\\rtf1 one\\par two}", "one\ntwo"},
        TextCase{"DelimiterSpaceEaten", "{\\rtf1\\b bold\\b0  plain}", "bold plain"},
        TextCase{"EscapedSymbols", "{\\rtf1 a\\{b\\}c\\\\d}", "a{b}c\\d"},
        TextCase{"HexInWindows1252", "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80 5}", "caf\xC3\xA9 \xE2\x82\xAC 5"},
        TextCase{"UnicodeSkipsOneFallback", "{\\rtf1 \\u8364?5}", "\xE2\x82\xAC" "5"},
        TextCase{"UnicodeSkipsHexFallback", "{\\rtf1\\uc1 \\u1046\\'c6x}", "\xD0\x96x"},
        TextCase{"UcTwo", "{\\rtf1\\uc2 \\u1046\\'c6\\'c6x}", "\xD0\x96x"},
        TextCase{"UcZero", "{\\rtf1\\uc0 \\u1046 x}", "\xD0\x96x"},
        TextCase{"NegativeUnicode", "{\\rtf1 \\u-3?}", "\xEF\xBF\xBD"},
        TextCase{"SurrogatePair", "{\\rtf1 \\u-10179?\\u-8704?}", "\xF0\x9F\x98\x80"},
        TextCase{"FallbackNotSkippedPastGroupEnd", "{\\rtf1 {\\uc3 \\u1046 a}b}", "\xD0\x96" "b"},
        TextCase{"SymbolWords", "{\\rtf1 \\lquote a\\rquote \\emdash  \\bullet}", "\xE2\x80\x98" "a\xE2\x80\x99\xE2\x80\x94 \xE2\x80\xA2"},
        TextCase{"TabAndLine", "{\\rtf1 a\\tab b\\line c}", "a\tb\nc"},
        TextCase{"NonBreakingSpace", "{\\rtf1 a\\~b}", "a\xC2\xA0" "b"},
        TextCase{"OptionalHyphenVanishes", "{\\rtf1 hy\\-phen}", "hyphen"},
        TextCase{"SourceLineBreaksMeanNothing", "{\\rtf1 a\r\nb\\par\r\nc}", "ab\nc"},
        TextCase{"BackslashNewlineIsPar", "{\\rtf1 a\\\nb}", "a\nb"},
        TextCase{"StarredUnknownDestinationSkipped", "{\\rtf1 a{\\*\\foo hidden{\\b more}}b}", "ab"},
        TextCase{"StylesheetAndInfoSkipped",
                 "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}Body}", "Body"},
        TextCase{"PictureWithBinarySkipped", "{\\rtf1 a{\\pict\\bin6 {}\\x\\y}b}", "ab"},
        TextCase{"FieldResultKept", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}}", "shown"},
        TextCase{"HeaderSkipped", "{\\rtf1{\\header Page head\\par}Body}", "Body"},
        TextCase{"NumberedListKeepsItsNumber", "{\\rtf1{\\listtext 1.\\tab}First\\par}", "1.\tFirst"},
        TextCase{"TextAfterDocumentGroupIgnored", "{\\rtf1 a}junk}", "a"},
        TextCase{"BlanksBeforeTheGroup", "\r\n {\\rtf1 a}", "a"},
        TextCase{"TableCellsAndRows", "{\\rtf1 a\\cell b\\cell\\row c}", "a\tb\t\nc"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// A letter as a word processor saves it: font and colour tables, a style sheet, a generator
// mark, formatting switched on and off inside and across groups.
constexpr const char* kWordPadLetter =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\fswiss\\fprq2\\fcharset0 Times New Roman{\\*\\falt Times};}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\qc\\f0\\fs22\\lang9 Dear \\b VQCSTNAME\\b0 ,\\par\r\n"
    "\\pard\\li720\\ri360\\fi-360\\f1\\fs28\\cf1 Your \\i balance\\i0  is \\ul\\cf2 VQCSTBAL\\ulnone\\cf0 .\\par\r\n"
    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720\\f0\\fs22 "
    "First point\\par\r\n"
    "{\\pntext\\f2\\'B7\\tab}Second point\\par\r\n"
    "\\pard\\qr\\plain Thanks\\par\r\n}\r\n";

TEST(RtfReaderTest, KeepsTheFormattingOfAWordProcessorsLetter) {
  const LetterDocument doc = Read(kWordPadLetter).Normalised();
  ASSERT_EQ(doc.paragraphs.size(), 5u);

  const Paragraph& p0 = doc.paragraphs[0];
  EXPECT_EQ(p0.Text(), "Dear VQCSTNAME,");
  EXPECT_EQ(p0.format.alignment, Alignment::Centre);
  ASSERT_EQ(p0.runs.size(), 3u);
  EXPECT_EQ(p0.runs[0].format.font, "Calibri");
  EXPECT_EQ(p0.runs[0].format.halfPoints, 22);
  EXPECT_FALSE(p0.runs[0].format.bold);
  EXPECT_TRUE(p0.runs[1].format.bold);
  EXPECT_EQ(p0.runs[1].text, "VQCSTNAME");

  const Paragraph& p1 = doc.paragraphs[1];
  EXPECT_EQ(p1.format.leftIndent, 720);
  EXPECT_EQ(p1.format.rightIndent, 360);
  EXPECT_EQ(p1.format.firstIndent, -360);
  EXPECT_EQ(p1.format.alignment, Alignment::Left);
  ASSERT_GE(p1.runs.size(), 4u);
  EXPECT_EQ(p1.runs[0].format.font, "Times New Roman");  // the alternative name is no part of it
  EXPECT_EQ(p1.runs[0].format.halfPoints, 28);
  EXPECT_EQ(p1.runs[0].format.colour, 0x0000FF);  // red, stored 0x00BBGGRR
  EXPECT_TRUE(p1.runs[1].format.italic);
  EXPECT_EQ(p1.runs[1].text, "balance");
  EXPECT_EQ(p1.runs[3].text, "VQCSTBAL");
  EXPECT_TRUE(p1.runs[3].format.underline);
  EXPECT_EQ(p1.runs[3].format.colour, 0xFF0000);  // blue
  EXPECT_EQ(p1.runs.back().format.colour, 0);

  EXPECT_TRUE(doc.paragraphs[2].format.bullet);
  EXPECT_EQ(doc.paragraphs[2].Text(), "First point");  // the bullet is a mark, not text
  EXPECT_EQ(doc.paragraphs[2].format.leftIndent, 720);
  EXPECT_TRUE(doc.paragraphs[3].format.bullet);  // the list's paragraph format carries on
  EXPECT_EQ(doc.paragraphs[3].Text(), "Second point");
  EXPECT_FALSE(doc.paragraphs[4].format.bullet);
  EXPECT_EQ(doc.paragraphs[4].format.alignment, Alignment::Right);
  // \plain: the default font and the size a file means when it names none (12 points).
  EXPECT_EQ(doc.paragraphs[4].runs[0].format.font, "Calibri");
  EXPECT_EQ(doc.paragraphs[4].runs[0].format.halfPoints, 24);
}

TEST(RtfReaderTest, WordStyleListTextMakesABullet) {
  const LetterDocument doc =
      Read("{\\rtf1{\\fonttbl{\\f3\\fbidi Symbol;}}{\\listtext\\pard\\plain\\f3 \\'b7\\tab}\\pard\\ls1\\li720 Item\\par"
           "\\pard Plain\\par}");
  ASSERT_EQ(doc.paragraphs.size(), 2u);
  EXPECT_TRUE(doc.paragraphs[0].format.bullet);
  EXPECT_EQ(doc.paragraphs[0].Text(), "Item");
  EXPECT_EQ(doc.paragraphs[0].format.leftIndent, 720);
  EXPECT_FALSE(doc.paragraphs[1].format.bullet);
}

TEST(RtfReaderTest, GroupsRestoreTheFormatBeforeThem) {
  const LetterDocument doc = Read("{\\rtf1\\fs20 a{\\b\\fs40 b}c}").Normalised();
  ASSERT_EQ(doc.paragraphs.size(), 1u);
  ASSERT_EQ(doc.paragraphs[0].runs.size(), 3u);
  EXPECT_EQ(doc.paragraphs[0].runs[2].text, "c");
  EXPECT_FALSE(doc.paragraphs[0].runs[2].format.bold);
  EXPECT_EQ(doc.paragraphs[0].runs[2].format.halfPoints, 20);
}

struct RefusalCase {
  const char* name;
  std::string rtf;
  const char* problemPart;
};

class RtfRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RtfRefusalTest, RefusesWithASentence) {
  const RtfReadResult r = ReadRtf(GetParam().rtf);
  EXPECT_FALSE(r.letter);
  EXPECT_NE(r.problem.find(GetParam().problemPart), std::string::npos) << r.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, RtfRefusalTest,
    ::testing::Values(
        RefusalCase{"Empty", "", "not a rich text file"},
        RefusalCase{"PlainText", "Dear VQCSTNAME", "not a rich text file"},
        RefusalCase{"CutShort", "{\\rtf1 Dear {\\b customer", "cut short"},
        RefusalCase{"CutInsideControlWord", "{\\rtf1 a\\", "cut short"},
        RefusalCase{"DeepNesting", "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "}",
                    "nests groups more than 200"},
        RefusalCase{"HugeBin", "{\\rtf1 {\\pict\\bin2147483647 abc}}", "inside binary data"},
        RefusalCase{"BinBeyondInt", "{\\rtf1 {\\pict\\bin99999999999999999999 abc}}", "inside binary data"},
        RefusalCase{"BinCutShort", "{\\rtf1 {\\pict\\bin10 abc}}", "inside binary data"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(RtfReaderTest, NestingUpToTheLimitIsRead) {
  const int depth = kMaxRtfGroupDepth - 1;
  const std::string rtf = "{\\rtf1 " + std::string(depth - 1, '{') + "deep" + std::string(depth - 1, '}') + "}";
  EXPECT_EQ(Read(rtf).PlainText(), "deep");
}

TEST(RtfReaderTest, HostileNumbersAreHeldInRange) {
  const LetterDocument doc =
      Read("{\\rtf1\\fs-5 a\\fs999999999 b\\li99999999999 c\\cf99 d\\uc2147483647 \\u70000 e\\f-7 f}");
  ASSERT_EQ(doc.paragraphs.size(), 1u);
  for (const letters::Run& run : doc.paragraphs[0].runs) {
    EXPECT_GE(run.format.halfPoints, 2);
    EXPECT_LE(run.format.halfPoints, 3276);
    EXPECT_EQ(run.format.colour, 0);  // no such colour: the automatic one
  }
  EXPECT_LE(doc.paragraphs[0].format.leftIndent, 22 * kTwipsPerInch);
}

TEST(RtfReaderTest, LongFontNamesAreCut) {
  const std::string rtf = "{\\rtf1{\\fonttbl{\\f0 " + std::string(100000, 'F') + ";}}\\f0 x}";
  const LetterDocument doc = Read(rtf);
  ASSERT_EQ(doc.paragraphs.size(), 1u);
  EXPECT_EQ(doc.paragraphs[0].runs[0].format.font.size(), kMaxFontNameLength);
}

}  // namespace
}  // namespace tf::letters
