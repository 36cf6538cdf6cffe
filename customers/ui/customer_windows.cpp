#include "customers/ui/customer_windows.h"

namespace tf::customers::ui {

TDemoForm& InstallCustomerWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* manager = new TDemoForm(
      {{main.Book(), services.prompter, services.status, services.reports, services.clock},
       main.LabelQueue(),
       [&main] { return main.Output() == shell::OutputMode::EMail; }},
      &main);
  main.SetCommandHandler(shell::CommandId::CustomerManager, [manager] { manager->exec(); });
  return *manager;
}

}  // namespace tf::customers::ui
