#pragma once
// A mail server for a test: tests/mail/smtp_peer.py run with Debian's python3 on a free port of
// the loopback address (aiosmtpd, or the scripted peer), stopped when the test ends. What it
// received is read back from its folder, parsed by Python's own e-mail package.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::test {

inline constexpr const char* kPython = "/usr/bin/python3";

// Present when Debian's python3 can import aiosmtpd; otherwise Skip, or Fail under CI.
inline PeerCheck CheckSmtpPeer() {
  if (std::system("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1") == 0) return {};
  return {InCi() ? PeerCheck::Fail : PeerCheck::Skip,
          "python3-aiosmtpd is not installed: the mail tests talk to a real SMTP server"};
}

class SmtpPeer {
 public:
  explicit SmtpPeer(std::vector<std::string> options) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    options.insert(options.begin(), {kPython, TF_SMTP_PEER_SCRIPT, "--out", folder_.path()});
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its server with it
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> argv;
      for (std::string& o : options) argv.push_back(o.data());
      argv.push_back(nullptr);
      ::execv(kPython, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    FILE* f = ::fdopen(out[0], "r");
    char line[64] = {};
    if (!std::fgets(line, sizeof line, f) || std::sscanf(line, "PORT %d", &port_) != 1) {
      std::fclose(f);
      Stop();
      throw std::runtime_error("the mail server did not start");
    }
    std::fclose(f);
  }
  ~SmtpPeer() { Stop(); }
  SmtpPeer(const SmtpPeer&) = delete;
  SmtpPeer& operator=(const SmtpPeer&) = delete;

  int port() const { return port_; }
  const std::string& folder() const { return folder_.path(); }

  // Part `part` ("subject", "body", "eml", ...) of message `n` (from 1); empty when missing.
  std::string Read(int n, const std::string& part) const { return ReadFile(std::to_string(n) + "." + part); }
  int Messages() const {
    int n = 0;
    while (::access((folder_ / (std::to_string(n + 1) + ".eml")).c_str(), F_OK) == 0) ++n;
    return n;
  }
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    std::istringstream in(ReadFile("events.log"));
    for (std::string line; std::getline(in, line);) events.push_back(line);
    return events;
  }
  int Count(const std::string& event) const {
    int n = 0;
    for (const std::string& e : Events())
      if (e == event || e.rfind(event + " ", 0) == 0) ++n;
    return n;
  }

 private:
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  TempFolder folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace tf::test

#define TF_NEED_SMTP_PEER()                                                                   \
  do {                                                                                        \
    const ::tf::test::PeerCheck tf_peer_ = ::tf::test::CheckSmtpPeer();                       \
    if (tf_peer_.outcome == ::tf::test::PeerCheck::Fail) GTEST_FAIL() << tf_peer_.message;    \
    if (tf_peer_.outcome == ::tf::test::PeerCheck::Skip) GTEST_SKIP() << tf_peer_.message;    \
  } while (false)
