#pragma once
// The mail sender: one connection to the company's mail host that stays open across several
// messages until the caller closes it. Invoices, statements and the free message send through
// the MailSender interface:
//
//   if (!sender.CheckMailReady()) return;                  // says why itself
//   MailOutcome sent = sender.SendMessage(MakeMessage(from, to, subject, lines));
//   if (sent.Sent()) MarkEMailed(...);                     // only what the server accepted
//   else if (sent.result == MailResult::Refused) prompter.Inform(sent.text, kMailErrorCaption);
//   sender.CloseMail();                                     // after a single send or a batch
//
// A connection failure has already been shown by the sender's error event when SendMessage
// returns; a refusal carries the server's reply for the caller to show.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "mail/mail_message.h"
#include "mail/mail_settings.h"
#include "mail/smtp_channel.h"

namespace tf::mail {

inline constexpr std::string_view kConnectionLostText =
    "The connection could not be made or has been terminated. Unable to continue.";
inline constexpr std::string_view kMailErrorCaption = "E-Mail";
inline constexpr std::string_view kNoCompanyAddressText =
    "You need to enter your company e-mail address in your company setup so your customers have a return "
    "e-mail address for you.";
inline constexpr std::string_view kNoCompanyAddressCaption = "Your Company E-Mail Address";
inline constexpr std::string_view kNoHostText =
    "You need to enter your company Host Mail Server. This is who will be used to e-mail your invoices.";
inline constexpr std::string_view kNoHostCaption = "Your Company E-Mail Host Server";
inline constexpr std::string_view kNotOnlineText = "Not Online";
inline constexpr std::string_view kProgressCaption = "E-Mail Mode";

enum class MailResult { Sent, Refused, ConnectionLost };

struct MailOutcome {
  MailResult result = MailResult::Sent;
  std::string text;  // the server's reply for a refusal, what failed for a lost connection
  bool Sent() const { return result == MailResult::Sent; }
};

class MailSender {
 public:
  virtual ~MailSender() = default;
  // Checks the company's mail settings and opens the connection when it is not open.
  virtual bool CheckMailReady() = 0;
  virtual MailOutcome SendMessage(const TMailMessage& message) = 0;
  virtual void CloseMail() = 0;
  virtual bool Connected() const = 0;
};

// What the sender reads of the current company, as stored (Latin-1).
struct MailCompany {
  std::string number;
  std::string emailAddress;
  std::string smtpHost;
};

struct MailSenderServices {
  common::Prompter& prompter;
  engine::RebuildStatus& progress;             // the progress window ("E-Mail Mode")
  std::function<MailCompany()> company;        // read at each CheckMailReady
};

class TMailSender : public MailSender {
 public:
  explicit TMailSender(MailSenderServices services);
  ~TMailSender() override;

  bool CheckMailReady() override;
  MailOutcome SendMessage(const TMailMessage& message) override;
  void CloseMail() override;
  bool Connected() const override { return channel_.Open(); }

  // The error event: hides the progress window and says the connection is gone. Replaceable.
  std::function<void(const std::string& detail)> MailSender1Error;

  const std::string& LastReply() const { return lastReply_; }
  // The conversation, line by line (the sign-in's secrets hidden).
  void SetTrace(std::function<void(char direction, std::string_view line)> trace) { channel_.Trace = std::move(trace); }
  // Tests wait seconds, not a minute, for a server that does not answer.
  void SetTimeLimit(std::chrono::milliseconds limit);
  void SetLocalName(std::string name) { localName_ = std::move(name); }
  // The settings in use (read from the company's settings files by CheckMailReady).
  const MailSettings& Settings() const { return settings_; }

 private:
  enum class Step { Done, Refused, Dropped, Failed };
  Step Open(std::string& why);
  bool Command(std::string_view line, SmtpReply& reply);
  Step Transaction(const TMailMessage& message, std::string& why);
  bool SignIn(const SmtpReply& hello, std::string& why, Step& step);
  void Reset();
  void ConnectionFailed(const std::string& detail);

  MailSenderServices services_;
  SmtpChannel channel_;
  MailSettings settings_;
  std::string host_;
  std::string localName_;
  std::string lastReply_;
};

}  // namespace tf::mail
