#pragma once
// Text helpers for key builders, list rows and report lines. Texts are byte strings: only the
// ASCII letters change case, and every byte value is carried through unchanged otherwise.

#include <cstddef>
#include <string>
#include <string_view>

namespace tf::common {

// Codes 0..32 count as blanks at the ends of a text (spaces, tabs, line breaks, NULs).
constexpr bool IsBlankChar(char c) { return static_cast<unsigned char>(c) <= 32; }

// The text without blanks (codes 0..32) at either end.
std::string TrimBoth(std::string_view text);

// The text with `fill` appended until it is `width` long; a longer text is never cut.
std::string PadRight(std::string_view text, std::size_t width, char fill = ' ');

// The trimmed text with blanks prepended until it is `width` long, then cut to its first
// `width` characters (so an over-long number loses its right end, not its sign).
std::string AlignRight(std::string_view text, std::size_t width);

// Only a..z change; bytes outside ASCII letters (including UTF-8 and code page bytes) stay.
std::string UpperCase(std::string_view text);

// The first `width` characters of the text.
std::string Cut(std::string_view text, std::size_t width);

}  // namespace tf::common
