#pragma once
// The mail keys of `company set` (MailPort, MailSecurity, MailUser, MailPassword,
// MailTrustCertificate): they live in the company's mail settings files, not in its record.
// They are taken out of the list and checked first, and written only after the record's own
// settings were taken, so a refused value anywhere changes nothing.

#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "mail/mail_settings.h"

namespace tf::cli {

class MailSettingsChange {
 public:
  MailSettingsChange(CommandContext& c, std::string number) : c_(c), number_(std::move(number)) {}
  // The FIELD=VALUE pairs that are not mail keys. A refused mail value is reported, and Ok()
  // is false then.
  std::vector<std::string> Take(const std::vector<std::string>& pairs);
  bool Ok() const { return ok_; }
  bool Any() const { return any_; }
  // Writes the files; the tool's exit status.
  int Save();

 private:
  CommandContext& c_;
  std::string number_;
  mail::MailSettings settings_;
  bool ok_ = true;
  bool any_ = false;
};

// The mail settings as `company show` lists them; false, reported, when they cannot be read.
bool ShowMailSettings(CommandContext& c, const std::string& number);

}  // namespace tf::cli
