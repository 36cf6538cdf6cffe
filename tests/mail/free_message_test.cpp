// The free message's model against the aiosmtpd server: the checks in order, the skip and
// redirect rules, one message per customer, the closing messages.
#include <gtest/gtest.h>

#include "common/scripted_prompter.h"
#include "mail/free_message.h"
#include "mail/mail_sender.h"
#include "tests/mail/free_message_fixture.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/status_sinks.h"

namespace tf::mail {
namespace {

using correspondence::LabelQueueEntry;

class FreeMessageTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    test::DataFolderTest::SetUp();
    ASSERT_TRUE(test::MakeMailCustomers({{"100", "Ann Able", "ann@example.com"},
                                         {"200", "Bert M\xFCller", ""},
                                         {"300", "Cleo Cole", "cleo@example.com"},
                                         {"400", "Dan Dot", "dan at example.com"},
                                         {"500", "Eve Nobody", "nobody@example.com"}}));
  }
  void Queue(std::initializer_list<const char*> numbers) {
    for (const char* n : numbers) queue.Add(LabelQueueEntry{n, "", "", ""});
  }
  void UseServer(const test::SmtpPeer& server) {
    MailSettings settings;
    settings.port = server.port();
    std::string error;
    ASSERT_TRUE(SaveMailSettings("1", settings, error)) << error;
  }
  FreeMessage& Model() {
    if (!model_) {
      model_ = std::make_unique<FreeMessage>(
          FreeMessageServices{prompter, progress, status, sender, queue, [this] { return std::span<const std::uint8_t>(company); }});
      model_->Show();
    }
    return *model_;
  }

  common::RecordBuffer company = test::MailCompanyRecord(false);
  common::ScriptedPrompter prompter;
  test::RecordingStatus progress;
  test::SilentStatus status;
  correspondence::LabelQueue queue;
  TMailSender sender{MailSenderServices{prompter, progress, [this] {
                                          return MailCompany{"1", common::ReadText(company, records::company::kEMailAddress),
                                                             common::ReadText(company, records::company::kSMTPHost)};
                                        }}};
  std::unique_ptr<FreeMessage> model_;
};

TEST_F(FreeMessageTest, ChecksRunInOrderAndKeepTheScreenOnTheField) {
  struct Case {
    const char* subject;
    const char* returnAddress;
    const char* body;
    bool queued;
    FreeMessage::Field field;
    std::string_view text;
    std::string_view caption;
  } cases[] = {
      {" ", "", "", false, FreeMessage::Field::Subject, kNoSubjectText, kNoSubjectCaption},
      {"Hi", " ", "", false, FreeMessage::Field::ReturnAddress, kNoReturnText, kNoReturnCaption},
      {"Hi", "office.example.com", "", false, FreeMessage::Field::ReturnAddress, kBadReturnText, kBadReturnCaption},
      {"Hi", "of fice@example.com", "", false, FreeMessage::Field::ReturnAddress, kBadReturnText, kBadReturnCaption},
      {"Hi", "office@example.com", "", false, FreeMessage::Field::Body, kNoBodyText, kNoBodyCaption},
      {"Hi", "office@example.com", "Text", false, FreeMessage::Field::Queue, kEmptyQueueText, kEmptyQueueCaption},
  };
  EXPECT_EQ(Model().ReturnAddress, "office@example.com");
  EXPECT_EQ(Model().QueueText(), "Records in Queue: 0");
  for (const Case& c : cases) {
    prompter.Clear();
    Model().Subject = c.subject;
    Model().ReturnAddress = c.returnAddress;
    Model().Body = c.body;
    EXPECT_EQ(Model().Send(), c.field) << c.text;
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(prompter.Shown()[0].text, c.text);
    EXPECT_EQ(prompter.Shown()[0].caption, c.caption);
  }
  EXPECT_TRUE(progress.events.empty());
}

TEST_F(FreeMessageTest, ACustomerWithoutAddressIsSkippedAndCountedAndADuplicateGetsOneMessage) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  UseServer(server);
  Queue({"100", "200", "300", " 100"});
  Model().Subject = "Spring sale";
  Model().Body = "Dear customer,\n.\nSee you.";
  EXPECT_EQ(Model().Send(), FreeMessage::Field::None);
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{
                                  "There were 1 empty customer e-mail addresses. The customers were not sent your message.",
                                  "There were 2 e-mail messages sent."}));
  EXPECT_EQ(prompter.Shown()[1].caption, "E-Mail Sent");
  ASSERT_EQ(server.Messages(), 2);
  EXPECT_EQ(server.Read(1, "rcpt"), "ann@example.com");
  EXPECT_EQ(server.Read(2, "rcpt"), "cleo@example.com");
  EXPECT_EQ(server.Read(2, "subject"), "Spring sale");
  EXPECT_EQ(server.Read(2, "body"), "Dear customer,\n.\nSee you.\n\n");
  EXPECT_FALSE(queue.Unsaved());
  EXPECT_TRUE(sender.Connected()) << "the screen leaves the connection open";
  EXPECT_EQ(progress.lines.back(), "E-Mail Sent: 2");
}

TEST_F(FreeMessageTest, WithCustomersWithoutAddressIncludedTheyGoToTheCompanyUnderTheirName) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  UseServer(server);
  company = test::MailCompanyRecord(true);
  Queue({"200", "300", "400"});
  Model().Subject = "Spring sale";
  Model().Body = "Text";
  EXPECT_EQ(Model().Send(), FreeMessage::Field::None);
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"There were 3 e-mail messages sent."}));
  ASSERT_EQ(server.Messages(), 3);
  EXPECT_EQ(server.Read(1, "rcpt"), "office@example.com");
  EXPECT_EQ(server.Read(1, "subject"), "BAD E-MAIL ADDRESS FOR: Bert M\xC3\xBCller");
  EXPECT_EQ(server.Read(2, "rcpt"), "cleo@example.com");
  EXPECT_EQ(server.Read(2, "subject"), "Spring sale");
  EXPECT_EQ(server.Read(3, "rcpt"), "office@example.com");
  EXPECT_EQ(server.Read(3, "subject"), "BAD E-MAIL ADDRESS FOR: Dan Dot");
}

TEST_F(FreeMessageTest, ARefusedCustomerIsToldAndTheOthersStillGetTheirs) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd", "--reject-rcpt", "nobody"});
  UseServer(server);
  Queue({"100", "500", "300", "999"});
  Model().Subject = "News";
  Model().Body = "Text";
  EXPECT_EQ(Model().Send(), FreeMessage::Field::None);
  const std::vector<std::string> texts = prompter.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NE(texts[0].find("550 5.1.1 <nobody@example.com>"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], "There were 1 customers in the queue that are no longer on file. They were not sent your message.");
  EXPECT_EQ(texts[2], "There were 2 e-mail messages sent.");
  EXPECT_EQ(server.Messages(), 2);
}

TEST_F(FreeMessageTest, ALostConnectionEndsTheRunAndLeavesTheQueueUnhandled) {
  Queue({"100"});
  queue.SetUnsaved(true);
  MailSettings settings;
  settings.port = 1;  // nothing listens there
  std::string error;
  ASSERT_TRUE(SaveMailSettings("1", settings, error));
  Model().Subject = "News";
  Model().Body = "Text";
  EXPECT_EQ(Model().Send(), FreeMessage::Field::None);
  ASSERT_EQ(prompter.Texts().size(), 2u);
  EXPECT_EQ(prompter.Texts()[1], "Not Online");
  EXPECT_TRUE(queue.Unsaved());
}

}  // namespace
}  // namespace tf::mail
