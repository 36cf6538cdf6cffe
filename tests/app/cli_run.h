#pragma once
// The command-line tool run in-process, as the tests call it: its exit status and what it
// wrote to each stream.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli.h"

namespace tf::cli::testing {

struct ToolRun {
  int status;
  std::string out, err;
};

inline ToolRun RunTool(const std::vector<std::string>& args, const Extensions& ext = BuiltInExtensions()) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err, ext);
  return {status, out.str(), err.str()};
}

// With the current folder as the data folder.
inline ToolRun RunToolHere(std::vector<std::string> args) {
  args.push_back("--data");
  args.push_back(std::filesystem::current_path().string());
  return RunTool(args);
}

}  // namespace tf::cli::testing
