// Invoices e-mailed from the Invoice Manager's model through the real mail sender to the
// aiosmtpd server, the messages read back with Python's e-mail parser: a memo invoice with dot
// lines and a customer called Müller arrives intact and is marked e-mailed; a 550 at RCPT shows
// the server's text and leaves the invoice unmarked; a batch goes over one connection (a 421 in
// the middle costs one reconnection, a refused customer does not stop the others); a connection
// that is lost stops the batch and marks only what the server took; the connection is
// closed at the end of every command.

#include <gtest/gtest.h>

#include "mail/documents/document_mail.h"
#include "tests/invoicing/invoice_manager_fixture.h"
#include "tests/mail/document_mail_fixture.h"

namespace tf::invoicing {
namespace {

using namespace testing;

class InvoiceMailTest : public InvoiceManagerTest {
 protected:
  void SetUp() override {
    InvoiceManagerTest::SetUp();
    RecordBuffer c3 = DocumentCustomer("C3", "J\xF6rg M\xFCller", "joerg@example.com");
    WriteText(c3, cu::kNotes, "Deliver to the back door\r\n.\r\n.x marks the spot");
    common::WriteFlag(c3, cu::kNotesOnInvoices, true);
    std::int32_t ref = 0;
    ASSERT_TRUE(records::AddKeyedRecord(customers_, cu::CustomerFileKind(), c3, ref, prompter_));
    // On file: the manager reads the company from there when it opens.
    ASSERT_TRUE(book_.UpdateCurrentCompany(
        [](std::span<std::uint8_t> work) { WriteText(work, co::kSMTPHost, "127.0.0.1"); }, prompter_, status_));
    email_ = true;
  }

  // The manager with the real sender behind its e-mail services.
  void OpenMailManager() {
    CloseBooks();
    InvoiceManagerServices s = Services();
    s.checkMailReady = [this] { return sender_->CheckMailReady(); };
    s.sendMail = mail::InvoiceMail(*sender_);
    s.closeMail = [this] { sender_->CloseMail(); };
    manager_ = std::make_unique<InvoiceManager>(s, list_);
    ASSERT_TRUE(manager_->Open().IsDone());
    manager_->SetOrder(inv::kKeyByNumber);
  }
  std::string EMailed(const std::string& number) { return ReadText(Records(number)[0], inv::kEMailedDate); }
  std::vector<RecordBuffer> Records(const std::string& number) {
    const auto stored = inv::ReadInvoiceRecords(manager_->File(), number);
    std::vector<RecordBuffer> out;
    if (stored)
      for (const auto& r : *stored) out.push_back(r.record);
    return out;
  }

  test::RecordingStatus progress_;
  test::TestMailSender sender_{book_, prompter_, progress_};
};

TEST_F(InvoiceMailTest, AMemoInvoiceArrivesIntactAndIsMarkedEMailed) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  test::TestMailSender::UseServer(server);
  Post({.number = "1001", .customer = "C3", .total = "120.00", .type = "M"});
  AddMemo("1001", {"Consulting in March", ".x", "..", "done"});
  OpenMailManager();
  Select("1001");
  prompter_.Clear();
  const Outcome printed = manager_->Print();
  ASSERT_TRUE(printed.IsDone()) << printed.Message().text;
  EXPECT_EQ(manager_->Panel(1), "Invoice 1001 sent by e-mail.");
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].text, "Invoice sent by e-mail.");
  EXPECT_EQ(prompter_.Shown()[0].caption, "E-Mail Invoice");

  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "joerg@example.com");
  EXPECT_EQ(server.Read(1, "subject"), "INVOICE - 1001");
  EXPECT_EQ(server.Read(1, "from"), "billing@acme.example");
  EXPECT_EQ(server.Read(1, "charset"), "utf-8");
  const std::string body = server.Read(1, "body");
  EXPECT_NE(body.find("\nJ\xC3\xB6rg M\xC3\xBCller\n"), std::string::npos) << body;
  EXPECT_NE(body.find("\nConsulting in March\n.x\n..\ndone\n"), std::string::npos) << body;
  // The notes' lone "." is a line of the message, not its end: what follows it arrived.
  EXPECT_NE(body.find("\nDeliver to the back door\n.\n.x marks the spot\n"), std::string::npos) << body;
  EXPECT_NE(body.find("Balance Due:       120.00"), std::string::npos) << body;

  EXPECT_EQ(Flag("1001"), "Y");
  EXPECT_EQ(EMailed("1001"), "03/20/1999");
  EXPECT_FALSE(sender_->Connected());
  EXPECT_EQ(server.Count("QUIT"), 1);
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceMailTest, ARefusalAtRcptShowsTheServersTextAndLeavesTheInvoiceUnmarked) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd", "--reject-rcpt", "ann@"});
  test::TestMailSender::UseServer(server);
  Post({.number = "1001", .total = "10.00"});
  OpenMailManager();
  Select("1001");
  const Outcome refused = manager_->Print();
  ASSERT_TRUE(refused.IsFailed());
  EXPECT_NE(refused.Message().text.find("550 5.1.1 <ann@example.com>: Recipient address rejected"), std::string::npos)
      << refused.Message().text;
  EXPECT_EQ(refused.Message().caption, "E-Mail Invoice");
  EXPECT_EQ(server.Messages(), 0);
  EXPECT_EQ(Flag("1001"), "N");
  EXPECT_EQ(EMailed("1001"), "");
  EXPECT_FALSE(sender_->Connected());
  EXPECT_EQ(server.Count("RSET"), 1);
  EXPECT_EQ(server.Count("QUIT"), 1);
}

TEST_F(InvoiceMailTest, ACustomerWithoutAddressFollowsTheCompanysRule) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  test::TestMailSender::UseServer(server);
  Post({.number = "1002", .customer = "C2", .total = "10.00"});
  OpenMailManager();
  Select("1002");
  // Not included: nothing is sent, and nothing is opened for it either.
  prompter_.Clear();
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Invoice 1002 was not sent by e-mail.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"This customer has no e-mail address. Invoice not sent by e-mail."});
  EXPECT_EQ(server.Messages(), 0);
  EXPECT_EQ(Flag("1002"), "N");
  // Included: to the company's own address under the bad-address subject, and marked.
  common::WriteFlag(book_.Current(), co::kEMailIncludeNoAddress, true);
  prompter_.Clear();
  ASSERT_TRUE(manager_->Print().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Invoice 1002 sent by e-mail.");
  ASSERT_EQ(prompter_.Texts().size(), 1u);
  EXPECT_EQ(prompter_.Texts()[0].rfind("Invoice sent by e-mail.", 0), 0u) << prompter_.Texts()[0];
  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "billing@acme.example");
  EXPECT_EQ(server.Read(1, "subject"), "BAD CUSTOMER E-MAIL ADDRESS");
  EXPECT_EQ(Flag("1002"), "Y");
  EXPECT_EQ(server.Count("connect"), server.Count("QUIT"));
}

TEST_F(InvoiceMailTest, ABatchGoesOverOneConnectionAndMarksWhatTheServerTook) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd", "--reject-rcpt", "joerg@"});
  test::TestMailSender::UseServer(server);
  for (const char* n : {"1", "2", "3", "4"}) Post({.number = n, .total = "5.00"});
  Post({.number = "5", .customer = "C3", .total = "5.00"});
  Post({.number = "6", .total = "5.00", .printed = "Y"});
  OpenMailManager();
  batchNumber_ = 9;
  prompter_.Clear();
  ASSERT_TRUE(manager_->BatchPrint().IsDone());
  EXPECT_EQ(batchPrompt_->countLine, "There are 5 invoice(s) to e-mail.");
  EXPECT_EQ(batchPrompt_->button, "&E-Mail");
  EXPECT_EQ(manager_->Panel(1), "Batch Print complete. 4 invoices sent to e-mail.");
  ASSERT_EQ(prompter_.Shown().size(), 1u);
  EXPECT_EQ(prompter_.Shown()[0].caption, "Batch E-Mail");
  const std::string& summary = prompter_.Shown()[0].text;
  EXPECT_EQ(summary.rfind("E-mail operation complete.", 0), 0u) << summary;
  EXPECT_NE(summary.find("Not sent (failed): 1"), std::string::npos) << summary;
  EXPECT_NE(summary.find("550 5.1.1 <joerg@example.com>"), std::string::npos) << summary;

  // One connection, one transaction per invoice, the refused one reset so the next could go.
  EXPECT_EQ(server.Count("connect"), 1);
  EXPECT_EQ(server.Count("MAIL"), 5);
  EXPECT_EQ(server.Count("RSET"), 1);
  EXPECT_EQ(server.Count("QUIT"), 1);
  ASSERT_EQ(server.Messages(), 4);
  for (int m = 1; m <= 4; ++m) EXPECT_EQ(server.Read(m, "subject"), "INVOICE - " + std::to_string(m));
  for (const char* n : {"1", "2", "3", "4"}) EXPECT_EQ(EMailed(n), "03/20/1999") << n;
  EXPECT_EQ(Flag("5"), "N");
  EXPECT_EQ(EMailed("6"), "");
  // The progress window as the batch went.
  EXPECT_EQ(progress_.titles.front(), "E-Mail Mode");
  EXPECT_FALSE(sender_->Connected());
  EXPECT_EQ(CheckAll(), "");
}

TEST_F(InvoiceMailTest, A421InTheMiddleOfABatchCostsOneReconnection) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd", "--close-at-mail", "2"});
  test::TestMailSender::UseServer(server);
  for (const char* n : {"1", "2", "3"}) Post({.number = n, .total = "5.00"});
  OpenMailManager();
  batchNumber_ = 3;
  ASSERT_TRUE(manager_->BatchPrint().IsDone());
  EXPECT_EQ(manager_->Panel(1), "Batch Print complete. 3 invoices sent to e-mail.");
  ASSERT_EQ(server.Messages(), 3);
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(server.Read(m, "subject"), "INVOICE - " + std::to_string(m));
  EXPECT_EQ(server.Count("connect"), 2);
  for (const char* n : {"1", "2", "3"}) EXPECT_EQ(Flag(n), "Y") << n;
  EXPECT_FALSE(sender_->Connected());
}

TEST_F(InvoiceMailTest, ALostConnectionStopsTheBatchAndMarksNothingUnsent) {
  TF_NEED_SMTP_PEER();
  // The peer drops every connection inside DATA.
  test::SmtpPeer server({"--server", "script", "--script", "drop-in-data"});
  test::TestMailSender::UseServer(server);
  for (const char* n : {"1", "2", "3"}) Post({.number = n, .total = "5.00"});
  OpenMailManager();
  batchNumber_ = 3;
  prompter_.Clear();
  EXPECT_EQ(manager_->BatchPrint().kind(), Outcome::Kind::Nothing);
  // The sender's error event said it once; the batch adds no second message.
  ASSERT_EQ(prompter_.Texts().size(), 1u);
  EXPECT_EQ(prompter_.Texts()[0].rfind(std::string(mail::kConnectionLostText), 0), 0u) << prompter_.Texts()[0];
  EXPECT_EQ(manager_->Panel(1),
            "Batch E-Mail stopped. 0 of 3 invoices sent to e-mail; the others stay unsent for the next batch.");
  // The whole message had gone out when the connection broke: it may have been taken, so it is
  // not sent a second time (the customer would get two), and it stays unmarked.
  EXPECT_EQ(server.Count("connect"), 1);
  for (const char* n : {"1", "2", "3"}) EXPECT_EQ(Flag(n), "N") << n;
  EXPECT_FALSE(sender_->Connected());
}

TEST_F(InvoiceMailTest, MailNotReadySendsNothingAndMarksNothing) {
  Post({.number = "1001", .total = "10.00"});
  ASSERT_TRUE(book_.UpdateCurrentCompany([](std::span<std::uint8_t> work) { WriteText(work, co::kEMailAddress, ""); },
                                         prompter_, status_));
  OpenMailManager();
  Select("1001");
  prompter_.Clear();
  EXPECT_EQ(manager_->Print().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{std::string(mail::kNoCompanyAddressText)});
  batchNumber_ = 1;
  prompter_.Clear();
  EXPECT_EQ(manager_->BatchPrint().kind(), Outcome::Kind::Nothing);
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{std::string(mail::kNoCompanyAddressText)});
  EXPECT_EQ(Flag("1001"), "N");
}

}  // namespace
}  // namespace tf::invoicing
