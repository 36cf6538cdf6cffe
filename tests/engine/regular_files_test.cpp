// Only regular files are a file block's files: a FIFO, a directory or a device standing under a
// data, index or journal file's name is refused at once with its own status, never waited on,
// and never removed or replaced by a rebuild. Every test runs under an alarm: before the file
// layer refused them, opening a FIFO blocked for ever.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "engine/core/file_system.h"
#include "engine/rebuilding/rebuild.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

namespace fs = std::filesystem;

// Ends the test process instead of letting a blocked open hang the suite.
class Watchdog {
 public:
  Watchdog() { alarm(30); }
  ~Watchdog() { alarm(0); }
};

struct Intruder {
  const char* what;
  std::function<void(const std::string& path)> make;
};

const std::vector<Intruder>& Intruders() {
  static const std::vector<Intruder> all = {
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }},
      {"directory", [](const std::string& p) { fs::create_directory(p); }},
      {"device", [](const std::string& p) { fs::create_symlink("/dev/null", p); }},
  };
  return all;
}

class RegularFilesTest : public EngineTest {
 protected:
  // A closed file block with one key and three records.
  void MakeBlock(const std::string& name) {
    FileBlock* h = Make(name, 32, {{8, 0}});
    for (int i = 1; i <= 3; ++i) {
      int32_t ref = 0;
      const std::vector<uint8_t> r = RecordBytes(32, NumberedKey(i));
      AddRecord(h, ref, r.data());
      AddKey(h, 1, ref, NumberedKey(i));
      ASSERT_TRUE(EngineOK) << EngineStatus;
    }
    CloseFileBlock(h);
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  // Puts the intruder in place of `path`.
  static void Replace(const std::string& path, const Intruder& intruder) {
    fs::remove(path);
    intruder.make(path);
  }
  static bool StillThere(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  }
  Watchdog watchdog_;
};

TEST_P(RegularFilesTest, TheFileLayerRefusesAnythingButARegularFile) {
  for (const Intruder& intruder : Intruders()) {
    SCOPED_TRACE(intruder.what);
    const std::string path = dir_ / "X.DAT";
    Replace(path, intruder);
    for (OpenMode mode : {OpenMode::ExistingReadOnly, OpenMode::ExistingReadWrite, OpenMode::CreateAlways}) {
      int fd = -1;
      EXPECT_EQ(CurrentFileSystem().Open(path, mode, fd), ENODEV);
      EXPECT_EQ(fd, -1);
    }
    EXPECT_TRUE(StillThere(path));
    fs::remove(path);
  }
}

TEST_P(RegularFilesTest, OpenFileBlockReportsEachFileThatIsNotRegular) {
  for (const char* extension : {".DAT", ".IX", ".DIA"}) {
    for (const Intruder& intruder : Intruders()) {
      SCOPED_TRACE(std::string(intruder.what) + " as " + extension);
      MakeBlock("B");
      Replace(Name("B") + extension, intruder);
      FileBlock* h = nullptr;
      OpenFileBlock(h, Name("B"));
      EXPECT_FALSE(EngineOK);
      // Not 10010 for the index: a rebuild offered on it would remove what stands there.
      EXPECT_EQ(EngineStatus, status::kNotRegularFile);
      EXPECT_EQ(h, nullptr);
      EXPECT_TRUE(StillThere(Name("B") + extension));
      fs::remove(Name("B") + extension);
    }
  }
}

TEST_P(RegularFilesTest, ARebuildTouchesNothingWhenAFileIsNotRegular) {
  for (const char* extension : {".DAT", ".IX", ".SAV"}) {
    for (const Intruder& intruder : Intruders()) {
      SCOPED_TRACE(std::string(intruder.what) + " as " + extension);
      MakeBlock("B");
      if (std::string(extension) == ".SAV") fs::remove(DataPath("B"));  // N.SAV alone is the source
      Replace(Name("B") + extension, intruder);
      const std::vector<std::string> before = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
      }();
      RebuildDataFile(Name("B"), 32, 32, nullptr, nullptr, nullptr);
      EXPECT_EQ(EngineStatus, status::kNotRegularFile);
      if (std::string(extension) == ".IX") {
        bool dumped = false;
        const KeyDescriptor keys[] = {{8, 0}};
        RebuildIndexFile(Name("B"), 1, keys, nullptr,
                         [](std::span<const uint8_t> r, int) { return std::string(r.begin() + 4, r.begin() + 12); },
                         true, nullptr, dumped);
        EXPECT_EQ(EngineStatus, status::kNotRegularFile);
      }
      std::vector<std::string> after;
      for (const auto& e : fs::directory_iterator(dir_.path())) after.push_back(e.path().filename());
      std::sort(after.begin(), after.end());
      EXPECT_EQ(after, before);
      EXPECT_TRUE(StillThere(Name("B") + extension));
      for (const auto& e : fs::directory_iterator(dir_.path())) fs::remove_all(e.path());
    }
  }
}

TEST_P(RegularFilesTest, TheCheckerReportsFilesThatAreNotRegularAndAnIndexWithoutItsData) {
  for (const char* extension : {".DAT", ".IX"}) {
    for (const Intruder& intruder : Intruders()) {
      SCOPED_TRACE(std::string(intruder.what) + " as " + extension);
      MakeBlock("B");
      Replace(Name("B") + extension, intruder);
      const CheckResult result = CheckFileBlock(Name("B"));
      ASSERT_TRUE(result.Has(Problem::NotRegularFile));
      EXPECT_NE(result.findings.front().text.find("not a regular file"), std::string::npos)
          << result.findings.front().text;
      EXPECT_FALSE(ReadFileBlockLayout(Name("B")).findings.empty());
      fs::remove(Name("B") + extension);
    }
  }
  MakeBlock("ORPHAN");
  fs::remove(DataPath("ORPHAN"));
  const CheckResult orphan = CheckFileBlock(Name("ORPHAN"));
  ASSERT_TRUE(orphan.Has(Problem::IndexWithoutData));
  EXPECT_NE(orphan.findings.front().text.find("ORPHAN.IX"), std::string::npos);
  // Neither file there: nothing claims the block's name, so it is only unreadable.
  EXPECT_TRUE(CheckFileBlock(Name("NONE")).Has(Problem::DataFileUnreadable));
}

// A record layout with a 5-character text field at 4 and a 3-character one at 10.
TEST_P(RegularFilesTest, TheCheckerReportsATextFieldLongerThanItsCapacity) {
  FileBlock* h = Make("T", 32, {});
  std::vector<uint8_t> r(32, 0);
  r[4] = 5;   // full: fine
  r[10] = 3;  // full: fine
  int32_t ref = 0;
  AddRecord(h, ref, r.data());
  r[4] = 6;  // one more than the field holds
  AddRecord(h, ref, r.data());
  r[4] = 0;
  r[10] = 200;
  AddRecord(h, ref, r.data());
  AddRecord(h, ref, r.data());
  DeleteRecord(h, ref);  // a deleted record's bytes are not a record any more
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK) << EngineStatus;

  const std::vector<RecordTextField> fields = {{"Code", 4, 5}, {"Group", 10, 3}, {"Beyond", 30, 5}};
  const CheckResult result = CheckFileBlock(Name("T"), RecordLayoutCheck{nullptr, fields});
  std::vector<std::string> texts;
  for (const Finding& f : result.findings) {
    EXPECT_EQ(f.problem, Problem::TextFieldLength) << f.text;
    texts.push_back(f.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"record 2: Code has length byte 6 but holds at most 5 characters",
                                             "record 3: Group has length byte 200 but holds at most 3 characters"}));
  EXPECT_TRUE(CheckFileBlock(Name("T")).Clean());  // without the layout nothing is known
}

TF_POOL_SIZES(RegularFilesTest);

}  // namespace
}  // namespace tf::engine::testing
