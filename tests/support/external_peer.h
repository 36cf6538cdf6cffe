#pragma once
// Programs the tests read the program's output back with (pdftotext, pdfinfo, pdftoppm, ...),
// as a user would meet them. The set-up installs them; a machine without one may skip the test
// that needs it, but CI (CI=true) must not pass by skipping, so there a missing peer fails.
// Plain C++, for GoogleTest and QTest alike: the two macros below say it in each dialect.

#include <initializer_list>
#include <string>
#include <string_view>

namespace tf::test {

struct PeerCheck {
  enum Outcome { Present, Skip, Fail };
  Outcome outcome = Present;
  std::string message;  // which program is missing and what for
};

// True when the CI environment variable says "true" (or "1").
bool InCi();
// The full path of `program` found on $PATH, or empty.
std::string FindProgram(std::string_view program);
// Present when every one of `programs` is on $PATH; otherwise Fail under CI and Skip elsewhere,
// with a message naming the first one missing and `purpose`.
PeerCheck CheckPeers(std::initializer_list<std::string_view> programs, std::string_view purpose);

// What a shell command (a peer reading the program's output: "pdftotext letters.pdf -") wrote
// to its standard output; empty when it could not be started. `status`, when given, gets its exit
// status (-1 when it did not exit normally).
std::string PeerOutput(const std::string& command, int* status = nullptr);

}  // namespace tf::test

// In a QTest slot: fails or skips it when a peer is missing.
#define TF_NEED_PEERS_QTEST(purpose, ...)                                                      \
  do {                                                                                         \
    const ::tf::test::PeerCheck tf_peers_ = ::tf::test::CheckPeers({__VA_ARGS__}, (purpose));  \
    if (tf_peers_.outcome == ::tf::test::PeerCheck::Fail) QFAIL(tf_peers_.message.c_str());    \
    if (tf_peers_.outcome == ::tf::test::PeerCheck::Skip) QSKIP(tf_peers_.message.c_str());    \
  } while (false)

// In a GoogleTest test body: fails or skips it when a peer is missing.
#define TF_NEED_PEERS_GTEST(purpose, ...)                                                      \
  do {                                                                                         \
    const ::tf::test::PeerCheck tf_peers_ = ::tf::test::CheckPeers({__VA_ARGS__}, (purpose));  \
    if (tf_peers_.outcome == ::tf::test::PeerCheck::Fail) GTEST_FAIL() << tf_peers_.message;   \
    if (tf_peers_.outcome == ::tf::test::PeerCheck::Skip) GTEST_SKIP() << tf_peers_.message;   \
  } while (false)
