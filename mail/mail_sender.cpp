#include "mail/mail_sender.h"

#include "common/text.h"

namespace tf::mail {
namespace {

constexpr std::chrono::seconds kTimeLimit{60};

bool Offers(const SmtpReply& hello, std::string_view keyword, std::string_view word = {}) {
  for (std::size_t i = 1; i < hello.lines.size(); ++i) {
    std::string line = hello.lines[i].size() > 4 ? hello.lines[i].substr(4) : std::string();
    for (char& ch : line) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (line.compare(0, keyword.size(), keyword) != 0) continue;
    if (word.empty()) return true;
    if ((" " + line + " ").find(" " + std::string(word) + " ") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

TMailSender::TMailSender(MailSenderServices services)
    : services_(std::move(services)), channel_(kTimeLimit), localName_(LocalHostName()) {
  MailSender1Error = [this](const std::string& detail) {
    services_.progress.Close();
    std::string text(kConnectionLostText);
    if (!detail.empty()) text += "\n\n(" + detail + ")";
    services_.prompter.Inform(text, kMailErrorCaption);
  };
}

TMailSender::~TMailSender() = default;

void TMailSender::SetTimeLimit(std::chrono::milliseconds limit) { channel_.SetLimit(limit); }

void TMailSender::ConnectionFailed(const std::string& detail) {
  channel_.Close();
  if (MailSender1Error) MailSender1Error(detail);
}

bool TMailSender::Command(std::string_view line, SmtpReply& reply) {
  if (!channel_.SendLine(line) || !channel_.ReadReply(reply)) return false;
  lastReply_ = reply.Text();
  return true;
}

bool TMailSender::CheckMailReady() {
  const MailCompany company = services_.company();
  const std::string address = common::TrimBoth(company.emailAddress);
  // An address the server could not take (a space, a second "@") is as good as none.
  if (address.size() <= 1 || !IsValidMailAddress(address)) {
    services_.prompter.Inform(kNoCompanyAddressText, kNoCompanyAddressCaption);
    return false;
  }
  const std::string host = common::TrimBoth(company.smtpHost);
  if (host.size() <= 1) {
    services_.prompter.Inform(kNoHostText, kNoHostCaption);
    return false;
  }
  std::string error;
  const std::optional<MailSettings> settings = LoadMailSettings(company.number, error);
  if (!settings) {
    services_.prompter.Inform("The company's mail settings cannot be used: " + error, kMailErrorCaption);
    return false;
  }
  // New settings or another host take effect with a new connection.
  if (channel_.Open() && (host != host_ || settings->Port() != settings_.Port() ||
                          settings->security != settings_.security || settings->user != settings_.user))
    CloseMail();
  host_ = host;
  settings_ = *settings;
  if (!channel_.Open()) {
    services_.progress.Show(kProgressCaption);
    services_.progress.Lines("Checking E-Mail Server...", "", "");
    std::string why;
    const Step opened = Open(why);
    services_.progress.Close();
    if (opened == Step::Failed || opened == Step::Dropped) ConnectionFailed(why);
    if (opened == Step::Refused) {
      channel_.Close();
      services_.prompter.Inform(why, kMailErrorCaption);
    }
  }
  if (!channel_.Open()) {
    services_.prompter.Inform(kNotOnlineText, kMailErrorCaption);
    return false;
  }
  return true;
}

TMailSender::Step TMailSender::Open(std::string& why) {
  if (!channel_.Connect(host_, settings_.Port())) {
    why = channel_.Error();
    return Step::Failed;
  }
  auto lost = [&] {
    why = channel_.Error();
    return channel_.ClosedByPeer() ? Step::Dropped : Step::Failed;
  };
  const TlsOptions tls{host_, settings_.trustCertificate};
  if (settings_.security == MailSecurity::Tls && !channel_.StartTls(tls)) return lost();
  SmtpReply reply;
  if (!channel_.ReadReply(reply)) return lost();
  lastReply_ = reply.Text();
  if (!reply.Positive()) {
    why = lastReply_;
    return Step::Refused;
  }
  if (settings_.security == MailSecurity::None) {
    // Some servers refuse a name they cannot match with the address; "HELO" alone they take.
    if (!Command("HELO " + localName_, reply)) return lost();
    if (!reply.Positive() && !Command("HELO", reply)) return lost();
    if (!reply.Positive()) {
      why = lastReply_;
      return Step::Refused;
    }
    return Step::Done;
  }
  // A secure submission learns what the server offers (STARTTLS, AUTH) from EHLO.
  if (!Command("EHLO " + localName_, reply)) return lost();
  if (!reply.Positive()) {
    why = lastReply_;
    return Step::Refused;
  }
  if (settings_.security == MailSecurity::StartTls) {
    if (!Command("STARTTLS", reply)) return lost();
    if (reply.code != 220) {
      why = lastReply_;
      return Step::Refused;
    }
    if (!channel_.StartTls(tls)) return lost();
    if (!Command("EHLO " + localName_, reply)) return lost();
    if (!reply.Positive()) {
      why = lastReply_;
      return Step::Refused;
    }
  }
  Step step = Step::Done;
  if (!settings_.user.empty() && !SignIn(reply, why, step)) return step;
  return Step::Done;
}

bool TMailSender::SignIn(const SmtpReply& hello, std::string& why, Step& step) {
  SmtpReply reply;
  auto lost = [&] {
    why = channel_.Error();
    step = channel_.ClosedByPeer() ? Step::Dropped : Step::Failed;
    return false;
  };
  auto refused = [&] {
    why = lastReply_;
    step = Step::Refused;
    return false;
  };
  if (Offers(hello, "AUTH", "PLAIN")) {
    channel_.HideNextLine();
    const std::string token = std::string(1, '\0') + settings_.user + std::string(1, '\0') + settings_.password;
    if (!Command("AUTH PLAIN " + Base64(token), reply)) return lost();
    return reply.code == 235 || refused();
  }
  if (Offers(hello, "AUTH", "LOGIN")) {
    if (!Command("AUTH LOGIN", reply)) return lost();
    if (reply.code != 334) return refused();
    channel_.HideNextLine();
    if (!Command(Base64(settings_.user), reply)) return lost();
    if (reply.code != 334) return refused();
    channel_.HideNextLine();
    if (!Command(Base64(settings_.password), reply)) return lost();
    return reply.code == 235 || refused();
  }
  why = "The mail server offers no sign-in this program knows (AUTH PLAIN or LOGIN).";
  step = Step::Refused;
  return false;
}

void TMailSender::Reset() {
  SmtpReply reply;
  if (!Command("RSET", reply) || reply.code == 421) channel_.Close();
}

TMailSender::Step TMailSender::Transaction(const TMailMessage& message, std::string& why) {
  SmtpReply reply;
  auto lost = [&] {
    why = channel_.Error();
    return channel_.ClosedByPeer() ? Step::Dropped : Step::Failed;
  };
  // 421: the server is closing the connection; the message was not taken.
  auto refusal = [&](std::string text) {
    if (reply.code == 421) {
      why = lastReply_;
      return Step::Dropped;
    }
    why = std::move(text);
    Reset();
    return Step::Refused;
  };
  if (!message.SenderAddress.empty()) {
    if (!Command("MAIL FROM:<" + message.SenderAddress + ">", reply)) return lost();
    if (!reply.Positive()) return refusal(lastReply_);
  }
  for (const TMailAddress& to : message.To) {
    if (!Command("RCPT TO:<" + to.Address + ">", reply)) return lost();
    if (!reply.Positive()) return refusal("The mail server refused the address " + to.Address + ":\n" + lastReply_);
  }
  if (!Command("DATA", reply)) return lost();
  if (!reply.Intermediate()) return refusal(lastReply_);
  std::string bytes;
  for (const std::string& line : WriteMailMessage(message, StampNow(message.SenderAddress))) {
    if (!line.empty() && line.front() == '.') bytes += '.';  // a lone "." would end the message
    bytes += line;
    bytes += "\r\n";
  }
  // The empty line and the end mark go with the text in one write: small writes one after the
  // other would each wait for the server's acknowledgement of the one before.
  bytes += "\r\n.\r\n";
  if (channel_.Trace) channel_.Trace('>', "(" + std::to_string(bytes.size()) + " bytes of message text, then \".\")");
  if (!channel_.SendBytes(bytes)) return lost();
  if (!channel_.ReadReply(reply)) {
    // The whole message went out but no answer came: it may have been taken, so it is not sent
    // again (a second copy would reach the customer); the caller records nothing as sent.
    why = channel_.Error();
    return Step::Failed;
  }
  lastReply_ = reply.Text();
  if (!reply.Positive()) return refusal(lastReply_);
  return Step::Done;
}

MailOutcome TMailSender::SendMessage(const TMailMessage& message) {
  if (!message.SenderAddress.empty() && !IsValidMailAddress(message.SenderAddress))
    return {MailResult::Refused, "\"" + message.SenderAddress + "\" is not an e-mail address the server can take."};
  if (message.To.empty()) return {MailResult::Refused, "The message has no recipient."};
  for (const TMailAddress& to : message.To)
    if (!IsValidMailAddress(to.Address))
      return {MailResult::Refused, "\"" + to.Address + "\" is not an e-mail address the server can take."};
  // A connection the server closed since the last message (idle time, 421) is opened again
  // once; a second loss ends the send.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string why;
    Step step = Step::Done;
    if (!channel_.Open()) {
      step = Open(why);
      if (step == Step::Refused) {
        channel_.Close();
        return {MailResult::Refused, why};
      }
    }
    if (step == Step::Done) step = Transaction(message, why);
    switch (step) {
      case Step::Done:
        return {MailResult::Sent, {}};
      case Step::Refused:
        return {MailResult::Refused, why};
      case Step::Dropped:
        channel_.Close();
        if (attempt == 0) continue;
        [[fallthrough]];
      case Step::Failed:
        ConnectionFailed(why);
        return {MailResult::ConnectionLost, why};
    }
  }
  return {MailResult::ConnectionLost, {}};
}

void TMailSender::CloseMail() {
  if (!channel_.Open()) return;
  SmtpReply reply;
  Command("QUIT", reply);
  channel_.Close();
}

}  // namespace tf::mail
