// Statements e-mailed through the real mail sender to the aiosmtpd server, read back with
// Python's e-mail parser: one statement with dot lines and "Müller" arrives intact; a batch of
// 200 statements goes over one connection; after a refusal or a lost connection in a batch the
// batch flag is cleared and the connection closed, so a later single statement does not fill
// the label queue.

#include <gtest/gtest.h>

#include "common/clock.h"
#include "correspondence/label_queue.h"
#include "mail/documents/document_mail.h"
#include "statements/customer_statements.h"
#include "tests/mail/document_mail_fixture.h"
#include "tests/statements/statement_books.h"

namespace tf::statements {
namespace {

namespace co = records::company;
namespace cu = records::customer;

class StatementMailTest : public test::StatementFolderTest {
 protected:
  void SetUp() override {
    StatementFolderTest::SetUp();
    common::WriteText(book_.Current(), co::kSMTPHost, "127.0.0.1");
  }
  void OpenCustomers() {
    engine::OpenFileBlock(customers_.handle(), cu::CustomerFileName("1"), true);
    ASSERT_TRUE(engine::EngineOK);
  }
  CustomerStatements Model() {
    return CustomerStatements({book_, prompter_, status_, clock_, &labels_, mailer_, [] { return true; }});
  }
  // A batch of every customer with a balance, in one run (no pauses), as the windows run it.
  browse::Outcome RunBatch(CustomerStatements& model) {
    EXPECT_TRUE(model.SelectBatch(customers_.get()).IsDone());
    if (browse::Outcome ready = model.CheckReady(); !ready.IsDone()) return ready;
    MailOutput output(mailer_, book_.Current(), kToday);
    return model.RunBatch(customers_.get(), model.BatchCount(), output, [this](const std::string& t) { panel_ = t; });
  }

  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{kToday};
  correspondence::LabelQueue labels_;
  test::RecordingStatus progress_;
  test::TestMailSender sender_{book_, prompter_, progress_};
  mail::StatementMailSender mailer_{*sender_};
  engine::FileBlockGuard customers_;
  std::string panel_;
};

TEST_F(StatementMailTest, AStatementArrivesIntact) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  test::TestMailSender::UseServer(server);
  common::WriteText(book_.Current(), co::kAddress2, ".");
  common::WriteText(book_.Current(), co::kStatementNote, ".x is where we are");
  common::WriteBool(book_.Current(), co::kPrintSalesMessage, true);
  AddStatementCustomer("C1", "J\xF6rg M\xFCller", "joerg@example.com", "100.00", {"100.00", "0.00", "0.00", "0.00"});
  AddRecord({"A100", "C1", kToday, "100.00"}, "100.00", "Spring order");
  // Notes on statements: their lone "." line must not end the message.
  common::RecordBuffer before = Customer("C1");
  common::RecordBuffer after = before;
  common::WriteText(after, cu::kNotes, "Thank you, Herr M\xFCller\r\n.\r\nSee you in May");
  common::WriteFlag(after, cu::kNotesOnStatements, true);
  Write(cu::CustomerFileName("1"), after, [&](engine::FileBlock* h, std::int32_t& ref) {
    const auto found = cu::FindCustomerByNumber(h, "C1", before);
    if (!found) return false;
    ref = *found;
    return records::ModifyKeyedRecord(h, cu::CustomerFileKind(), ref, after, before, quiet_);
  });
  OpenCustomers();
  CustomerStatements model = Model();
  ASSERT_TRUE(model.View(customers_.get(), "C1", "J\xF6rg M\xFCller").IsDone());
  ASSERT_TRUE(model.EMail().IsDone());
  EXPECT_EQ(model.Status(), "Statement for J\xF6rg M\xFCller sent by e-mail.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"Statement sent by e-mail."});
  EXPECT_EQ(prompter_.Shown()[0].caption, "E-Mail Statement");
  model.EndView();

  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "joerg@example.com");
  EXPECT_EQ(server.Read(1, "subject"), "STATEMENT - J\xC3\xB6rg M\xC3\xBCller");
  const std::string body = server.Read(1, "body");
  EXPECT_NE(body.find("\n1 Main Street\n.\n"), std::string::npos) << body;
  EXPECT_NE(body.find("\n.x is where we are\n"), std::string::npos) << body;
  EXPECT_NE(body.find("\nJ\xC3\xB6rg M\xC3\xBCller\n"), std::string::npos) << body;
  EXPECT_NE(body.find("Spring order"), std::string::npos) << body;
  EXPECT_NE(body.find("\nThank you, Herr M\xC3\xBCller\n.\nSee you in May\n"), std::string::npos) << body;
  EXPECT_NE(body.find("Account Status:"), std::string::npos) << body;
  EXPECT_FALSE(sender_->Connected());
  EXPECT_EQ(server.Count("QUIT"), 1);
}

TEST_F(StatementMailTest, AStatementForAnUnusableAddressSaysWhereItWent) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  test::TestMailSender::UseServer(server);
  AddStatementCustomer("C1", "Brown & Co", "ap at brown.test", "10.00", {"10.00", "0.00", "0.00", "0.00"});
  AddRecord({"A100", "C1", kToday, "10.00"}, "10.00");
  OpenCustomers();
  CustomerStatements model = Model();
  ASSERT_TRUE(model.View(customers_.get(), "C1", "Brown & Co").IsDone());
  ASSERT_TRUE(model.EMail().IsDone());
  EXPECT_EQ(model.Status(), "Statement for Brown & Co sent by e-mail to the company's own address.");
  ASSERT_EQ(prompter_.Texts().size(), 1u);
  EXPECT_EQ(prompter_.Texts()[0].rfind("Statement sent by e-mail.\n\nThe customer has no usable e-mail address", 0), 0u)
      << prompter_.Texts()[0];
  model.EndView();
  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "office@acme.test");
  EXPECT_EQ(server.Read(1, "subject"), "BAD CUSTOMER E-MAIL: Brown & Co");
}

TEST_F(StatementMailTest, ABatchOf200StatementsGoesOverOneConnection) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  test::TestMailSender::UseServer(server);
  for (int n = 1; n <= 200; ++n) {
    const std::string digits = std::to_string(n);
    const std::string number = std::string(3 - std::min<std::size_t>(3, digits.size()), '0') + digits;
    // Every tenth customer has no address: theirs go to the company under the bad-address subject.
    AddStatementCustomer(number, std::string("Customer ") + number, n % 10 == 0 ? "" : std::string("c") + number + "@x.test",
                         "10.00", {"10.00", "0.00", "0.00", "0.00"});
  }
  AddRecord({"A1", "001", kToday, "10.00"}, "10.00");
  OpenCustomers();
  CustomerStatements model = Model();
  ASSERT_TRUE(RunBatch(model).IsDone());
  EXPECT_EQ(panel_, "Batch complete. 200 statements sent by e-mail.");
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"E-mail operation complete."});
  EXPECT_EQ(server.Count("connect"), 1);
  EXPECT_EQ(server.Count("QUIT"), 1);
  ASSERT_EQ(server.Messages(), 200);
  EXPECT_EQ(server.Read(1, "rcpt"), "c001@x.test");
  EXPECT_EQ(server.Read(1, "subject"), "STATEMENT - Customer 001");
  EXPECT_EQ(server.Read(10, "rcpt"), "office@acme.test");
  EXPECT_EQ(server.Read(10, "subject"), "BAD CUSTOMER E-MAIL: Customer 010");
  EXPECT_EQ(server.Read(200, "subject"), "BAD CUSTOMER E-MAIL: Customer 200");
  EXPECT_FALSE(sender_->Connected());
  EXPECT_FALSE(model.State().BatchRun());
  EXPECT_EQ(CompanyField(co::kStatementBatchDate), "05/15/2024");
}

TEST_F(StatementMailTest, AfterAnErrorTheBatchFlagIsClearedAndTheConnectionClosed) {
  TF_NEED_SMTP_PEER();
  struct Case {
    std::vector<std::string> server;
    bool shownByTheSender;  // a lost connection: the sender's error event said it
  } cases[] = {
      {{"--server", "aiosmtpd", "--reject-rcpt", "baker@"}, false},
      {{"--server", "script", "--script", "drop-in-data"}, true},
  };
  common::WriteFlag(book_.Current(), co::kLabelQueueOnBatchPrint, true);
  AddStatementCustomer("1", "Able", "able@x.test", "10.00", {"10.00", "0.00", "0.00", "0.00"});
  AddStatementCustomer("2", "Baker", "baker@x.test", "10.00", {"10.00", "0.00", "0.00", "0.00"});
  AddStatementCustomer("3", "Cole", "cole@x.test", "10.00", {"10.00", "0.00", "0.00", "0.00"});
  AddRecord({"A1", "1", kToday, "10.00"}, "10.00");
  OpenCustomers();
  for (const Case& c : cases) {
    test::SmtpPeer server(c.server);
    test::TestMailSender::UseServer(server);
    labels_.Clear();
    prompter_.Clear();
    CustomerStatements model = Model();
    const browse::Outcome stopped = RunBatch(model);
    if (c.shownByTheSender) {
      EXPECT_EQ(stopped.kind(), browse::Outcome::Kind::Nothing);
      ASSERT_EQ(prompter_.Texts().size(), 1u);
      EXPECT_EQ(prompter_.Texts()[0].rfind(std::string(mail::kConnectionLostText), 0), 0u);
      EXPECT_EQ(panel_, "Batch stopped after 0 of 3 statements.");
    } else {
      ASSERT_TRUE(stopped.IsFailed());
      EXPECT_NE(stopped.Message().text.find("550 5.1.1 <baker@x.test>"), std::string::npos) << stopped.Message().text;
      EXPECT_EQ(panel_, "Batch stopped after 1 of 3 statements.");
      EXPECT_EQ(server.Messages(), 1);
    }
    EXPECT_FALSE(model.State().BatchRun());
    EXPECT_FALSE(sender_->Connected());
    EXPECT_EQ(CompanyField(co::kStatementBatchDate), "");
    const std::size_t queued = labels_.Size();
    EXPECT_GE(queued, 1u);

    // A single statement afterwards is no batch: the label queue stays as it was.
    ASSERT_TRUE(model.View(customers_.get(), "1", "Able").IsDone());
    model.EMail();
    model.EndView();
    EXPECT_EQ(labels_.Size(), queued);
    EXPECT_FALSE(sender_->Connected());
  }
}

}  // namespace
}  // namespace tf::statements
