#pragma once
// The payment terms list: plain texts ("Net 30 Days") shared by all companies in the text file
// "VQTERMS.DAT", one term per line ended by CR LF, read and written whole, kept sorted
// alphabetically without regard to letter case. The program never interprets a term.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tf::invoicing {

inline constexpr std::string_view kTermsFile = "VQTERMS.DAT";
// The width of every Terms field and of the boxes that edit a term.
inline constexpr std::size_t kMaxTermLength = 35;

// The nine terms a missing terms file starts with, in sorted order.
const std::vector<std::string>& DefaultTerms();

// Alphabetical order without regard to ASCII letter case; equal texts keep their order.
void SortTerms(std::vector<std::string>& terms);

// The terms of the file, sorted. Lines may end in CR LF or LF alone; empty lines are not terms.
// A missing file is created with the nine default terms, which are returned. Throws
// std::system_error when the file cannot be read or created.
std::vector<std::string> LoadTerms(const std::filesystem::path& file = kTermsFile);

// Replaces the file whole with the terms, sorted, each followed by CR LF. Throws
// std::system_error; the old file is then unchanged.
void SaveTerms(std::vector<std::string> terms, const std::filesystem::path& file = kTermsFile);

}  // namespace tf::invoicing
