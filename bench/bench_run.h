#pragma once
// The pieces every generated-company benchmark's main needs: its `--name VALUE` options, the
// processor time it used (on a shared machine the wall time also counts the waits for a core)
// and a phase run in a child process of its own, so that each peak memory is its own.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <utility>

#include "engine/core/engine.h"

namespace tf::bench {

// True when argv[i] is `name` and a value follows: the value is taken and i moved onto it.
inline bool Arg(int& i, int argc, char** argv, const char* name, std::string& value) {
  if (std::string(argv[i]) != name || i + 1 >= argc) return false;
  value = argv[++i];
  return true;
}

// The processor time of this process so far, in seconds.
inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The same, split into user and system time.
inline std::pair<double, double> UserAndSystemSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return {s(usage.ru_utime), s(usage.ru_stime)};
}

// Runs `work` in a child process with a fresh engine of `buffers` page buffers; its exit status.
template <class Work>
int InChild(int buffers, Work work) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    engine::InitEngine(0, buffers);
    const int status = work();
    engine::ExitEngine();
    std::fflush(stdout);
    _exit(status);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace tf::bench
