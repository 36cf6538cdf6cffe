#include "common/side_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tf::common {
namespace {

namespace fs = std::filesystem;

class SideFileTest : public ::testing::Test {
 protected:
  // Whether `write` throws the run-time's input/output error while files may not grow past
  // 4 KiB (the write fails half-way with EFBIG).
  template <class Write>
  static bool ThrowsUnderAFileSizeLimit(Write write) {
    struct rlimit saved {};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return false;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    bool threw = false;
    if (setrlimit(RLIMIT_FSIZE, &small) == 0) {
      try {
        write();
      } catch (const std::system_error&) {
        threw = true;
      }
      setrlimit(RLIMIT_FSIZE, &saved);
    }
    std::signal(SIGXFSZ, oldHandler);
    return threw;
  }

  // Names in the folder, to see that nothing was left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  tf::test::TempFolder folder_;
  fs::path dir_ = folder_.path();
};

TEST_F(SideFileTest, CreatesAndReplacesWholeFiles) {
  fs::path file = dir_ / "VQTERMS.DAT";
  ReplaceFile(file, "first contents, rather long\r\n");
  EXPECT_EQ(ReadWholeFile(file), "first contents, rather long\r\n");
  ReplaceFile(file, std::string("short\0bytes", 11));  // shorter, with a zero byte
  EXPECT_EQ(ReadWholeFile(file), std::string("short\0bytes", 11));
  ReplaceFile(file, "");
  EXPECT_EQ(ReadWholeFile(file), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"VQTERMS.DAT"}));
}

TEST_F(SideFileTest, LargeContentsArriveWhole) {
  std::string big(3 * 65536 + 17, 'x');
  for (std::size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i);
  ReplaceFile(dir_ / "big", big);
  EXPECT_EQ(ReadWholeFile(dir_ / "big"), big);
}

TEST_F(SideFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  fs::path file = dir_ / "LastCo.Dat";
  ReplaceFile(file, "old");
  // A file size limit makes the write of the new contents fail half-way (EFBIG).
  EXPECT_TRUE(ThrowsUnderAFileSizeLimit([&] { ReplaceFile(file, std::string(10000, 'n')); }));
  EXPECT_EQ(ReadWholeFile(file), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"LastCo.Dat"}));
}

// A file written piece by piece through its stream takes the old one's place only at the
// commit; abandoned, or failing to write, it leaves the old file and no temporary file.
TEST_F(SideFileTest, AStreamedReplacementTakesThePlaceOnlyWhenCommitted) {
  fs::path file = dir_ / "export.csv";
  ReplaceFile(file, "old");
  std::string expected;
  {
    FileReplacement streamed(file);
    for (int row = 0; row < 20000; ++row) {  // several times the stream's buffer
      const std::string line = "row " + std::to_string(row) + ",x\r\n";
      streamed.stream() << line;
      expected += line;
      if (row == 10000) {
        EXPECT_EQ(ReadWholeFile(file), "old") << "nothing shows before the commit";
      }
    }
    streamed.Commit();
  }
  EXPECT_EQ(ReadWholeFile(file), expected);
  {
    FileReplacement abandoned(file);
    abandoned.stream() << std::string(200000, 'a');
  }
  EXPECT_EQ(ReadWholeFile(file), expected);
  EXPECT_EQ(Names(), (std::vector<std::string>{"export.csv"}));

  EXPECT_TRUE(ThrowsUnderAFileSizeLimit([&] {
    FileReplacement tooBig(file);
    tooBig.stream() << std::string(300000, 'b');
    tooBig.Commit();
  })) << "a write that failed is reported at the commit";
  EXPECT_EQ(ReadWholeFile(file), expected);
  EXPECT_EQ(Names(), (std::vector<std::string>{"export.csv"}));
}

TEST_F(SideFileTest, AFailedRenameLeavesNoTemporaryFile) {
  // The target is a folder that is not empty: the rename over it is refused.
  fs::path target = dir_ / "Label.Dat";
  fs::create_directory(target);
  std::ofstream(target / "keep") << "kept";
  EXPECT_THROW(ReplaceFile(target, "new"), std::system_error);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Label.Dat"}));
  EXPECT_EQ(ReadWholeFile(target / "keep"), "kept");
}

TEST_F(SideFileTest, AMissingFolderOrFileIsAnInputOutputError) {
  EXPECT_THROW(ReplaceFile(dir_ / "no" / "such.dat", "x"), std::system_error);
  EXPECT_THROW(ReadWholeFile(dir_ / "absent.dat"), std::system_error);
  try {
    ReadWholeFile(dir_ / "absent.dat");
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
  }
}

}  // namespace
}  // namespace tf::common
