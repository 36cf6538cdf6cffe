#include "app/cli/company_choice.h"

#include <algorithm>
#include <fstream>
#include <ostream>

#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::cli {

bool TakeCompanyOption(CommandContext& c, const std::vector<std::string>& args, std::optional<std::string>& company,
                       std::vector<std::string>& rest) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::optional<std::string> value;
    if (args[i] == "--company") {
      if (i + 1 >= args.size()) {
        c.err << "tallyfold-cli: --company needs a company number.\n";
        return false;
      }
      value = args[++i];
    } else if (args[i].rfind("--company=", 0) == 0) {
      value = args[i].substr(10);
    } else {
      rest.push_back(args[i]);
      continue;
    }
    // Only a number: a path here would make the tool open file blocks outside the data folder.
    const std::string number = common::TrimBoth(*value);
    if (number.empty() || number.size() > 5 ||
        !std::all_of(number.begin(), number.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
      c.err << "tallyfold-cli: --company takes a company number (1 to 32000), not \"" << *value << "\".\n";
      return false;
    }
    company = number;
  }
  return true;
}

bool ChosenCompanyNumber(CommandContext& c, const std::optional<std::string>& company, std::string& number) {
  if (company) {
    number = *company;
    return true;
  }
  std::ifstream in(std::string(records::company::kStartupFile), std::ios::binary);
  std::vector<std::uint8_t> record(records::company::kCompanyRecordLength);
  if (!in.read(reinterpret_cast<char*>(record.data()), std::streamsize(record.size()))) {
    c.err << "tallyfold-cli: there is no current company (" << records::company::kStartupFile
          << " is missing or too short); name one with --company N.\n";
    return false;
  }
  number = common::TrimBoth(common::ReadText(record, records::company::kCompanyNumber));
  return true;
}

}  // namespace tf::cli
