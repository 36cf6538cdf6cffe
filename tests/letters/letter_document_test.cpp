// Letters in plain text files, and the document's own helpers.

#include <gtest/gtest.h>

#include "letters/letter_document.h"

namespace tf::letters {
namespace {

TEST(LetterDocumentTest, PlainTextLinesBecomeParagraphsWhateverTheLineEnds) {
  const LetterDocument doc = LetterFromPlainText("one\r\ntwo\nthree\rfour");
  ASSERT_EQ(doc.paragraphs.size(), 4u);
  EXPECT_EQ(doc.paragraphs[3].Text(), "four");
  EXPECT_EQ(doc.PlainText(), "one\ntwo\nthree\nfour");
}

TEST(LetterDocumentTest, PlainTextRoundTripsWithCrLf) {
  const std::string text = "Dear VQCSTNAME,\r\n\r\nbraces {} \\ stay\r\n";
  EXPECT_EQ(LetterToPlainText(LetterFromPlainText(text)), text);
}

TEST(LetterDocumentTest, OldTextFilesAreReadAsWindows1252) {
  EXPECT_EQ(LetterFromPlainText("caf\xE9 \x80").PlainText(), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(LetterFromPlainText("\xEF\xBB\xBF" "caf\xC3\xA9").PlainText(), "caf\xC3\xA9");
}

TEST(LetterDocumentTest, LineBreaksInsideAParagraphAreWrittenAsLines) {
  LetterDocument doc;
  Paragraph p;
  p.Append("a\nb", CharFormat{});
  doc.paragraphs.push_back(p);
  EXPECT_EQ(LetterToPlainText(doc), "a\r\nb");
}

TEST(LetterDocumentTest, BlankMeansNothingToPrint) {
  EXPECT_TRUE(LetterDocument{}.Blank());
  EXPECT_TRUE(LetterFromPlainText(" \r\n\t\r\n").Blank());
  EXPECT_FALSE(LetterFromPlainText("\r\n.").Blank());
}

TEST(LetterDocumentTest, NormalisedJoinsRunsOfOneFormat) {
  LetterDocument doc;
  Paragraph p;
  p.runs = {{"a", CharFormat{}}, {"", CharFormat{"X"}}, {"b", CharFormat{}}};
  doc.paragraphs.push_back(p);
  const LetterDocument n = doc.Normalised();
  ASSERT_EQ(n.paragraphs[0].runs.size(), 1u);
  EXPECT_EQ(n.paragraphs[0].runs[0].text, "ab");
}

}  // namespace
}  // namespace tf::letters
