#include "reports/ui/report_windows.h"

#include "common/ui/cal_form.h"
#include "reports/ui/report_forms.h"

namespace tf::reports::ui {

void InstallReportWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* result = new Trtreport(services.prompter, &main);
  auto* select = new TRptSelect({services.prompter, services.clock, services.status,
                                 [&main] { return std::span<const std::uint8_t>(main.Book().Current()); }},
                                *result, &main);
  common::ui::TCalForm* calendar = main.CalForm;
  select->ChooseDate = [calendar](std::chrono::year_month_day date, common::DateFormat format,
                                  const std::string& title, QWidget* field) -> std::optional<std::string> {
    if (!calendar) return std::nullopt;
    calendar->SetTitle(title);
    std::optional<std::string> chosen = calendar->Choose(date, format, field);
    calendar->SetTitle({});
    return chosen;
  };
  main.SetCommandHandler(shell::CommandId::ReportWizard, [select] { select->exec(); });
}

}  // namespace tf::reports::ui
