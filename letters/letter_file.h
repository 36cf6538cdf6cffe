#pragma once
// Letter files as the user chose them: rich text ("*.RTF") or plain text ("*.TXT"). The
// extension says which, whatever its case; a file whose name says text but whose content is
// rich text is read as rich text, so a renamed letter does not print its markup. Plain C++.

#include <filesystem>
#include <optional>
#include <string>

#include "letters/letter_document.h"

namespace tf::letters {

enum class LetterFormat { Rtf, Text };

// Text for a name ending in ".txt" (any case), rich text for anything else.
LetterFormat FormatForName(const std::filesystem::path& path);

struct LetterFileResult {
  std::optional<LetterDocument> letter;
  std::string problem;  // a sentence naming the file; empty when it was read
};

LetterFileResult ReadLetterFile(const std::filesystem::path& path);

// Writes the letter in the format its name asks for, under a temporary name first and renamed
// over the file, so a full disk leaves the earlier letter whole. The sentence to show when it
// could not, else nothing.
std::optional<std::string> WriteLetterFile(const std::filesystem::path& path, const LetterDocument& letter);

}  // namespace tf::letters
