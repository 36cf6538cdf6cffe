#include "mail/free_message.h"

#include <set>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::mail {
namespace {

namespace company = records::company;
namespace customer = records::customer;

std::string Upper(std::string text) {
  for (char& ch : text)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return text;
}

}  // namespace

void FreeMessage::Show() {
  ReturnAddress = MailText(common::TrimBoth(common::ReadText(services_.company(), company::kEMailAddress)));
}

std::string FreeMessage::QueueText() const {
  return "Records in Queue: " + std::to_string(services_.queue.Size());
}

bool FreeMessage::Check(Field& field) {
  common::Prompter& p = services_.prompter;
  const std::string returnAddress = common::TrimBoth(ReturnAddress);
  if (common::TrimBoth(Subject).empty()) {
    p.Inform(kNoSubjectText, kNoSubjectCaption);
    field = Field::Subject;
  } else if (returnAddress.empty()) {
    p.Inform(kNoReturnText, kNoReturnCaption);
    field = Field::ReturnAddress;
  } else if (!IsValidMailAddress(returnAddress)) {
    // Without "@", with a space or a second "@": the server could not take it either way.
    p.Inform(kBadReturnText, kBadReturnCaption);
    field = Field::ReturnAddress;
  } else if (Body.empty()) {
    p.Inform(kNoBodyText, kNoBodyCaption);
    field = Field::Body;
  } else if (services_.queue.Size() == 0) {
    p.Inform(kEmptyQueueText, kEmptyQueueCaption);
    field = Field::Queue;
  } else {
    return true;
  }
  return false;
}

FreeMessage::Field FreeMessage::Send() {
  Field field = Field::None;
  if (Check(field)) Run();
  return field;
}

void FreeMessage::Run() {
  sent_ = 0;
  const std::span<const std::uint8_t> co = services_.company();
  engine::FileBlock* file = nullptr;
  if (!customer::OpenCustomerFile(file, common::ReadText(co, company::kCompanyNumber), services_.prompter,
                                  services_.status))
    return;
  engine::FileBlockGuard guard(file);
  MailSender& sender = services_.sender;
  if (!sender.CheckMailReady()) return;

  const std::vector<std::string> body = SplitBodyLines({Body});
  const std::string from = common::TrimBoth(ReturnAddress);
  const std::string companyAddress = MailText(common::TrimBoth(common::ReadText(co, company::kEMailAddress)));
  const bool includeNoAddress = common::ReadFlag(co, company::kEMailIncludeNoAddress);
  services_.progress.Show(kProgressCaption);
  services_.progress.Lines("Working...", "", "");

  int skipped = 0;
  int missing = 0;
  bool lost = false;
  std::set<std::string> done;
  common::RecordBuffer record = customer::NewCustomerRecord();
  for (const correspondence::LabelQueueEntry& entry : services_.queue.Entries()) {
    if (!sender.Connected()) {
      lost = true;
      break;
    }
    // One message per customer, however often the queue holds it.
    const std::string number = Upper(common::TrimBoth(entry.CustomerNumber));
    if (!done.insert(number).second) continue;
    if (!customer::FindCustomerByNumber(file, entry.CustomerNumber, record)) {
      if (!engine::EngineOK) {
        services_.progress.Close();
        services_.prompter.Inform("The customer file could not be read (status " +
                                      std::to_string(engine::EngineStatus) + "). " + std::to_string(sent_) +
                                      " e-mail messages were sent before it failed.",
                                  kMailErrorCaption);
        return;
      }
      ++missing;
      continue;
    }
    const std::string email = common::TrimBoth(common::ReadText(record, customer::kEMail));
    if (!includeNoAddress && email.empty()) {
      ++skipped;
      continue;
    }
    TMailMessage message;
    if (email.size() < 2 || !IsValidMailAddress(email)) {
      const std::string name = MailText(common::TrimBoth(common::ReadText(record, customer::kCustomerName)));
      message = MakeMessage(from, companyAddress, "BAD E-MAIL ADDRESS FOR: " + name, body);
    } else {
      message = MakeMessage(from, email, Subject, body);
    }
    const MailOutcome outcome = sender.SendMessage(message);
    if (outcome.Sent()) {
      ++sent_;
      services_.progress.Lines("E-Mail Sent: " + std::to_string(sent_), "", "");
    } else if (outcome.result == MailResult::Refused) {
      // The server's reason for this customer; the others still get theirs.
      services_.prompter.Inform(outcome.text, kMailErrorCaption);
    } else {
      lost = true;
      break;
    }
  }
  services_.progress.Close();
  // A lost connection was shown by the sender's error event; the run ends there, and the queue
  // stays marked as not dealt with.
  if (lost) return;
  if (skipped > 0)
    services_.prompter.Inform("There were " + std::to_string(skipped) +
                                  " empty customer e-mail addresses. The customers were not sent your message.",
                              "E-Mail Addresses");
  if (missing > 0)
    services_.prompter.Inform("There were " + std::to_string(missing) +
                                  " customers in the queue that are no longer on file. They were not sent your "
                                  "message.",
                              "E-Mail Addresses");
  services_.queue.SetUnsaved(false);
  services_.prompter.Inform("There were " + std::to_string(sent_) + " e-mail messages sent.", "E-Mail Sent");
}

}  // namespace tf::mail
