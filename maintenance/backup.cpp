#include "maintenance/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "maintenance/file_mask.h"
#include "maintenance/file_words.h"
#include "maintenance/zip_archive.h"
#include "records/file_blocks.h"
#include "records/staged_block.h"

namespace tf::maintenance {
namespace {

namespace fs = std::filesystem;

struct SourceFile {
  std::string name;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  std::time_t modified = 0;
};

// Makes the file's contents, or a folder's entries, durable.
int SyncPath(const fs::path& path, bool folder) {
  const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

// The archive as written agrees with the files it was made from: the same names in the same
// order, each entry's size and CRC those of its file, and every entry's contents readable with
// that CRC.
bool Verify(const fs::path& written, const std::vector<SourceFile>& sources,
            const std::function<void(int)>& progress, std::string& error) {
  std::unique_ptr<ZipReader> reader = ZipReader::Open(written, error);
  if (!reader) return false;
  const auto& entries = reader->Entries();
  if (entries.size() != sources.size()) {
    error = "the archive holds " + std::to_string(entries.size()) + " files instead of " +
            std::to_string(sources.size());
    return false;
  }
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const ZipEntryInfo& entry = entries[i];
    const SourceFile& source = sources[i];
    if (entry.name != source.name || entry.size != source.size || entry.crc != source.crc) {
      error = source.name + " did not arrive whole in the archive";
      return false;
    }
    if (!reader->Read(i, source.size, [](const char*, std::size_t) { return true; }, error)) return false;
    if (progress) progress(80 + int(20 * (i + 1) / sources.size()));
  }
  return true;
}

}  // namespace

fs::path BackupArchiveIn(const fs::path& folder) { return folder / std::string(kBackupArchiveName); }

std::string SettleStagedChanges() {
  for (const std::string& block : records::ListFileBlocks())
    if (!records::RecoverStagedBlock(block)) return block;
  return {};
}

BackupResult BackupDataFiles(const fs::path& archive, const std::function<void(int)>& progress) {
  BackupResult result;
  if (const std::string unsettled = SettleStagedChanges(); !unsettled.empty()) {
    result.error = "an unfinished change to " + unsettled + " could not be completed";
    return result;
  }
  std::vector<SourceFile> sources;
  for (const std::string& name : BackupFileNames()) {
    SourceFile source{name};
    if (!FileCrc32(name, source.crc, source.size, result.error)) return result;
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0) source.modified = st.st_mtime;
    sources.push_back(source);
  }
  if (sources.empty()) {
    result.error = "there are no data files in this folder to back up";
    return result;
  }

  std::error_code ec;
  const fs::path target = fs::absolute(archive, ec);
  const fs::path folder = target.parent_path();
  if (!fs::is_directory(folder, ec)) {
    result.error = "the folder " + folder.string() + " does not exist";
    return result;
  }
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    result.error = "the archive cannot be written in " + folder.string() + ": " + FileErrorInWords(errno);
    return result;
  }
  // The archive gets the mode a new file gets here, not mkstemp's private one: libzip keeps
  // the mode of the file it writes over.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  struct RemoveTemporary {
    std::string path;
    ~RemoveTemporary() {
      if (!path.empty()) ::unlink(path.c_str());
    }
  } cleanup{temporary};

  {
    std::unique_ptr<ZipWriter> writer = ZipWriter::Create(temporary, result.error);
    if (!writer) return result;
    for (const SourceFile& source : sources)
      if (!writer->AddFile(source.name, fs::absolute(source.name, ec), source.modified, result.error)) return result;
    int systemError = 0;
    std::function<void(double)> written;
    if (progress) written = [&](double done) { progress(int(done * 80)); };
    if (!writer->Write(written, result.error, systemError)) {
      result.error = "the archive could not be written: " + result.error;
      return result;
    }
  }
  if (!Verify(temporary, sources, progress, result.error)) {
    result.error = "the archive did not read back as written: " + result.error;
    return result;
  }
  if (const int error = SyncPath(temporary, false); error != 0) {
    result.error = "the archive could not be made durable: " + FileErrorInWords(error);
    return result;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    result.error = "the archive could not take the place of " + target.filename().string() + ": " +
                   FileErrorInWords(errno);
    return result;
  }
  cleanup.path.clear();
  SyncPath(folder, true);
  for (const SourceFile& source : sources) result.files.push_back(source.name);
  result.ok = true;
  return result;
}

}  // namespace tf::maintenance
