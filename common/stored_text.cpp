#include "common/stored_text.h"

#include <cstdio>

namespace tf::common {
namespace {

// Decodes one UTF-8 sequence at text[i]; false when it is malformed (overlong forms and
// surrogates included).
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  int extra = 0;
  if (b < 0x80) { cp = b; ++i; return true; }
  if (b >= 0xC2 && b <= 0xDF) { cp = b & 0x1F; extra = 1; }
  else if (b >= 0xE0 && b <= 0xEF) { cp = b & 0x0F; extra = 2; }
  else if (b >= 0xF0 && b <= 0xF4) { cp = b & 0x07; extra = 3; }
  else return false;
  if (i + std::size_t(extra) >= text.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char c = byte(i + std::size_t(k));
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += std::size_t(extra) + 1;
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

Latin1Conversion ConvertToLatin1(std::string_view utf8) {
  Latin1Conversion out;
  out.latin1.reserve(utf8.size());
  char32_t cp = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    if (!DecodeUtf8(utf8, i, cp)) {
      out.badOffset = at;
      return out;
    }
    if (cp > 0xFF) {
      out.unstorable = cp;
      return out;
    }
    out.latin1 += char(cp);
  }
  return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) AppendUtf8(out, static_cast<unsigned char>(ch));
  return out;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
  Latin1Conversion converted = ConvertToLatin1(utf8);
  if (!converted.ok()) return std::nullopt;
  return std::move(converted.latin1);
}

std::string DescribeCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
  std::string shown;
  if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0)) AppendUtf8(shown, c);
  return shown.empty() ? std::string(code) : "\"" + shown + "\" (" + code + ")";
}

std::string StoredLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string UnstorableCharacterText(std::string_view field, char32_t c) {
  return std::string(field) + ": the character " + DescribeCharacter(c) +
         " cannot be stored (only Latin-1 letters and signs can); remove or replace it.";
}

std::optional<std::string> StoredTextProblem(std::string_view field, std::string_view latin1, std::size_t capacity,
                                             TextKind kind) {
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(latin1[i]);
    if (!IsControl(c)) continue;
    if (kind == TextKind::Notes &&
        (c == '\t' || (c == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') ||
         (c == '\n' && i > 0 && latin1[i - 1] == '\r')))
      continue;
    const char* what = c == 0 ? "NUL" : c == '\n' ? "LF, a line break" : c == '\r' ? "CR, a line break"
                                    : c == '\t' ? "TAB" : "a control character";
    return std::string(field) + ": holds " + what + " (code " + std::to_string(c) +
           "), which this field cannot store; remove it.";
  }
  if (latin1.size() > capacity) {
    std::string text = std::string(field) + ": " + std::to_string(latin1.size()) + " characters";
    if (kind == TextKind::Notes) text += " (a line break counts two)";
    return text + " where at most " + std::to_string(capacity) + " can be stored; shorten it.";
  }
  return std::nullopt;
}

}  // namespace tf::common
