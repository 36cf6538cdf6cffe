// `mail test`: one message from the company's address to itself through its mail host, with
// the whole conversation printed, for setting up a new mail host. The secrets of a sign-in are
// not printed.

#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "app/cli/mail_tool.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "mail/mail_sender.h"
#include "records/company_record.h"

namespace tf::cli {

int RunMail(CommandContext& c, const std::vector<std::string>& args) {
  std::optional<std::string> chosen;
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, chosen, rest)) return kExitUsage;
  if (rest.size() != 1 || rest[0] != "test") {
    c.err << "tallyfold-cli: mail takes test (and --company N).\n";
    return kExitUsage;
  }
  std::string number;
  if (!ChosenCompanyNumber(c, chosen, number)) return kExitUsage;
  common::RecordBuffer record(records::company::kCompanyRecordLength);
  {
    EngineScope engine;
    if (!ReadCompany(c, number, record)) return kExitUsage;
  }
  ToolMailSender tool(c.err, number, record);
  mail::TMailSender& sender = *tool;
  sender.SetTrace([&](char direction, std::string_view line) {
    c.out << (direction == '>' ? "> " : "< ") << common::Latin1ToUtf8(line) << "\n";
  });
  const std::string address = tool.Address();
  c.out << "Connecting to " << mail::MailText(common::TrimBoth(common::ReadText(record, records::company::kSMTPHost)))
        << " for company " << number << ".\n";
  if (!sender.CheckMailReady()) return kExitProblems;
  const mail::MailOutcome sent = sender.SendMessage(mail::MakeMessage(
      address, address, "Tallyfold mail test",
      {"This message was sent by tallyfold-cli mail test to check the company's mail settings.",
       "It reached you, so invoices and statements can go out by e-mail."}));
  if (sent.result == mail::MailResult::Refused) c.err << "tallyfold-cli: the mail server refused the message:\n" << sent.text << "\n";
  sender.CloseMail();
  if (!sent.Sent()) return kExitProblems;
  c.out << "The test message to " << address << " was accepted by the mail server.\n";
  return kExitOk;
}

}  // namespace tf::cli
