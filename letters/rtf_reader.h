#pragma once
// Reads a letter from a rich text file: the formatting the Form Letter Wizard writes, and what
// common word processors put around it. Text, paragraphs (\par, \pard, line breaks, tabs),
// fonts and their sizes, bold, italic, underline, colours, alignment, indents and bullets are
// kept; everything else (style sheets, pictures, document information, headers and footers,
// any group marked \*) is passed over. Characters come from \'hh in the file's code page
// (Windows-1252, the code page of the files the program meets), from \uN (with \ucN fall-back
// characters skipped) and from the symbol words (\emdash, \lquote, ...). Plain C++.
//
// The file may be anything a user picked: it is refused with a sentence, never trusted, when it
// is not rich text, ends inside a group or inside binary data, or nests groups deeper than any
// word processor does.

#include <optional>
#include <string>
#include <string_view>

#include "letters/letter_document.h"

namespace tf::letters {

inline constexpr int kMaxRtfGroupDepth = 200;
inline constexpr std::size_t kMaxFontNameLength = 64;

struct RtfReadResult {
  std::optional<LetterDocument> letter;
  std::string problem;  // why the file was refused, a sentence; empty when it was read
};

RtfReadResult ReadRtf(std::string_view bytes);

// Whether bytes look like rich text (they begin with "{\rtf", blanks before allowed).
bool LooksLikeRtf(std::string_view bytes);

}  // namespace tf::letters
