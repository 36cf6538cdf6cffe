#include <gtest/gtest.h>

#include <chrono>

#include "mail/mail_address.h"
#include "mail/mail_message.h"

namespace tf::mail {
namespace {

TEST(MailAddress, OnlyAddressesThatCannotBreakACommandPass) {
  struct Case {
    const char* address;
    bool valid;
  } cases[] = {
      {"ann@example.com", true},
      {"a@b", true},
      {"first.last+tag@mail.example.co.uk", true},
      {"", false},
      {"@example.com", false},
      {"ann@", false},
      {"ann", false},
      {"ann@@example.com", false},
      {"ann@ex@ample.com", false},
      {"ann smith@example.com", false},
      {"ann@example.com\r\nRCPT TO:<x@y>", false},
      {"ann\t@example.com", false},
      {"<ann@example.com>", false},
      {"ann@example.com>", false},
      {"m\xC3\xBCller@example.com", false},
      {"ann@example.com\x7F", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidMailAddress(c.address), c.valid) << c.address;
}

MessageStamp Stamp() {
  using namespace std::chrono;
  MessageStamp s;
  s.when = local_days{year{2024} / 3 / 5} + hours{14} + minutes{3} + seconds{9};
  s.zoneMinutes = 60;
  s.messageId = "abc.1@example.com";
  return s;
}

TEST(MailMessage, DateHeaderIsEnglishWithANumericZone) {
  MessageStamp s = Stamp();
  EXPECT_EQ(DateHeaderValue(s), "Tue, 5 Mar 2024 14:03:09 +0100");
  s.zoneMinutes = -(5 * 60 + 30);
  EXPECT_EQ(DateHeaderValue(s), "Tue, 5 Mar 2024 14:03:09 -0530");
  s.zoneMinutes = 0;
  EXPECT_EQ(DateHeaderValue(s), "Tue, 5 Mar 2024 14:03:09 +0000");
}

TEST(MailMessage, PlainMessageKeepsTheClassicHeadersAnd7Bit) {
  const TMailMessage m = MakeMessage("office@example.com", "ann@example.com", "Invoice - 1001", {"Hello", "", "Bye"});
  const std::vector<std::string> lines = WriteMailMessage(m, Stamp());
  const std::vector<std::string> expected = {
      "From:      <office@example.com>",
      "To:       <ann@example.com>",
      "Subject:  Invoice - 1001",
      "Date: Tue, 5 Mar 2024 14:03:09 +0100",
      "Message-ID: <abc.1@example.com>",
      "Mime-Version: 1.0",
      "Content-Type: text/plain; charset=\"us-ascii\"",
      "Content-Transfer-Encoding: 7bit",
      "",
      "Hello",
      "",
      "Bye",
  };
  EXPECT_EQ(lines, expected);
}

TEST(MailMessage, LineBreaksInsideABodyLineBecomeLinesOfTheirOwn) {
  EXPECT_EQ(SplitBodyLines({"a\r\nb\rc\nd", "e\n", "\r\n.\r\n"}),
            (std::vector<std::string>{"a", "b", "c", "d", "e", "", "", ".", ""}));
}

TEST(MailMessage, QuotedPrintableOnlyForLongLinesOrBytesBeyondSevenBit) {
  EXPECT_FALSE(NeedsQuotedPrintable({std::string(998, 'x'), "tab\there"}));
  EXPECT_TRUE(NeedsQuotedPrintable({std::string(999, 'x')}));
  EXPECT_TRUE(NeedsQuotedPrintable({"M\xC3\xBCller"}));
  EXPECT_TRUE(NeedsQuotedPrintable({std::string("nul\0byte", 8)}));
}

TEST(MailMessage, QuotedPrintableLinesStayShortAndEncodeWhatMustBe) {
  EXPECT_EQ(QuotedPrintableLines("M\xC3\xBCller = 5 "), (std::vector<std::string>{"M=C3=BCller =3D 5=20"}));
  const std::vector<std::string> lines = QuotedPrintableLines(std::string(200, 'a'));
  ASSERT_EQ(lines.size(), 3u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 76u);
    if (i + 1 < lines.size()) {
      EXPECT_EQ(lines[i].back(), '=');
    }
  }
  EXPECT_EQ(lines[0].size() - 1 + lines[1].size() - 1 + lines[2].size(), 200u);
  // A code is never cut by a soft break.
  for (const std::string& l : QuotedPrintableLines(std::string(100, '\xE9')))
    EXPECT_EQ(l.size() % 3, l.back() == '=' ? 1u : 0u) << l;
}

TEST(MailMessage, SubjectBeyondSevenBitGoesAsEncodedWordsThatNeverSplitACharacter) {
  EXPECT_EQ(EncodeHeaderWords("Invoice 7"), (std::vector<std::string>{"Invoice 7"}));
  EXPECT_EQ(EncodeHeaderWords("M\xC3\xBC"), (std::vector<std::string>{"=?utf-8?B?TcO8?="}));
  std::string longSubject;
  for (int i = 0; i < 60; ++i) longSubject += "\xC3\xBC";
  const std::vector<std::string> words = EncodeHeaderWords(longSubject);
  EXPECT_GT(words.size(), 1u);
  for (const std::string& w : words) EXPECT_LE(w.size(), 75u);
}

TEST(MailMessage, ALineBreakTypedIntoTheSubjectCannotStartAHeader) {
  const TMailMessage m = MakeMessage("a@b.c", "d@e.f", "Hi\r\nBcc: x@y.z", {"x"});
  for (const std::string& line : WriteMailMessage(m, Stamp())) EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
}

TEST(MailMessage, StampsAreUniqueAndAtTheSendersDomain) {
  const MessageStamp a = StampNow("office@example.com");
  const MessageStamp b = StampNow("office@example.com");
  EXPECT_NE(a.messageId, b.messageId);
  EXPECT_TRUE(a.messageId.ends_with("@example.com")) << a.messageId;
}

}  // namespace
}  // namespace tf::mail
