#pragma once
// Writes a letter as a rich text file that word processors and this program's reader open:
// Windows-1252 text with \'hh for its upper half and \uN (with a '?' for readers without
// Unicode) for characters beyond it, one font table and colour table, each paragraph after a
// \pard with its alignment, indents and bullet, each run in a group of its own with every
// character property named, so no run depends on the one before. Plain C++.

#include <string>

#include "letters/letter_document.h"

namespace tf::letters {

std::string WriteRtf(const LetterDocument& letter);

}  // namespace tf::letters
