#pragma once
// Invoices and statements out by e-mail from the windows: ConnectDocumentMail gives the
// Invoice Manager (Print, Batch Print, entry's "Print Invoice") and the Customer Manager's
// statements (single and batch) the run's one mail sender, the one InstallMailWindows returns.
// Called once both are installed; a window that is missing is left as it is.

#include "mail/mail_sender.h"
#include "shell/ui/main_form.h"

namespace tf::mail::ui {

void ConnectDocumentMail(shell::ui::TMainForm& main, MailSender& sender);

}  // namespace tf::mail::ui
