#include "maintenance/ui/maintenance_windows.h"

#include <QCoreApplication>

#include "common/date_text.h"
#include "common/ui/cal_form.h"
#include "maintenance/maintenance_commands.h"
#include "shell/ui/company_switch.h"

namespace tf::maintenance::ui {

MaintenanceWindows InstallMaintenanceWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  MaintenanceWindows windows;
  windows.passwordDialog = new TPWDlg(&main);
  TPWDlg* dialog = windows.passwordDialog;
  const PasswordDialog askPassword = [dialog](std::string_view title, bool showHelp) {
    return dialog->Run(title, showHelp);
  };
  common::Prompter& prompter = services.prompter;
  windows.checkPassword = [askPassword, &prompter] { return CheckPassword(askPassword, prompter); };
  main.OnPasswordCheck = windows.checkPassword;
  main.SetCommandHandler(shell::CommandId::PasswordSetup,
                         [askPassword, &prompter] { PasswordSetup(askPassword, prompter); });

  // The commands read the company current when they run.
  auto maintenance = [&main, services, check = windows.checkPassword] {
    return MaintenanceServices{
        main.Book(),
        services.prompter,
        services.status,
        services.clock,
        check,
        [&main](std::string_view title, std::chrono::year_month_day preset)
            -> std::optional<std::chrono::year_month_day> {
          main.CalForm->SetTitle(title);
          const std::optional<std::string> chosen = main.CalForm->Choose(preset, main.DateFormat());
          main.CalForm->SetTitle("");
          if (!chosen) return std::nullopt;
          return common::ParseDate(*chosen, main.DateFormat());
        },
        [&main](std::string_view text) { main.SetStatusText(text); },
    };
  };
  main.SetCommandHandler(shell::CommandId::RebuildDataFiles, [maintenance] { RebuildDataFiles(maintenance()); });
  main.SetCommandHandler(shell::CommandId::PurgePaidInvoices, [maintenance] { DeletePaidInvoices(maintenance()); });

  windows.backup = new TQZBkUp(services.prompter, services.clock, &main);
  TQZBkUp* backup = windows.backup;
  // Nothing may read the restored files with the company state of before: it is read again at
  // once, and a program that cannot read it ends.
  backup->OnRestored = [&main, services] {
    if (!shell::ui::ReloadCompany(main, services.prompter, services.status, services.clock))
      QCoreApplication::exit(1);
  };
  main.SetCommandHandler(shell::CommandId::BackupDataFiles, [backup] { backup->exec(); });
  main.OnOfferBackup = [backup] { backup->exec(); };
  return windows;
}

}  // namespace tf::maintenance::ui
