#pragma once
// Which files of the data folder a backup takes: the data and index files of every company, the
// start-up company, the terms list, rebuild leftovers, label and letter files and pictures,
// matched by their extension whatever its case ("LastCo.Dat", "Label.Dat", "letter.rtf").

#include <string>
#include <string_view>
#include <vector>

namespace tf::maintenance {

inline constexpr std::string_view kBackupArchiveName = "QZBackup.zip";
inline constexpr std::string_view kBackupMask = "*.DAT;*.IX;*.SAV;*.LST;*.LBL;*.RTF;*.BMP";

// True when the plain file name (no folder) matches the mask, letters compared without regard to
// case. The folder's lock file, a stage of a bulk change ("~1C.DAT") and hidden files never do.
bool MatchesBackupMask(std::string_view fileName);

// The regular files of the working directory that match, sorted by name. Links, folders and
// devices are never taken, whatever their name.
std::vector<std::string> BackupFileNames();

// True when two file names are the same but for the case of their letters.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tf::maintenance
