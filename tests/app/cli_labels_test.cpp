// tallyfold-cli labels: mailing labels printed to real PDF files through the Label Wizard's own
// code and read back with pdftotext -bbox / pdfinfo for where each label landed; a gone
// customer named and skipped; damaged layouts and lists, and bad arguments, refused with a
// sentence and no file written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "app/cli/qt/pdf_canvas.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "correspondence/label_fill.h"
#include "correspondence/label_list_file.h"
#include "correspondence/starter_layouts.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "tests/app/cli_run.h"
#include "tests/support/company_file.h"
#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::cli {
namespace {

using testing::RunTool;
namespace fs = std::filesystem;
namespace cu = records::customer;
namespace cr = correspondence;

// A word of the PDF and its box, in points from the page's top-left corner.
struct Word {
  std::string text;
  double xMin, yMin;
  int page;
};

std::vector<Word> Words(const std::string& pdf) {
  const std::string html = test::PeerOutput("pdftotext -bbox " + pdf + " -");
  std::vector<Word> words;
  int page = 0;
  const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::size_t at = 0;
  for (;;) {
    const std::size_t nextPage = html.find("<page ", at);
    std::smatch m;
    std::string rest = html.substr(at);
    if (!std::regex_search(rest, m, word)) break;
    const std::size_t wordAt = at + std::size_t(m.position(0));
    if (nextPage != std::string::npos && nextPage < wordAt) {
      ++page;
      at = nextPage + 1;
      continue;
    }
    words.push_back({m[3], std::stod(m[1]), std::stod(m[2]), page});
    at = wordAt + std::size_t(m.length(0));
  }
  return words;
}

// Printer units from the printable area's corner (a quarter inch in) to PDF points.
double Points(int units) { return (units / 300.0 + 0.25) * 72.0; }

class CliLabelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::InitEngine(0, engine::kMinPageBuffers);
    ASSERT_TRUE(engine::EngineOK);
    common::RecordBuffer company(records::company::kCompanyRecordLength);
    common::WriteText(company, records::company::kCompanyNumber, "1");
    common::WriteText(company, records::company::kCompanyName, "Tally Co");
    ASSERT_TRUE(test::MakeCompanyFile(company));
    const records::RecordFileKind& kind = cu::CustomerFileKind();
    engine::MakeFileBlock(cu::CustomerFileName("1"), kind.recordLength, int(kind.keys.size()), kind.keys);
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), cu::CustomerFileName("1"));
    ASSERT_TRUE(engine::EngineOK);
    common::ScriptedPrompter quiet;
    for (int i = 1; i <= 16; ++i) {
      common::RecordBuffer r = cu::NewCustomerRecord();
      const std::string n = std::to_string(100 + i);
      common::WriteText(r, cu::kCustomerNumber, n);
      common::WriteText(r, cu::kCustomerName, "Name" + n);
      common::WriteText(r, cu::kBillAddress1, "Street" + n);
      std::int32_t ref = 0;
      ASSERT_TRUE(records::AddKeyedRecord(block.get(), kind, r, ref, quiet));
      queue_.Add(cr::QueueEntryOf(r));
    }
    block.Close();
    engine::ExitEngine();
    ASSERT_EQ(cr::CreateStarterLabelLayouts(), "");
  }

  testing::ToolRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), "labels");
    for (const char* a : {"--company", "1", "--data"}) args.push_back(a);
    args.push_back(fs::current_path().string());
    Extensions ext = BuiltInExtensions();
    ext.pdfCanvas = qt::OffscreenPdfCanvas;
    return RunTool(args, ext);
  }

  void SaveQueue(const std::string& name) { ASSERT_EQ(cr::SaveLabelList(name, queue_), std::nullopt); }

  test::TempFolder folder_{test::TempFolder::Enter};
  cr::LabelQueue queue_;
};

TEST_F(CliLabelsTest, StartLabelFivePrintsAtRowTwoColumnTwo) {
  TF_NEED_PEERS_GTEST("reading printed labels", "pdftotext");
  queue_ = {};
  queue_.Add({"101", "", "", ""});
  SaveQueue("ONE.LST");
  const testing::ToolRun run = Tool({"--layout", "LETTER30.LBL", "--queue", "ONE.LST", "--start", "5", "--pdf", "one.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Printed 1 label (1 page) to " + (folder_ / "one.pdf") + ".\n");
  const std::vector<Word> words = Words("one.pdf");
  ASSERT_EQ(words.size(), 2u) << test::PeerOutput("pdftotext -bbox one.pdf -");
  EXPECT_EQ(words[0].text, "Name101");
  // Letter 3 x 10: left 19, top 105, labels 825 x 300 units.
  EXPECT_NEAR(words[0].xMin, Points(19 + 825), 2.0);
  EXPECT_NEAR(words[0].yMin, Points(105 + 300), 4.0);
  EXPECT_EQ(words[1].text, "Street101");
  EXPECT_NEAR(words[1].xMin, words[0].xMin, 0.5);
  EXPECT_GT(words[1].yMin, words[0].yMin + 8);
}

TEST_F(CliLabelsTest, SixteenCustomersTwiceFillOneSheetAndTwoLabelsOfTheNext) {
  TF_NEED_PEERS_GTEST("reading printed labels", "pdftotext", "pdfinfo");
  SaveQueue("ALL.LST");
  const testing::ToolRun run = Tool({"--layout", "LETTER30.LBL", "--queue", "ALL.LST", "--copies", "2", "--pdf", "two.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Printed 32 labels (2 pages)"), std::string::npos) << run.out;
  EXPECT_NE(test::PeerOutput("pdfinfo two.pdf").find("Pages:           2\n"), std::string::npos);
  std::vector<Word> second;
  for (const Word& w : Words("two.pdf"))
    if (w.page == 2 && w.text.rfind("Name", 0) == 0) second.push_back(w);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].text, "Name116");
  EXPECT_EQ(second[1].text, "Name116");
  EXPECT_NEAR(second[0].xMin, Points(19), 2.0);
  EXPECT_NEAR(second[1].xMin, Points(19 + 825), 2.0);
  EXPECT_NEAR(second[1].yMin, second[0].yMin, 0.5);
}

TEST_F(CliLabelsTest, AllCustomersOnA4AndAGoneCustomerIsNamed) {
  TF_NEED_PEERS_GTEST("reading printed labels", "pdftotext");
  testing::ToolRun run = Tool({"--layout", "A4-24.LBL", "--all-customers", "--pdf", "a4.pdf"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Printed 16 labels (1 page)"), std::string::npos) << run.out;
  const std::string text = test::PeerOutput("pdftotext a4.pdf -");
  EXPECT_NE(text.find("Name116"), std::string::npos);

  queue_.Add({"1010", "Renumbered", "", ""});  // 1010 sorts just before 102: never printed as 102
  SaveQueue("GONE.LST");
  run = Tool({"--layout", "A4-24.LBL", "--queue", "GONE.LST", "--pdf", "gone.pdf"});
  EXPECT_EQ(run.status, kExitProblems);
  EXPECT_NE(run.out.find("Printed 16 labels"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Customer 1010 is no longer in the customer file; its label was not printed."),
            std::string::npos) << run.err;
}

TEST_F(CliLabelsTest, DamagedFilesAndBadArgumentsAreRefusedAndNothingIsWritten) {
  SaveQueue("ALL.LST");
  { std::ofstream("SHORT.LBL") << std::string(443, '\0'); }
  { std::ofstream("BAD.LST") << "101      Name\r\n\x01\x02\r\n"; }
  {
    std::string zero = test::PeerOutput("cat LETTER30.LBL");
    zero[60] = '0';  // Columns Across "0"
    std::ofstream("ZERO.LBL", std::ios::binary) << zero;
  }
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--layout", "SHORT.LBL", "--queue", "ALL.LST", "--pdf", "x.pdf"},
       "The file SHORT.LBL is not a label layout that can be used. It holds 443 bytes; a label layout holds 444."},
      {{"--layout", "ZERO.LBL", "--queue", "ALL.LST", "--pdf", "x.pdf"},
       "Columns Across is \"0\"; it must be a whole number of at least 1. Nothing was printed."},
      {{"--layout", "LETTER30.LBL", "--queue", "BAD.LST", "--pdf", "x.pdf"},
       "The record list BAD.LST is damaged: Line 2 holds a control character. No records were added."},
      {{"--layout", "LETTER30.LBL", "--queue", "ALL.LST", "--start", "31", "--pdf", "x.pdf"},
       "Start at Label is 31, but a sheet of 3 x 10 labels has labels 1 to 30."},
      {{"--layout", "LETTER30.LBL", "--queue", "ALL.LST", "--all-customers", "--pdf", "x.pdf"},
       "give either --queue FILE.LST or --all-customers"},
      {{"--queue", "ALL.LST", "--pdf", "x.pdf"}, "--layout FILE.LBL names the label layout"},
      {{"--layout", "LETTER30.LBL", "--all-customers"}, "--pdf FILE names the file"},
      {{"--layout", "LETTER30.LBL", "--all-customers", "--copies", "0", "--pdf", "x.pdf"},
       "--copies takes a number of copies from 1 to 999, not \"0\""},
  };
  for (const auto& [args, text] : cases) {
    const testing::ToolRun run = Tool(args);
    EXPECT_EQ(run.status, kExitUsage) << text;
    EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists("x.pdf"));
}

}  // namespace
}  // namespace tf::cli
