#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/help_text.h"
#include "common/program_version.h"

namespace tf::cli {

int RunHelp(CommandContext& c, const std::vector<std::string>&) {
  c.out << "tallyfold-cli: " << kCliPurpose << "\n\nUsage: " << kCliSynopsis << "\n\n";
  for (const app::OptionText& option : kCliOptions) {
    std::string name = option.name;
    c.out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') << option.text << "\n";
  }
  c.out << "\nCommands:\n";
  for (const Command& command : Commands()) {
    std::string head = std::string(command.name) + (*command.usage ? " " : "") + command.usage;
    c.out << "  " << head << std::string(head.size() < 22 ? 22 - head.size() : 1, ' ')
          << command.summary << "\n";
  }
  c.out << "\nExit status: " << kCliExitStatus << "\n";

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

int RunVersion(CommandContext& c, const std::vector<std::string>&) {
  c.out << "tallyfold-cli " << common::kProgramVersion << "\n";
  return kExitOk;
}

}  // namespace tf::cli
