#pragma once
// The secure-submission settings of a company: beside the company record (whose layout stays as
// it is) in two small files of the data folder, "<number>MAIL.CFG" (port, security, user name,
// a certificate to trust) and "<number>MAILPW.CFG" (the password), which only its owner may
// read. A company without them sends as it always did: plain SMTP on port 25, no sign-in.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tf::mail {

enum class MailSecurity { None, StartTls, Tls };

struct MailSettings {
  int port = 0;  // 0: the usual port of the security (25, 587, 465)
  MailSecurity security = MailSecurity::None;
  std::string user;
  std::string password;
  std::string trustCertificate;  // a PEM file trusted besides the system's store

  int Port() const;
};

std::string MailSettingsFileName(std::string_view companyNumber);
std::string MailPasswordFileName(std::string_view companyNumber);

// Reads the company's settings from the working directory; missing files give the defaults.
// Nothing, with `error` set, when a file cannot be read or holds something unknown.
std::optional<MailSettings> LoadMailSettings(std::string_view companyNumber, std::string& error);
// Writes both files whole (the password file with owner-only permissions). False with `error`.
bool SaveMailSettings(std::string_view companyNumber, const MailSettings& settings, std::string& error);

// The keys `tallyfold-cli company set` takes for these settings.
bool IsMailSettingKey(std::string_view key);
// Applies "MailPort", "MailSecurity" (none, starttls, tls), "MailUser", "MailPassword",
// "MailTrustCertificate"; one sentence per refused value, and then the settings are unchanged.
std::vector<std::string> ApplyMailSettings(MailSettings& settings,
                                           const std::vector<std::pair<std::string, std::string>>& pairs);
// The lines `company show` adds (the password only as set or not).
std::vector<std::string> DescribeMailSettings(const MailSettings& settings);

}  // namespace tf::mail
