// Secure submission: STARTTLS or TLS from the first byte, the server's certificate checked,
// sign-in with PLAIN or LOGIN; and the settings files that hold it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/scripted_prompter.h"
#include "mail/mail_sender.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/external_peer.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::mail {
namespace {

using test::SmtpPeer;

class SecureTest : public ::testing::Test {
 protected:
  // A certificate for 127.0.0.1 made for this test: no system store trusts it.
  void MakeCertificate() {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout '" + (folder / "key.pem") +
                                "' -out '" + (folder / "cert.pem") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  void Save(MailSettings settings) {
    std::string error;
    ASSERT_TRUE(SaveMailSettings("1", settings, error)) << error;
  }
  TMailSender& Sender() {
    if (!sender_) {
      sender_ = std::make_unique<TMailSender>(MailSenderServices{prompter, progress, [] {
                                                                   return MailCompany{"1", "office@example.com", "127.0.0.1"};
                                                                 }});
      sender_->SetTimeLimit(std::chrono::seconds(5));
    }
    return *sender_;
  }

  test::TempFolder folder{test::TempFolder::Enter};
  common::ScriptedPrompter prompter;
  test::SilentStatus progress;
  std::unique_ptr<TMailSender> sender_;
};

TEST_F(SecureTest, SignedInOverTrustedTlsTheMessageArrives) {
  TF_NEED_SMTP_PEER();
  TF_NEED_PEERS_GTEST("a certificate is made for the test server", "openssl");
  MakeCertificate();
  struct Case {
    const char* name;
    MailSecurity security;
    std::vector<std::string> options;
    const char* mechanism;
  } cases[] = {
      {"starttls", MailSecurity::StartTls, {}, "PLAIN"},
      {"implicit", MailSecurity::Tls, {"--implicit"}, "PLAIN"},
      {"login", MailSecurity::StartTls, {"--login-only"}, "LOGIN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> options = {"--server", "aiosmtpd", "--tls", folder / "cert.pem", folder / "key.pem",
                                        "--auth", "clerk:s3cret pass"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    SmtpPeer server(options);
    MailSettings settings;
    settings.port = server.port();
    settings.security = c.security;
    settings.user = "clerk";
    settings.password = "s3cret pass";
    settings.trustCertificate = folder / "cert.pem";
    Save(settings);
    sender_.reset();
    std::vector<std::string> trace;
    Sender().SetTrace([&](char d, std::string_view line) { trace.push_back(d + std::string(line)); });
    ASSERT_TRUE(Sender().CheckMailReady()) << testing::PrintToString(prompter.Texts());
    const MailOutcome sent = Sender().SendMessage(MakeMessage("office@example.com", "ann@example.com", "Secure", {"b"}));
    ASSERT_TRUE(sent.Sent()) << sent.text;
    Sender().CloseMail();
    EXPECT_EQ(server.Messages(), 1);
    EXPECT_EQ(server.Read(1, "subject"), "Secure");
    EXPECT_EQ(server.Count(std::string("AUTH ") + c.mechanism + " clerk ok"), 1)
        << testing::PrintToString(server.Events());
    for (const std::string& line : trace) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
  }
}

TEST_F(SecureTest, AnUntrustedCertificateOrAWrongPasswordSendsNothing) {
  TF_NEED_SMTP_PEER();
  TF_NEED_PEERS_GTEST("a certificate is made for the test server", "openssl");
  MakeCertificate();
  SmtpPeer server({"--server", "aiosmtpd", "--tls", folder / "cert.pem", folder / "key.pem", "--auth", "clerk:right"});
  MailSettings settings;
  settings.port = server.port();
  settings.security = MailSecurity::StartTls;
  settings.user = "clerk";
  settings.password = "right";
  Save(settings);  // the certificate is not trusted
  EXPECT_FALSE(Sender().CheckMailReady());
  ASSERT_EQ(prompter.Texts().size(), 2u);
  EXPECT_NE(prompter.Texts()[0].find("certificate"), std::string::npos) << prompter.Texts()[0];
  EXPECT_EQ(prompter.Texts()[1], "Not Online");
  EXPECT_EQ(server.Count("AUTH"), 0);

  prompter.Clear();
  settings.trustCertificate = folder / "cert.pem";
  settings.password = "wrong";
  Save(settings);
  EXPECT_FALSE(Sender().CheckMailReady());
  ASSERT_EQ(prompter.Texts().size(), 2u);
  EXPECT_EQ(prompter.Texts()[0].rfind("535", 0), 0u) << prompter.Texts()[0];
  EXPECT_EQ(prompter.Texts()[1], "Not Online");
  EXPECT_EQ(server.Messages(), 0);
}

TEST(MailSettings, StoredBesideTheDataWithThePasswordForTheOwnerOnly) {
  test::TempFolder folder(test::TempFolder::Enter);
  std::string error;
  std::optional<MailSettings> loaded = LoadMailSettings("7", error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(loaded->Port(), 25);
  EXPECT_EQ(loaded->security, MailSecurity::None);

  MailSettings s;
  ASSERT_TRUE(ApplyMailSettings(s, {{"MailSecurity", "starttls"}, {"MailUser", "clerk"}, {"MailPassword", "p=w"}}).empty());
  EXPECT_EQ(s.Port(), 587);
  ASSERT_TRUE(SaveMailSettings(" 7 ", s, error)) << error;
  struct stat st{};
  ASSERT_EQ(::stat("7MAILPW.CFG", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  loaded = LoadMailSettings("7", error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(loaded->user, "clerk");
  EXPECT_EQ(loaded->password, "p=w");
  EXPECT_EQ(loaded->Port(), 587);
}

TEST(MailSettings, RefusedValuesChangeNothing) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> pairs;
    const char* problem;
  } cases[] = {
      {{{"MailPort", "0"}}, "MailPort must be a port number from 1 to 65535."},
      {{{"MailPort", "70000"}}, "MailPort must be a port number from 1 to 65535."},
      {{{"MailPort", "25x"}}, "MailPort must be a port number from 1 to 65535."},
      {{{"MailSecurity", "ssl"}}, "MailSecurity must be none, starttls or tls."},
      {{{"MailUser", "clerk"}}, "MailUser needs MailSecurity starttls or tls: the password is only sent over a "
                                "secure connection."},
      {{{"MailSecurity", "tls"}, {"MailPassword", "a\nb"}}, "MailPassword may not hold a line break."},
  };
  for (const Case& c : cases) {
    MailSettings s;
    s.port = 2525;
    const std::vector<std::string> problems = ApplyMailSettings(s, c.pairs);
    ASSERT_EQ(problems.size(), 1u) << c.problem;
    EXPECT_EQ(problems[0], c.problem);
    EXPECT_EQ(s.port, 2525);
    EXPECT_EQ(s.security, MailSecurity::None);
  }
}

}  // namespace
}  // namespace tf::mail
