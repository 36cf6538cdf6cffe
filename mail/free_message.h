#pragma once
// The free message screen's model ("Send E-Mail Message"): a subject and a text typed once and
// sent to every customer of the label print queue, each in a message of its own. A customer
// without an address is left out (and counted) unless the company says to include them; a
// customer whose address cannot be used gets the message at the company's own address under a
// subject that names the customer, so nobody is skipped without a trace. A customer who stands
// in the queue twice still gets one message.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/help_topics.h"
#include "common/prompter.h"
#include "correspondence/label_queue.h"
#include "engine/rebuilding/rebuild_status.h"
#include "mail/mail_sender.h"

namespace tf::mail {

inline constexpr std::string_view kFreeMessageCaption = "Send E-Mail Message";
inline constexpr std::string_view kNoSubjectText = "You need an e-mail subject line.";
inline constexpr std::string_view kNoSubjectCaption = "E-Mail Subject";
inline constexpr std::string_view kNoReturnText = "You need a return e-mail address.";
inline constexpr std::string_view kNoReturnCaption = "E-Mail Address";
inline constexpr std::string_view kBadReturnText =
    "The return e-mail address does not have the @ sign included. Bad e-mail address.";
inline constexpr std::string_view kBadReturnCaption = "Return E-Mail Address";
inline constexpr std::string_view kNoBodyText = "You have not entered a message to send.";
inline constexpr std::string_view kNoBodyCaption = "Message Text";
inline constexpr std::string_view kEmptyQueueText =
    "You do not have any customers selected (listed) in the print queue. Select the Queue button to add "
    "customers to the queue.";
inline constexpr std::string_view kEmptyQueueCaption = "Print Queue";
inline constexpr std::string_view kHelpTopic = common::help::kEMailMessage;

struct FreeMessageServices {
  common::Prompter& prompter;
  engine::RebuildStatus& progress;  // the progress window
  engine::RebuildStatus& status;    // the rebuild status, should the customer file need repair
  MailSender& sender;
  correspondence::LabelQueue& queue;
  std::function<std::span<const std::uint8_t>()> company;  // the current company record
};

class FreeMessage {
 public:
  enum class Field { None, Subject, ReturnAddress, Body, Queue };

  explicit FreeMessage(FreeMessageServices services) : services_(std::move(services)) {}

  // On showing: the return address from the company.
  void Show();
  // On closing: the progress window goes.
  void Close() { services_.progress.Close(); }
  // "Records in Queue: " + entries.
  std::string QueueText() const;

  // The checks in their order, then the run. The field to focus when a check fails, else None.
  Field Send();

  // UTF-8, as typed. The body's lines are separated by line breaks.
  std::string ReturnAddress;
  std::string Subject;
  std::string Body;

  // Of the last run.
  int Sent() const { return sent_; }

 private:
  bool Check(Field& field);
  void Run();

  FreeMessageServices services_;
  int sent_ = 0;
};

}  // namespace tf::mail
