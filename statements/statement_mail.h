#pragma once
// The e-mailed statement: a plain-text message built from the statement and the company record
// (a pure function, so what a customer receives can be checked line by line), and the one seam
// through which it is sent. The sending itself belongs to the mail sender; until the program
// has one, the window's sender reports that e-mail is not available.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "statements/statement.h"

namespace tf::statements {

inline constexpr std::string_view kBadCustomerEMail = "BAD CUSTOMER E-MAIL: ";
// The width the customer's notes are wrapped to in the message body.
inline constexpr std::size_t kMailNoteWidth = 80;

struct MailMessage {
  std::string from;
  std::string to;
  std::string subject;
  std::vector<std::string> body;  // lines, sent as text/plain
  // The customer has no usable address: the message goes to the company's own instead.
  bool toCompany = false;
};

// The message of one statement on `today`. A customer e-mail address shorter than two
// characters, or one no server could take (a space, no "@", a character beyond 7-bit text),
// sends it to the company's own address with the subject "BAD CUSTOMER E-MAIL: " + the
// customer's name, so the operator sees which statement was not delivered.
MailMessage StatementMail(std::span<const std::uint8_t> company, const Statement& statement,
                          std::chrono::year_month_day today);

// What a mail sender raises when a message cannot be sent.
class MailError : public std::runtime_error {
 public:
  explicit MailError(const std::string& what, bool reported = false) : std::runtime_error(what), reported_(reported) {}
  // The sender has already told the user (a lost connection): nothing more to show.
  bool Reported() const { return reported_; }

 private:
  bool reported_;
};

// The mail sender as statements use it.
class StatementMailer {
 public:
  virtual ~StatementMailer() = default;
  // Whether mail can go out now (the connection is then open): nothing when it can, else the
  // message to show, empty when the mailer has shown why itself.
  virtual std::optional<std::string> CheckMailReady() = 0;
  // Sends one message; throws MailError when the server refuses it or the connection fails.
  virtual void SendStatementMail(const MailMessage& message) = 0;
  // Closes the connection, if one is open. Never throws.
  virtual void CloseConnection() noexcept = 0;
};

// The sender of a program without e-mail: never ready.
class NoMailer : public StatementMailer {
 public:
  static constexpr std::string_view kNotAvailable =
      "E-mail cannot be sent from this installation yet; choose \"Printer or Fax\" as the output and print the "
      "statements.";
  std::optional<std::string> CheckMailReady() override { return std::string(kNotAvailable); }
  void SendStatementMail(const MailMessage&) override { throw MailError(std::string(kNotAvailable)); }
  void CloseConnection() noexcept override {}
};

}  // namespace tf::statements
