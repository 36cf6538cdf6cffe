#include "mail/mail_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/text.h"

namespace tf::mail {
namespace {

const char* SecurityName(MailSecurity s) {
  switch (s) {
    case MailSecurity::StartTls: return "starttls";
    case MailSecurity::Tls: return "tls";
    case MailSecurity::None: break;
  }
  return "none";
}

std::optional<MailSecurity> SecurityFrom(std::string_view text) {
  if (text == "none") return MailSecurity::None;
  if (text == "starttls") return MailSecurity::StartTls;
  if (text == "tls") return MailSecurity::Tls;
  return std::nullopt;
}

bool ReadWhole(const std::string& name, std::string& text, std::string& error) {
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;
    error = name + " could not be read (" + std::strerror(errno) + ")";
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

// Written beside the old file and put in its place only when whole, with `mode` from the start.
bool WriteWhole(const std::string& name, const std::string& text, mode_t mode, std::string& error) {
  const std::string temporary = name + ".NEW";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  bool ok = fd >= 0 && ::fchmod(fd, mode) == 0;
  std::size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  const int saved = errno;
  if (fd >= 0) ::close(fd);
  if (ok && ::rename(temporary.c_str(), name.c_str()) == 0) return true;
  error = name + " could not be written (" + std::strerror(ok ? errno : saved) + ")";
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace

int MailSettings::Port() const {
  if (port > 0) return port;
  return security == MailSecurity::StartTls ? 587 : security == MailSecurity::Tls ? 465 : 25;
}

std::string MailSettingsFileName(std::string_view companyNumber) {
  return common::TrimBoth(companyNumber) + "MAIL.CFG";
}
std::string MailPasswordFileName(std::string_view companyNumber) {
  return common::TrimBoth(companyNumber) + "MAILPW.CFG";
}

bool IsMailSettingKey(std::string_view key) {
  return key == "MailPort" || key == "MailSecurity" || key == "MailUser" || key == "MailPassword" ||
         key == "MailTrustCertificate";
}

std::vector<std::string> ApplyMailSettings(MailSettings& settings,
                                           const std::vector<std::pair<std::string, std::string>>& pairs) {
  MailSettings changed = settings;
  std::vector<std::string> problems;
  for (const auto& [key, value] : pairs) {
    if (value.find_first_of("\r\n") != std::string::npos) {
      problems.push_back(key + " may not hold a line break.");
    } else if (key == "MailPort") {
      int port = 0;
      const bool digits = !value.empty() && value.size() <= 5 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      if (digits) port = std::stoi(value);
      if (value.empty()) changed.port = 0;
      else if (!digits || port < 1 || port > 65535) problems.push_back("MailPort must be a port number from 1 to 65535.");
      else changed.port = port;
    } else if (key == "MailSecurity") {
      const auto s = SecurityFrom(value);
      if (!s) problems.push_back("MailSecurity must be none, starttls or tls.");
      else changed.security = *s;
    } else if (key == "MailUser") {
      changed.user = value;
    } else if (key == "MailPassword") {
      changed.password = value;
    } else if (key == "MailTrustCertificate") {
      changed.trustCertificate = value;
    }
  }
  // A password never crosses the network in the clear.
  if (problems.empty() && !changed.user.empty() && changed.security == MailSecurity::None)
    problems.push_back("MailUser needs MailSecurity starttls or tls: the password is only sent over a secure connection.");
  if (problems.empty()) settings = changed;
  return problems;
}

std::vector<std::string> DescribeMailSettings(const MailSettings& s) {
  return {"MailPort: " + std::to_string(s.Port()), std::string("MailSecurity: ") + SecurityName(s.security),
          "MailUser: " + s.user, std::string("MailPassword: ") + (s.password.empty() ? "(not set)" : "(set)"),
          "MailTrustCertificate: " + s.trustCertificate};
}

std::optional<MailSettings> LoadMailSettings(std::string_view companyNumber, std::string& error) {
  MailSettings settings;
  std::string text;
  const std::string name = MailSettingsFileName(companyNumber);
  if (!ReadWhole(name, text, error)) return std::nullopt;
  std::istringstream lines(text);
  std::string line;
  std::vector<std::pair<std::string, std::string>> pairs;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || !IsMailSettingKey(line.substr(0, eq)) || line.compare(0, eq, "MailPassword") == 0) {
      error = name + " holds a line this program does not know: " + line;
      return std::nullopt;
    }
    pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  std::string password;
  if (!ReadWhole(MailPasswordFileName(companyNumber), password, error)) return std::nullopt;
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
  pairs.emplace_back("MailPassword", password);
  const std::vector<std::string> problems = ApplyMailSettings(settings, pairs);
  if (!problems.empty()) {
    error = name + ": " + problems.front();
    return std::nullopt;
  }
  return settings;
}

bool SaveMailSettings(std::string_view companyNumber, const MailSettings& s, std::string& error) {
  std::string text;
  if (s.port > 0) text += "MailPort=" + std::to_string(s.port) + "\n";
  text += std::string("MailSecurity=") + SecurityName(s.security) + "\n";
  text += "MailUser=" + s.user + "\n";
  text += "MailTrustCertificate=" + s.trustCertificate + "\n";
  return WriteWhole(MailPasswordFileName(companyNumber), s.password + "\n", 0600, error) &&
         WriteWhole(MailSettingsFileName(companyNumber), text, 0644, error);
}

}  // namespace tf::mail
