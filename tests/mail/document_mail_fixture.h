#pragma once
// The run's mail sender for the tests of invoices and statements sent by e-mail: a TMailSender
// on company 1's settings (the test sets the company's SMTPHost to the loopback address),
// pointed at the test's server by its port in the company's mail settings file.

#include <chrono>
#include <string>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "mail/mail_sender.h"
#include "mail/mail_settings.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/status_sinks.h"

namespace tf::test {

class TestMailSender {
 public:
  TestMailSender(records::CompanyBook& book, common::Prompter& prompter, RecordingStatus& progress)
      : sender_({prompter, progress, [&book] {
                   const auto co = book.Current();
                   return mail::MailCompany{"1", common::ReadText(co, records::company::kEMailAddress),
                                            common::ReadText(co, records::company::kSMTPHost)};
                 }}) {
    // A server that does not answer fails the test in seconds, not in a minute.
    sender_.SetTimeLimit(std::chrono::seconds(10));
  }
  // Company 1 sends through `server`.
  static void UseServer(const SmtpPeer& server) {
    mail::MailSettings settings;
    settings.port = server.port();
    std::string error;
    EXPECT_TRUE(mail::SaveMailSettings("1", settings, error)) << error;
  }
  mail::TMailSender& operator*() { return sender_; }
  mail::TMailSender* operator->() { return &sender_; }

 private:
  mail::TMailSender sender_;
};

}  // namespace tf::test
