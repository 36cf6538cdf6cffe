#include "letters/rtf_writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "letters/code_page.h"

namespace tf::letters {
namespace {

void AppendHexByte(std::string& out, unsigned char byte) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\'";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

// One character of text as the file holds it.
void AppendChar(std::string& out, char32_t c) {
  if (c == '\\' || c == '{' || c == '}') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c == '\t') {
    out += "\\tab ";
  } else if (c == '\n') {
    out += "\\line ";
  } else if (c < 0x20) {
    AppendHexByte(out, static_cast<unsigned char>(c));
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (auto byte = UnicodeToCp1252(c)) {
    AppendHexByte(out, *byte);
  } else {
    auto unit = [&out](unsigned u) {
      // \uN takes a signed 16-bit number.
      out += "\\u" + std::to_string(u > 32767 ? static_cast<int>(u) - 65536 : static_cast<int>(u)) + "?";
    };
    if (c > 0xFFFF) {
      const char32_t v = c - 0x10000;
      unit(0xD800 + (v >> 10));
      unit(0xDC00 + (v & 0x3FF));
    } else {
      unit(c);
    }
  }
}

void AppendText(std::string& out, std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char u = DecodeUtf8At(utf8, pos);
    // A byte that is not UTF-8 is kept as the Windows-1252 character it would be.
    AppendChar(out, u.c ? *u.c : Cp1252ToUnicode(static_cast<unsigned char>(utf8[pos])));
    pos += u.length;
  }
}

std::string FontNameOf(const CharFormat& f) {
  std::string name;
  for (char c : f.font)
    if (c != ';') name += c;  // a font table entry ends at ';'
  return name.empty() ? std::string(kDefaultFontName) : name;
}

template <typename T>
int IndexOf(std::vector<T>& list, const T& value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) return static_cast<int>(it - list.begin());
  list.push_back(value);
  return static_cast<int>(list.size() - 1);
}

}  // namespace

std::string WriteRtf(const LetterDocument& letter) {
  std::vector<std::string> fonts{kDefaultFontName};
  std::vector<std::int32_t> colours{0};  // entry 0: the automatic colour
  for (const Paragraph& p : letter.paragraphs)
    for (const Run& run : p.runs) {
      IndexOf(fonts, FontNameOf(run.format));
      if (run.format.colour != 0) IndexOf(colours, run.format.colour & 0xFFFFFF);
    }

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
    AppendText(out, fonts[i]);
    out += ";}";
  }
  out += "}\r\n{\\colortbl ;";
  for (std::size_t i = 1; i < colours.size(); ++i) {
    const std::int32_t c = colours[i];
    out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  }
  out += "}\r\n";

  for (const Paragraph& p : letter.paragraphs) {
    const ParagraphFormat& f = p.format;
    out += "\\pard";
    switch (f.alignment) {
      case Alignment::Left: out += "\\ql"; break;
      case Alignment::Centre: out += "\\qc"; break;
      case Alignment::Right: out += "\\qr"; break;
      case Alignment::Justify: out += "\\qj"; break;
    }
    if (f.bullet) {
      // The bullet as text for readers without lists, then the list definition itself.
      out += "{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'b7}}";
    }
    // The blank ends the last word; after a group it would be text.
    out += "\\fi" + std::to_string(f.firstIndent) + "\\li" + std::to_string(f.leftIndent) + "\\ri" +
           std::to_string(f.rightIndent) + ' ';
    for (const Run& run : p.runs) {
      if (run.text.empty()) continue;
      const CharFormat& c = run.format;
      out += "{\\plain\\f" + std::to_string(IndexOf(fonts, FontNameOf(c))) + "\\fs" + std::to_string(c.halfPoints);
      if (c.bold) out += "\\b";
      if (c.italic) out += "\\i";
      if (c.underline) out += "\\ul";
      if (c.colour != 0) out += "\\cf" + std::to_string(IndexOf(colours, c.colour & 0xFFFFFF));
      out += ' ';
      AppendText(out, run.text);
      out += '}';
    }
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}

}  // namespace tf::letters
