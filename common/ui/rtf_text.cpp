#include "common/ui/rtf_text.h"

#include <cstdio>
#include <cstdlib>

namespace tf::common {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (u >= 0x80 || u < 0x20) {
      out += "\\'";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
}

}  // namespace

std::string PlainTextToRtf(std::string_view text, const FontSpec& font) {
  auto colour = static_cast<std::uint32_t>(font.colour);
  if ((colour & 0xFF000000u) != 0) colour = 0;  // a system colour: plain black
  int size = std::abs(font.size);
  if (size < 1) size = 10;
  std::string face = font.face.empty() ? std::string("Courier New") : font.face;

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
  AppendEscaped(out, face);
  out += ";}}\r\n{\\colortbl ;";
  char buf[96];
  std::snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;}\r\n", colour & 0xFF,
                (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  out += buf;
  std::snprintf(buf, sizeof buf, "\\pard\\plain\\f0\\fs%d\\cf1", size * 2);
  out += buf;
  if (font.style & kFontBold) out += "\\b";
  if (font.style & kFontItalic) out += "\\i";
  if (font.style & kFontUnderline) out += "\\ul";
  if (font.style & kFontStrikeOut) out += "\\strike";
  out += ' ';

  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, next - start);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    AppendEscaped(out, line);
    out += "\\par\r\n";
    start = next;
  }
  out += "}\r\n";
  return out;
}

}  // namespace tf::common
