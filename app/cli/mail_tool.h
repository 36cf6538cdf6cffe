#pragma once
// The tool's mail sender: the one the windows use (TMailSender on the company's mail settings),
// with what the windows would show in a message box written to the error stream as plain
// sentences, and nothing of a progress window. `mail test`, `print ... --email` and
// `statements ... --email` send through it.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "app/cli/import_support.h"
#include "common/prompter.h"
#include "mail/mail_sender.h"

namespace tf::cli {

class PrintingPrompter : public common::Prompter {
 public:
  explicit PrintingPrompter(std::ostream& err) : err_(err) {}
  common::PromptAnswer Show(const common::PromptMessage& m) override;

 private:
  std::ostream& err_;
};

class ToolMailSender {
 public:
  // Company `number` with its record `company` (read for the address and host).
  ToolMailSender(std::ostream& err, const std::string& number, std::span<const std::uint8_t> company);
  mail::TMailSender& operator*() { return sender_; }
  mail::TMailSender* operator->() { return &sender_; }
  // The company's address as a message carries it (UTF-8).
  std::string Address() const;

 private:
  PrintingPrompter prompter_;
  SilentStatus progress_;
  mail::MailCompany settings_;
  mail::TMailSender sender_;
};

}  // namespace tf::cli
