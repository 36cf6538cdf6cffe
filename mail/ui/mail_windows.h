#pragma once
// The mail windows the main window opens: InstallMailWindows creates the free message screen
// as a child of the main window, registers "Send E-Mail Message", and gives back the run's one
// mail sender for the windows that send invoices and statements by e-mail.

#include "mail/mail_sender.h"
#include "mail/ui/em_memo.h"
#include "shell/ui/main_form.h"

namespace tf::mail::ui {

MailSender& InstallMailWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::mail::ui
