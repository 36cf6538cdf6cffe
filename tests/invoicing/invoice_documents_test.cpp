// Invoice documents: the data set of one number (header record, sums over payments), the
// document lines, the printed copies on a recording canvas (titles, marks, packing slips,
// page breaks, layout options), the e-mail text and its routes, and the output run that marks
// an invoice printed only once its output is out.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/recording_canvas.h"
#include "common/side_file.h"
#include "correspondence/label_queue.h"
#include "invoicing/documents/document_output.h"
#include "invoicing/documents/invoice_document.h"
#include "invoicing/documents/invoice_email.h"
#include "invoicing/documents/invoice_layout.h"
#include "invoicing/documents/invoice_view.h"
#include "tests/invoicing/document_books.h"

namespace tf::invoicing::documents {
namespace {

using namespace testing;
using common::RecordingCanvas;

// Every text of every page, in drawing order.
std::vector<std::string> AllTexts(const RecordingCanvas& canvas) {
  std::vector<std::string> texts;
  for (std::size_t p = 0; p < canvas.PageCount(); ++p)
    for (const auto& t : canvas.Texts(p)) texts.push_back(t.text);
  return texts;
}

bool HasText(const RecordingCanvas& canvas, std::string_view text) {
  const auto texts = AllTexts(canvas);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool PageHasText(const RecordingCanvas& canvas, std::size_t page, std::string_view text) {
  for (const auto& t : canvas.Texts(page))
    if (t.text == text) return true;
  return false;
}

class DocumentTest : public DocumentBooksTest {
 protected:
  DocumentFiles Files() const { return {invoices_, lines_, memos_, customers_}; }

  InvoiceDocument Collect(const std::string& number) {
    CollectOutcome c = CollectDocument(Files(), number, company_);
    EXPECT_TRUE(c.document.has_value()) << c.error;
    return c.document.value_or(InvoiceDocument{});
  }

  LayoutOptions Options() const { return LayoutOptions::FromCompany(company_); }

  // One copy drawn in a job of its own.
  RecordingCanvas Draw(const InvoiceDocument& doc, CopyKind copy, const LayoutOptions& options,
                       RecordingCanvas canvas = RecordingCanvas()) {
    EXPECT_TRUE(canvas.BeginDoc());
    DrawInvoiceCopy(canvas, doc, copy, options);
    EXPECT_TRUE(canvas.EndDoc());
    return canvas;
  }

  DocumentServices Services(SendMail send = {}) {
    return {Files(), company_, prompter_, clock_, &labels_, std::move(send)};
  }

  // A product invoice of three lines: 2 x 10.00 taxed, a comment, 1,000 x 0.125 untaxed.
  void ThreeLineInvoice(const std::string& number, const std::string& printed = "N") {
    Add({.number = number, .total = "146.60", .tax = "1.60", .printed = printed});
    AddLine(number, "W-1", LineText("2", "Widget", "10.00", "Y", "20.00"));
    AddLine(number, "", LineText("", "Thank you for your order", "", " ", ""));
    AddLine(number, "N-7", LineText("1000", "Nails", "0.125", "N", "125.00"));
  }

  common::FixedClock clock_{std::chrono::year_month_day{std::chrono::year{1999}, std::chrono::month{3}, std::chrono::day{20}}};
  correspondence::LabelQueue labels_;
};

// --- the data set -------------------------------------------------------------------------------

TEST_F(DocumentTest, PartialPaymentsSumIntoPaidWhileTheHeaderKeepsTheInvoicesOwnItems) {
  Add({.number = "A100", .kind = "Z", .date = "03/01/1999", .total = "100.00", .printed = "Y"});
  // Payment records: their own dates, no terms, no reference, as payment posting writes them.
  Add({.number = "A100", .kind = "X", .date = "03/10/1999", .paid = "30.00", .printed = "N", .terms = "", .notes = "",
       .datePaid = "1999/03/10"});
  Add({.number = "A100", .kind = "X", .date = "03/15/1999", .paid = "20.00", .printed = "N", .terms = "", .notes = "",
       .datePaid = "1999/03/15"});
  const InvoiceDocument doc = Collect("a100");
  EXPECT_EQ(doc.number, "A100");
  EXPECT_EQ(doc.kind, "Z");
  EXPECT_EQ(doc.date, "03/01/1999");
  EXPECT_EQ(doc.terms, "Net 30 Days");
  EXPECT_EQ(doc.reference, "PO 4711");
  EXPECT_EQ(doc.printedFlag, "Y");
  EXPECT_EQ(doc.paidDate, "");
  EXPECT_EQ(common::FormatComma0_00(doc.total), "100.00");
  EXPECT_EQ(common::FormatComma0_00(doc.paid), "50.00");
  EXPECT_EQ(common::FormatComma0_00(doc.balance), "50.00");

  // The same on paper and in the e-mail.
  const RecordingCanvas canvas = Draw(doc, CopyKind::Invoice, Options());
  EXPECT_TRUE(HasText(canvas, "Date: 03/01/1999"));
  EXPECT_TRUE(HasText(canvas, "Paid Amount: 50.00"));
  EXPECT_TRUE(HasText(canvas, "50.00"));
  const InvoiceEmail mail = BuildInvoiceEmail(doc, Options());
  EXPECT_NE(std::find(mail.body.begin(), mail.body.end(), "Balance Due:        50.00"), mail.body.end());
  EXPECT_NE(std::find(mail.body.begin(), mail.body.end(), "Payment Terms: Net 30 Days"), mail.body.end());
}

TEST(HeaderRecord, TheInvoiceRecordLeadsWhereverItStands) {
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"Z", "X", "X"}, 0}, {{"X", "Z", "X"}, 1}, {{"X", "X", "G"}, 2}, {{"R"}, 0},
      {{"D"}, 0},           {{"D", "T"}, 1},      {{"X"}, 0},           {{}, -1},
  };
  for (const auto& [kinds, expected] : cases) EXPECT_EQ(HeaderRecordIndex(kinds), expected) << ::testing::PrintToString(kinds);
}

TEST_F(DocumentTest, ADepositTakesItsHeaderFromItselfAndIsNotPrinted) {
  Add({.number = "DP3", .kind = "D", .paid = "50.00", .type = "D", .datePaid = "1999/03/05"});
  const InvoiceDocument doc = Collect("DP3");
  EXPECT_TRUE(doc.IsDeposit());
  EXPECT_EQ(common::FormatComma0_00(doc.paid), "50.00");
  EXPECT_EQ(common::FormatComma0_00(doc.balance), "-50.00");
  EXPECT_EQ(doc.paidDate, "03/05/1999");  // shown in the company's month-first order

  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun run(Services(), OutputChoice::Printer, {}, &jobs, false);
  const DocumentOutcome outcome = run.Output("DP3");
  EXPECT_EQ(outcome.result, DocumentResult::NotPrintable);
  EXPECT_EQ(outcome.message, kDepositNotPrinted);
  EXPECT_FALSE(canvas.Started());
}

TEST_F(DocumentTest, MissingNumberAndAmountsThatAreNoNumbersAreRefusedInWords) {
  Add({.number = "B1", .total = "12x.00"});
  EXPECT_EQ(CollectDocument(Files(), "NOPE", company_).error, "There is no invoice numbered NOPE.");
  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun run(Services(), OutputChoice::Printer, {}, &jobs, false);
  const DocumentOutcome nope = run.Output("NOPE");
  EXPECT_EQ(nope.result, DocumentResult::Failed);
  EXPECT_FALSE(nope.outputFailed);
  EXPECT_FALSE(canvas.Started());
  const CollectOutcome bad = CollectDocument(Files(), "B1", company_);
  EXPECT_FALSE(bad.document);
  EXPECT_NE(bad.error.find("TotalAmount \"12x.00\""), std::string::npos) << bad.error;
  // Empty amounts (a record listed as "DELETE ME") are zero, not a refusal.
  Add({.number = "B2", .total = "", .paid = ""});
  EXPECT_TRUE(CollectDocument(Files(), "B2", company_).document.has_value());
}

TEST_F(DocumentTest, QuantitiesAndPricesKeepTheDecimalsTheyWereTypedWith) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1.5", "1.5"}, {"2", "2"}, {"1000", "1,000"}, {"1,000", "1,000"}, {"0.125", "0.125"},
      {"-2.50", "-2.50"}, {"", ""}, {"  ", ""}, {"abc", "abc"}, {"1234567.0001", "1,234,567.0001"},
  };
  for (const auto& [stored, shown] : cases) EXPECT_EQ(ShowTypedNumber(stored), shown) << stored;
}

TEST_F(DocumentTest, LinesCommentsAndLinesWithoutDescription) {
  Add({.number = "L1", .total = "30.00"});
  AddLine("L1", "W-1", LineText("2", "Widget", "10.00", "Y", "20.00"));
  AddLine("L1", "", LineText("", "A comment", "", " ", ""));
  AddLine("L1", "FEE", LineText("1", "", "10.00", "N", "10.00"));  // an amount without description
  AddLine("L1", "", LineText("", "", "", " ", ""));                // nothing at all
  const InvoiceDocument doc = Collect("L1");
  ASSERT_EQ(doc.lines.size(), 4u);
  EXPECT_EQ(doc.lines[0].code, "W-1");
  EXPECT_EQ(doc.lines[0].quantity, "2");
  EXPECT_EQ(doc.lines[0].unitPrice, "10.00");
  EXPECT_EQ(doc.lines[0].extension, "20.00");
  EXPECT_EQ(doc.lines[1].quantity, "");
  EXPECT_EQ(doc.lines[1].extension, "");
  EXPECT_TRUE(doc.lines[2].Printable());
  EXPECT_FALSE(doc.lines[3].Printable());

  LayoutOptions options = Options();
  options.taxHeading.clear();  // no tax line: every "0.00" would come from a comment
  const RecordingCanvas canvas = Draw(doc, CopyKind::Invoice, options);
  // The comment prints blank numbers; the line without description prints with its amount, so
  // that the printed lines add up to the total.
  EXPECT_TRUE(HasText(canvas, "A comment"));
  EXPECT_FALSE(HasText(canvas, "0.00"));
  EXPECT_FALSE(HasText(canvas, "0"));
  const auto texts = AllTexts(canvas);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "FEE"), 0);  // codes print only when asked
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "10.00"), 3);  // both unit prices and the fee
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "20.00"), 1);
  EXPECT_TRUE(HasText(canvas, "30.00"));
}

// --- printed copies ------------------------------------------------------------------------------

TEST_F(DocumentTest, TheInvoiceCopyCarriesHeaderAddressesReferenceTableAndTotals) {
  ThreeLineInvoice("1001");
  LayoutOptions options = Options();
  options.productCodes = true;
  const RecordingCanvas canvas = Draw(Collect("1001"), CopyKind::Invoice, options);
  ASSERT_EQ(canvas.PageCount(), 1u);
  for (std::string_view text :
       {"INVOICE", "1001", "Acme Books", "1 Main Street", "Springfield", "Ann Smith", "Ann Smith Street 1", "Shelbyville",
        "Date: 03/07/1999", "Number: 1001", "Account Number: C1", "Payment Terms: Net 30 Days", "Reference: PO 4711",
        "Code", "Quantity", "Description", "Unit Price", "T", "Amount", "W-1", "Widget", "N-7", "1,000", "0.125",
        "125.00", "Total:", "145.00", "Sales Tax", "1.60", "Grand Total:", "146.60", "Balance Due:",
        "Paid Amount: 0.00"})
    EXPECT_TRUE(HasText(canvas, text)) << text;
  // The reference line's pieces stand on one row, in order from the left.
  const auto& texts = canvas.Texts(0);
  auto at = [&](std::string_view text) {
    return *std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text; });
  };
  EXPECT_EQ(at("Date: 03/07/1999").y, at("Account Number: C1").y);
  EXPECT_LT(at("Date: 03/07/1999").x, at("Number: 1001").x);
  EXPECT_LT(at("Number: 1001").x, at("Account Number: C1").x);
  EXPECT_EQ(at("Date: 03/07/1999").x, 60);  // the left margin
  // Amounts right-aligned: the extensions end where the grand total ends.
  const auto right = [&](std::string_view text) { return at(text).x + int(text.size()) * 25; };
  EXPECT_EQ(right("125.00"), right("146.60"));
  EXPECT_EQ(right("20.00"), right("125.00"));
  EXPECT_LT(at("Widget").y, at("Thank you for your order").y);
  EXPECT_LT(at("Thank you for your order").y, at("Nails").y);
  EXPECT_LT(at("Nails").y, at("Grand Total:").y);
  EXPECT_FALSE(HasText(canvas, "** Duplicate Invoice **"));
}

TEST_F(DocumentTest, TitlesOfEachCopyAndKind) {
  ThreeLineInvoice("1001");
  Add({.number = "CR1", .total = "-40.00"});
  Add({.number = "M1", .kind = "R", .total = "75.00"});
  const LayoutOptions options = Options();
  struct Case {
    std::string number;
    CopyKind copy;
    std::string title;
  };
  for (const Case& c : std::vector<Case>{{"1001", CopyKind::Invoice, "INVOICE"},
                                         {"1001", CopyKind::PackingSlip, "PACKING SLIP"},
                                         {"1001", CopyKind::FileCopy, "FILE COPY"},
                                         {"CR1", CopyKind::Invoice, "C  R  E  D  I  T"},
                                         {"CR1", CopyKind::FileCopy, "FILE COPY"},
                                         {"M1", CopyKind::Invoice, "REPEAT MASTER SETUP"}}) {
    const RecordingCanvas canvas = Draw(Collect(c.number), c.copy, options);
    EXPECT_EQ(canvas.Texts(0).front().text, c.title) << c.number;
  }
  EXPECT_EQ(JobTitle(CopyKind::PackingSlip, "1001"), "Packing Slip - 1001");
  const InvoiceEmail credit = BuildInvoiceEmail(Collect("CR1"), options);
  EXPECT_EQ(credit.body.front(), "C R E D I T");
}

TEST_F(DocumentTest, APackingSlipShowsNoPricesAndNoTotals) {
  ThreeLineInvoice("1001");
  const RecordingCanvas slip = Draw(Collect("1001"), CopyKind::PackingSlip, Options());
  for (std::string_view hidden : {"10.00", "20.00", "125.00", "0.125", "145.00", "146.60", "1.60", "Total:",
                                  "Grand Total:", "Balance Due:", "Paid Amount: 0.00"})
    EXPECT_FALSE(HasText(slip, hidden)) << hidden;
  const auto texts = AllTexts(slip);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "xxxxxxxxxx"), 4);  // two priced lines, price and amount
  EXPECT_TRUE(HasText(slip, "This is a packing slip. Please pay from invoice."));
  EXPECT_TRUE(HasText(slip, "Widget"));
  EXPECT_TRUE(HasText(slip, "1,000"));
}

TEST_F(DocumentTest, TheDuplicateNoticeOnlyOnAReprintedInvoiceAndOnlyWhenAsked) {
  ThreeLineInvoice("1001", "Y");
  ThreeLineInvoice("1002", "N");
  LayoutOptions options = Options();
  options.duplicateNotice = true;
  EXPECT_TRUE(HasText(Draw(Collect("1001"), CopyKind::Invoice, options), "** Duplicate Invoice **"));
  EXPECT_FALSE(HasText(Draw(Collect("1001"), CopyKind::PackingSlip, options), "** Duplicate Invoice **"));
  EXPECT_FALSE(HasText(Draw(Collect("1002"), CopyKind::Invoice, options), "** Duplicate Invoice **"));
  options.duplicateNotice = false;
  EXPECT_FALSE(HasText(Draw(Collect("1001"), CopyKind::Invoice, options), "** Duplicate Invoice **"));
  EXPECT_EQ(BuildInvoiceEmail(Collect("1001"), Options()).body[0], " ");
}

TEST_F(DocumentTest, ALongInvoiceContinuesOnTheNextPagesWithThePageHeadAgain) {
  Add({.number = "BIG", .total = "120.00"});
  for (int i = 1; i <= 120; ++i) AddLine("BIG", "", LineText("1", "Item " + std::to_string(i), "1.00", "N", "1.00"));
  const InvoiceDocument doc = Collect("BIG");
  ASSERT_EQ(doc.lines.size(), 120u);  // every line of the number, not only the first 99
  const RecordingCanvas canvas = Draw(doc, CopyKind::Invoice, Options());
  ASSERT_GE(canvas.PageCount(), 2u);
  EXPECT_TRUE(PageHasText(canvas, 0, "Continued on page number 2 ..."));
  for (std::size_t p = 0; p < canvas.PageCount(); ++p) {
    EXPECT_TRUE(PageHasText(canvas, p, "Reference: PO 4711")) << p;
    EXPECT_TRUE(PageHasText(canvas, p, "Description")) << p;
    if (p + 1 < canvas.PageCount()) {
      EXPECT_TRUE(PageHasText(canvas, p, "Continued on page number " + std::to_string(p + 2) + " ...")) << p;
      EXPECT_FALSE(PageHasText(canvas, p, "Grand Total:")) << p;
    }
  }
  EXPECT_TRUE(PageHasText(canvas, canvas.PageCount() - 1, "Grand Total:"));
  // Every item once, in order, and nothing below the page's break line but the note.
  std::vector<std::string> items;
  for (const std::string& t : AllTexts(canvas))
    if (t.rfind("Item ", 0) == 0) items.push_back(t);
  ASSERT_EQ(items.size(), 120u);
  for (int i = 0; i < 120; ++i) EXPECT_EQ(items[std::size_t(i)], "Item " + std::to_string(i + 1));
  for (std::size_t p = 0; p < canvas.PageCount(); ++p)
    for (const auto& t : canvas.Texts(p)) EXPECT_LT(t.y, RecordingCanvas::kLetterHeight) << t.text;
}

TEST_F(DocumentTest, APageHeadTallerThanThePageStillMovesOnARowAPage) {
  Add({.number = "TALL", .total = "5.00"});
  for (int i = 1; i <= 5; ++i) AddLine("TALL", "", LineText("1", "Row " + std::to_string(i), "1.00", "N", "1.00"));
  // A page of 600 units: the head alone (about 1,100 units) does not fit.
  const RecordingCanvas canvas = Draw(Collect("TALL"), CopyKind::Invoice, Options(), RecordingCanvas(2400, 600));
  EXPECT_EQ(canvas.PageCount(), 5u);
  for (std::size_t p = 0; p < 5; ++p) EXPECT_TRUE(PageHasText(canvas, p, "Row " + std::to_string(p + 1))) << p;
}

TEST_F(DocumentTest, MemoInvoicesPrintTheirBodyAndAMissingBodyIsSaid) {
  Add({.number = "MEMO1", .total = "300.00", .type = "M"});
  AddMemo("MEMO1", {"Consulting for March", "", "Three days on site", "x"});
  Add({.number = "MEMO2", .total = "10.00", .type = "M"});
  const InvoiceDocument doc = Collect("MEMO1");
  EXPECT_TRUE(doc.memo);
  EXPECT_EQ(doc.memoLines[0], "Consulting for March");
  EXPECT_EQ(doc.memoLines[3], "");  // one character is an empty editor line
  const RecordingCanvas canvas = Draw(doc, CopyKind::Invoice, Options());
  EXPECT_TRUE(HasText(canvas, "Services rendered"));
  EXPECT_TRUE(HasText(canvas, "Three days on site"));
  EXPECT_FALSE(HasText(canvas, "Description"));  // no table headings
  const InvoiceEmail mail = BuildInvoiceEmail(doc, Options());
  const auto heading = std::find(mail.body.begin(), mail.body.end(), "Services rendered");
  ASSERT_NE(heading, mail.body.end());
  EXPECT_EQ(*(heading + 2), "Consulting for March");
  EXPECT_EQ(*(heading + 4), "Three days on site");
  EXPECT_TRUE(Collect("MEMO2").memoMissing);
}

TEST_F(DocumentTest, LayoutOptionsDrawWhatTheyName) {
  ThreeLineInvoice("1001");
  const InvoiceDocument doc = Collect("1001");
  LayoutOptions plain = Options();
  const RecordingCanvas bare = Draw(doc, CopyKind::Invoice, plain);
  auto count = [](const RecordingCanvas& c, std::string_view op) {
    return std::count_if(c.Page(0).begin(), c.Page(0).end(), [&](const std::string& o) { return o.rfind(op, 0) == 0; });
  };
  EXPECT_EQ(count(bare, "Rectangle"), 0);
  EXPECT_EQ(count(bare, "Line "), 0);

  LayoutOptions ruled = plain;
  ruled.boxInvoices = true;
  ruled.boxTop = 30;
  ruled.horizontalLines = true;
  ruled.verticalLines = true;
  ruled.lineWidth = 3;
  const RecordingCanvas lined = Draw(doc, CopyKind::Invoice, ruled);
  EXPECT_NE(std::find(lined.Page(0).begin(), lined.Page(0).end(), "Rectangle 20 30 2380 3130"), lined.Page(0).end());
  EXPECT_NE(std::find(lined.Page(0).begin(), lined.Page(0).end(), "Pen 3"), lined.Page(0).end());
  EXPECT_EQ(count(lined, "Line "), 2 + 4);  // two full-width rules, four between the columns

  LayoutOptions letterhead = plain;
  letterhead.letterhead = true;
  const RecordingCanvas paper = Draw(doc, CopyKind::Invoice, letterhead);
  EXPECT_FALSE(HasText(paper, "Acme Books"));
  EXPECT_FALSE(HasText(paper, "INVOICE"));
  EXPECT_TRUE(HasText(paper, "Date: 03/07/1999"));

  LayoutOptions quiet = plain;
  quiet.noLargeNumbers = true;
  quiet.omitCompanyName = true;
  const RecordingCanvas small = Draw(doc, CopyKind::Invoice, quiet);
  EXPECT_FALSE(HasText(small, "1001"));
  EXPECT_FALSE(HasText(small, "Acme Books"));
  EXPECT_TRUE(HasText(small, "INVOICE"));

  // A logo that can be read stands at the top left and pushes the company block right of it;
  // one that cannot leaves the block where it was.
  common::ReplaceFile("logo.bmp", "BM");
  LayoutOptions logo = plain;
  logo.printLogo = true;
  logo.logoPath = "logo.bmp";
  const RecordingCanvas withLogo = Draw(doc, CopyKind::Invoice, logo);
  EXPECT_NE(std::find(withLogo.Page(0).begin(), withLogo.Page(0).end(), "Bitmap 60 40 310 290 logo.bmp"),
            withLogo.Page(0).end());
  auto companyX = [](const RecordingCanvas& c) {
    for (const auto& t : c.Texts(0))
      if (t.text == "Acme Books") return t.x;
    return -1;
  };
  EXPECT_EQ(companyX(bare), 60);
  EXPECT_EQ(companyX(withLogo), 60 + 250 + 25);
  logo.logoPath = "missing.bmp";
  EXPECT_EQ(companyX(Draw(doc, CopyKind::Invoice, logo)), 60);

  // Totals moved down to where row MaxLines would end.
  auto grandTotalY = [](const RecordingCanvas& c) {
    for (const auto& t : c.Texts(0))
      if (t.text == "Grand Total:") return t.y;
    return -1;
  };
  LayoutOptions movedDown = plain;
  movedDown.moveDownTotals = true;
  movedDown.maxLines = 20;
  EXPECT_EQ(grandTotalY(Draw(doc, CopyKind::Invoice, movedDown)), grandTotalY(bare) + (20 - 3) * 50);

  LayoutOptions footer = plain;
  footer.printSalesMessage = true;
  footer.salesMessage = {"Thank you", "", "Come again", ""};
  footer.customerAging = true;
  footer.shading = true;
  const RecordingCanvas foot = Draw(doc, CopyKind::Invoice, footer);
  EXPECT_TRUE(HasText(foot, "Thank you"));
  EXPECT_TRUE(HasText(foot, "Come again"));
  EXPECT_TRUE(HasText(foot, "Account Status:"));
  EXPECT_TRUE(HasText(foot, "Over 90: 0.00"));
  EXPECT_GE(count(foot, "Rectangle"), 2);  // the reference band and the status box
  EXPECT_FALSE(HasText(Draw(doc, CopyKind::PackingSlip, footer), "Account Status:"));
}

// --- e-mail ----------------------------------------------------------------------------------------

TEST_F(DocumentTest, TheEMailTextFollowsTheDocument) {
  ThreeLineInvoice("1001");
  LayoutOptions options = Options();
  options.linesOnEMail = true;
  const InvoiceEmail mail = BuildInvoiceEmail(Collect("1001"), options);
  EXPECT_EQ(mail.route, InvoiceEmail::Route::Customer);
  EXPECT_EQ(mail.to, "ann@example.com");
  EXPECT_EQ(mail.from, "billing@acme.example");
  EXPECT_EQ(mail.subject, "INVOICE - 1001");
  const std::vector<std::string> expected = {
      " ",
      "Acme Books" + std::string(28, ' ') + "INVOICE",
      "1 Main Street",
      "Springfield",
      std::string(82, '-'),
      "Ann Smith",
      "Ann Smith Street 1",
      "Shelbyville",
      "",
      "",
      std::string(82, '-'),
      "Date: 03/07/1999",
      "Number: 1001",
      "Account Number: C1",
      "Payment Terms: Net 30 Days",
      "Reference: PO 4711",
      std::string(82, '-'),
      "Code       Quantity   Description                      Unit Price  T     Extended",
      "---------- ---------- -------------------------------- ----------- - ------------",
      "W-1                 2 Widget                                 10.00 Y        20.00",
      std::string(22, ' ') + common::PadRight("Thank you for your order", 32) + std::string(1 + 11 + 3 + 12, ' '),
      "N-7             1,000 Nails                                  0.125 N       125.00",
      std::string(82, '-'),
      "Total:       145.00",
      "Sales Tax         1.60",
      "Grand Total:       146.60",
      "Paid Amount:         0.00",
      "Balance Due:       146.60",
  };
  EXPECT_EQ(mail.body, expected);
}

TEST_F(DocumentTest, EMailRoutesForMissingAddresses) {
  Add({.number = "2001", .customer = "C2", .total = "10.00"});
  LayoutOptions options = Options();
  options.emailIncludeNoAddress = false;
  EXPECT_EQ(BuildInvoiceEmail(Collect("2001"), options).route, InvoiceEmail::Route::NotSent);
  options.emailIncludeNoAddress = true;
  const InvoiceEmail redirected = BuildInvoiceEmail(Collect("2001"), options);
  EXPECT_EQ(redirected.route, InvoiceEmail::Route::CompanyAddress);
  EXPECT_EQ(redirected.to, "billing@acme.example");
  EXPECT_EQ(redirected.subject, "BAD CUSTOMER E-MAIL ADDRESS");
}

TEST_F(DocumentTest, AnAddressNoServerCouldTakeGoesToTheCompanyWhateverTheRule) {
  Add({.number = "1001", .total = "10.00"});
  InvoiceDocument doc = Collect("1001");
  struct Case {
    const char* email;
    bool includeNoAddress;
    InvoiceEmail::Route route;
  } cases[] = {
      {"ann@example.com", false, InvoiceEmail::Route::Customer},
      {"x", false, InvoiceEmail::Route::NotSent},
      {"x", true, InvoiceEmail::Route::CompanyAddress},
      {"ann at example.com", false, InvoiceEmail::Route::CompanyAddress},
      {"ann.example.com", false, InvoiceEmail::Route::CompanyAddress},
      {"a@b@example.com", true, InvoiceEmail::Route::CompanyAddress},
      {"m\xFCller@example.com", false, InvoiceEmail::Route::CompanyAddress},
  };
  LayoutOptions options = Options();
  for (const Case& c : cases) {
    doc.email = c.email;
    options.emailIncludeNoAddress = c.includeNoAddress;
    const InvoiceEmail mail = BuildInvoiceEmail(doc, options);
    EXPECT_EQ(mail.route, c.route) << c.email;
    if (c.route == InvoiceEmail::Route::CompanyAddress) {
      EXPECT_EQ(mail.to, "billing@acme.example") << c.email;
      EXPECT_EQ(mail.subject, "BAD CUSTOMER E-MAIL ADDRESS") << c.email;
    }
  }
}

// --- output and marking -------------------------------------------------------------------------

TEST_F(DocumentTest, PrintingMarksTheInvoiceRecordsButNotItsPayments) {
  Add({.number = "A100", .kind = "Z", .total = "100.00"});
  Add({.number = "A100", .kind = "X", .paid = "30.00"});
  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun run(Services(), OutputChoice::Printer, {}, &jobs, false);
  const DocumentOutcome outcome = run.Output("A100");
  EXPECT_EQ(outcome.result, DocumentResult::Printed) << outcome.message;
  EXPECT_TRUE(outcome.marked);
  EXPECT_FALSE(outcome.reprint);
  EXPECT_EQ(outcome.message, "Invoice A100 sent to printer.");
  EXPECT_EQ(canvas.Title(), "Invoice - A100");
  const auto records = Records("A100");
  EXPECT_EQ(ReadText(records[0], inv::kPrintedFlag), "Y");
  EXPECT_EQ(ReadText(records[1], inv::kPrintedFlag), "N");
  EXPECT_EQ(ReadText(records[0], inv::kEMailedDate), "");
}

TEST_F(DocumentTest, AFailedPrintJobLeavesTheInvoiceUnmarked) {
  ThreeLineInvoice("1001");
  for (bool failBegin : {true, false}) {
    RecordingCanvas canvas;
    canvas.FailBeginDoc(failBegin);
    canvas.FailEndDoc(!failBegin);
    PrinterJobs jobs(canvas);
    DocumentRun run(Services(), OutputChoice::Printer, {}, &jobs, false);
    const DocumentOutcome outcome = run.Output("1001");
    EXPECT_EQ(outcome.result, DocumentResult::Failed);
    EXPECT_EQ(outcome.message, "Printing failed. Invoice 1001 was not marked as printed.");
    EXPECT_TRUE(outcome.outputFailed);
    EXPECT_FALSE(outcome.marked);
    EXPECT_EQ(ReadText(Records("1001")[0], inv::kPrintedFlag), "N");
    EXPECT_EQ(run.Tally().failed, 1);
  }
}

TEST_F(DocumentTest, AReprintChangesNothingOnFile) {
  ThreeLineInvoice("1001", "Y");
  const RecordBuffer before = Records("1001")[0];
  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun run(Services(), OutputChoice::Printer, {}, &jobs, false);
  const DocumentOutcome again = run.Output("1001");
  EXPECT_EQ(again.result, DocumentResult::Printed);
  EXPECT_TRUE(again.reprint);
  EXPECT_FALSE(again.marked);
  EXPECT_EQ(Records("1001")[0], before);
}

TEST_F(DocumentTest, CopiesAsPlannedEachAJobOfItsOwn) {
  ThreeLineInvoice("1001");
  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun run(Services(), OutputChoice::Printer, {.packingSlip = true, .fileCopies = 2}, &jobs, false);
  const DocumentOutcome outcome = run.Output("1001");
  EXPECT_EQ(outcome.result, DocumentResult::Printed);
  EXPECT_EQ(outcome.pages, 4);
  std::vector<std::string> titles;
  for (const std::string& op : canvas.Ops())
    if (op.rfind("Title ", 0) == 0) titles.push_back(op.substr(6));
  EXPECT_EQ(titles, (std::vector<std::string>{"Invoice - 1001", "Packing Slip - 1001", "File Copy - 1001",
                                              "File Copy - 1001"}));
  EXPECT_EQ(std::count(canvas.Ops().begin(), canvas.Ops().end(), "BeginDoc"), 4);

  LayoutOptions options = Options();
  options.printPackingSlip = true;
  options.printFileCopies = true;
  options.invoiceCopies = 3;
  EXPECT_EQ(CopyPlan::FromOptions(options).fileCopies, 3);
  options.printFileCopies = false;
  EXPECT_EQ(CopyPlan::FromOptions(options).fileCopies, 0);
  EXPECT_TRUE(CopyPlan::FromOptions(options).packingSlip);
}

TEST_F(DocumentTest, OneFileForAWholeBatchMarksOnlyOnceTheFileIsWritten) {
  ThreeLineInvoice("1001");
  ThreeLineInvoice("1002");
  for (bool fileWritten : {false, true}) {
    RecordingCanvas canvas;
    canvas.FailEndDoc(!fileWritten);
    SingleDocumentJobs jobs(canvas, "Invoices");
    DocumentRun run(Services(), OutputChoice::Printer, {.packingSlip = true}, &jobs, true);
    EXPECT_EQ(run.Output("1001").result, DocumentResult::Printed);
    EXPECT_EQ(run.Output("1002").result, DocumentResult::Printed);
    // Drawn, but not out yet: nothing is marked.
    EXPECT_EQ(ReadText(Records("1001")[0], inv::kPrintedFlag), "N");
    EXPECT_EQ(run.Finish(), fileWritten);
    EXPECT_EQ(canvas.PageCount(), 4u);
    EXPECT_EQ(std::count(canvas.Ops().begin(), canvas.Ops().end(), "BeginDoc"), 1);
    const std::string mark = fileWritten ? "Y" : "N";
    EXPECT_EQ(ReadText(Records("1001")[0], inv::kPrintedFlag), mark);
    EXPECT_EQ(ReadText(Records("1002")[0], inv::kPrintedFlag), mark);
    EXPECT_EQ(run.Tally().printed, fileWritten ? 2 : 0);
    EXPECT_EQ(run.Tally().failed, fileWritten ? 0 : 2);
  }
}

TEST_F(DocumentTest, EMailMarksWithTheDateOnlyWhenTheServerTookIt) {
  ThreeLineInvoice("1001");
  std::vector<MailMessage> sent;
  bool accept = false;
  SendMail send = [&](const MailMessage& m) {
    sent.push_back(m);
    return MailResult{accept, accept ? "" : "the server refused the recipient"};
  };
  {
    DocumentRun run(Services(send), OutputChoice::EMail, {}, nullptr, false);
    const DocumentOutcome refused = run.Output("1001");
    EXPECT_EQ(refused.result, DocumentResult::Failed);
    EXPECT_EQ(refused.message, "Invoice 1001 was not sent by e-mail: the server refused the recipient");
    EXPECT_EQ(ReadText(Records("1001")[0], inv::kPrintedFlag), "N");
  }
  accept = true;
  DocumentRun run(Services(send), OutputChoice::EMail, {}, nullptr, false);
  const DocumentOutcome outcome = run.Output("1001");
  EXPECT_EQ(outcome.result, DocumentResult::Sent);
  EXPECT_EQ(outcome.message, "Invoice 1001 sent by e-mail.");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].to, "ann@example.com");
  EXPECT_EQ(sent[1].subject, "INVOICE - 1001");
  EXPECT_EQ(ReadText(Records("1001")[0], inv::kPrintedFlag), "Y");
  EXPECT_EQ(ReadText(Records("1001")[0], inv::kEMailedDate), "03/20/1999");
}

TEST_F(DocumentTest, EMailBatchCountsWhatReallyHappened) {
  ThreeLineInvoice("1001");                            // sent
  Add({.number = "2001", .customer = "C2", .total = "5.00"});  // no address
  Add({.number = "M1", .kind = "R", .total = "9.00"});         // a master: never mailed
  int calls = 0;
  SendMail send = [&](const MailMessage&) {
    ++calls;
    return MailResult{true, ""};
  };
  {
    DocumentRun run(Services(send), OutputChoice::EMail, {}, nullptr, true);
    for (const char* n : {"1001", "2001", "M1"}) run.Output(n);
    EXPECT_EQ(run.Tally().sent, 1);
    EXPECT_EQ(run.Tally().noAddress, 1);
    EXPECT_EQ(run.Tally().notPrintable, 1);
    EXPECT_EQ(run.Tally().redirected, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ReadText(Records("2001")[0], inv::kPrintedFlag), "N");
    EXPECT_EQ(ReadText(Records("M1")[0], inv::kPrintedFlag), "N");
  }
  common::WriteFlag(company_, co::kEMailIncludeNoAddress, true);
  DocumentRun run(Services(send), OutputChoice::EMail, {}, nullptr, true);
  const DocumentOutcome redirected = run.Output("2001");
  EXPECT_EQ(redirected.result, DocumentResult::Redirected);
  EXPECT_NE(redirected.message.find("company's own e-mail address, not to the customer"), std::string::npos);
  EXPECT_EQ(run.Tally().redirected, 1);
  EXPECT_EQ(run.Tally().sent, 0);
  // Without a sender nothing is claimed.
  DocumentRun none(Services(), OutputChoice::EMail, {}, nullptr, false);
  EXPECT_EQ(none.Output("1001").result, DocumentResult::Failed);
}

TEST_F(DocumentTest, BatchSelectionTakesOnlyUnprintedBills) {
  Add({.number = "1", .kind = "I"});
  Add({.number = "2", .kind = "I", .printed = "Y"});
  Add({.number = "3", .kind = "G"});
  Add({.number = "4", .kind = "Z"});
  Add({.number = "4", .kind = "X"});
  Add({.number = "5", .kind = "X"});
  Add({.number = "DP6", .kind = "D"});
  Add({.number = "DP6", .kind = "T"});
  Add({.number = "7", .kind = "R"});
  Add({.number = "8", .kind = "I", .printed = ""});
  const auto numbers = UnprintedInvoices(invoices_);
  ASSERT_TRUE(numbers);
  EXPECT_EQ(*numbers, (std::vector<std::string>{"1", "3", "4", "8"}));
}

TEST_F(DocumentTest, ABatchQueuesLabelsWhenTheCompanyAsks) {
  ThreeLineInvoice("1001");
  common::WriteFlag(company_, co::kLabelQueueOnBatchPrint, true);
  RecordingCanvas canvas;
  PrinterJobs jobs(canvas);
  DocumentRun single(Services(), OutputChoice::Printer, {}, &jobs, false);
  single.Output("1001");
  EXPECT_EQ(labels_.Size(), 0u);
  DocumentRun batch(Services(), OutputChoice::Printer, {}, &jobs, true);
  batch.Output("1001");
  ASSERT_EQ(labels_.Size(), 1u);
  EXPECT_EQ(labels_.Entries()[0], (correspondence::LabelQueueEntry{"C1", "Ann Smith", "SORT-C1", "Retail"}));
}

// --- the view -------------------------------------------------------------------------------------

TEST_F(DocumentTest, TheViewShowsKindLinesOrMemoAndStatus) {
  ThreeLineInvoice("1001");
  Add({.number = "MEMO1", .kind = "G", .total = "300.00", .type = "M"});
  AddMemo("MEMO1", {"Consulting", "", "On site", "", ""});
  Add({.number = "DP3", .kind = "D", .paid = "50.00", .type = "D"});
  Add({.number = "M1", .kind = "R", .total = "9.00"});
  const LayoutOptions options = Options();

  const InvoiceView product = ViewOf(Collect("1001"), options);
  EXPECT_EQ(product.caption, "View Invoice# 1001");
  EXPECT_EQ(product.typeLine, "Product Code Invoice");
  EXPECT_FALSE(product.memo);
  ASSERT_EQ(product.rows.size(), 3u);
  EXPECT_EQ(product.rows[2], (std::array<std::string, 7>{"03", "N-7", "1,000", "Nails", "0.125", "N", "125.00"}));
  EXPECT_EQ(product.headings[3], "Description");
  EXPECT_EQ(product.status, "");
  EXPECT_EQ(product.tax, "Tax: 1.60");
  EXPECT_EQ(product.balance, "146.60");

  const InvoiceView memo = ViewOf(Collect("MEMO1"), options);
  EXPECT_EQ(memo.typeLine, "Memo Invoice");
  EXPECT_TRUE(memo.memo);
  EXPECT_EQ(memo.memoText, "Consulting\n\nOn site");
  EXPECT_EQ(memo.status, "** GENERATED BILLING **");

  const InvoiceView deposit = ViewOf(Collect("DP3"), options);
  EXPECT_EQ(deposit.typeLine, "Deposit on Account");
  EXPECT_EQ(deposit.status, "DEPOSIT ON ACCOUNT OF 50.00. (A zero amount indicates deposit has been offset).");
  EXPECT_EQ(ViewOf(Collect("M1"), options).status, "** REPEAT BILLING MASTER SETUP **");
}

}  // namespace
}  // namespace tf::invoicing::documents
