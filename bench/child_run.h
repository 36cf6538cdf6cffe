#pragma once
// Runs the command-line tool in a child process, so that the peak memory measured is the
// command's own and not that of the program generating its input.

#include <string>
#include <vector>

namespace tf::bench {

struct ChildRun {
  int status = -1;      // the exit status, or 128 + the signal that ended it
  double seconds = 0;   // wall time
  long peakKiB = 0;     // peak resident memory of the child
};

// `tallyfold-cli` with `args`, its error output passed on to ours.
ChildRun RunCliChild(const std::vector<std::string>& args);

}  // namespace tf::bench
