// The backup and the restore of a whole data folder: an archive that standard tools open and
// check, holding exactly the data files (by their extension, whatever its case); a restore that
// gives back every file byte for byte and books the check finds clean; a second backup replacing
// the first; and a backup that cannot be written (read-only folder, full disk) leaving the
// previous archive as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <random>

#include "common/clock.h"
#include "maintenance/backup.h"
#include "maintenance/restore.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using cli::testing::ToolRun;
using ::testing::HasSubstr;

class BackupTest : public BooksFolderTest {
 protected:
  void SetUp() override {
    BooksFolderTest::SetUp();
    archive_ = fs::path(scratch_.path()) / "QZBackup.zip";
  }

  // Runs a maintenance call with the data folder as working directory.
  template <typename F>
  auto InData(F&& f) {
    const fs::path previous = fs::current_path();
    fs::current_path(data_);
    auto result = f();
    fs::current_path(previous);
    return result;
  }

  maintenance::BackupResult Backup(const fs::path& archive) {
    return InData([&] { return maintenance::BackupDataFiles(archive); });
  }

  fs::path archive_;
};

TEST_F(BackupTest, BackupThenRestoreGivesBackEveryFileAndCleanBooks) {
  const FolderImage before = DataFileBytes(data_);
  ASSERT_GE(before.size(), 10u);  // company, start-up file, terms, picture, customers, invoices, lines, memos
  std::vector<int> percents;
  const maintenance::BackupResult backup =
      InData([&] { return maintenance::BackupDataFiles(archive_, [&](int p) { percents.push_back(p); }); });
  ASSERT_TRUE(backup.ok) << backup.error;
  EXPECT_EQ(backup.files.size(), before.size());
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);

  // The books change after the backup: a changed company, a lost index, a new customer file.
  ASSERT_EQ(RunTool({"--data", data_.string(), "company", "set", "CompanyName=Changed"}).status, 0);
  fs::remove(data_ / "1C.IX");
  common::ReplaceFile(data_ / "extra.LBL", "a label layout made after the backup");

  const common::FixedClock clock(std::chrono::year_month_day{std::chrono::year{2024}, std::chrono::May,
                                                             std::chrono::day{1}},
                                 std::chrono::hours{10} + std::chrono::minutes{15});
  const maintenance::RestoreResult restored =
      InData([&] { return maintenance::RestoreDataFiles(archive_, clock); });
  ASSERT_TRUE(restored.ok) << restored.error;
  EXPECT_EQ(restored.restored, int(before.size()));

  FolderImage after = DataFileBytes(data_);
  // The file made after the backup is left where it was; everything else is as backed up.
  ASSERT_EQ(after.size(), before.size() + 1);
  after.erase(std::find_if(after.begin(), after.end(), [](const auto& f) { return f.first == "extra.LBL"; }));
  EXPECT_EQ(ChangedFiles(before, after), "");
  const ToolRun check = RunTool({"--data", data_.string(), "check"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;

  // The files it replaced wait in the dated folder, as they were before the restore.
  EXPECT_EQ(restored.setAside, fs::path("PreRestore-2024-05-01-101500"));
  const fs::path aside = data_ / restored.setAside;
  EXPECT_THAT(common::ReadWholeFile(aside / "LastCo.Dat"), HasSubstr("Changed"));
  EXPECT_FALSE(fs::exists(aside / "1C.IX"));   // it was gone before the restore
  EXPECT_FALSE(fs::exists(aside / "extra.LBL"));  // left alone, not set aside
  // Nothing of the restore's own is left behind.
  for (const std::string& name : NamesIn(data_)) EXPECT_NE(name.rfind(".restore", 0), 0u) << name;
}

TEST_F(BackupTest, StandardToolsOpenAndCheckTheArchive) {
  TF_NEED_PEERS_GTEST("reading the backup as other tools do", "unzip", "python3");
  ASSERT_TRUE(Backup(archive_).ok);
  const std::string unzip = "unzip -tq '" + archive_.string() + "' > /dev/null";
  EXPECT_EQ(std::system(unzip.c_str()), 0);
  // Python's zipfile: every entry's CRC, and each entry's bytes are the file's.
  const std::string script =
      "import os, sys, zipfile\n"
      "archive, folder = sys.argv[1], sys.argv[2]\n"
      "with zipfile.ZipFile(archive) as z:\n"
      "    if z.testzip() is not None: sys.exit(2)\n"
      "    names = z.namelist()\n"
      "    wanted = sorted(n for n in os.listdir(folder) if n.lower().endswith(('.dat','.ix','.sav','.lst','.lbl','.rtf','.bmp')))\n"
      "    if sorted(names) != wanted: sys.exit(3)\n"
      "    for n in names:\n"
      "        if z.getinfo(n).compress_type != zipfile.ZIP_DEFLATED: sys.exit(4)\n"
      "        if z.read(n) != open(os.path.join(folder, n), 'rb').read(): sys.exit(5)\n";
  EXPECT_EQ(RunPython(scratch_.path(), script, {archive_.string(), data_.string()}), 0);
}

TEST_F(BackupTest, TheMaskTakesDataFilesWhateverTheCaseOfTheirExtension) {
  for (const char* name : {"Label.Dat", "letter.rtf", "Mailing.Lst", "Envelope.LBL", "logo.Bmp", "7C.sav"})
    common::ReplaceFile(data_ / name, std::string("contents of ") + name);
  for (const char* name : {"notes.txt", "report.TXT", "QZBackup.zip", "~1C.DAT", ".hidden.DAT", "1C.MSG"})
    common::ReplaceFile(data_ / name, "not backed up");
  fs::create_directory(data_ / "folder.DAT");
  fs::create_symlink(data_ / "1C.DAT", data_ / "link.DAT");
  const maintenance::BackupResult backup = Backup(archive_);
  ASSERT_TRUE(backup.ok) << backup.error;
  for (const char* name : {"Label.Dat", "letter.rtf", "Mailing.Lst", "Envelope.LBL", "logo.Bmp", "7C.sav",
                           "LastCo.Dat", "VQTERMS.DAT", "Company.DAT", "Company.IX", "1C.DAT", "1I.IX", "qzt8.bmp"})
    EXPECT_THAT(backup.files, ::testing::Contains(std::string(name)));
  for (const char* name : {"notes.txt", "report.TXT", "QZBackup.zip", "~1C.DAT", ".hidden.DAT", "1C.MSG",
                           "folder.DAT", "link.DAT", "tallyfold.lock"})
    EXPECT_THAT(backup.files, ::testing::Not(::testing::Contains(std::string(name))));
}

TEST_F(BackupTest, ASecondBackupReplacesTheFirst) {
  ASSERT_TRUE(Backup(archive_).ok);
  const std::string first = common::ReadWholeFile(archive_);
  common::ReplaceFile(data_ / "new.LBL", "added between the two backups");
  const maintenance::BackupResult second = Backup(archive_);
  ASSERT_TRUE(second.ok) << second.error;
  EXPECT_NE(common::ReadWholeFile(archive_), first);
  EXPECT_THAT(second.files, ::testing::Contains(std::string("new.LBL")));
  EXPECT_EQ(NamesIn(scratch_.path()), (std::vector<std::string>{"QZBackup.zip", "customers.csv", "data",
                                                                "invoices.csv"}));
}

TEST_F(BackupTest, AnEmptyFolderHasNothingToBackUp) {
  TempFolder empty;
  const fs::path previous = fs::current_path();
  fs::current_path(empty.path());
  const maintenance::BackupResult result = maintenance::BackupDataFiles(archive_);
  fs::current_path(previous);
  EXPECT_FALSE(result.ok);
  EXPECT_THAT(result.error, HasSubstr("no data files"));
  EXPECT_FALSE(fs::exists(archive_));
}

// Runs a backup into `target` in a child process that `prepare` sets up first (a smaller file
// size limit, another user); the child's exit status is 0 when the backup failed as a
// write must fail, with its message on stderr.
int FailingBackupInChild(const fs::path& data, const fs::path& target, const std::function<void()>& prepare) {
  const pid_t child = fork();
  if (child == 0) {
    prepare();
    if (chdir(data.c_str()) != 0) _exit(3);
    const maintenance::BackupResult result = maintenance::BackupDataFiles(target);
    if (result.ok) _exit(1);
    std::fprintf(stderr, "%s\n", result.error.c_str());
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(BackupTest, AReadOnlyFolderKeepsThePreviousArchive) {
  const fs::path target = fs::path(scratch_.path()) / "stick";
  fs::create_directory(target);
  ASSERT_TRUE(Backup(target / "QZBackup.zip").ok);
  const std::string previous = common::ReadWholeFile(target / "QZBackup.zip");
  common::ReplaceFile(data_ / "new.LBL", "added after the first backup");

  // The superuser writes wherever it likes: the child drops to an ordinary user, who may read
  // the data folder but not write to the stick.
  ASSERT_EQ(chmod(target.c_str(), 0555), 0);
  for (const fs::path& p : {fs::path(scratch_.path()), data_}) ASSERT_EQ(chmod(p.c_str(), 0755), 0);
  const int status = FailingBackupInChild(data_, target / "QZBackup.zip", [] {
    if (geteuid() == 0) {
      const struct passwd* nobody = getpwnam("nobody");
      if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(4);
    }
  });
  chmod(target.c_str(), 0755);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(common::ReadWholeFile(target / "QZBackup.zip"), previous);
  EXPECT_EQ(NamesIn(target), std::vector<std::string>{"QZBackup.zip"});
}

TEST_F(BackupTest, AFullDiskKeepsThePreviousArchiveAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(Backup(archive_).ok);
  const std::string previous = common::ReadWholeFile(archive_);
  // A picture that does not pack makes the new archive larger than the disk takes.
  std::string noise(512 * 1024, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = char(random());
  common::ReplaceFile(data_ / "photo.BMP", noise);
  const int status = FailingBackupInChild(data_, archive_, [] {
    static FileSizeLimit limit(256 * 1024);  // the child ends without undoing it
    if (!limit.set()) _exit(4);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(common::ReadWholeFile(archive_), previous);
  EXPECT_EQ(NamesIn(scratch_.path()), (std::vector<std::string>{"QZBackup.zip", "customers.csv", "data",
                                                                "invoices.csv"}));
}

TEST_F(BackupTest, TheToolBacksUpAndRestoresWithAPreviewFirst) {
  const ToolRun backup = RunTool({"--data", data_.string(), "backup", archive_.string()});
  ASSERT_EQ(backup.status, 0) << backup.err;
  EXPECT_THAT(backup.out, HasSubstr("Backed up"));
  common::ReplaceFile(data_ / "extra.LBL", "made after the backup");
  fs::remove(data_ / "1M.IX");
  const FolderImage changed = DataFileBytes(data_);

  const ToolRun preview = RunTool({"--data", data_.string(), "restore", archive_.string(), "--dry-run"});
  ASSERT_EQ(preview.status, 0) << preview.err;
  EXPECT_THAT(preview.out, ::testing::ContainsRegex("replace +1C.DAT +archive: [0-9,]+ bytes, [0-9-]+ [0-9:]+; on "
                                                     "disk: [0-9,]+ bytes"));
  EXPECT_THAT(preview.out, ::testing::ContainsRegex("add +1M.IX +archive: [0-9,]+ bytes, [^;]+; on disk: -"));
  EXPECT_THAT(preview.out, ::testing::ContainsRegex("leave +extra.LBL +archive: -; on disk: 21 bytes"));
  EXPECT_THAT(preview.out, HasSubstr("Nothing was changed."));
  EXPECT_EQ(ChangedFiles(changed, DataFileBytes(data_)), "");

  const ToolRun restore = RunTool({"--data", data_.string(), "restore", archive_.string()});
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_THAT(restore.out, HasSubstr("PreRestore-"));
  EXPECT_EQ(RunTool({"--data", data_.string(), "check"}).status, 0);
  EXPECT_TRUE(fs::exists(data_ / "1M.IX"));
}

}  // namespace
}  // namespace tf::test
