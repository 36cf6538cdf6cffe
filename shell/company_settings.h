#pragma once
// Changing a company's options by field name, as `tallyfold-cli company set FIELD=VALUE ...`
// does before the Company Manager exists, and the checks the company options screen applies
// on Save. A value is refused with a sentence that names the field and says why; nothing the
// user typed is cut or replaced.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tf::shell {

struct CompanySetting {
  std::string field;  // a record field name, e.g. "TaxRate" (compared without regard to case)
  std::string value;  // as typed, UTF-8
};

// Writes each setting into `record` (a company record). Returns one sentence per refused
// setting; the record is changed only when every setting was accepted. The fields the program
// keeps itself (number, balance, run dates, last invoice number) are refused.
std::vector<std::string> ApplyCompanySettings(std::span<std::uint8_t> record,
                                              const std::vector<CompanySetting>& settings);

// One failed check of the options screen: its message and caption, and the record field it is
// about (the screen focuses that field's control).
struct OptionProblem {
  std::string text;
  std::string caption;
  std::string field;  // e.g. "AgingDays2"
};

// The options screen's checks on Save for a company being edited, in their order: the e-mail
// address has an "@", a name is given, the number is 1 to 32000 (these three stop at the first
// failure; the later ones all run), each aging category lies at least 2 days above the one
// before, the tax rate is a number from 0 to 100, the default quantity a number, the next
// invoice number digits only that leave room for the year-month prefix when it is on (at most
// 5 digits then, 9 without), and the number of copies 1 to 5. Empty values pass the last four.
std::vector<OptionProblem> CompanyOptionProblems(std::span<const std::uint8_t> record);

// The messages of the checks that fail.
std::vector<std::string> CheckCompanyOptions(std::span<const std::uint8_t> record);

}  // namespace tf::shell
