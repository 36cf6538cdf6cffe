#include "app/cli/mail_tool.h"

#include "common/record_fields.h"
#include "common/text.h"
#include "mail/mail_message.h"
#include "records/company_record.h"

namespace tf::cli {

common::PromptAnswer PrintingPrompter::Show(const common::PromptMessage& m) {
  err_ << "tallyfold-cli: " << m.text << "\n";
  return m.buttons == common::PromptButtons::YesNo ? common::PromptAnswer::No : common::PromptAnswer::Cancel;
}

ToolMailSender::ToolMailSender(std::ostream& err, const std::string& number, std::span<const std::uint8_t> company)
    : prompter_(err),
      settings_{number, common::ReadText(company, records::company::kEMailAddress),
                common::ReadText(company, records::company::kSMTPHost)},
      sender_({prompter_, progress_, [this] { return settings_; }}) {}

std::string ToolMailSender::Address() const { return mail::MailText(common::TrimBoth(settings_.emailAddress)); }

}  // namespace tf::cli
