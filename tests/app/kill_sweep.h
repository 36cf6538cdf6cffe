#pragma once
// Kill sweeps of the tool: a command run in a child process that dies at one file call after
// another, each time on a fresh copy of the same folder.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "engine/core/file_system.h"
#include "tests/support/fault_file_system.h"

namespace tf::test {

// The calls to die at, of a command making `total` file calls: `spread` points over all of
// them and every one of the last `tail` (where the switch of a staged change lies).
inline std::vector<long> KillPoints(long total, long spread, long tail) {
  std::vector<long> points;
  for (long n = 0; n < total; n += std::max(1L, total / spread)) points.push_back(n);
  for (long n = std::max(0L, total - tail); n < total; ++n) points.push_back(n);
  return points;
}

// Makes `folder` a copy of `pristine`, then runs the tool with `args` in a child process that
// dies at file call `dieAt` (or ends by itself before it).
inline void RunToolKilledAt(const std::filesystem::path& pristine, const std::filesystem::path& folder, long dieAt,
                            const std::vector<std::string>& args) {
  std::filesystem::remove_all(folder);
  std::filesystem::copy(pristine, folder, std::filesystem::copy_options::recursive);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FaultFileSystem dying;
    dying.CrashAt(std::size_t(dieAt));
    dying.ExitOnCrash(77);
    engine::ScopedFileSystem use(dying);
    std::ostringstream out, err;
    _exit(cli::RunCli(args, out, err) == 0 ? 0 : 1);
  }
  int wait = 0;
  waitpid(child, &wait, 0);
  ASSERT_TRUE(WIFEXITED(wait)) << dieAt;
}

}  // namespace tf::test
