// A program started with stdin, stdout or stderr closed would hand those numbers to the next
// files it opens; a stray print would then land in a data file. The engine's files never take
// descriptors 0-2.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

class StdioDescriptorTest : public EngineTest {};

// The descriptors of this process that name `path`.
std::vector<int> DescriptorsOf(const std::string& path) {
  std::vector<int> fds;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    char target[PATH_MAX] = {};
    ssize_t n = readlink(entry.path().c_str(), target, sizeof target - 1);
    if (n > 0 && path == target) fds.push_back(std::stoi(entry.path().filename().string()));
  }
  return fds;
}

bool Contains(const Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST_P(StdioDescriptorTest, EngineFilesNeverTakeStandardDescriptors) {
  const std::string data = std::filesystem::canonical(dir_.path()).string() + "/STDIO.DAT";
  const std::string index = std::filesystem::canonical(dir_.path()).string() + "/STDIO.IX";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // No test macros here: stdout and stderr are gone. The exit code says what failed.
    close(0);
    close(1);
    close(2);
    const KeyDescriptor keys[] = {{6, 0}};
    MakeFileBlock(Name("STDIO"), 32, 1, keys);
    if (!EngineOK) _exit(10);
    FileBlock* h = nullptr;
    OpenFileBlock(h, Name("STDIO"));
    if (!EngineOK) _exit(11);
    std::vector<int> fds = DescriptorsOf(data), ixFds = DescriptorsOf(index);
    if (fds.size() != 1 || ixFds.size() != 1) _exit(12);
    if (fds[0] < 3 || ixFds[0] < 3) _exit(13);
    int32_t ref = 0;
    AddRecord(h, ref, RecordBytes(32, "record").data());
    AddKey(h, 1, ref, "KEY");
    const char stray[] = "STRAY";
    for (int fd : {0, 1, 2}) {
      ssize_t written = write(fd, stray, std::strlen(stray));
      (void)written;
    }
    CloseFileBlock(h);
    if (!EngineOK) _exit(14);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10 make, 11 open, 12 descriptors not found, 13 a descriptor below 3, 14 close";
  EXPECT_FALSE(Contains(ReadFileBytes(data), "STRAY"));
  EXPECT_FALSE(Contains(ReadFileBytes(index), "STRAY"));
  FileBlock* h = Open("STDIO");
  EXPECT_EQ(UsedRecords(h), 1);
  EXPECT_EQ(WalkKeys(h, 1), (std::vector<KeyEntry>{{"KEY", 1}}));
  CloseFileBlock(h);
}

TF_POOL_SIZES(StdioDescriptorTest);

}  // namespace
}  // namespace tf::engine::testing
