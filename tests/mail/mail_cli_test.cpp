// `tallyfold-cli mail test`, the mail keys of `company set`, and invoices and statements sent
// with --email, run in-process on a fresh data folder against the aiosmtpd server.
#include <gtest/gtest.h>

#include "common/side_file.h"
#include "mail/mail_settings.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::cli {
namespace {

using testing::RunToolHere;

class MailCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto made = RunToolHere({"init"});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  test::TempFolder folder{test::TempFolder::Enter};
};

TEST_F(MailCliTest, MailTestSendsToTheCompanyItselfAndPrintsTheConversation) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  const auto set = RunToolHere({"company", "set", "CompanyName=Mail Test Ltd", "EMailAddress=office@example.com", "SMTPHost=127.0.0.1",
                                "MailPort=" + std::to_string(server.port())});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_NE(set.out.find("Changed the mail settings of company"), std::string::npos) << set.out;

  const auto shown = RunToolHere({"company", "show"});
  EXPECT_NE(shown.out.find("MailPort: " + std::to_string(server.port())), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("MailSecurity: none"), std::string::npos);

  const auto run = RunToolHere({"mail", "test"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("> MAIL FROM:<office@example.com>"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("< 250 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("> QUIT"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("was accepted by the mail server."), std::string::npos) << run.out;
  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "rcpt"), "office@example.com");
  EXPECT_EQ(server.Read(1, "subject"), "Tallyfold mail test");
}

TEST_F(MailCliTest, MailTestWithoutAHostSaysSoAndFails) {
  const auto run = RunToolHere({"mail", "test"});
  EXPECT_EQ(run.status, kExitProblems);
  EXPECT_NE(run.err.find("You need to enter your company e-mail address"), std::string::npos) << run.err;
}

TEST_F(MailCliTest, ARefusedMailValueChangesNeitherTheRecordNorTheFiles) {
  const auto set = RunToolHere({"company", "set", "CompanyName=Mail Test Ltd", "EMailAddress=office@example.com", "MailSecurity=ssl"});
  EXPECT_EQ(set.status, kExitProblems);
  EXPECT_NE(set.err.find("MailSecurity must be none, starttls or tls."), std::string::npos) << set.err;
  const auto shown = RunToolHere({"company", "show"});
  EXPECT_EQ(shown.out.find("office@example.com"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("MailSecurity: none"), std::string::npos) << shown.out;
}

// A company with a mail host, three customers (one called Müller with notes on its invoices,
// one without an address) and three unprinted invoices imported as a user would.
class MailDocumentsCliTest : public MailCliTest {
 protected:
  void SetUp() override {
    MailCliTest::SetUp();
    const auto set = RunToolHere({"company", "set", "CompanyName=Mail Test Ltd", "EMailAddress=office@example.com",
                                  "SMTPHost=127.0.0.1", "InvoiceTitle=INVOICE", "StatementTitle=STATEMENT",
                                  "DateFormat=M"});
    ASSERT_EQ(set.status, 0) << set.err;
    Import("customers",
           "CustomerNumber,CustomerName,ShortName,EMail,Notes,NotesOnInvoices\n"
           "C1,J\xC3\xB6rg M\xC3\xBCller,JOERG,joerg@example.com,\"Ring twice\n.\n.x\",Y\n"
           "C2,Bob Jones,BOB,bob@example.com,,N\n"
           "C3,Cleo Nomail,CLEO,,,N\n");
    Import("invoices",
           "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,NetAmount,Description,MemoText\n"
           "700,M,C1,03/03/2024,40,Consulting,Three hours of advice\n"
           "701,M,C2,03/04/2024,10,Repair,A new hinge\n"
           "702,M,C3,03/05/2024,20,Repair,Two new hinges\n");
  }
  void Import(const char* kind, const std::string& csv) {
    const std::string file = (std::filesystem::current_path() / "import.csv").string();
    common::ReplaceFile(file, csv);
    const auto run = RunToolHere({"import", kind, file});
    ASSERT_EQ(run.status, 0) << run.err;
    std::filesystem::remove(file);
  }
  void UseServer(const test::SmtpPeer& server) {
    const auto set = RunToolHere({"company", "set", "MailPort=" + std::to_string(server.port())});
    ASSERT_EQ(set.status, 0) << set.err;
  }
};

TEST_F(MailDocumentsCliTest, PrintInvoiceByEMailSendsItIntactAndMarksIt) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  UseServer(server);
  const auto run = RunToolHere({"print", "invoice", "700", "--email"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "Invoice 700 sent by e-mail to joerg@example.com. It is marked e-mailed.\n");
  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "subject"), "INVOICE - 700");
  const std::string body = server.Read(1, "body");
  EXPECT_NE(body.find("\nJ\xC3\xB6rg M\xC3\xBCller\n"), std::string::npos) << body;
  EXPECT_NE(body.find("\nRing twice\n.\n.x\n"), std::string::npos) << body;
  EXPECT_NE(body.find("Three hours of advice"), std::string::npos) << body;
  EXPECT_EQ(server.Count("QUIT"), 1);
  // Marked: the batch no longer takes it.
  const auto dry = RunToolHere({"print", "invoices", "--unprinted", "--email", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out.find("  700 "), std::string::npos) << dry.out;
  // Sent again on request, it keeps its first marks.
  const auto again = RunToolHere({"print", "invoice", "700", "--email"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Invoice 700 sent by e-mail to joerg@example.com. It was marked printed before.\n");
  ASSERT_EQ(server.Messages(), 2);
  // E-mail and a PDF file at once, or a packing slip by e-mail, are refused before anything.
  EXPECT_EQ(RunToolHere({"print", "invoice", "701", "--email", "--pdf", "x.pdf"}).status, kExitUsage);
  EXPECT_EQ(RunToolHere({"print", "invoice", "701", "--email", "--packing-slip"}).status, kExitUsage);
  EXPECT_EQ(server.Messages(), 2);
}

TEST_F(MailDocumentsCliTest, PrintInvoicesByEMailSaysWhatWasSentRefusedOrSkipped) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd", "--reject-rcpt", "bob@"});
  UseServer(server);
  const test::FolderImage before = test::FolderBytes(std::filesystem::current_path());
  const auto dry = RunToolHere({"print", "invoices", "--unprinted", "--email", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out,
            "Would e-mail 3 invoices:\n"
            "  700 to joerg@example.com\n"
            "  701 to bob@example.com\n"
            "  702 not sent: the customer has no e-mail address\n"
            "Nothing was sent or marked.\n");
  EXPECT_EQ(test::ChangedFiles(before, test::FolderBytes(std::filesystem::current_path())), "");
  EXPECT_EQ(server.Count("connect"), 0);

  const auto run = RunToolHere({"print", "invoices", "--unprinted", "--email"});
  EXPECT_EQ(run.status, kExitProblems) << run.out << run.err;
  EXPECT_NE(run.out.find("  Invoice 700 sent by e-mail to joerg@example.com.\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Invoice 702 was not sent: the customer has no e-mail address.\n"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("550 5.1.1 <bob@example.com>"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("E-mailed 1 invoice and marked 1 invoice e-mailed; 1 invoice was not sent for want of an "
                         "address; 1 invoice was not sent.\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(server.Count("connect"), 1);
  EXPECT_EQ(server.Count("QUIT"), 1);
  EXPECT_EQ(server.Messages(), 1);
  // What the server refused is still unprinted for the next run.
  const auto again = RunToolHere({"print", "invoices", "--unprinted", "--email", "--dry-run"});
  EXPECT_EQ(again.out.find("  700 "), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("  701 to bob@example.com"), std::string::npos) << again.out;
  const auto check = RunToolHere({"check"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

TEST_F(MailDocumentsCliTest, StatementsByEMailOneAndABatch) {
  TF_NEED_SMTP_PEER();
  test::SmtpPeer server({"--server", "aiosmtpd"});
  UseServer(server);
  const auto one = RunToolHere({"statements", "--customer", "C1", "--email"});
  ASSERT_EQ(one.status, 0) << one.out << one.err;
  EXPECT_EQ(one.out, "Sent the statement of customer C1 by e-mail to joerg@example.com.\n");
  ASSERT_EQ(server.Messages(), 1);
  EXPECT_EQ(server.Read(1, "subject"), "STATEMENT - J\xC3\xB6rg M\xC3\xBCller");

  const auto dry = RunToolHere({"statements", "--age", "all", "--email", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out, "Would e-mail 3 statements (only unpaid records): C2 C3 C1. Nothing was sent or changed.\n");
  EXPECT_EQ(server.Messages(), 1);

  const auto batch = RunToolHere({"statements", "--age", "all", "--email"});
  ASSERT_EQ(batch.status, 0) << batch.out << batch.err;
  EXPECT_NE(batch.out.find("  Sent \"BAD CUSTOMER E-MAIL: Cleo Nomail\" to office@example.com.\n"), std::string::npos)
      << batch.out;
  EXPECT_NE(batch.out.find("E-mailed 3 statements.\n"), std::string::npos) << batch.out;
  ASSERT_EQ(server.Messages(), 4);
  EXPECT_EQ(server.Count("connect"), 2);  // one for the single statement, one for the batch
  EXPECT_EQ(server.Count("QUIT"), 2);
  const auto shown = RunToolHere({"company", "show"});
  EXPECT_EQ(shown.out.find("StatementBatchDate: \n"), std::string::npos) << shown.out;
  EXPECT_EQ(RunToolHere({"statements", "--customer", "C1", "--email", "--pdf", "x.pdf"}).status, kExitUsage);
}

}  // namespace
}  // namespace tf::cli
