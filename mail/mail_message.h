#pragma once
// The message the sender sends, and how it is written in Internet message format. Texts are
// UTF-8 (record fields are converted from Latin-1 by whoever fills the message).
//
// The writer keeps a plain 7-bit message as it always was ("us-ascii", 7bit) and only turns to
// quoted-printable UTF-8 when a body line holds a byte beyond 7-bit text or is longer than the
// 998 octets a mail line may have: such a body sent as 7bit would be cut or mangled on the way.
// A subject beyond 7-bit text goes as encoded words. Line breaks inside a body line (CR, LF or
// CR LF, as customer notes and memo lines hold them) become separate lines, so no bare CR or LF
// ever reaches the server; the dot at the start of a line is doubled by the sender, not here.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_address.h"

namespace tf::mail {

// Reads a customer's or the company's stored (Latin-1) text as UTF-8 for a message.
std::string MailText(std::string_view latin1);

struct TMailMessage {
  std::string SenderName;     // display name, empty in every message the program sends
  std::string SenderAddress;
  std::string Subject;        // up to 255 characters
  std::vector<TMailAddress> To;
  std::vector<std::string> Body;
};

// The one call that documents use: a message from `sender` to `recipient` with the subject and
// the body lines.
TMailMessage MakeMessage(std::string_view sender, std::string_view recipient, std::string_view subject,
                         std::vector<std::string> body);

// When and as what the message is written: the local time with its offset from UTC, and the
// Message-ID without its angle brackets.
struct MessageStamp {
  std::chrono::local_seconds when;
  int zoneMinutes = 0;  // east of UTC
  std::string messageId;
};

// The stamp of a message written now on this machine: local time and zone from the system, and
// a Message-ID unique to it (time, process, a random part) at the sender's domain.
MessageStamp StampNow(std::string_view senderAddress);

// "Tue, 5 Mar 2024 14:03:09 +0100": English names whatever the locale.
std::string DateHeaderValue(const MessageStamp& stamp);

// The lines of the message (headers, an empty line, the body), without line ends.
std::vector<std::string> WriteMailMessage(const TMailMessage& message, const MessageStamp& stamp);

// The pieces, for the tests and for the headers.
std::vector<std::string> SplitBodyLines(const std::vector<std::string>& body);
bool NeedsQuotedPrintable(const std::vector<std::string>& lines);
std::string Base64(std::string_view bytes);
// One body line as quoted-printable lines of at most 76 characters (soft breaks end in "=").
std::vector<std::string> QuotedPrintableLines(std::string_view line);
// The header value as is when it is plain 7-bit text, else as RFC 2047 encoded words
// ("=?utf-8?B?...?="), each at most 75 characters, returned one per header line.
std::vector<std::string> EncodeHeaderWords(std::string_view text);

}  // namespace tf::mail
