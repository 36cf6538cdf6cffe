#include <gtest/gtest.h>

#include "common/scripted_prompter.h"
#include "mail/mail_sender.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::mail {
namespace {

using test::SmtpPeer;

// A company "1" whose mail host is the test's server; its settings file names the port.
class SenderTest : public ::testing::Test {
 protected:
  void UsePort(int port, MailSettings settings = {}) {
    settings.port = port;
    std::string error;
    ASSERT_TRUE(SaveMailSettings("1", settings, error)) << error;
  }
  TMailSender& Sender() {
    if (!sender_) {
      sender_ = std::make_unique<TMailSender>(MailSenderServices{prompter, progress, [this] { return company; }});
      sender_->SetLocalName("client.test.invalid");
      sender_->SetTimeLimit(std::chrono::milliseconds(1500));
    }
    return *sender_;
  }

  test::TempFolder folder{test::TempFolder::Enter};
  common::ScriptedPrompter prompter;
  test::RecordingStatus progress;
  MailCompany company{"1", "office@example.com", "127.0.0.1"};
  std::unique_ptr<TMailSender> sender_;
};

TEST_F(SenderTest, TheMessageArrivesIntactAfterAMultiLineGreeting) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "aiosmtpd", "--multiline-greeting"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady()) << testing::PrintToString(prompter.Texts());
  EXPECT_EQ(progress.events, (std::vector<std::string>{"show E-Mail Mode", "lines Checking E-Mail Server...", "close"}));
  const std::string longLine(2000, 'L');
  const TMailMessage m = MakeMessage("office@example.com", "ann@example.com", "M\xC3\xBCller GmbH - 1001",
                                     {".x", "..y", "notes\n.\nmore", longLine, "Gr\xC3\xBC\xC3\x9F" "e", "."});
  const MailOutcome sent = Sender().SendMessage(m);
  ASSERT_TRUE(sent.Sent()) << sent.text;
  Sender().CloseMail();
  EXPECT_FALSE(Sender().Connected());

  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "subject"), "M\xC3\xBCller GmbH - 1001");
  EXPECT_EQ(server.Read(1, "body"),
            ".x\n..y\nnotes\n.\nmore\n" + longLine + "\nGr\xC3\xBC\xC3\x9F" "e\n.\n\n");
  EXPECT_EQ(server.Read(1, "charset"), "utf-8");
  EXPECT_EQ(server.Read(1, "cte"), "quoted-printable");
  EXPECT_EQ(server.Read(1, "rcpt"), "ann@example.com");
  EXPECT_NE(server.Read(1, "date"), "");
  EXPECT_NE(server.Read(1, "msgid"), "");
  // Every line of what went over the wire ends in CR LF and none is longer than a mail line.
  const std::string raw = server.Read(1, "eml");
  std::size_t start = 0;
  while (start < raw.size()) {
    const std::size_t end = raw.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    ASSERT_GT(end, start);
    EXPECT_EQ(raw[end - 1], '\r');
    EXPECT_LE(end - start - 1, 998u);
    start = end + 1;
  }
  EXPECT_EQ(server.Events(), (std::vector<std::string>{"connect", "HELO client.test.invalid", "MAIL office@example.com",
                                                       "RCPT ann@example.com", "DATA", "QUIT"}));
}

TEST_F(SenderTest, APlainMessageGoesAsSevenBitUsAscii) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "aiosmtpd"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  ASSERT_TRUE(Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "Hello", {"Plain text."})).Sent());
  EXPECT_EQ(server.Read(1, "charset"), "us-ascii");
  EXPECT_EQ(server.Read(1, "cte"), "7bit");
  EXPECT_EQ(server.Read(1, "body"), "Plain text.\n\n");
}

TEST_F(SenderTest, ARefusedRecipientCarriesTheServersTextAndTheNextMessageStillGoes) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "aiosmtpd", "--reject-rcpt", "nobody"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  const MailOutcome refused = Sender().SendMessage(MakeMessage("office@example.com", "nobody@example.com", "S", {"b"}));
  EXPECT_EQ(refused.result, MailResult::Refused);
  EXPECT_NE(refused.text.find("nobody@example.com"), std::string::npos) << refused.text;
  EXPECT_NE(refused.text.find("550 5.1.1"), std::string::npos) << refused.text;
  EXPECT_NE(refused.text.find("User unknown"), std::string::npos) << refused.text;
  EXPECT_TRUE(Sender().Connected());
  ASSERT_TRUE(Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "S", {"b"})).Sent());
  EXPECT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "ann@example.com");
  EXPECT_EQ(server.Count("connect"), 1);
  EXPECT_EQ(server.Count("RSET"), 1);
  EXPECT_TRUE(prompter.Texts().empty()) << "the caller shows a refusal, the sender does not";
}

TEST_F(SenderTest, AConnectionTheServerClosesIsOpenedAgainOnce) {
  TF_NEED_SMTP_PEER();
  struct Case {
    const char* option;
    const char* value;
  } cases[] = {{"--close-at-mail", "2"}, {"--drop-after-message", "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    SmtpPeer server({"--server", "aiosmtpd", c.option, c.value});
    UsePort(server.port());
    sender_.reset();
    ASSERT_TRUE(Sender().CheckMailReady());
    for (int i = 0; i < 3; ++i) {
      const MailOutcome sent =
          Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "N" + std::to_string(i), {"b"}));
      ASSERT_TRUE(sent.Sent()) << i << ": " << sent.text;
    }
    EXPECT_EQ(server.Messages(), 3);
    EXPECT_EQ(server.Count("connect"), 2);
    EXPECT_EQ(server.Read(3, "subject"), "N2");
  }
  EXPECT_TRUE(prompter.Texts().empty()) << testing::PrintToString(prompter.Texts());
}

TEST_F(SenderTest, ABatchGoesOverOneConnection) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "aiosmtpd"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(Sender().SendMessage(MakeMessage("office@example.com", "c" + std::to_string(i) + "@example.com",
                                                 "Statement", {"line"}))
                    .Sent());
  Sender().CloseMail();
  EXPECT_EQ(server.Messages(), 200);
  EXPECT_EQ(server.Count("connect"), 1);
  EXPECT_EQ(server.Read(200, "rcpt"), "c199@example.com");
}

TEST_F(SenderTest, AServerThatRefusesHeloWithANameGetsHeloAlone) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "script", "--script", "reject-helo"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  ASSERT_TRUE(Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "S", {"b"})).Sent());
  const std::vector<std::string> events = server.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[1], "HELO client.test.invalid");
  EXPECT_EQ(events[2], "HELO");
  EXPECT_EQ(server.Messages(), 1);
}

TEST_F(SenderTest, AReplyThatNeverComesEndsInTheErrorEventAndNotOnline) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "script", "--script", "silent"});
  UsePort(server.port());
  Sender().SetTimeLimit(std::chrono::milliseconds(300));
  EXPECT_FALSE(Sender().CheckMailReady());
  const std::vector<std::string> texts = prompter.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind(std::string(kConnectionLostText), 0), 0u) << texts[0];
  EXPECT_EQ(texts[1], "Not Online");
  EXPECT_FALSE(Sender().Connected());
}

TEST_F(SenderTest, NothingListeningEndsInTheErrorEventAndNotOnline) {
  UsePort(1);  // a port nothing listens on
  EXPECT_FALSE(Sender().CheckMailReady());
  ASSERT_EQ(prompter.Texts().size(), 2u);
  EXPECT_EQ(prompter.Texts()[0].rfind(std::string(kConnectionLostText), 0), 0u);
  EXPECT_EQ(prompter.Texts()[1], "Not Online");
}

TEST_F(SenderTest, AConnectionDroppedInsideDataIsALostConnectionNotASignal) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "script", "--script", "drop-in-data"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  // Far more than the socket buffers hold, so the writes go on after the server is gone.
  std::vector<std::string> body(160000, std::string(100, 'z'));
  const MailOutcome sent = Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "S", body));
  EXPECT_EQ(sent.result, MailResult::ConnectionLost) << sent.text;
  EXPECT_FALSE(Sender().Connected());
  EXPECT_EQ(server.Messages(), 0);
  EXPECT_EQ(server.Count("connect"), 2) << sent.text;  // opened again once, then given up
  ASSERT_EQ(prompter.Texts().size(), 1u);
  EXPECT_EQ(prompter.Texts()[0].rfind(std::string(kConnectionLostText), 0), 0u);
}

TEST_F(SenderTest, MissingOrBadCompanySettingsStopBeforeAnyConnection) {
  struct Case {
    const char* address;
    const char* host;
    std::string_view text;
    std::string_view caption;
  } cases[] = {
      {"", "mail.example.com", kNoCompanyAddressText, kNoCompanyAddressCaption},
      {" x ", "mail.example.com", kNoCompanyAddressText, kNoCompanyAddressCaption},
      {"office at example.com", "mail.example.com", kNoCompanyAddressText, kNoCompanyAddressCaption},
      {"office@example.com", " ", kNoHostText, kNoHostCaption},
  };
  for (const Case& c : cases) {
    prompter.Clear();
    company = {"1", c.address, c.host};
    EXPECT_FALSE(Sender().CheckMailReady()) << c.address;
    ASSERT_EQ(prompter.Shown().size(), 1u) << c.address;
    EXPECT_EQ(prompter.Shown()[0].text, c.text);
    EXPECT_EQ(prompter.Shown()[0].caption, c.caption);
  }
  EXPECT_TRUE(progress.events.empty());
}

TEST_F(SenderTest, ABadRecipientNeverReachesACommand) {
  TF_NEED_SMTP_PEER();
  SmtpPeer server({"--server", "aiosmtpd"});
  UsePort(server.port());
  ASSERT_TRUE(Sender().CheckMailReady());
  const MailOutcome sent =
      Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com>\r\nRCPT TO:<eve@example.com", "S", {"b"}));
  EXPECT_EQ(sent.result, MailResult::Refused);
  Sender().CloseMail();
  EXPECT_EQ(server.Count("RCPT"), 0);
  EXPECT_EQ(server.Count("MAIL"), 0);
}

}  // namespace
}  // namespace tf::mail
