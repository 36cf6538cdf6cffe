// One letter per queue entry on the print canvas: exact customer look-up, the refusals, the
// job, and how a letter is set on its pages.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "common/scripted_prompter.h"
#include "letters/form_letters.h"
#include "letters/letter_print.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "tests/support/data_folder_test.h"

namespace tf::letters {
namespace {

namespace cu = records::customer;
namespace co = records::company;

LetterDocument Letter(std::initializer_list<std::string> lines) {
  LetterDocument doc;
  for (const std::string& line : lines) {
    Paragraph p;
    p.Append(line, CharFormat{});
    doc.paragraphs.push_back(p);
  }
  return doc;
}

correspondence::LabelQueue Queue(std::initializer_list<const char*> numbers) {
  correspondence::LabelQueue q;
  for (const char* n : numbers) q.Add({n, "", "", ""});
  return q;
}

// Everything on a page in reading order, one string.
std::string PageText(const common::RecordingCanvas& canvas, std::size_t page) {
  std::string text;
  for (const std::string& line : canvas.ReadingLines(page)) text += line + "\n";
  return text;
}

class FormLettersTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    test::DataFolderTest::SetUp();
    common::WriteText(company_, co::kCompanyNumber, "1");
    common::WriteText(company_, co::kCompanyName, "Tallyfold Supplies");
    common::ScriptedPrompter create({common::PromptAnswer::OK});
    test::SilentStatus status;
    ASSERT_TRUE(cu::OpenCustomerFile(customers_, "1", create, status));
  }
  void TearDown() override {
    if (customers_) engine::CloseFileBlock(customers_);
    test::DataFolderTest::TearDown();
  }

  void AddCustomer(const std::string& number, const std::string& name, const std::string& notes = "") {
    common::RecordBuffer r = cu::NewCustomerRecord();
    common::WriteText(r, cu::kCustomerNumber, number);
    common::WriteText(r, cu::kCustomerName, name);
    common::WriteText(r, cu::kNotes, notes);
    common::ScriptedPrompter quiet;
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(customers_, cu::CustomerFileKind(), r, ref, quiet));
  }

  LetterRunOutcome Print(const LetterDocument& letter, const correspondence::LabelQueue& queue) {
    return PrintFormLetters(letter, queue, {customers_, company_, [this](std::size_t k, std::size_t n) {
                                              progress_.push_back(std::to_string(k) + "/" + std::to_string(n));
                                            }},
                            canvas_, "LETTER.RTF");
  }

  common::RecordBuffer company_ = common::RecordBuffer(co::kCompanyRecordLength);
  engine::FileBlock* customers_ = nullptr;
  common::RecordingCanvas canvas_;
  std::vector<std::string> progress_;
};

TEST_F(FormLettersTest, ThreeEntriesGiveThreeLettersEachOnItsOwnPage) {
  AddCustomer("1", "Acme Tools");
  AddCustomer("2", "Bolt & Nut");
  AddCustomer("3", "VQCSTNAME Holdings", "Ask about VQCSTNO");
  const LetterRunOutcome out = Print(Letter({"VQCSTNAME from VQCMPNAME", "Notes: VQCSTNOTES"}), Queue({"1", "2", "3"}));
  EXPECT_FALSE(out.failed) << out.message;
  EXPECT_EQ(out.printed, 3);
  EXPECT_EQ(out.pages, 3);
  ASSERT_EQ(canvas_.PageCount(), 3u);
  EXPECT_EQ(canvas_.Ops().front(), "Title LETTER.RTF");
  EXPECT_EQ(PageText(canvas_, 0), "Acme Tools from Tallyfold Supplies\nNotes:\n");
  EXPECT_EQ(PageText(canvas_, 1), "Bolt & Nut from Tallyfold Supplies\nNotes:\n");
  EXPECT_EQ(PageText(canvas_, 2), "VQCSTNAME Holdings from Tallyfold Supplies\nNotes: Ask about VQCSTNO\n");
  EXPECT_EQ(progress_, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
  EXPECT_TRUE(out.MissingText().empty());
}

TEST_F(FormLettersTest, AnEntryWhoseCustomerIsGoneIsSkippedNotGivenToTheNextNumber) {
  AddCustomer("1", "Acme Tools");
  AddCustomer("2", "Bolt & Nut");
  AddCustomer("4", "Dowel Works");
  // The search for "3" lands on "4": that is not customer 3.
  const LetterRunOutcome out = Print(Letter({"Dear VQCSTNAME"}), Queue({"1", "3", "4", "9"}));
  EXPECT_FALSE(out.failed) << out.message;
  EXPECT_EQ(out.printed, 2);
  ASSERT_EQ(canvas_.PageCount(), 2u);
  EXPECT_EQ(PageText(canvas_, 0), "Dear Acme Tools\n");
  EXPECT_EQ(PageText(canvas_, 1), "Dear Dowel Works\n");
  EXPECT_EQ(out.missing, (std::vector<std::string>{"3", "9"}));
  EXPECT_EQ(out.MissingText(), "2 letters were not printed: customers 3 and 9 are no longer on file.");
}

TEST_F(FormLettersTest, NumbersAreComparedTrimmedAndUpperCased) {
  AddCustomer("a-7", "Lower Case Ltd");
  const LetterRunOutcome out = Print(Letter({"VQCSTNO"}), Queue({" A-7 "}));
  EXPECT_EQ(out.printed, 1);
  EXPECT_EQ(PageText(canvas_, 0), "a-7\n");
}

TEST_F(FormLettersTest, NobodyLeftPrintsNothing) {
  const LetterRunOutcome out = Print(Letter({"Dear VQCSTNAME"}), Queue({"5"}));
  EXPECT_FALSE(out.failed);
  EXPECT_EQ(out.printed, 0);
  EXPECT_TRUE(canvas_.Ops().empty());
  EXPECT_EQ(out.MissingText(), "1 letter was not printed: customer 5 is no longer on file.");
}

TEST_F(FormLettersTest, RefusalsComeBeforeTheJob) {
  AddCustomer("1", "Acme Tools");
  struct Case {
    LetterDocument letter;
    correspondence::LabelQueue queue;
    std::string message;
  };
  const Case cases[] = {
      {Letter({"Dear VQCSTNAME"}), Queue({}), std::string(kEmptyQueueText)},
      {Letter({"  ", ""}), Queue({"1"}), std::string(kNoTextText)},
      {LetterDocument{}, Queue({"1"}), std::string(kNoTextText)},
      {Letter({"ok", "Price \xE2\x82\xAC" "5"}), Queue({"1"}),
       "The letter cannot be printed: the printer's character set has no \"\xE2\x82\xAC\" (U+20AC) in line 2 of the "
       "letter. Replace it and print again."},
  };
  for (const Case& c : cases) {
    const LetterRunOutcome out = Print(c.letter, c.queue);
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.message, c.message);
    EXPECT_EQ(out.printed, 0);
  }
  EXPECT_TRUE(canvas_.Ops().empty());
}

TEST_F(FormLettersTest, APrinterThatRefusesIsReported) {
  AddCustomer("1", "Acme Tools");
  canvas_.FailBeginDoc();
  LetterRunOutcome out = Print(Letter({"Dear VQCSTNAME"}), Queue({"1"}));
  EXPECT_TRUE(out.failed);
  EXPECT_EQ(out.message, "Printing failed.");
  canvas_.FailBeginDoc(false);
  canvas_.FailEndDoc();
  out = Print(Letter({"Dear VQCSTNAME"}), Queue({"1"}));
  EXPECT_TRUE(out.failed);
  EXPECT_EQ(out.printed, 0);
  EXPECT_EQ(out.message, "Printing failed.");
}

// Layout, with the recording canvas's fixed metrics: a 10-point character is 25 units wide,
// a line 50 units high; the page is 2400 x 3150 units.
class LetterLayoutTest : public ::testing::Test {
 protected:
  void PrintOne(const LetterDocument& letter) {
    ASSERT_TRUE(canvas_.BeginDoc());
    LetterPrinter printer(canvas_);
    printer.Print(letter);
    pages_ = printer.Pages();
    ASSERT_TRUE(canvas_.EndDoc());
  }
  const common::RecordingCanvas::Text& Find(const std::string& text, std::size_t page = 0) {
    const auto& texts = canvas_.Texts(page);
    auto it = std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text; });
    if (it == texts.end()) throw std::runtime_error("not printed: " + text);
    return *it;
  }
  common::RecordingCanvas canvas_;
  int pages_ = 0;
};

TEST_F(LetterLayoutTest, AlignmentsAndIndentsPlaceTheLines) {
  LetterDocument doc = Letter({"left", "centre", "right", "indented"});
  doc.paragraphs[1].format.alignment = Alignment::Centre;
  doc.paragraphs[2].format.alignment = Alignment::Right;
  doc.paragraphs[3].format.leftIndent = 1440;  // an inch: 300 units
  PrintOne(doc);
  const int left = kLetterMargin, right = 2400 - kLetterMargin;
  EXPECT_EQ(Find("left").x, left);
  EXPECT_EQ(Find("left").y, kLetterMargin);
  EXPECT_EQ(Find("centre").x, left + (right - left - 6 * 25) / 2);
  EXPECT_EQ(Find("centre").y, kLetterMargin + 50);
  EXPECT_EQ(Find("right").x, right - 5 * 25);
  EXPECT_EQ(Find("indented").x, left + 300);
}

TEST_F(LetterLayoutTest, LongParagraphsWrapAtWordsAndOntoANewPage) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "word" + std::to_string(i % 10) + " ";
  PrintOne(Letter({text}));
  // 1950 units of line: 15 words of 6 characters and a blank (150 units) wrap after 13 words.
  EXPECT_EQ(canvas_.ReadingLines(0).front(), "word0 word1 word2 word3 word4 word5 word6 word7 word8 word9 word0 word1 word2");
  EXPECT_GT(pages_, 1);
  EXPECT_EQ(static_cast<std::size_t>(pages_), canvas_.PageCount());
  for (std::size_t page = 0; page < canvas_.PageCount(); ++page)
    for (const auto& t : canvas_.Texts(page)) {
      EXPECT_GE(t.y, kLetterMargin);
      EXPECT_LE(t.y + 50, 3150 - kLetterMargin);
      EXPECT_LE(t.x + 25 * static_cast<int>(t.text.size()), 2400 - kLetterMargin);
    }
}

TEST_F(LetterLayoutTest, FormatsReachTheCanvasAndABulletIsDrawn) {
  LetterDocument doc;
  Paragraph p;
  p.format.bullet = true;
  p.format.leftIndent = 720;
  p.format.firstIndent = -360;
  p.Append("Bold", CharFormat{"Courier New", 24, true, false, true, 0x0000FF});
  p.Append(" plain", CharFormat{});
  doc.paragraphs.push_back(p);
  PrintOne(doc);
  const auto& bold = Find("Bold");
  EXPECT_EQ(bold.font.face, "Courier New");
  EXPECT_EQ(bold.font.size, 12);
  EXPECT_EQ(bold.font.style, common::kFontBold | common::kFontUnderline);
  EXPECT_EQ(bold.font.colour, 0x0000FF);
  EXPECT_EQ(bold.x, kLetterMargin + 150);  // the text at the left indent
  const auto& page = canvas_.Page(0);
  auto rect = std::find_if(page.begin(), page.end(), [](const std::string& op) { return op.rfind("Rectangle", 0) == 0; });
  ASSERT_NE(rect, page.end());
  EXPECT_EQ(rect->substr(0, 14), "Rectangle " + std::to_string(kLetterMargin + 75) + " ");  // at li + fi
}

TEST_F(LetterLayoutTest, TabsStopEveryHalfInchAndLineBreaksStartNewLines) {
  PrintOne(Letter({"a\tb\nc"}));
  EXPECT_EQ(Find("b").x, kLetterMargin + kTabStop);
  EXPECT_EQ(Find("c").y, kLetterMargin + 50);
  EXPECT_EQ(Find("c").x, kLetterMargin);
}

TEST_F(LetterLayoutTest, AWordLongerThanALineIsBroken) {
  PrintOne(Letter({std::string(100, 'x')}));
  ASSERT_EQ(canvas_.Texts(0).size(), 2u);
  EXPECT_EQ(canvas_.Texts(0)[0].text.size(), 78u);  // 1950 / 25
  EXPECT_EQ(canvas_.Texts(0)[1].text.size(), 22u);
}

TEST_F(LetterLayoutTest, EmptyParagraphsKeepTheirLine) {
  PrintOne(Letter({"a", "", "b"}));
  EXPECT_EQ(Find("b").y, kLetterMargin + 100);
}

}  // namespace
}  // namespace tf::letters
