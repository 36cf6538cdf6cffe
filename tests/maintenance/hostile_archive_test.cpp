// Restoring from an archive somebody else made: each hostile archive (built here with Python's
// zipfile, as another tool would build it) is refused before any live file changes, and says why.
// Also the restore's care for file blocks: a rebuild cut short in the backup, a stale index or
// leftover beside a restored block, and a failure half-way that puts every file back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/clock.h"
#include "engine/core/engine.h"
#include "maintenance/backup.h"
#include "maintenance/rebuild_all.h"
#include "maintenance/restore.h"
#include "records/record_kinds.h"
#include "tests/maintenance/maintenance_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/status_sinks.h"
#include "tests/support/temp_folder.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using cli::testing::RunTool;
using ::testing::HasSubstr;

// Builds the archive of one case at argv[2].
constexpr const char* kHostileArchives = R"(
import sys, warnings, zipfile
warnings.simplefilter('ignore')  # the duplicate names are the point
case, path = sys.argv[1], sys.argv[2]
data = b'\0' * 40 + b'records' * 100

def flip_crc(path, local, central):
    raw = bytearray(open(path, 'rb').read())
    if local:
        raw[14] ^= 0xFF                      # the local header's CRC
    if central:
        at = raw.rfind(b'PK\x01\x02')
        raw[at + 16] ^= 0xFF                 # the central directory's CRC
    open(path, 'wb').write(bytes(raw))

def typed(name, mode):
    info = zipfile.ZipInfo(name)
    info.create_system = 3
    info.external_attr = mode << 16
    return info

if case == 'not-zip':
    open(path, 'wb').write(b'this is not an archive at all' * 10)
    sys.exit(0)
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
    if case == 'dot-dot': z.writestr('../x.DAT', data)
    elif case == 'absolute': z.writestr('/etc/x.DAT', data)
    elif case == 'sub-folder': z.writestr('sub/1C.DAT', data)
    elif case == 'backslash': z.writestr('..\\x.DAT', data)
    elif case == 'folder': z.writestr('dir.DAT/', b'')
    elif case == 'symlink': z.writestr(typed('link.DAT', 0o120777), '/etc/passwd')
    elif case == 'device': z.writestr(typed('dev.DAT', 0o020644), b'')
    elif case == 'duplicate':
        z.writestr('1C.DAT', data)
        z.writestr('1C.DAT', data + b'again')
    elif case == 'duplicate-case':
        z.writestr('1C.DAT', data)
        z.writestr('1c.dat', data)
    elif case in ('crc', 'crc-central'): z.writestr('1C.DAT', data)
    elif case == 'bomb': z.writestr('1C.DAT', b'\0' * (48 << 20))
    elif case == 'not-data':
        z.writestr('1C.DAT', data)
        z.writestr('notes.txt', b'hello')
    elif case == 'empty': pass
if case == 'crc': flip_crc(path, True, True)
if case == 'crc-central': flip_crc(path, False, True)
)";

struct Hostile {
  const char* name;
  const char* why;  // in the refusal
};

class HostileArchiveTest : public BooksFolderTestOn<::testing::TestWithParam<Hostile>> {};

TEST_P(HostileArchiveTest, IsRefusedAndTheLiveFilesStayByteForByte) {
  TF_NEED_PEERS_GTEST("building hostile archives", "python3");
  const Hostile& c = GetParam();
  const fs::path archive = fs::path(scratch_.path()) / (std::string(c.name) + ".zip");
  ASSERT_EQ(RunPython(scratch_.path(), kHostileArchives, {c.name, archive.string()}), 0);
  const FolderImage before = DataFileBytes(data_);
  const std::vector<std::string> names = NamesIn(data_);

  const fs::path previous = fs::current_path();
  fs::current_path(data_);
  const maintenance::RestorePlan plan = maintenance::PlanRestore(archive, true);
  const common::FixedClock clock(std::chrono::year_month_day{std::chrono::year{2024}, std::chrono::May,
                                                             std::chrono::day{1}});
  const maintenance::RestoreResult result = maintenance::RestoreDataFiles(archive, clock);
  fs::current_path(previous);

  EXPECT_FALSE(plan.Acceptable());
  std::string refusals;
  for (const std::string& r : plan.refusals) refusals += r + "\n";
  EXPECT_THAT(refusals, HasSubstr(c.why));
  EXPECT_FALSE(result.ok);
  EXPECT_THAT(result.error, HasSubstr(c.why));
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(data_)), "");
  EXPECT_EQ(NamesIn(data_), names);  // no staging or pre-restore folder, nothing unpacked
  EXPECT_FALSE(fs::exists(fs::path(scratch_.path()) / "x.DAT"));

  // The tool says the same and changes nothing either.
  const auto tool = RunTool({"--data", data_.string(), "restore", archive.string()});
  EXPECT_EQ(tool.status, 1);
  EXPECT_THAT(tool.err, HasSubstr(c.why));
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(data_)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Archives, HostileArchiveTest,
    ::testing::Values(Hostile{"dot-dot", "lies in a folder"}, Hostile{"absolute", "is an absolute path"},
                      Hostile{"sub-folder", "lies in a folder"}, Hostile{"backslash", "lies in a folder"},
                      Hostile{"folder", "lies in a folder"}, Hostile{"symlink", "is a symbolic link"},
                      Hostile{"device", "is a device or special file"},
                      Hostile{"duplicate", "stands more than once"}, Hostile{"duplicate-case", "stands more than once"},
                      Hostile{"crc", "do not match their CRC"}, Hostile{"crc-central", "damaged"},
                      Hostile{"bomb", "ZIP bomb"}, Hostile{"not-data", "is not a data file of this program"},
                      Hostile{"empty", "holds no files"}, Hostile{"not-zip", "not a ZIP archive"}),
    [](const ::testing::TestParamInfo<Hostile>& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

// --- file blocks as wholes ---------------------------------------------------------------------

class RestoreBlocksTest : public BooksFolderTest {
 protected:
  bool EntersDataFolder() const override { return true; }

  const common::FixedClock clock_{std::chrono::year_month_day{std::chrono::year{2024}, std::chrono::June,
                                                              std::chrono::day{2}},
                                  std::chrono::hours{9}};
};

TEST_F(RestoreBlocksTest, ABackupTakenDuringACutShortRebuildRestoresTheRecordsAndRebuildsTheIndex) {
  // What a rebuild cut short in its data pass leaves: the records in 1C.SAV, a partial 1C.DAT
  // and an empty index. The backup takes it as it is.
  const std::string records = common::ReadWholeFile("1C.DAT");
  fs::rename("1C.DAT", "1C.SAV");
  common::ReplaceFile("1C.DAT", records.substr(0, 1008));
  const fs::path archive = "../QZBackup.zip";
  ASSERT_TRUE(maintenance::BackupDataFiles(archive).ok);
  fs::remove("1C.SAV");
  common::ReplaceFile("1C.DAT", records);

  const maintenance::RestorePlan plan = maintenance::PlanRestore(archive, true);
  ASSERT_TRUE(plan.Acceptable());
  const auto item = [&](const std::string& name) {
    return *std::find_if(plan.items.begin(), plan.items.end(), [&](const auto& i) { return i.name == name; });
  };
  EXPECT_EQ(item("1C.DAT").entry, "1C.SAV");
  EXPECT_EQ(item("archive-1C.DAT").action, maintenance::RestoreAction::KeepOut);
  EXPECT_EQ(item("archive-1C.IX").action, maintenance::RestoreAction::KeepOut);
  EXPECT_EQ(item("1C.IX").action, maintenance::RestoreAction::MoveAside);

  const maintenance::RestoreResult result = maintenance::RestoreDataFiles(archive, clock_);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(common::ReadWholeFile("1C.DAT"), records);
  EXPECT_FALSE(fs::exists("1C.SAV"));
  EXPECT_FALSE(fs::exists("1C.IX"));
  EXPECT_EQ(common::ReadWholeFile(result.setAside / "archive-1C.DAT"), records.substr(0, 1008));

  // The next rebuild is not stopped by a leftover: it rebuilds the index from the records.
  engine::InitEngine(0, engine::kMinPageBuffers);
  SilentStatus status;
  const maintenance::RebuildAllResult rebuilt =
      maintenance::RebuildAllFiles("1", records::BuiltInRecordKinds(), status);
  engine::ExitEngine();
  EXPECT_TRUE(rebuilt.Failed().empty()) << rebuilt.Message();
  const auto check = RunTool({"--data", data_.string(), "check"});
  EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(RestoreBlocksTest, ALeftoverOrJournalBesideARestoredBlockGoesAside) {
  const fs::path archive = "../QZBackup.zip";
  ASSERT_TRUE(maintenance::BackupDataFiles(archive).ok);
  common::ReplaceFile("1I.SAV", "a leftover that would stop the next rebuild");
  common::ReplaceFile("1I.DIA", "a journal that would be replayed onto the restored files");
  common::ReplaceFile("9C.SAV", "another company's leftover");
  const maintenance::RestoreResult result = maintenance::RestoreDataFiles(archive, clock_);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_FALSE(fs::exists("1I.SAV"));
  EXPECT_FALSE(fs::exists("1I.DIA"));
  EXPECT_TRUE(fs::exists(result.setAside / "1I.SAV"));
  EXPECT_TRUE(fs::exists(result.setAside / "1I.DIA"));
  EXPECT_TRUE(fs::exists("9C.SAV"));  // its block is not in the archive: left as it is
  EXPECT_EQ(RunTool({"--data", data_.string(), "check"}).status, 0);
}

TEST_F(RestoreBlocksTest, AFailureHalfWayPutsEveryFileBack) {
  const fs::path archive = "../QZBackup.zip";
  common::ReplaceFile("zz.LBL", "the last file of the archive");
  ASSERT_TRUE(maintenance::BackupDataFiles(archive).ok);
  // A folder now stands where the archive's last file goes: moving it in fails after every
  // other file was moved.
  fs::remove("zz.LBL");
  fs::create_directory("zz.LBL");
  common::ReplaceFile("zz.LBL/inside", "keep me");
  ASSERT_EQ(RunTool({"--data", data_.string(), "company", "set", "CompanyName=Changed"}).status, 0);
  const FolderImage before = DataFileBytes(".");
  const std::vector<std::string> names = NamesIn(".");

  const maintenance::RestoreResult result = maintenance::RestoreDataFiles(archive, clock_);
  EXPECT_FALSE(result.ok);
  EXPECT_THAT(result.error, HasSubstr("zz.LBL could not be moved"));
  EXPECT_THAT(result.error, HasSubstr("Nothing was changed."));
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(".")), "");
  EXPECT_EQ(NamesIn("."), names);
  EXPECT_EQ(common::ReadWholeFile("zz.LBL/inside"), "keep me");
}

TEST_F(RestoreBlocksTest, AMissingArchiveIsSaidAndChangesNothing) {
  const FolderImage before = DataFileBytes(".");
  const maintenance::RestoreResult result = maintenance::RestoreDataFiles("../none/QZBackup.zip", clock_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Unable to locate the backup files.");
  EXPECT_EQ(ChangedFiles(before, DataFileBytes(".")), "");
}

}  // namespace
}  // namespace tf::test
