#pragma once
// Characters between UTF-8 and the single-byte code page letter files are written in
// (Windows-1252, of which Latin-1 is the part without 0x80..0x9F). Plain C++.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tf::letters {

// The character a Windows-1252 byte stands for; the five bytes that code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number.
char32_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character, or nothing when the code page has none.
std::optional<unsigned char> UnicodeToCp1252(char32_t c);

void AppendUtf8(std::string& out, char32_t c);

// The character starting at `pos` of UTF-8 text and its length in bytes; nothing (length 1)
// for a byte that does not start a well-formed sequence.
struct Utf8Char {
  std::optional<char32_t> c;
  std::size_t length = 1;
};
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

bool IsValidUtf8(std::string_view text);

}  // namespace tf::letters
