#include <system_error>

#include "app/cli/cli.h"
#include "app/cli/commands.h"

namespace tf::cli {

int RunInit(CommandContext& c, const std::vector<std::string>& args) {
  if (!args.empty()) {
    c.err << "tallyfold-cli: init takes one folder\n";
    return kExitUsage;
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  bool existed = fs::is_directory(c.dataFolder, ec);
  if (!existed) {
    fs::create_directories(c.dataFolder, ec);
    if (ec) {
      c.err << "tallyfold-cli: cannot create " << c.dataFolder.string() << ": " << ec.message() << "\n";
      return kExitUsage;
    }
  }
  fs::current_path(c.dataFolder, ec);
  if (ec) {
    c.err << "tallyfold-cli: cannot enter " << c.dataFolder.string() << ": " << ec.message() << "\n";
    return kExitUsage;
  }
  c.out << (existed ? "data folder " : "created data folder ") << c.dataFolder.string() << "\n";

  for (const StarterStep& step : c.extensions.starterSteps) {
    std::string error = step.run();
    if (!error.empty()) {
      c.err << "tallyfold-cli: " << step.description << ": " << error << "\n";
      return kExitUsage;
    }
    c.out << "  " << step.description << "\n";
  }
  return kExitOk;
}

}  // namespace tf::cli
