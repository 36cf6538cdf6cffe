#pragma once
// What a record can hold of a text a user typed or a file brought in. Records keep Latin-1
// bytes in fixed capacities; windows and CSV files speak UTF-8. Nothing is changed quietly on
// the way in: a character Latin-1 has no byte for, a control character in a one-line field, or
// a text longer than its field is refused with a sentence naming the field and the character,
// the same sentence in the editors and in the imports.
//
// Line breaks in notes are stored as CR LF, two characters each, however they were typed (LF
// from a window, LF or CR from a file); the capacity counts them that way.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tf::common {

// UTF-8 to Latin-1, stopping at the first problem.
struct Latin1Conversion {
  std::string latin1;                    // the text when there is no problem
  std::optional<char32_t> unstorable;    // the first character beyond U+00FF
  std::optional<std::size_t> badOffset;  // the first byte that is not valid UTF-8
  bool ok() const { return !unstorable && !badOffset; }
};
Latin1Conversion ConvertToLatin1(std::string_view utf8);

std::string Latin1ToUtf8(std::string_view latin1);
// Nothing for a character beyond U+00FF or for text that is not valid UTF-8.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// "\"€\" (U+20AC)": the character as the user sees it, and its code for one who cannot.
std::string DescribeCharacter(char32_t c);

// Every line break (CR LF, a lone LF, a lone CR) as CR LF.
std::string StoredLineBreaks(std::string_view text);

// `field` names the field as its window or its column does ("Customer / Company Name",
// "Notes").
std::string UnstorableCharacterText(std::string_view field, char32_t c);

enum class TextKind {
  Line,   // names, numbers, codes, addresses: no control character at all
  Notes,  // notes: line breaks (CR LF as stored) and tabs besides printable text
};

// The problem of a stored (Latin-1) text for a field of `capacity` characters, as a sentence;
// nothing when the text fits. Notes are measured with their line breaks as stored.
std::optional<std::string> StoredTextProblem(std::string_view field, std::string_view latin1, std::size_t capacity,
                                             TextKind kind);

}  // namespace tf::common
