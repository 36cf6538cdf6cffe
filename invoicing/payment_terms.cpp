#include "invoicing/payment_terms.h"

#include <algorithm>
#include <system_error>

#include "common/side_file.h"
#include "common/text.h"

namespace tf::invoicing {

const std::vector<std::string>& DefaultTerms() {
  static const std::vector<std::string> terms = {
      "1% 10 Net 30",       "2% 10 Net 30", "Credit Card - American Express", "Credit Card - Master Card",
      "Credit Card - Visa", "Due On Receipt", "Net 10 Days",                  "Net 20 Days",
      "Net 30 Days",
  };
  return terms;
}

void SortTerms(std::vector<std::string>& terms) {
  std::stable_sort(terms.begin(), terms.end(), [](const std::string& a, const std::string& b) {
    return common::UpperCase(a) < common::UpperCase(b);
  });
}

std::vector<std::string> LoadTerms(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !ec) {
    SaveTerms(DefaultTerms(), file);
    return DefaultTerms();
  }
  const std::string text = common::ReadWholeFile(file);
  std::vector<std::string> terms;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) terms.push_back(std::move(line));
    start = end + 1;
  }
  SortTerms(terms);
  return terms;
}

void SaveTerms(std::vector<std::string> terms, const std::filesystem::path& file) {
  SortTerms(terms);
  std::string text;
  for (const std::string& term : terms) text += term + "\r\n";
  common::ReplaceFile(file, text);
}

}  // namespace tf::invoicing
