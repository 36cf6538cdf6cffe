#pragma once
// Merge keywords: the words a letter holds that printing replaces with one customer's or the
// company's data. The replacement is one pass from the letter's first character to its last,
// over the letter's text (never over a file's markup), so:
//   - a value put in is never looked at again: a customer named "VQCSTNAME Holdings" or notes
//     that mention "VQCSTNO" print as they are;
//   - keywords are whole words, upper case: "VQCSTNOTES" is the notes, never the number
//     followed by "TES", and "vqcstname" stays as written;
//   - a keyword whose letters carry different formatting is still one keyword (the value takes
//     the format of its first letter);
//   - braces and backslashes in a value are text like any other.
// Plain C++.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "letters/letter_document.h"

namespace tf::letters {

struct MergeKeyword {
  std::string_view keyword;  // "VQCSTNAME"
  std::string_view meaning;  // "Customer Name", as the keyword list shows it
};

// Every keyword, in the order of the keyword table.
const std::vector<MergeKeyword>& MergeKeywords();

// What the Form Letter Wizard's keyword list shows, alphabetically: "VQCSTNAME - Customer
// Name". Every keyword is listed, "VQCMPADD5" (the company's fifth address line) too.
std::vector<std::string> KeywordListItems();

// A value for each keyword of MergeKeywords(), in the same order: the field trimmed of blanks,
// as UTF-8, with the CR LF line breaks of notes as line breaks.
struct MergeValues {
  std::vector<std::string> values;
};
MergeValues ValuesFor(std::span<const std::uint8_t> customer, std::span<const std::uint8_t> company);

// The letter with every keyword replaced by its value.
LetterDocument MergeLetter(const LetterDocument& letter, const MergeValues& values);

}  // namespace tf::letters
