// tallyfold-manpages DIR: writes the manual pages tallyfold.1 and tallyfold-cli.1 into DIR. Run
// by the build, so the pages always say what the programs' --help says.

#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/cli/help_text.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: tallyfold-manpages DIR\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::ofstream program(folder / "tallyfold.1");
  tf::cli::WriteProgramManualPage(program);
  std::ofstream tool(folder / "tallyfold-cli.1");
  tf::cli::WriteCliManualPage(tool, tf::cli::BuiltInExtensions());
  program.close();
  tool.close();
  if (!program || !tool) {
    std::cerr << "tallyfold-manpages: cannot write the manual pages into " << folder.string() << "\n";
    return 1;
  }
  return 0;
}
