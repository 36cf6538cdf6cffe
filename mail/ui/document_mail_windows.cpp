#include "mail/ui/document_mail_windows.h"

#include <memory>

#include "invoicing/ui/inv_list.h"
#include "mail/documents/document_mail.h"
#include "statements/ui/statement_windows.h"

namespace tf::mail::ui {

void ConnectDocumentMail(shell::ui::TMainForm& main, MailSender& sender) {
  if (auto* invoices = main.findChild<invoicing::ui::Tinvlist*>()) {
    invoices->CheckMailReady = [&sender] { return sender.CheckMailReady(); };
    invoices->SendMail = InvoiceMail(sender);
    invoices->CloseMail = [&sender] { sender.CloseMail(); };
  }
  if (auto* statements = main.findChild<statements::ui::StatementWindows*>())
    statements->UseMailer(std::make_unique<StatementMailSender>(sender));
}

}  // namespace tf::mail::ui
