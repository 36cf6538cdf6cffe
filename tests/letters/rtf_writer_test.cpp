// Rich text written by the program: read back by the program and by Debian's unrtf.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "letters/rtf_reader.h"
#include "letters/rtf_writer.h"
#include "tests/letters/letter_printing.h"
#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::letters {
namespace {

// Every property the editor offers, in more than one paragraph, with characters that need
// escaping in every way the writer knows.
LetterDocument EveryFeature() {
  LetterDocument doc;
  CharFormat plain;
  CharFormat heading{"Times New Roman", 32, true, false, false, 0x000080};
  CharFormat fancy{"DejaVu Sans", 22, true, true, true, 0xFF8800};

  Paragraph title;
  title.format.alignment = Alignment::Centre;
  title.Append("VQCMPNAME", heading);
  doc.paragraphs.push_back(title);

  Paragraph body;
  body.format = {Alignment::Justify, false, 360, 720, 1440};
  body.Append("Dear ", plain);
  body.Append("VQCSTNAME", fancy);
  body.Append(", braces { } and a backslash \\ stay;\ttab, caf\xC3\xA9, \xE2\x82\xAC, \xD0\x96, \xF0\x9F\x98\x80",
              plain);
  body.Append("\nsecond line", plain);
  doc.paragraphs.push_back(body);

  Paragraph bullet;
  bullet.format = {Alignment::Left, true, -360, 720, 0};
  bullet.Append("A point", plain);
  doc.paragraphs.push_back(bullet);

  doc.paragraphs.push_back(Paragraph{});  // an empty line

  Paragraph right;
  right.format.alignment = Alignment::Right;
  right.Append("Yours", CharFormat{"Courier New", 24, false, false, false, 0});
  doc.paragraphs.push_back(right);
  return doc;
}

TEST(RtfWriterTest, WhatIsWrittenIsReadBackExactly) {
  const LetterDocument doc = EveryFeature();
  const RtfReadResult back = ReadRtf(WriteRtf(doc));
  ASSERT_TRUE(back.letter) << back.problem;
  EXPECT_EQ(back.letter->Normalised(), doc.Normalised());
}

TEST(RtfWriterTest, EmptyLetterRoundTrips) {
  const RtfReadResult back = ReadRtf(WriteRtf(LetterDocument{}));
  ASSERT_TRUE(back.letter) << back.problem;
  EXPECT_TRUE(back.letter->paragraphs.empty());
}

TEST(RtfWriterTest, TheFileIsSevenBitText) {
  for (char c : WriteRtf(EveryFeature())) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST(RtfWriterTest, ControlCharactersAndFontNamesWithSemicolonsSurvive) {
  LetterDocument doc;
  Paragraph p;
  p.Append(std::string("a\x01" "b", 3), CharFormat{"Odd;Font", 20, false, false, false, 0});
  doc.paragraphs.push_back(p);
  const RtfReadResult back = ReadRtf(WriteRtf(doc));
  ASSERT_TRUE(back.letter) << back.problem;
  ASSERT_EQ(back.letter->paragraphs.size(), 1u);
  EXPECT_EQ(back.letter->paragraphs[0].Text(), std::string("a\x01" "b", 3));
  EXPECT_EQ(back.letter->paragraphs[0].runs[0].format.font, "OddFont");
}

TEST(RtfWriterTest, UnrtfReadsTheLetter) {
  TF_NEED_PEERS_GTEST("to read the program's rich text as another program would", "unrtf");
  test::TempFolder folder;
  const std::string file = folder / "LETTER.RTF";
  {
    std::ofstream out(file, std::ios::binary);
    out << WriteRtf(EveryFeature());
  }
  const std::string text = test::PeerOutput("unrtf --text '" + file + "' 2>/dev/null");
  // unrtf's text output: a header of its own, then the document's text.
  EXPECT_NE(text.find("VQCMPNAME"), std::string::npos) << text;
  EXPECT_NE(text.find("Dear VQCSTNAME, braces { } and a backslash \\ stay;"), std::string::npos) << text;
  // unrtf writes its text in Latin-1, and a tab as blanks and a line break.
  EXPECT_NE(text.find("tab, caf\xE9,"), std::string::npos) << text;
  EXPECT_NE(text.find("second line"), std::string::npos) << text;
  EXPECT_NE(text.find("A point"), std::string::npos) << text;
  EXPECT_NE(text.find("Yours"), std::string::npos) << text;
  // Nothing of the markup leaks into the text.
  EXPECT_EQ(text.find("\\par"), std::string::npos) << text;
  EXPECT_EQ(text.find("fonttbl"), std::string::npos) << text;
  EXPECT_EQ(text.find("Times New Roman"), std::string::npos) << text;
  // The paragraphs keep their order.
  EXPECT_LT(text.find("VQCMPNAME"), text.find("Dear"));
  EXPECT_LT(text.find("A point"), text.find("Yours"));
}

}  // namespace
}  // namespace tf::letters
