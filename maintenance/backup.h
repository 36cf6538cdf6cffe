#pragma once
// The backup: every data file of the data folder (file_mask.h) into one standard ZIP archive.
// The archive is written beside its final place under a temporary name, read back (the count
// of entries, each one's size and CRC against the file it came from), made durable and only then
// renamed over the previous archive: a full disk, a read-only folder or a removed stick leaves
// the previous backup as it was.
//
// Runs with the data folder as working directory and no file block open: a bulk change cut
// short is finished or dropped first, so the archive holds the books as one moment left them.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tf::maintenance {

struct BackupResult {
  bool ok = false;
  std::vector<std::string> files;  // the names archived
  std::string error;               // why nothing was written; the previous archive is unchanged
};

// `progress` is told the percentage done (0 to 100) as the archive is written and read back.
BackupResult BackupDataFiles(const std::filesystem::path& archive,
                             const std::function<void(int percent)>& progress = {});

// Finishes or drops what an interrupted bulk change left of every file block of the working
// directory; the name of a block that could not be put right, or empty.
std::string SettleStagedChanges();

// The archive's file in `folder`: "QZBackup.zip".
std::filesystem::path BackupArchiveIn(const std::filesystem::path& folder);

}  // namespace tf::maintenance
