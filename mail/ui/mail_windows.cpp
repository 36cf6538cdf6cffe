#include "mail/ui/mail_windows.h"

namespace tf::mail::ui {

MailSender& InstallMailWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* memo = new TEMMemo({services.prompter, services.status, main.LabelQueue(),
                            [&main] { return std::span<const std::uint8_t>(main.Book().Current()); }},
                           &main);
  memo->ShowHelp = [&main](std::string_view topic) { main.ShowHelp(topic); };
  // The label wizard may be installed after this window: asked each time the screen shows.
  memo->QueueAvailable = [&main] { return main.CommandAvailable(shell::CommandId::LabelWizard); };
  memo->OpenQueue = [&main] { main.RunCommand(shell::CommandId::LabelWizard, false); };
  main.SetCommandHandler(shell::CommandId::SendEMailMessage, [memo] { memo->exec(); });
  return memo->Sender();
}

}  // namespace tf::mail::ui
