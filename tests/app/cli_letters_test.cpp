// tallyfold-cli letters: a letter printed to a real PDF file for every customer of a record list
// file and read back with pdftotext / pdfinfo; customers whose names and notes hold keywords and
// rich text control characters; a gone customer skipped and named; bad files refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/cli/qt/pdf_canvas.h"
#include "correspondence/label_list_file.h"
#include "letters/letter_file.h"
#include "tests/app/cli_run.h"
#include "tests/statements/statement_books.h"
#include "tests/support/external_peer.h"

namespace tf::cli {
namespace {

using testing::RunTool;
namespace fs = std::filesystem;
namespace cu = records::customer;


void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary);
  out << bytes;
}

class CliLettersTest : public test::StatementFolderTest {
 protected:
  void SetUp() override {
    StatementFolderTest::SetUp();
    AddLetterCustomer("C1", "VQCSTNAME Holdings", "Ask for VQCSTNO; {braces} \\par stay");
    AddLetterCustomer("C2", "Brown & Co", "Second line\r\nof notes");
    AddLetterCustomer("C4", "Green Ltd", "");
    // The letter as a word processor might keep it: the name's keyword split by formatting.
    WriteFile("LETTER.RTF",
              "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 VQCMPNAME\\par Dear {\\b VQCST}NAME,\\par "
              "Number VQCSTNO, notes: VQCSTNOTES.\\par}");
  }

  void AddLetterCustomer(const std::string& number, const std::string& name, const std::string& notes) {
    common::RecordBuffer r = invoicing::testing::InvoicingCustomer(number, name, name.substr(0, 5));
    common::WriteText(r, cu::kNotes, notes);
    Write(cu::CustomerFileName("1"), r, [&](engine::FileBlock* h, std::int32_t& ref) {
      return records::AddKeyedRecord(h, cu::CustomerFileKind(), r, ref, quiet_);
    });
  }

  void WriteQueue(const std::string& file, std::initializer_list<const char*> numbers) {
    correspondence::LabelQueue queue;
    for (const char* n : numbers) queue.Add({n, "x", "", ""});
    ASSERT_FALSE(correspondence::SaveLabelList(file, queue));
  }

  testing::ToolRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), "letters");
    for (const char* a : {"--company", "1", "--data"}) args.push_back(a);
    args.push_back(fs::current_path().string());
    Extensions ext = BuiltInExtensions();
    ext.pdfCanvas = qt::OffscreenPdfCanvas;
    return RunTool(args, ext);
  }
};

TEST_F(CliLettersTest, ThreeQueueEntriesGiveThreeLettersReadBackFromThePdf) {
  TF_NEED_PEERS_GTEST("reading printed letters", "pdftotext", "pdfinfo");
  WriteQueue("QUEUE.LST", {"C1", "C2", "C4"});
  const testing::ToolRun run = Tool({"--letter", "LETTER.RTF", "--queue", "QUEUE.LST", "--pdf", "letters.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Printed 3 letters (3 pages)"), std::string::npos) << run.out;
  EXPECT_NE(test::PeerOutput("pdfinfo letters.pdf").find("Pages:           3"), std::string::npos);
  const std::string one = test::PeerOutput("pdftotext -f 1 -l 1 -layout letters.pdf -");
  EXPECT_NE(one.find("Dear VQCSTNAME Holdings,"), std::string::npos) << one;
  EXPECT_NE(one.find("Number C1, notes: Ask for VQCSTNO; {braces} \\par stay."), std::string::npos) << one;
  const std::string two = test::PeerOutput("pdftotext -f 2 -l 2 -layout letters.pdf -");
  EXPECT_NE(two.find("Dear Brown & Co,"), std::string::npos) << two;
  EXPECT_NE(two.find("notes: Second line"), std::string::npos) << two;
  EXPECT_NE(two.find("of notes."), std::string::npos) << two;
  const std::string three = test::PeerOutput("pdftotext -f 3 -l 3 -layout letters.pdf -");
  EXPECT_NE(three.find("Dear Green Ltd,"), std::string::npos) << three;
  EXPECT_EQ(three.find("VQC"), std::string::npos) << three;
}

TEST_F(CliLettersTest, TheLetterSitsInsideTheMarginsOfEachPage) {
  TF_NEED_PEERS_GTEST("reading printed letters", "pdftotext");
  WriteQueue("QUEUE.LST", {"C4"});
  ASSERT_EQ(Tool({"--letter", "LETTER.RTF", "--queue", "QUEUE.LST", "--pdf", "one.pdf"}).status, kExitOk);
  // Word boxes in points: a Letter page is 612 x 792; the text starts an inch from the paper's
  // top-left corner (72 points), each line below the one before.
  const std::string boxes = test::PeerOutput("pdftotext -bbox one.pdf -");
  auto attribute = [&](const std::string& word, const char* name) {
    const std::size_t at = boxes.find(">" + word + "<");
    EXPECT_NE(at, std::string::npos) << word << "\n" << boxes;
    const std::size_t start = boxes.rfind("<word", at);
    const std::size_t a = boxes.find(std::string(name) + "=\"", start);
    return std::stod(boxes.substr(a + std::string(name).size() + 2));
  };
  EXPECT_NEAR(attribute("Dear", "xMin"), 72.0, 1.5);
  EXPECT_NEAR(attribute("Acme", "yMin"), 72.0, 3.0);
  EXPECT_GT(attribute("Dear", "yMin"), attribute("Acme", "yMin"));
  EXPECT_GT(attribute("Number", "yMin"), attribute("Dear", "yMin"));
}

TEST_F(CliLettersTest, AGoneCustomerIsSkippedAndNamed) {
  TF_NEED_PEERS_GTEST("reading printed letters", "pdftotext", "pdfinfo");
  WriteQueue("QUEUE.LST", {"C1", "C3"});  // C3 is gone; C4 follows it in the index
  const testing::ToolRun run = Tool({"--letter", "LETTER.RTF", "--queue", "QUEUE.LST", "--pdf", "some.pdf"});
  EXPECT_EQ(run.status, kExitProblems);
  EXPECT_NE(run.out.find("Printed 1 letter (1 page)"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("1 letter was not printed: customer C3 is no longer on file."), std::string::npos) << run.err;
  EXPECT_EQ(test::PeerOutput("pdftotext some.pdf -").find("Green"), std::string::npos);
}

TEST_F(CliLettersTest, APlainTextLetterPrintsToo) {
  TF_NEED_PEERS_GTEST("reading printed letters", "pdftotext");
  WriteFile("NOTE.TXT", "VQCSTNO: VQCSTNAME\r\n");
  WriteQueue("QUEUE.LST", {"C2"});
  ASSERT_EQ(Tool({"--letter", "NOTE.TXT", "--queue", "QUEUE.LST", "--pdf", "note.pdf"}).status, kExitOk);
  EXPECT_NE(test::PeerOutput("pdftotext note.pdf -").find("C2: Brown & Co"), std::string::npos);
}

TEST_F(CliLettersTest, BadFilesAndArgumentsAreRefusedWithASentence) {
  WriteQueue("QUEUE.LST", {"C1"});
  WriteQueue("EMPTY.LST", {});
  WriteFile("CUT.RTF", "{\\rtf1 Dear {\\b VQCSTNAME");
  WriteFile("BLANK.RTF", "{\\rtf1 \\par  \\par}");
  WriteFile("BAD.LST", std::string(120, 'x') + "\r\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* text;
  };
  const Case cases[] = {
      {{"--letter", "CUT.RTF", "--queue", "QUEUE.LST", "--pdf", "x.pdf"}, kExitProblems, "it is cut short"},
      {{"--letter", "MISSING.RTF", "--queue", "QUEUE.LST", "--pdf", "x.pdf"}, kExitProblems, "cannot be opened"},
      {{"--letter", "BLANK.RTF", "--queue", "QUEUE.LST", "--pdf", "x.pdf"}, kExitProblems,
       "You do not have any text to print."},
      {{"--letter", "LETTER.RTF", "--queue", "EMPTY.LST", "--pdf", "x.pdf"}, kExitProblems,
       "You do not have any customer records listed in the Label print queue."},
      {{"--letter", "LETTER.RTF", "--queue", "BAD.LST", "--pdf", "x.pdf"}, kExitProblems, "Nothing was printed."},
      {{"--letter", "LETTER.RTF", "--pdf", "x.pdf"}, kExitUsage, "--queue FILE"},
      {{"--letter", "LETTER.RTF", "--queue", "QUEUE.LST"}, kExitUsage, "--pdf FILE"},
      {{"--queue", "QUEUE.LST", "--pdf", "x.pdf", "--letter"}, kExitUsage, "--letter needs a file"},
      {{"--letter", "LETTER.RTF", "--queue", "QUEUE.LST", "--pdf", "x.pdf", "--copies", "2"}, kExitUsage,
       "letters does not know \"--copies\""},
  };
  for (const Case& c : cases) {
    const testing::ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, c.status) << c.text << "\n" << run.err;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists("x.pdf"));
}

}  // namespace
}  // namespace tf::cli
