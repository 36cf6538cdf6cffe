// `print invoice` and `print invoices --unprinted`: real PDF files written through Qt's PDF
// writer with no display, read back with pdfinfo and pdftotext (pages, words and where they
// stand), the invoices marked printed only once the file was written, --dry-run changing
// nothing, and the books check clean afterwards.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>

#include "common/side_file.h"
#include "common/folder_lock.h"
#include "records/invoice_record.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using cli::testing::ToolRun;

std::string Quoted(const std::string& arg) { return "'" + arg + "'"; }

int Pages(const std::string& pdf) {
  std::smatch m;
  const std::string info = PeerOutput("pdfinfo '" + pdf + "'");
  return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

std::string InfoField(const std::string& pdf, const std::string& field) {
  std::smatch m;
  const std::string info = PeerOutput("pdfinfo '" + pdf + "'");
  return std::regex_search(info, m, std::regex(field + ":\\s+([^\\n]*)")) ? std::string(m[1]) : std::string();
}

std::string PageText(const std::string& pdf, int page) {
  return PeerOutput("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' -");
}

struct Word {
  int page;
  double xMin, yMin, xMax, yMax;
  std::string text;
};

std::vector<Word> Words(const std::string& pdf) {
  std::vector<Word> words;
  std::istringstream in(PeerOutput("pdftotext -bbox '" + pdf + "' -"));
  static const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  int page = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find("<page ") != std::string::npos) ++page;
    std::smatch m;
    if (std::regex_search(line, m, word))
      words.push_back({page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
  }
  return words;
}

const Word* Find(const std::vector<Word>& words, const std::string& text, int page = 1) {
  for (const Word& w : words)
    if (w.text == text && w.page == page) return &w;
  return nullptr;
}

class CliPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeInvoiceFolder(folder_, scratch_.path());
    ASSERT_EQ(Tool({"company", "set", "InvoiceTitle=INVOICE", "PackingSlipTitle=PACKING SLIP",
                    "RemittanceCopyTitle=FILE COPY", "ProductCodeHeading=Code", "QuantityHeading=Quantity",
                    "DescriptionHeading=Description", "UnitCostHeading=Unit Price", "ExtensionHeading=Amount",
                    "TaxHeading=Tax", "LeftFormMargin=60", "TopFormMargin=30"})
                  .status,
              0);
    Import("InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,TaxAmount,PaidAmount,ProductCode,Quantity,"
           "Description,UnitPrice,TaxMark,Extension,MemoText\n"
           "500,P,C1,03/01/2024,,,A1,2,Blue widget,10,Y,,\n"
           "500,P,C1,03/01/2024,,,B2,1000,Nails,0.125,N,,\n"
           "501,P,C2,03/02/2024,,,A1,1,Red widget,7.5,N,,\n");
    Import("InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,NetAmount,Description,MemoText\n"
           "502,M,C3,03/03/2024,40,Consulting,Three hours of advice\n");
  }

  void Import(const std::string& csv) {
    const std::string file = scratch_ / "invoices.csv";
    common::ReplaceFile(file, csv);
    const ToolRun run = Tool({"import", "invoices", file});
    ASSERT_EQ(run.status, 0) << run.err;
  }

  // The tool itself, as a user runs it: its own process, with no display.
  ToolRun Tool(std::vector<std::string> args) { return ToolOn(folder_, std::move(args)); }
  ToolRun ToolOn(const fs::path& folder, std::vector<std::string> args) {
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(TALLYFOLD_CLI) + " --data " + Quoted(folder.string());
    for (const std::string& a : args) command += " " + Quoted(a);
    const std::string errors = scratch_ / "stderr.txt";
    ToolRun run{};
    run.out = PeerOutput(command + " 2>" + Quoted(errors), &run.status);
    run.err = common::ReadWholeFile(errors);
    return run;
  }

  // The printed flag of each record of the invoice file, by number.
  std::map<std::string, std::string> Printed() {
    std::map<std::string, std::string> flags;
    for (const std::string& r : BlockRecords(folder_, "1I")) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(r.data());
      std::span<const std::uint8_t> record(bytes, r.size());
      flags[common::ReadText(record, records::invoice::kInvoiceNumber)] =
          common::ReadText(record, records::invoice::kPrintedFlag);
    }
    return flags;
  }

  std::string Pdf(const std::string& name) const { return scratch_ / name; }

  TempFolder scratch_;
  fs::path folder_ = fs::path(scratch_.path()) / "data";
};

TEST_F(CliPrintTest, OneInvoiceWithItsSlipAndCopiesPrintsWhereTheLayoutSays) {
  TF_NEED_PEERS_GTEST("cannot read the PDF back (poppler-utils)", "pdftotext", "pdfinfo");
  const std::string pdf = Pdf("500.pdf");
  const ToolRun run = Tool({"print", "invoice", "500", "--packing-slip", "--copies", "2", "--pdf", pdf});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Invoice 500 printed to " + pdf + " (4 pages) and marked printed.\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Pages(pdf), 4);
  EXPECT_EQ(InfoField(pdf, "Title"), "Invoice - 500");
  EXPECT_EQ(InfoField(pdf, "Page size"), "612 x 792 pts (letter)");

  const std::string invoice = PageText(pdf, 1);
  for (const char* text : {"INVOICE", "Ann Smith", "Date: 03/01/2024", "Number: 500", "Account Number: C1",
                           "Payment Terms: Net 30", "Blue widget", "1,000", "0.125", "125.00", "Grand Total:",
                           "Balance Due:"})
    EXPECT_NE(invoice.find(text), std::string::npos) << text << "\n" << invoice;
  const std::string slip = PageText(pdf, 2);
  EXPECT_NE(slip.find("PACKING SLIP"), std::string::npos);
  EXPECT_NE(slip.find("xxxxxxxxxx"), std::string::npos);
  EXPECT_EQ(slip.find("125.00"), std::string::npos);
  EXPECT_EQ(slip.find("Grand Total"), std::string::npos);
  EXPECT_NE(PageText(pdf, 3).find("FILE COPY"), std::string::npos);
  EXPECT_NE(PageText(pdf, 4).find("FILE COPY"), std::string::npos);

  // Positions, in points from the paper's corner: the page's origin is a quarter inch in, 300
  // canvas units an inch.
  const auto words = Words(pdf);
  const Word* title = Find(words, "INVOICE");
  ASSERT_NE(title, nullptr);
  EXPECT_NEAR((title->xMin + title->xMax) / 2, 18 + 2400 * 72.0 / 300 / 2, 3);  // centred on the printable page
  const Word* date = Find(words, "Date:");
  ASSERT_NE(date, nullptr);
  EXPECT_NEAR(date->xMin, 18 + 60 * 72.0 / 300, 1.5);  // the left margin
  const Word* account = Find(words, "Account");
  ASSERT_NE(account, nullptr);
  EXPECT_NEAR(account->yMin, date->yMin, 1);
  EXPECT_NEAR(account->xMin, 18 + 1600 * 72.0 / 300, 1.5);  // two thirds across
  // The amounts are right-aligned on one edge.
  const Word* extension = Find(words, "125.00");
  const Word* grandTotal = nullptr;
  for (const Word& w : words)
    if (w.page == 1 && w.text == "146.65") grandTotal = &w;
  ASSERT_NE(extension, nullptr);
  ASSERT_NE(grandTotal, nullptr) << invoice;
  EXPECT_NEAR(extension->xMax, grandTotal->xMax, 1);
  EXPECT_LT(extension->yMax, grandTotal->yMin);

  EXPECT_EQ(Printed()["500"], "Y");
  EXPECT_EQ(Printed()["501"], "");  // as imported: not yet printed
  EXPECT_EQ(Tool({"check"}).status, 0);
}

TEST_F(CliPrintTest, AReprintIsMarkedAsItWasAndNothingChanges) {
  TF_NEED_PEERS_GTEST("cannot read the PDF back (poppler-utils)", "pdfinfo");
  ASSERT_EQ(Tool({"print", "invoice", "501", "--pdf", Pdf("a.pdf")}).status, 0);
  const FolderImage before = FolderBytes(folder_);
  const ToolRun again = Tool({"print", "invoice", "501", "--pdf", Pdf("b.pdf")});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Invoice 501 printed to " + Pdf("b.pdf") + " (1 page); it was marked printed before.\n");
  EXPECT_EQ(ChangedFiles(before, FolderBytes(folder_)), "");
  EXPECT_EQ(Pages(Pdf("b.pdf")), 1);
}

TEST_F(CliPrintTest, TheBatchPrintsEveryUnprintedInvoiceIntoOneFileAndMarksThem) {
  TF_NEED_PEERS_GTEST("cannot read the PDF back (poppler-utils)", "pdftotext", "pdfinfo");
  ASSERT_EQ(Tool({"print", "invoice", "501", "--pdf", Pdf("first.pdf")}).status, 0);
  const FolderImage before = FolderBytes(folder_);
  const ToolRun dry = Tool({"print", "invoices", "--unprinted", "--pdf", Pdf("all.pdf"), "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out, "Would print 2 invoices to " + Pdf("all.pdf") + ":\n  500\n  502\nNothing was printed or marked.\n");
  EXPECT_EQ(ChangedFiles(before, FolderBytes(folder_)), "");
  EXPECT_FALSE(fs::exists(Pdf("all.pdf")));

  const ToolRun run = Tool({"print", "invoices", "--unprinted", "--pdf", Pdf("all.pdf")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Printed 2 invoices (2 pages) to " + Pdf("all.pdf") + " and marked 2 invoices printed.\n");
  EXPECT_EQ(Pages(Pdf("all.pdf")), 2);
  EXPECT_NE(PageText(Pdf("all.pdf"), 1).find("Blue widget"), std::string::npos);
  const std::string memo = PageText(Pdf("all.pdf"), 2);
  EXPECT_NE(memo.find("Three hours of advice"), std::string::npos) << memo;
  EXPECT_EQ(Printed(), (std::map<std::string, std::string>{{"500", "Y"}, {"501", "Y"}, {"502", "Y"}}));

  const ToolRun nothing = Tool({"print", "invoices", "--unprinted", "--pdf", Pdf("none.pdf")});
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(nothing.out, "There are no invoices to print.\n");
  EXPECT_FALSE(fs::exists(Pdf("none.pdf")));
  EXPECT_EQ(Tool({"check"}).status, 0);
}

TEST_F(CliPrintTest, ALongInvoiceGoesOnToMorePages) {
  TF_NEED_PEERS_GTEST("cannot read the PDF back (poppler-utils)", "pdftotext", "pdfinfo");
  std::string csv =
      "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,TaxAmount,PaidAmount,ProductCode,Quantity,"
      "Description,UnitPrice,TaxMark,Extension,MemoText\n";
  for (int i = 1; i <= 99; ++i) csv += "600,P,C1,03/05/2024,,,,1,Item " + std::to_string(i) + ",1,N,,\n";
  Import(csv);
  const std::string pdf = Pdf("600.pdf");
  ASSERT_EQ(Tool({"print", "invoice", "600", "--copies", "0", "--pdf", pdf}).status, 0);
  const int pages = Pages(pdf);
  ASSERT_GE(pages, 3);
  for (int p = 1; p < pages; ++p) {
    const std::string text = PageText(pdf, p);
    EXPECT_NE(text.find("Continued on page number " + std::to_string(p + 1) + " ..."), std::string::npos) << text;
    EXPECT_NE(text.find("Reference:"), std::string::npos);
    EXPECT_EQ(text.find("Grand Total:"), std::string::npos);
  }
  EXPECT_NE(PageText(pdf, pages).find("Grand Total:"), std::string::npos);
  const auto words = Words(pdf);
  int items = 0;
  for (const Word& w : words) items += w.text == "Item";
  EXPECT_EQ(items, 99);
  const Word* last = Find(words, "99", pages);
  ASSERT_NE(last, nullptr);
  EXPECT_LT(last->yMax, 792 - 18);
}

// A folder as `init` (and the first start) makes it, with nothing set but the company's name:
// its first invoice prints under a title and with its columns headed.
TEST_F(CliPrintTest, AStarterCompanysFirstInvoiceHasATitleAndColumnHeadings) {
  TF_NEED_PEERS_GTEST("reading printed invoices", "pdftotext");
  const fs::path fresh = fs::path(scratch_.path()) / "fresh";
  MakeInvoiceFolder(fresh, scratch_.path());
  const std::string csv = scratch_ / "first.csv";
  common::ReplaceFile(csv,
                      "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,TaxAmount,PaidAmount,ProductCode,Quantity,"
                      "Description,UnitPrice,TaxMark,Extension,MemoText\n"
                      "100,P,C1,03/01/2024,,,A1,2,Blue widget,10,Y,,\n");
  ASSERT_EQ(RunTool({"--data", fresh.string(), "import", "invoices", csv}).status, 0);
  const ToolRun printed = ToolOn(fresh, {"print", "invoice", "100", "--pdf", Pdf("first.pdf")});
  ASSERT_EQ(printed.status, 0) << printed.err;
  const std::string text = PeerOutput("pdftotext -layout '" + Pdf("first.pdf") + "' -");
  for (const char* expected : {"INVOICE", "Quantity", "Description", "Unit Cost", "Blue widget"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " is not on the page:\n" << text;
}

TEST_F(CliPrintTest, RefusalsSayWhyAndMarkNothing) {
  const FolderImage before = FolderBytes(folder_);
  const ToolRun missing = Tool({"print", "invoice", "999", "--pdf", Pdf("x.pdf")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "tallyfold-cli: There is no invoice numbered 999. Nothing was printed.\n");

  const ToolRun unwritable = Tool({"print", "invoice", "500", "--pdf", Pdf("no/such/folder/x.pdf")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("could not be written; invoice 500 was not marked as printed"), std::string::npos)
      << unwritable.err;

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"print", "invoice", "500"}, {"print", "invoices", "--pdf", Pdf("x.pdf")},
        {"print", "invoice", "--pdf", Pdf("x.pdf")}, {"print", "invoice", "500", "--copies", "x", "--pdf", "y"},
        {"print", "receipts"}, {"print", "invoice", "500", "--dry-run", "--pdf", "y"}}) {
    const ToolRun run = Tool(bad);
    EXPECT_EQ(run.status, 2) << bad[1];
    EXPECT_EQ(run.err.rfind("tallyfold-cli: print ", 0), 0u) << run.err;
  }
  {
    common::FolderLock window(folder_);  // the windowed program runs on the folder
    ASSERT_EQ(window.state(), common::FolderLock::State::Held);
    const ToolRun locked = Tool({"print", "invoice", "500", "--pdf", Pdf("x.pdf")});
    EXPECT_EQ(locked.status, 2);
    EXPECT_NE(locked.err.find("in use by the Tallyfold window"), std::string::npos);
  }
  EXPECT_EQ(ChangedFiles(before, FolderBytes(folder_)), "");

  cli::Extensions plain = cli::BuiltInExtensions();
  const ToolRun unavailable =
      RunTool({"--data", folder_.string(), "print", "invoice", "500", "--pdf", Pdf("x.pdf")}, plain);
  EXPECT_EQ(unavailable.status, 2);
  EXPECT_EQ(unavailable.err, "tallyfold-cli: printing to PDF is not available in this build of the tool.\n");
}

}  // namespace
}  // namespace tf::test
