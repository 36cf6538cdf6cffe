#include "companies/company_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::companies {

namespace company = records::company;

std::optional<std::string> NormalisedCompanyNumber(std::string_view typed) {
  std::string text = common::TrimBoth(typed);
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : text.substr(first);
}

std::int32_t FindCompanyNumber(engine::FileBlock* companies, std::string_view number) {
  const std::optional<std::string> wanted = NormalisedCompanyNumber(number);
  if (!wanted) return 0;
  // A company stored under another spelling of the same number is found too: the index holds
  // the numbers as typed, so every entry is compared.
  std::string key;
  std::int32_t ref = 0;
  for (engine::SearchKey(companies, company::kNumberKey, ref, key); engine::EngineOK && ref != 0;
       engine::NextKey(companies, company::kNumberKey, ref, key))
    if (NormalisedCompanyNumber(key) == wanted) return ref;
  engine::EngineOK = true;
  return 0;
}

std::vector<std::string> CompanyFiles(std::string_view number) {
  const std::string prefix = common::TrimBoth(number);
  std::vector<std::string> files;
  if (prefix.empty()) return files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    std::string name = entry.path().filename().string();
    std::string_view stem = name;
    if (!stem.empty() && stem.front() == '~') stem.remove_prefix(1);
    const std::size_t dot = stem.find('.');
    stem = stem.substr(0, dot);
    // The number and one letter: "12C" is company 12's, not company 1's.
    if (stem.size() == prefix.size() + 1 && stem.substr(0, prefix.size()) == prefix &&
        std::isalpha(static_cast<unsigned char>(stem.back())))
      files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

FileRemoval RemoveCompanyFiles(std::string_view number) {
  FileRemoval result;
  for (const std::string& name : CompanyFiles(number)) {
    std::error_code ec;
    if (std::filesystem::remove(name, ec) && !ec)
      result.removed.push_back(name);
    else
      result.failed.push_back(name + " (" + (ec ? ec.message() : std::string("it could not be removed")) + ")");
  }
  return result;
}

}  // namespace tf::companies
