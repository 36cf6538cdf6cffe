#include "app/cli/mail_settings_change.h"

#include <ostream>

#include "app/cli/cli.h"

namespace tf::cli {

std::vector<std::string> MailSettingsChange::Take(const std::vector<std::string>& pairs) {
  std::vector<std::string> rest;
  std::vector<std::pair<std::string, std::string>> mailPairs;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    if (eq != std::string::npos && mail::IsMailSettingKey(pair.substr(0, eq)))
      mailPairs.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    else
      rest.push_back(pair);
  }
  if (mailPairs.empty()) return rest;
  any_ = true;
  std::string error;
  const std::optional<mail::MailSettings> loaded = mail::LoadMailSettings(number_, error);
  if (!loaded) {
    c_.err << "tallyfold-cli: " << error << "; nothing was changed.\n";
    ok_ = false;
    return rest;
  }
  settings_ = *loaded;
  const std::vector<std::string> problems = mail::ApplyMailSettings(settings_, mailPairs);
  for (const std::string& p : problems) c_.err << p << "\n";
  if (!problems.empty()) {
    c_.err << "tallyfold-cli: nothing was changed.\n";
    ok_ = false;
  }
  return rest;
}

int MailSettingsChange::Save() {
  std::string error;
  if (!mail::SaveMailSettings(number_, settings_, error)) {
    c_.err << "tallyfold-cli: the mail settings were not changed: " << error << ".\n";
    return kExitProblems;
  }
  c_.out << "Changed the mail settings of company " << number_ << ".\n";
  return kExitOk;
}

bool ShowMailSettings(CommandContext& c, const std::string& number) {
  std::string error;
  const std::optional<mail::MailSettings> settings = mail::LoadMailSettings(number, error);
  if (!settings) {
    c.err << "tallyfold-cli: " << error << "\n";
    return false;
  }
  for (const std::string& line : mail::DescribeMailSettings(*settings)) c.out << line << "\n";
  return true;
}

}  // namespace tf::cli
