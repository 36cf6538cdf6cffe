// tallyfold-cli: headless jobs on a data folder (see `tallyfold-cli help`).

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tf::cli::RunCli(args, std::cout, std::cerr);
}
