#include "mail/documents/document_mail.h"

#include "mail/mail_message.h"

namespace tf::mail {

TMailMessage DocumentMessage(const std::string& from, const std::string& to, const std::string& subject,
                             const std::vector<std::string>& body) {
  std::vector<std::string> lines;
  lines.reserve(body.size());
  for (const std::string& line : body) lines.push_back(MailText(line));
  return MakeMessage(MailText(from), MailText(to), MailText(subject), std::move(lines));
}

invoicing::documents::SendMail InvoiceMail(MailSender& sender) {
  return [&sender](const invoicing::documents::MailMessage& m) {
    const MailOutcome sent = sender.SendMessage(DocumentMessage(m.from, m.to, m.subject, m.body));
    invoicing::documents::MailResult result;
    result.accepted = sent.Sent();
    result.connectionLost = sent.result == MailResult::ConnectionLost;
    result.error = sent.text;
    return result;
  };
}

std::optional<std::string> StatementMailSender::CheckMailReady() {
  if (sender_.CheckMailReady()) return std::nullopt;
  return std::string();
}

void StatementMailSender::SendStatementMail(const statements::MailMessage& m) {
  const MailOutcome sent = sender_.SendMessage(DocumentMessage(m.from, m.to, m.subject, m.body));
  if (sent.result == MailResult::ConnectionLost) throw statements::MailError(sent.text, true);
  if (!sent.Sent()) throw statements::MailError(sent.text);
}

void StatementMailSender::CloseConnection() noexcept {
  try {
    sender_.CloseMail();
  } catch (...) {
    // Closing is a courtesy to the server; a failure leaves nothing to do.
  }
}

}  // namespace tf::mail
