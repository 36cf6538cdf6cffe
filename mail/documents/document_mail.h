#pragma once
// Invoices and statements through the run's one mail sender. The documents build their
// messages from the records (Latin-1 texts) and know nothing of SMTP; here their messages
// become the sender's (UTF-8) and the sender's outcome the one they count:
//
//   sent          the server took the message: the invoice is marked e-mailed
//   refused       the server's reply, for the user to read; the sender has reset the
//                 transaction, so the next message of a batch can go
//   lost          the connection is gone (after the sender's one reconnection) and the sender's
//                 error event has told the user: a batch stops there, and the rest stays unsent

#include <optional>
#include <string>
#include <vector>

#include "invoicing/documents/document_output.h"
#include "mail/mail_sender.h"
#include "statements/statement_mail.h"

namespace tf::mail {

// A message from the documents' stored texts.
TMailMessage DocumentMessage(const std::string& from, const std::string& to, const std::string& subject,
                             const std::vector<std::string>& body);

// The invoice documents' SendMail over `sender` (which must outlive it).
invoicing::documents::SendMail InvoiceMail(MailSender& sender);

// The statements' mailer over `sender`.
class StatementMailSender : public statements::StatementMailer {
 public:
  explicit StatementMailSender(MailSender& sender) : sender_(sender) {}
  // The sender shows why mail cannot go out itself: not ready comes back as an empty message.
  std::optional<std::string> CheckMailReady() override;
  void SendStatementMail(const statements::MailMessage& message) override;
  void CloseConnection() noexcept override;

 private:
  MailSender& sender_;
};

}  // namespace tf::mail
