#include "tests/support/external_peer.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tf::test {

bool InCi() {
  const char* ci = std::getenv("CI");
  if (!ci) return false;
  const std::string_view value = ci;
  return value == "true" || value == "TRUE" || value == "True" || value == "1";
}

std::string FindProgram(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = dirs.find(':');
    std::string dir(dirs.substr(0, colon));
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + std::string(program);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return {};
    dirs.remove_prefix(colon + 1);
  }
}

PeerCheck CheckPeers(std::initializer_list<std::string_view> programs, std::string_view purpose) {
  for (std::string_view program : programs) {
    if (!FindProgram(program).empty()) continue;
    const bool ci = InCi();
    return {ci ? PeerCheck::Fail : PeerCheck::Skip,
            std::string(program) + " is not installed: " + std::string(purpose) +
                (ci ? " (CI=true: a missing peer fails the test; the set-up installs it)" : "")};
  }
  return {};
}

std::string PeerOutput(const std::string& command, int* status) {
  std::string out;
  if (status) *status = -1;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  const int result = pclose(pipe);
  if (status && result != -1 && WIFEXITED(result)) *status = WEXITSTATUS(result);
  return out;
}

}  // namespace tf::test
