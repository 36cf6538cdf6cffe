#include "aging/ui/aging_windows.h"

namespace tf::aging::ui {

TAgingChart* InstallAgingWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* chart = new TAgingChart(main, services);
  main.RunAging = [chart] { chart->RunAging(); };
  main.SetCommandHandler(shell::CommandId::AgingChart, [chart] { chart->AgingChart1Click(); });
  return chart;
}

}  // namespace tf::aging::ui
