// `tallyfold-cli mail test` and the mail keys of `company set`, run in-process on a fresh
// data folder against the aiosmtpd server.
#include <gtest/gtest.h>

#include "mail/mail_settings.h"
#include "tests/app/cli_run.h"
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

}  // namespace
}  // namespace tf::cli
