#include "correspondence/ui/label_windows.h"

#include "customers/ui/demo_form.h"

namespace tf::correspondence::ui {

Tlblwiz& InstallLabelWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* wizard = new Tlblwiz({main.LabelQueue(), services.prompter, services.status,
                              [&main] { return std::span<const std::uint8_t>(main.Book().Current()); }},
                             &main);
  // The Customer Manager may be installed after this window: looked up at each pick.
  wizard->PickCustomer = [&main]() -> std::optional<common::RecordBuffer> {
    auto* customers = main.findChild<customers::ui::TDemoForm*>();
    if (!customers) return std::nullopt;
    return customers->PickCustomer("", "");
  };
  wizard->ShowHelp = [&main](std::string_view topic) { main.ShowHelp(topic); };
  main.SetCommandHandler(shell::CommandId::LabelWizard, [wizard] { wizard->exec(); });
  return *wizard;
}

}  // namespace tf::correspondence::ui
