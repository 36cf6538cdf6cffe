#include "shell/company_settings.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <variant>

#include "common/csv.h"
#include "common/integer_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/text.h"
#include "records/company_fields.h"
#include "records/company_record.h"

namespace tf::shell {
namespace {

namespace company = records::company;

// What a field accepts beyond fitting its width.
enum class Rule { Free, Digits, Decimal, Code, Kept };

struct FieldRule {
  const char* name;
  Rule rule;
  const char* codes = "";  // Rule::Code: the one-letter values allowed
};

// Fields not listed are free text, flags, booleans or fonts by their type.
const FieldRule kRules[] = {
    {"CompanyNumber", Rule::Kept},      {"CompanyBalance", Rule::Kept},     {"LastAgingDate", Rule::Kept},
    {"LastInvoiceNumber", Rule::Kept},  {"InterestLastRun", Rule::Kept},    {"StatementBatchDate", Rule::Kept},
    {"RepeatLastRun", Rule::Kept},      {"NextInvoiceNumber", Rule::Digits}, {"AgingDays1", Rule::Digits},
    {"AgingDays2", Rule::Digits},       {"AgingDays3", Rule::Digits},       {"LineWidth", Rule::Digits},
    {"BoxTop", Rule::Digits},           {"TopFormMargin", Rule::Digits},    {"LeftFormMargin", Rule::Digits},
    {"MaxLines", Rule::Digits},         {"EnvLineSpacing", Rule::Digits},   {"EnvLeftMargin", Rule::Digits},
    {"EnvTopMargin", Rule::Digits},     {"EnvSendAddressLeft", Rule::Digits}, {"PushAddressRight", Rule::Digits},
    {"TaxRate", Rule::Decimal},         {"DefaultQuantity", Rule::Decimal}, {"InterestMinimum", Rule::Decimal},
    {"InterestPercent", Rule::Decimal}, {"DateFormat", Rule::Code, "MD"},   {"DefaultInvoiceType", Rule::Code, "PM"},
    {"EnvOrientation", Rule::Code, "LP"}, {"EnvAddressSource", Rule::Code, "SB"},
    {"InvoiceCopies", Rule::Code, "12345"},
};

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

Rule RuleOf(std::string_view name, std::string& codes) {
  for (const FieldRule& r : kRules)
    if (SameName(r.name, name)) {
      codes = r.codes;
      return r.rule;
    }
  return Rule::Free;
}

bool AllDigits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsDecimal(std::string_view t) {
  const std::size_t dot = t.find('.');
  if (dot == std::string_view::npos) return AllDigits(t);
  return AllDigits(t.substr(0, dot)) && (dot + 1 == t.size() || AllDigits(t.substr(dot + 1)));
}

// The first character of valid UTF-8 text that Latin-1 cannot hold, as UTF-8; empty when
// there is none. Invalid UTF-8 gives "?" so the caller can still say something useful.
std::string FirstWideCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > utf8.size()) return "?";
    if (n > 2 || c > 0xC3) return std::string(utf8.substr(i, n));
    i += n;
  }
  return {};
}

// The typed text as the record stores it (Latin-1), or the reason it cannot be stored.
std::optional<std::string> StoredText(const std::string& name, std::string_view value, std::size_t capacity,
                                      std::string& problem) {
  std::optional<std::string> latin1 = common::Utf8ToLatin1(value);
  if (!latin1) {
    const std::string wide = FirstWideCharacter(value);
    problem = wide.empty() || wide == "?"
                  ? name + ": the text is not valid UTF-8."
                  : name + ": the character \"" + wide + "\" cannot be stored (the files hold Latin-1 text only).";
    return std::nullopt;
  }
  for (char c : *latin1)
    if (static_cast<unsigned char>(c) < 32 || c == 127) {
      problem = name + ": control characters (tabs, line breaks) are not allowed.";
      return std::nullopt;
    }
  if (latin1->size() > capacity) {
    problem = name + ": \"" + std::string(value) + "\" is " + std::to_string(latin1->size()) +
              " characters long; at most " + std::to_string(capacity) + " fit.";
    return std::nullopt;
  }
  return latin1;
}

std::optional<bool> YesNo(std::string_view value) {
  const std::string v = common::UpperCase(common::TrimBoth(value));
  if (v == "Y" || v == "YES") return true;
  if (v == "N" || v == "NO") return false;
  return std::nullopt;
}

// "Face,Size[,Colour[,Style]]".
std::optional<common::FontSpec> ParseFont(std::string_view value, std::size_t faceCapacity, std::string& why) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : value) {
    if (c == ',') {
      parts.push_back(common::TrimBoth(part));
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(common::TrimBoth(part));
  if (parts.size() < 2 || parts.size() > 4 || parts[0].empty()) {
    why = "give a font as FACE,SIZE[,COLOUR[,STYLE]], e.g. \"Courier New,10\".";
    return std::nullopt;
  }
  for (std::size_t i = 1; i < parts.size(); ++i)
    if (!common::IsInteger(parts[i]) || common::LeadingIntegerValue(parts[i]) < 0) {
      why = "the size, colour and style of a font are whole numbers of 0 or more.";
      return std::nullopt;
    }
  std::optional<std::string> face = common::Utf8ToLatin1(parts[0]);
  if (!face || face->size() > faceCapacity) {
    why = "the face name must be Latin-1 text of at most " + std::to_string(faceCapacity) + " characters.";
    return std::nullopt;
  }
  common::FontSpec font;
  font.face = *face;
  font.size = std::int32_t(common::LeadingIntegerValue(parts[1]));
  if (parts.size() > 2) font.colour = std::int32_t(common::LeadingIntegerValue(parts[2]));
  if (parts.size() > 3) {
    if (common::LeadingIntegerValue(parts[3]) > 255) {
      why = "a font's style is 0 to 255.";
      return std::nullopt;
    }
    font.style = std::uint8_t(common::LeadingIntegerValue(parts[3]));
  }
  return font;
}

// Writes one setting; empty when done, else the sentence that refuses it.
std::string Apply(std::span<std::uint8_t> record, const CompanySetting& setting) {
  const records::company::NamedField* field = nullptr;
  for (const auto& f : company::CompanyFields())
    if (SameName(f.name, setting.field)) field = &f;
  if (!field) return "There is no company field \"" + setting.field + "\" (tallyfold-cli company show lists them).";
  const std::string name = field->name;
  std::string codes;
  const Rule rule = RuleOf(name, codes);
  if (rule == Rule::Kept) return name + " is kept by the program itself and cannot be set.";

  std::string problem;
  if (const auto* text = std::get_if<common::TextField>(&field->field)) {
    std::optional<std::string> stored = StoredText(name, setting.value, text->capacity, problem);
    if (!stored) return problem;
    const std::string trimmed = common::TrimBoth(*stored);
    if (rule == Rule::Digits && !trimmed.empty() && !AllDigits(trimmed))
      return name + ": \"" + setting.value + "\" is not a whole number of digits.";
    if (rule == Rule::Decimal && !trimmed.empty() && !IsDecimal(trimmed))
      return name + ": \"" + setting.value + "\" is not a number (digits and one \".\", no commas).";
    if (rule == Rule::Code) {
      const std::string code = common::UpperCase(trimmed);
      if (code.size() != 1 || std::string_view(codes).find(code[0]) == std::string_view::npos) {
        std::string allowed;
        for (char c : std::string_view(codes)) allowed += std::string(allowed.empty() ? "" : ", ") + c;
        return name + ": \"" + setting.value + "\" is not one of " + allowed + ".";
      }
      common::WriteText(record, *text, code);
      return {};
    }
    common::WriteText(record, *text, rule == Rule::Free ? *stored : trimmed);
    return {};
  }
  if (const auto* flag = std::get_if<common::FlagField>(&field->field)) {
    std::optional<bool> yes = YesNo(setting.value);
    if (!yes) return name + ": \"" + setting.value + "\" is not Y or N.";
    common::WriteText(record, common::TextField{flag->offset, 1}, *yes ? "Y" : "N");
    return {};
  }
  if (const auto* boolean = std::get_if<common::BoolField>(&field->field)) {
    std::optional<bool> yes = YesNo(setting.value);
    if (!yes) return name + ": \"" + setting.value + "\" is not Y or N.";
    common::WriteBool(record, *boolean, *yes);
    return {};
  }
  const auto& fontField = std::get<common::FontSpecField>(field->field);
  std::string why;
  std::optional<common::FontSpec> font = ParseFont(setting.value, fontField.faceCapacity, why);
  if (!font) return name + ": " + why;
  common::WriteFontSpec(record, fontField, *font);
  return {};
}

}  // namespace

std::vector<std::string> ApplyCompanySettings(std::span<std::uint8_t> record,
                                              const std::vector<CompanySetting>& settings) {
  common::RecordBuffer changed(record.size());
  std::copy(record.begin(), record.end(), changed.begin());
  std::vector<std::string> problems;
  for (const CompanySetting& s : settings)
    if (std::string p = Apply(changed, s); !p.empty()) problems.push_back(p);
  if (problems.empty()) std::copy(changed.begin(), changed.end(), record.begin());
  return problems;
}

std::vector<OptionProblem> CompanyOptionProblems(std::span<const std::uint8_t> record) {
  std::vector<OptionProblem> failed;
  const std::string email = common::TrimBoth(common::ReadText(record, company::kEMailAddress));
  if (!email.empty() && email.find('@') == std::string::npos) {
    failed.push_back({"Your company e-mail address does not have the @ sign included. Bad e-mail address.",
                      "Company E-Mail Address", "EMailAddress"});
    return failed;
  }
  if (common::TrimBoth(common::ReadText(record, company::kCompanyName)).empty()) {
    failed.push_back({"A company name is required.", "Invalid Company Name", "CompanyName"});
    return failed;
  }
  std::string number = common::TrimBoth(common::ReadText(record, company::kCompanyNumber));
  if (number.empty()) number = "0";
  if (!common::IsInteger(number)) {
    failed.push_back({"The company number field is numeric and valid values are 1 to 32000.", "Invalid Company Number",
                      "CompanyNumber"});
    return failed;
  }
  const std::int64_t n = common::LeadingIntegerValue(number);
  if (n < 1 || n > 32000)
    failed.push_back({"The Company number must be between 0 and 32001.", "Invalid Company Number", "CompanyNumber"});
  auto days = [&](common::TextField f) { return common::LeadingIntegerValue(common::ReadText(record, f)); };
  const std::int64_t d1 = days(company::kAgingDays1), d2 = days(company::kAgingDays2), d3 = days(company::kAgingDays3);
  if (d2 < d1 + 2)
    failed.push_back({"The aging days for category 2 must be greater than category 1 by at least 2 days.",
                      "Aging Category 2", "AgingDays2"});
  if (d3 < d2 + 2)
    failed.push_back({"The aging days for category 3 must be greater than category 2 by at least 2 days.",
                      "Aging Category 3", "AgingDays3"});

  // Values the rest of the program computes with: a rate entry multiplies by, a quantity it
  // proposes, a number it counts on from and a count of copies it prints.
  const std::string rate = common::TrimBoth(common::ReadText(record, company::kTaxRate));
  if (!rate.empty() && (!IsDecimal(rate) || std::stod(rate) > 100.0))
    failed.push_back({"The tax rate must be a number from 0 to 100, such as 8.125.", "Tax Rate", "TaxRate"});
  const std::string quantity = common::TrimBoth(common::ReadText(record, company::kDefaultQuantity));
  if (!quantity.empty() && !IsDecimal(quantity))
    failed.push_back({"The default invoice quantity must be a number, such as 1.00.", "Default Invoice Quantity",
                      "DefaultQuantity"});
  const std::string next = common::TrimBoth(common::ReadText(record, company::kNextInvoiceNumber));
  const bool prefixed = common::ReadFlag(record, company::kYearMonthPrefix);
  if (!next.empty() && (!AllDigits(next) || next.size() > (prefixed ? 5u : 9u)))
    failed.push_back({prefixed ? "The next invoice number must be digits only, at most 5 of them: the year and month "
                                 "take the first 4 of the 9 places of an invoice number."
                               : "The next invoice number must be digits only, at most 9 of them.",
                      "Next Invoice Number", "NextInvoiceNumber"});
  const std::string copies = common::TrimBoth(common::ReadText(record, company::kInvoiceCopies));
  if (!copies.empty() && (copies.size() != 1 || copies[0] < '1' || copies[0] > '5'))
    failed.push_back({"The number of copies of each invoice must be 1 to 5.", "Number Copies", "InvoiceCopies"});
  return failed;
}

std::vector<std::string> CheckCompanyOptions(std::span<const std::uint8_t> record) {
  std::vector<std::string> texts;
  for (const OptionProblem& p : CompanyOptionProblems(record)) texts.push_back(p.text);
  return texts;
}

}  // namespace tf::shell
