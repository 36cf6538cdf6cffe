#include "invoicing/ui/invoicing_windows.h"

namespace tf::invoicing::ui {

void InstallInvoicingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* terms = new TTermEdit(services.prompter, &main);
  main.SetCommandHandler(shell::CommandId::EditTerms, [terms] { terms->exec(); });
}

}  // namespace tf::invoicing::ui
