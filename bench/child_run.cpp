#include "bench/child_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>

#include "app/cli/cli.h"

namespace tf::bench {

ChildRun RunCliChild(const std::vector<std::string>& args) {
  const auto start = std::chrono::steady_clock::now();
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    std::ostringstream out, err;
    const int status = tf::cli::RunCli(args, out, err);
    std::fputs(err.str().c_str(), stderr);
    _exit(status);
  }
  ChildRun m;
  int wstatus = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &wstatus, 0, &usage) != child) return m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  m.peakKiB = usage.ru_maxrss;
  return m;
}

}  // namespace tf::bench
