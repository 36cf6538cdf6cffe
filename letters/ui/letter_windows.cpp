#include "letters/ui/letter_windows.h"

namespace tf::letters::ui {

TLetterWiz& InstallLetterWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* wizard = new TLetterWiz({services.prompter, services.status, main.LabelQueue(),
                                 [&main] { return std::span<const std::uint8_t>(main.Book().Current()); }},
                                &main);
  wizard->ShowHelp = [&main](std::string_view topic) {
    if (main.ShowHelp) main.ShowHelp(topic);
  };
  // The label wizard may be installed after this window: looked up when the button is pressed.
  wizard->OpenQueue = [&main] {
    if (main.CommandAvailable(shell::CommandId::LabelWizard)) main.RunCommand(shell::CommandId::LabelWizard, false);
  };
  main.SetCommandHandler(shell::CommandId::LetterWizard, [wizard] { wizard->exec(); });
  return *wizard;
}

}  // namespace tf::letters::ui
