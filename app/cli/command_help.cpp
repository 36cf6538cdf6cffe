#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/commands.h"

namespace tf::cli {

int RunHelp(CommandContext& c, const std::vector<std::string>&) {
  c.out << "tallyfold-cli: headless jobs on a Tallyfold data folder\n\n"
           "Usage: tallyfold-cli [--data DIR] COMMAND [ARGS]\n\n"
           "  --data DIR  the data folder; default $XDG_DATA_HOME/tallyfold, else\n"
           "              $HOME/.local/share/tallyfold. Commands run inside it.\n\n"
           "Commands:\n";
  for (const Command& command : Commands()) {
    std::string head = std::string(command.name) + (*command.usage ? " " : "") + command.usage;
    c.out << "  " << head << std::string(head.size() < 22 ? 22 - head.size() : 1, ' ')
          << command.summary << "\n";
  }
  c.out << "\nExit status: 0 done and clean, 1 problems found, 2 usage or folder error.\n";

  const auto& kinds = c.extensions.recordKinds.All();
  c.out << "\nRecord kinds shown field by field and checked against their keys:";
  if (kinds.empty()) c.out << " none yet";
  c.out << "\n";
  for (const records::RecordKind& kind : kinds)
    c.out << "  " << kind.name << " (file blocks " << kind.blockPattern << ")\n";

  std::error_code ec;
  c.out << "\nData folder: " << c.dataFolder.string()
        << (std::filesystem::is_directory(c.dataFolder, ec) ? "" : " (does not exist yet)") << "\n";
  return kExitOk;
}

}  // namespace tf::cli
