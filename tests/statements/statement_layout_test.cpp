// What a statement looks like: the e-mail body line by line (company heading, separators, the
// grid in fixed columns, notes in place of the sales message, the aging lines), where it goes
// when the customer's address is unusable, and the printed pages on the recording canvas
// (continued pages with their numbers, every row once, amounts aligned, totals and aging on the
// last page, nothing written over the aging line).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "common/recording_canvas.h"
#include "statements/statement_mail.h"
#include "statements/statement_print.h"
#include "tests/statements/statement_books.h"

namespace tf::statements {
namespace {

using namespace std::chrono;
using test::PlannedInvoice;
namespace co = records::company;

class StatementLayoutTest : public test::StatementFolderTest {
 protected:
  Statement Make(const std::string& email, int rows = 2) {
    AddStatementCustomer("C1", "Brown & Co", email, "1234.50", {"1234.50", "0.00", "0.00", "0.00"});
    for (int k = 0; k < rows; ++k) {
      const year_month_day date{sys_days{kToday} - days{k}};
      AddRecord({"A" + std::to_string(100 + k), "C1", date, k == 0 ? "1234.50" : "1.00", k == 0 ? "0.00" : "1.00"},
                k == 0 ? "1234.50" : "0.00");
    }
    BuildResult b = Build("C1", false);
    EXPECT_TRUE(b.statement) << b.message;
    return *b.statement;
  }
};

TEST_F(StatementLayoutTest, TheMailBodyLaysOutTheGridInFixedColumns) {
  const Statement s = Make("ap@brown.test");
  const MailMessage m = StatementMail(book_.Current(), s, kToday);
  EXPECT_EQ(m.from, "office@acme.test");
  EXPECT_EQ(m.to, "ap@brown.test");
  EXPECT_EQ(m.subject, "STATEMENT - Brown & Co");
  const std::string rule(82, '-');
  EXPECT_EQ(m.body, (std::vector<std::string>{
                        "Acme Books" + std::string(26, ' ') + "STATEMENT",
                        "1 Main Street",
                        "Springfield",
                        rule,
                        "Brown & Co",
                        "12 Oak Lane",
                        "Shelbyville",
                        rule,
                        "Statement Date: 05/15/2024",
                        "Account Number: C1",
                        "Thank you for your business.",
                        rule,
                        "Date       Invoice#  Reference/Comment    Total Amount Paid Amount Balance Due C",
                        "---------- --------- -------------------- ------------ ----------- ----------- -",
                        "2024/05/14 A101      Invoice                      1.00        1.00        0.00 I",
                        "2024/05/15 A100      Invoice                  1,234.50        0.00    1,234.50 I",
                        std::string(21, ' ') + "*** Account Totals:      1,235.50        1.00    1,234.50  ",
                        rule,
                        " ",
                        "Account Status:",
                        "  Current: 1,234.50",
                        "    31-60: 0.00",
                        "    61-90: 0.00",
                        "  Over 90: 0.00",
                    }));
}

TEST_F(StatementLayoutTest, AnUnusableAddressGoesToTheCompanyUnderTheWarningSubject) {
  const Statement s = Make("");
  // Too short, or an address no server could take: a space, no "@", two of them, a Latin-1 letter.
  const std::pair<const char*, bool> cases[] = {{"", true},           {"x", true},           {"  x  ", true},
                                                {"a@b.c", false},     {"ap at brown.test", true}, {"ap.brown.test", true},
                                                {"a@b@c.test", true}, {"m\xFCller@x.test", true}};
  for (const auto& [email, bad] : cases) {
    Statement t = s;
    t.email = email;
    const MailMessage m = StatementMail(book_.Current(), t, kToday);
    EXPECT_EQ(m.to, bad ? "office@acme.test" : email) << email;
    EXPECT_EQ(m.subject, bad ? "BAD CUSTOMER E-MAIL: Brown & Co" : "STATEMENT - Brown & Co") << email;
    EXPECT_EQ(m.toCompany, bad) << email;
  }
}

TEST_F(StatementLayoutTest, WithoutLinesTheSeparatorsAreSingleBlanksAndNotesReplaceTheSalesMessage) {
  common::WriteFlag(book_.Current(), co::kLinesOnEMailInvoices, false);
  common::WriteBool(book_.Current(), co::kPrintSalesMessage, true);
  common::WriteText(book_.Current(), co::kSalesMessage1, "Sale on now");
  Statement s = Make("ap@brown.test");
  for (const std::string& line : StatementMail(book_.Current(), s, kToday).body)
    if (line.find("-----") != std::string::npos) {
      EXPECT_EQ(line.rfind("---------- ---------", 0), 0u) << line;
    }
  EXPECT_EQ(StatementMail(book_.Current(), s, kToday).body[3], " ");

  s.useNotes = true;
  s.notes = std::string(100, 'w') + " pay\r\nby the end of the month please, or call us on the number below";
  const std::vector<std::string> body = StatementMail(book_.Current(), s, kToday).body;
  const auto status = std::find(body.begin(), body.end(), "Account Status:");
  ASSERT_NE(status, body.end());
  // The notes' lines stand between the separator after the grid and the aging block.
  EXPECT_EQ(std::vector<std::string>(status - 4, status),
            (std::vector<std::string>{std::string(80, 'w'), std::string(20, 'w') + " pay",
                                      "by the end of the month please, or call us on the number below", " "}));
  EXPECT_EQ(std::find(body.begin(), body.end(), "Sale on now"), body.end());
}

TEST(WrapText, LinesBreakAtWordsAndAtLineBreaks) {
  const auto fits10 = [](std::string_view t) { return t.size() <= 10; };
  EXPECT_EQ(WrapText("one two three four", fits10), (std::vector<std::string>{"one two", "three four"}));
  EXPECT_EQ(WrapText("a\r\nb\nc", fits10), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(WrapText("abcdefghijklmnop", fits10), (std::vector<std::string>{"abcdefghij", "klmnop"}));
  EXPECT_TRUE(WrapText("", fits10).empty());
}

TEST_F(StatementLayoutTest, ALongStatementContinuesOnNumberedPagesWithEveryRowOnce) {
  const Statement s = Make("", 120);
  common::RecordingCanvas canvas;
  ASSERT_TRUE(PrintStatement(canvas, book_.Current(), s, kToday));
  EXPECT_EQ(canvas.Title(), "Statement");
  const std::size_t pages = canvas.PageCount();
  ASSERT_GE(pages, 3u);
  std::map<std::string, int> seen;
  for (std::size_t p = 0; p < pages; ++p) {
    bool numbered = false, continued = false;
    for (const common::RecordingCanvas::Text& t : canvas.Texts(p)) {
      if (t.text == "Page Number: " + std::to_string(p + 1)) numbered = true;
      if (t.text == "Continued on page " + std::to_string(p + 2) + " ...") continued = true;
      if (t.text.rfind("A", 0) == 0 && t.text.size() == 4) ++seen[t.text];
      EXPECT_LE(t.y, canvas.PageHeight()) << t.text;
    }
    EXPECT_TRUE(numbered) << p;
    EXPECT_EQ(continued, p + 1 < pages) << p;
  }
  EXPECT_EQ(seen.size(), 120u);
  for (const auto& [number, count] : seen) EXPECT_EQ(count, 1) << number;

  // Totals and aging on the last page only, the totals above the aging line.
  const auto last = canvas.ReadingLines(pages - 1);
  int totalsY = -1, agingY = -1;
  for (const common::RecordingCanvas::Text& t : canvas.Texts(pages - 1)) {
    if (t.text == "*** Account Totals:") totalsY = t.y;
    if (t.text == "Account Status:") agingY = t.y;
  }
  ASSERT_GE(totalsY, 0);
  ASSERT_GE(agingY, 0);
  EXPECT_LT(totalsY + 50, agingY);
  EXPECT_NE(std::find(last.begin(), last.end(),
                      "Current: 1,234.50 31-60: 0.00 61-90: 0.00 Over 90: 0.00"),
            last.end());
  for (std::size_t p = 0; p + 1 < pages; ++p)
    for (const common::RecordingCanvas::Text& t : canvas.Texts(p)) EXPECT_NE(t.text, "*** Account Totals:");
}

TEST_F(StatementLayoutTest, AmountsEndAtTheirColumnsRightEdge) {
  const Statement s = Make("", 3);
  common::RecordingCanvas canvas;
  ASSERT_TRUE(PrintStatement(canvas, book_.Current(), s, kToday));
  // Every amount of the rows and the totals ends on one of the three columns' right edges.
  std::set<int> edges;
  int amounts = 0;
  for (const common::RecordingCanvas::Text& t : canvas.Texts(0)) {
    if (t.text.empty() || t.text.find_first_not_of("0123456789,.-") != std::string::npos) continue;
    // The recording canvas's characters are 0.6 of the point size wide, in 300-per-inch units.
    edges.insert(t.x + int(t.text.size()) * t.font.size * 5 / 2);
    ++amounts;
  }
  EXPECT_EQ(amounts, 12);  // three rows and the totals, three amounts each
  EXPECT_EQ(edges.size(), 3u);
}

TEST_F(StatementLayoutTest, APrinterThatRefusesIsReported) {
  const Statement s = Make("");
  common::RecordingCanvas canvas;
  canvas.FailBeginDoc();
  EXPECT_FALSE(PrintStatement(canvas, book_.Current(), s, kToday));
}

}  // namespace
}  // namespace tf::statements
