#include "products/ui/product_windows.h"

namespace tf::products::ui {

TEditProd& InstallProductWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* manager = new TEditProd({main.Book(), services.prompter, services.status, services.reports, services.clock}, &main);
  main.SetCommandHandler(shell::CommandId::ProductManager, [manager] { manager->exec(); });
  return *manager;
}

}  // namespace tf::products::ui
