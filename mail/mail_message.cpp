#include "mail/mail_message.h"

#include <unistd.h>

#include <ctime>
#include <random>

#include "common/date_time_format.h"
#include "common/stored_text.h"

namespace tf::mail {
namespace {

constexpr std::size_t kLongestLine = 998;  // octets a mail line may hold before its CR LF
constexpr std::size_t kQuotedWidth = 76;

bool PlainText(std::string_view text) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 127 || (byte < 32 && byte != '\t')) return false;
  }
  return true;
}

const char kHex[] = "0123456789ABCDEF";

// Header values hold no line break: one typed into a subject would start a header of its own.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch == '\r' || ch == '\n') ch = ' ';
  return out;
}

std::string AddressText(const TMailAddress& a) {
  if (a.Name.empty()) return "<" + a.Address + ">";
  std::string name = OneLine(a.Name);
  if (PlainText(name)) {
    std::string quoted = "\"";
    for (const char ch : name) {
      if (ch == '"' || ch == '\\') quoted += '\\';
      quoted += ch;
    }
    return quoted + "\" <" + a.Address + ">";
  }
  std::string words;
  for (const std::string& w : EncodeHeaderWords(name)) words += (words.empty() ? "" : " ") + w;
  return words + " <" + a.Address + ">";
}

}  // namespace

std::string Base64(std::string_view bytes) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += table[(v >> 6) & 63];
    out += table[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? table[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string MailText(std::string_view latin1) { return common::Latin1ToUtf8(latin1); }

TMailMessage MakeMessage(std::string_view sender, std::string_view recipient, std::string_view subject,
                         std::vector<std::string> body) {
  TMailMessage m;
  m.SenderAddress = std::string(sender);
  m.Subject = std::string(subject);
  m.To.push_back({std::string(), std::string(recipient)});
  m.Body = std::move(body);
  return m;
}

MessageStamp StampNow(std::string_view senderAddress) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  MessageStamp stamp;
  const auto utc = std::chrono::sys_seconds(std::chrono::seconds(now));
  stamp.zoneMinutes = static_cast<int>(local.tm_gmtoff / 60);
  stamp.when = std::chrono::local_seconds((utc + std::chrono::seconds(local.tm_gmtoff)).time_since_epoch());
  static std::mt19937_64 random{std::random_device{}()};
  static unsigned long long serial = 0;
  char id[96];
  std::snprintf(id, sizeof id, "%llx.%lx.%llx.%016llx", static_cast<unsigned long long>(now),
                static_cast<long>(::getpid()), ++serial, static_cast<unsigned long long>(random()));
  const std::size_t at = senderAddress.rfind('@');
  const std::string domain = at == std::string_view::npos || at + 1 >= senderAddress.size()
                                 ? std::string("tallyfold.invalid")
                                 : std::string(senderAddress.substr(at + 1));
  stamp.messageId = std::string(id) + "@" + domain;
  return stamp;
}

std::string DateHeaderValue(const MessageStamp& stamp) {
  std::string text = common::FormatDateTime("ddd, d mmm yyyy hh:nn:ss", stamp.when);
  const int minutes = stamp.zoneMinutes < 0 ? -stamp.zoneMinutes : stamp.zoneMinutes;
  char zone[8];
  std::snprintf(zone, sizeof zone, "%c%02d%02d", stamp.zoneMinutes < 0 ? '-' : '+', minutes / 60 % 100, minutes % 60);
  return text + " " + zone;
}

std::vector<std::string> SplitBodyLines(const std::vector<std::string>& body) {
  std::vector<std::string> lines;
  for (const std::string& line : body) {
    std::string current;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\r' || line[i] == '\n') {
        lines.push_back(std::move(current));
        current.clear();
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
      } else {
        current += line[i];
      }
    }
    lines.push_back(std::move(current));
  }
  return lines;
}

bool NeedsQuotedPrintable(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (line.size() > kLongestLine || !PlainText(line)) return true;
  return false;
}

std::vector<std::string> QuotedPrintableLines(std::string_view line) {
  std::vector<std::string> out;
  std::string current;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    std::string piece;
    // A blank or tab at the end of a line would be taken off on the way; "=" starts a code.
    if ((byte >= 33 && byte <= 126 && byte != '=') || ((byte == ' ' || byte == '\t') && !last)) {
      piece = static_cast<char>(byte);
    } else {
      piece = {'=', kHex[byte >> 4], kHex[byte & 15]};
    }
    // Room for the soft break's "=" unless this piece ends the line.
    const std::size_t room = last ? kQuotedWidth : kQuotedWidth - 1;
    if (current.size() + piece.size() > room) {
      out.push_back(current + "=");
      current.clear();
    }
    current += piece;
  }
  out.push_back(current);
  return out;
}

std::vector<std::string> EncodeHeaderWords(std::string_view text) {
  if (PlainText(text)) return {std::string(text)};
  // "=?utf-8?B?" + base64 + "?=" within 75 characters: 63 characters of base64, 45 bytes of text;
  // a word never splits a character's bytes.
  constexpr std::size_t kBytesPerWord = 45;
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(text.size(), start + kBytesPerWord);
    while (end < text.size() && end > start + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    words.push_back("=?utf-8?B?" + Base64(text.substr(start, end - start)) + "?=");
    start = end;
  }
  return words;
}

std::vector<std::string> WriteMailMessage(const TMailMessage& message, const MessageStamp& stamp) {
  std::vector<std::string> out;
  std::string from = "From:     " + message.SenderName;
  if (message.SenderName.find('.') != std::string::npos) from = "From:     \"" + message.SenderName + "\"";
  out.push_back(from + " <" + message.SenderAddress + ">");
  std::string to;
  for (const TMailAddress& a : message.To) to += (to.empty() ? "" : ", ") + AddressText(a);
  out.push_back("To:       " + to);
  if (!message.Subject.empty()) {
    const std::vector<std::string> words = EncodeHeaderWords(OneLine(message.Subject));
    out.push_back("Subject:  " + words.front());
    for (std::size_t i = 1; i < words.size(); ++i) out.push_back(" " + words[i]);
  }
  out.push_back("Date: " + DateHeaderValue(stamp));
  out.push_back("Message-ID: <" + stamp.messageId + ">");
  out.push_back("Mime-Version: 1.0");
  const std::vector<std::string> lines = SplitBodyLines(message.Body);
  const bool quoted = NeedsQuotedPrintable(lines);
  if (quoted) {
    out.push_back("Content-Type: text/plain; charset=\"utf-8\"");
    out.push_back("Content-Transfer-Encoding: quoted-printable");
  } else {
    out.push_back("Content-Type: text/plain; charset=\"us-ascii\"");
    out.push_back("Content-Transfer-Encoding: 7bit");
  }
  out.emplace_back();
  for (const std::string& line : lines) {
    if (!quoted) {
      out.push_back(line);
      continue;
    }
    for (std::string& piece : QuotedPrintableLines(line)) out.push_back(std::move(piece));
  }
  return out;
}

}  // namespace tf::mail
