// Keyword replacement for one customer: one pass, whole words, values never scanned again.

#include <gtest/gtest.h>

#include <string>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "letters/keyword_merge.h"
#include "letters/rtf_reader.h"
#include "letters/rtf_writer.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "tests/letters/letter_printing.h"

namespace tf::letters {
namespace {

namespace cu = records::customer;
namespace co = records::company;

struct Records {
  common::RecordBuffer customer = common::RecordBuffer(cu::kCustomerRecordLength);
  common::RecordBuffer company = common::RecordBuffer(co::kCompanyRecordLength);
};

Records Acme() {
  Records r;
  common::WriteText(r.customer, cu::kCustomerNumber, "17");
  common::WriteText(r.customer, cu::kCustomerName, "  Acme Tools  ");
  common::WriteText(r.customer, cu::kNotes, "Call first");
  common::WriteText(r.company, co::kCompanyName, "Tallyfold Supplies");
  return r;
}

LetterDocument OneLine(const std::string& text) {
  LetterDocument doc;
  Paragraph p;
  p.Append(text, CharFormat{});
  doc.paragraphs.push_back(p);
  return doc;
}

std::string Merged(const std::string& text, const Records& r) {
  return MergeLetter(OneLine(text), ValuesFor(r.customer, r.company)).PlainText();
}

struct MergeCase {
  const char* name;
  const char* letter;
  const char* printed;
};

class KeywordMergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(KeywordMergeTest, ReplacesWholeUpperCaseKeywordsOnly) {
  EXPECT_EQ(Merged(GetParam().letter, Acme()), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeywordMergeTest,
    ::testing::Values(
        MergeCase{"AtTheFirstCharacter", "VQCSTNAME owes you", "Acme Tools owes you"},
        MergeCase{"AtTheLastCharacter", "Dear VQCSTNAME", "Dear Acme Tools"},
        MergeCase{"ValueTrimmed", "[VQCSTNAME]", "[Acme Tools]"},
        MergeCase{"LongerKeywordWinsOverItsPrefix", "VQCSTNOTES/VQCSTNO", "Call first/17"},
        MergeCase{"LowerCaseStays", "vqcstname Vqcstname", "vqcstname Vqcstname"},
        MergeCase{"InsideAWordStays", "XVQCSTNAME VQCSTNAMES VQCSTNAME_2 VQCSTNO7", "XVQCSTNAME VQCSTNAMES VQCSTNAME_2 VQCSTNO7"},
        MergeCase{"NextToPunctuation", "(VQCSTNO),VQCSTNO.", "(17),17."},
        MergeCase{"EveryOccurrence", "VQCSTNO VQCSTNO VQCSTNO", "17 17 17"},
        MergeCase{"CompanyKeyword", "From VQCMPNAME", "From Tallyfold Supplies"},
        MergeCase{"EmptyFieldGivesNothing", "<VQCSTSHP1>", "<>"},
        MergeCase{"NotAKeyword", "VQCSTFOO VQ", "VQCSTFOO VQ"},
        MergeCase{"NextToNonAsciiLetterStays", "VQCSTNAME\xC3\xA9", "VQCSTNAME\xC3\xA9"}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(KeywordMergeTest, ANameHoldingAKeywordIsPrintedAsItIs) {
  Records r = Acme();
  common::WriteText(r.customer, cu::kCustomerName, "VQCSTNAME Holdings");
  EXPECT_EQ(Merged("Dear VQCSTNAME, VQCSTNAME", r), "Dear VQCSTNAME Holdings, VQCSTNAME Holdings");
}

TEST(KeywordMergeTest, NotesHoldingKeywordsAreNotExpanded) {
  Records r = Acme();
  common::WriteText(r.customer, cu::kNotes, "Ask VQCSTNO about VQCSTBAL");
  common::WriteText(r.customer, cu::kBalance, "12.50");
  EXPECT_EQ(Merged("VQCSTNOTES; VQCSTBAL", r), "Ask VQCSTNO about VQCSTBAL; 12.50");
}

TEST(KeywordMergeTest, NoteLineBreaksBecomeLineBreaks) {
  Records r = Acme();
  common::WriteText(r.customer, cu::kNotes, "one\r\ntwo\rthree");
  const LetterDocument out = MergeLetter(OneLine("VQCSTNOTES"), ValuesFor(r.customer, r.company));
  ASSERT_EQ(out.paragraphs.size(), 1u);
  EXPECT_EQ(out.paragraphs[0].Text(), "one\ntwo\nthree");
}

TEST(KeywordMergeTest, BracesAndBackslashesInValuesSurviveTheFile) {
  Records r = Acme();
  common::WriteText(r.customer, cu::kCustomerName, "{\\rtf1 A}\\par B\\'e9");
  common::WriteText(r.customer, cu::kBillAddress1, "Caf\xE9 } {");  // Latin-1 as stored
  const LetterDocument merged = MergeLetter(OneLine("To VQCSTNAME at VQCSTADD1."), ValuesFor(r.customer, r.company));
  EXPECT_EQ(merged.PlainText(), "To {\\rtf1 A}\\par B\\'e9 at Caf\xC3\xA9 } {.");
  const RtfReadResult back = ReadRtf(WriteRtf(merged));
  ASSERT_TRUE(back.letter) << back.problem;
  EXPECT_EQ(back.letter->PlainText(), merged.PlainText());
}

TEST(KeywordMergeTest, AKeywordSplitByFormattingIsOneKeywordInItsFirstFormat) {
  CharFormat bold;
  bold.bold = true;
  CharFormat italic;
  italic.italic = true;
  LetterDocument doc;
  Paragraph p;
  p.Append("Dear ", CharFormat{});
  p.Append("VQCST", bold);
  p.Append("NAME", italic);
  p.Append(", thanks", italic);
  doc.paragraphs.push_back(p);
  const Records r = Acme();
  const LetterDocument out = MergeLetter(doc, ValuesFor(r.customer, r.company));
  ASSERT_EQ(out.paragraphs.size(), 1u);
  const Paragraph& q = out.paragraphs[0];
  EXPECT_EQ(q.Text(), "Dear Acme Tools, thanks");
  ASSERT_EQ(q.runs.size(), 3u);
  EXPECT_EQ(q.runs[1].text, "Acme Tools");
  EXPECT_EQ(q.runs[1].format, bold);
  EXPECT_EQ(q.runs[2].format, italic);
  EXPECT_EQ(out.paragraphs[0].format, doc.paragraphs[0].format);
}

TEST(KeywordMergeTest, EveryKeywordOfTheTableGivesItsField) {
  Records r;
  struct Field {
    const char* keyword;
    common::TextField field;
    bool company;
  };
  const Field fields[] = {
      {"VQCSTNO", cu::kCustomerNumber, false},   {"VQCSTNAME", cu::kCustomerName, false},
      {"VQCSTBAL", cu::kBalance, false},         {"VQCSTLPMT", cu::kLastPaymentDate, false},
      {"VQCSTLSTINV", cu::kLastInvoiceNumber, false}, {"VQCSTTYPE", cu::kCustomerType, false},
      {"VQCSTCREDIT", cu::kCreditLimit, false},  {"VQCSTTERMS", cu::kTerms, false},
      {"VQCSTADD1", cu::kBillAddress1, false},   {"VQCSTADD2", cu::kBillAddress2, false},
      {"VQCSTADD3", cu::kBillAddress3, false},   {"VQCSTADD4", cu::kBillAddress4, false},
      {"VQCSTPHN1", cu::kPhone1, false},         {"VQCSTSHP1", cu::kShipAddress1, false},
      {"VQCSTSHP2", cu::kShipAddress2, false},   {"VQCSTSHP3", cu::kShipAddress3, false},
      {"VQCSTSHP4", cu::kShipAddress4, false},   {"VQCSTPHN2", cu::kPhone2, false},
      {"VQCSTACUR", cu::kAgingAmount1, false},   {"VQCSTA3060", cu::kAgingAmount2, false},
      {"VQCSTA6090", cu::kAgingAmount3, false},  {"VQCSTAOV90", cu::kAgingAmount4, false},
      {"VQCSTNOTES", cu::kNotes, false},         {"VQCSTSNAME", cu::kShortName, false},
      {"VQCSTMLIST", cu::kMailSortCode, false},  {"VQCMPNAME", co::kCompanyName, true},
      {"VQCMPADD1", co::kAddress1, true},        {"VQCMPADD2", co::kAddress2, true},
      {"VQCMPADD3", co::kAddress3, true},        {"VQCMPADD4", co::kAddress4, true},
      {"VQCMPADD5", co::kAddress5, true},
  };
  ASSERT_EQ(MergeKeywords().size(), std::size(fields));
  std::string letter, expected;
  int n = 0;
  for (const Field& f : fields) {
    const std::string value = "v" + std::to_string(n++);
    common::WriteText(f.company ? std::span<std::uint8_t>(r.company) : std::span<std::uint8_t>(r.customer), f.field,
                      value);
    letter += std::string(f.keyword) + "|";
    expected += value + "|";
  }
  EXPECT_EQ(Merged(letter, r), expected);
}

TEST(KeywordMergeTest, TheListShowsEveryKeywordWithItsMeaning) {
  const std::vector<std::string> expected = {
      "VQCMPADD1 - Default Company Address Line 1", "VQCMPADD2 - Default Company Address Line 2",
      "VQCMPADD3 - Default Company Address Line 3", "VQCMPADD4 - Default Company Address Line 4",
      "VQCMPADD5 - Default Company Address Line 5", "VQCMPNAME - Default Company Name",
      "VQCSTA3060 - Customer Aging Amount (Category 2)", "VQCSTA6090 - Customer Aging Amount (Category 3)",
      "VQCSTACUR - Customer Aging Amount (Category 1)", "VQCSTADD1 - Customer Address Line 1",
      "VQCSTADD2 - Customer Address Line 2", "VQCSTADD3 - Customer Address Line 3",
      "VQCSTADD4 - Customer Address Line 4", "VQCSTAOV90 - Customer Aging Amount (Category 4)",
      "VQCSTBAL - Customer Balance", "VQCSTCREDIT - Customer Credit Limit",
      "VQCSTLPMT - Customers Last Payment Date", "VQCSTLSTINV - Customers Last Invoice Number",
      "VQCSTMLIST - Customer Mailing List Sort Code", "VQCSTNAME - Customer Name", "VQCSTNO - Customer Number",
      "VQCSTNOTES - Customer Notes", "VQCSTPHN1 - Customer Billing Address Phone Number",
      "VQCSTPHN2 - Customer Shipping Phone Number", "VQCSTSHP1 - Customer Shipping Address Line 1",
      "VQCSTSHP2 - Customer Shipping Address Line 2", "VQCSTSHP3 - Customer Shipping Address Line 3",
      "VQCSTSHP4 - Customer Shipping Address Line 4", "VQCSTSNAME - Customer Short Name",
      "VQCSTTERMS - Customer Payment Terms", "VQCSTTYPE - Customer Type"};
  EXPECT_EQ(KeywordListItems(), expected);
}

TEST(KeywordMergeTest, ALongLetterOfKeywordsMergesInOnePass) {
  Records r = Acme();
  common::WriteText(r.customer, cu::kCustomerName, "VQCSTNAME VQCSTNAME VQCSTNAME");
  std::string letter;
  for (int i = 0; i < 20000; ++i) letter += "VQCSTNAME ";
  const std::string out = Merged(letter, r);
  EXPECT_EQ(out.size(), 20000u * 30u);
}

}  // namespace
}  // namespace tf::letters
