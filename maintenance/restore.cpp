#include "maintenance/restore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>
#include <set>
#include <system_error>

#include "maintenance/backup.h"
#include "maintenance/file_mask.h"
#include "maintenance/file_words.h"
#include "maintenance/zip_archive.h"
#include "records/file_blocks.h"
#include "records/record_kinds.h"

namespace tf::maintenance {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string StemOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool IsSideFile(const std::string& name) {
  const auto& sides = records::SideFiles();
  return std::any_of(sides.begin(), sides.end(), [&](const std::string& s) { return SameNameIgnoringCase(s, name); });
}

// One of a file block's own files: the engine writes their extensions in capitals.
bool IsBlockFile(const std::string& name) {
  const std::string extension = ExtensionOf(name);
  if (extension != "DAT" && extension != "IX" && extension != "SAV" && extension != "DIA") return false;
  return !StemOf(name).empty() && name.front() != '~' && !IsSideFile(name);
}

// What is left of an unfinished bulk change: stages, commit markers and their notes.
bool IsStagedLeftover(const std::string& name) {
  return name.front() == '~' || ExtensionOf(name) == "CMT" || ExtensionOf(name) == "GRP";
}

// Why an entry's name is not a plain data file name; empty when it is.
std::string NameProblem(const std::string& name) {
  if (name.empty()) return "an entry has no name";
  if (name.front() == '/') return "\"" + name + "\" is an absolute path";
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c == ':') return "\"" + name + "\" lies in a folder, not in the data folder itself";
    if (c < 32 || c == 127) return "an entry's name holds control characters";
  }
  if (name == "." || name == "..") return "\"" + name + "\" is not a file name";
  if (!MatchesBackupMask(name)) return "\"" + name + "\" is not a data file of this program";
  return {};
}

std::optional<FileFacts> FactsOnDisk(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0) return std::nullopt;
  return FileFacts{std::uint64_t(st.st_size), st.st_mtime};
}

std::string Thousands(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(std::size_t(i), ",");
  return digits;
}

std::string DateText(std::time_t when) {
  struct tm local {};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

std::string Facts(const std::optional<FileFacts>& facts) {
  if (!facts) return "-";
  return Thousands(facts->size) + " bytes, " + DateText(facts->modified);
}

std::string_view ActionWord(RestoreAction action) {
  switch (action) {
    case RestoreAction::Replace: return "replace";
    case RestoreAction::Add: return "add";
    case RestoreAction::Leave: return "leave";
    case RestoreAction::MoveAside: return "set aside";
    case RestoreAction::KeepOut: return "keep out";
  }
  return "";
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    const ssize_t done = ::write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    data += done;
    size -= std::size_t(done);
  }
  return true;
}

std::string Stamp(const common::Clock& clock) {
  const auto now = clock.Now();
  const auto day = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day ymd{day};
  const std::chrono::hh_mm_ss time{now - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u-%02d%02d%02d", int(ymd.year()), unsigned(ymd.month()),
                unsigned(ymd.day()), int(time.hours().count()), int(time.minutes().count()),
                int(time.seconds().count()));
  return text;
}

// A new folder "PreRestore-<stamp>" (with "-2", "-3" ... when taken).
bool MakeSetAsideFolder(const common::Clock& clock, fs::path& folder, int& error) {
  const std::string base = "PreRestore-" + Stamp(clock);
  for (int n = 1; n < 1000; ++n) {
    folder = n == 1 ? base : base + "-" + std::to_string(n);
    if (::mkdir(folder.c_str(), 0777) == 0) return true;
    if (errno != EEXIST) {
      error = errno;
      return false;
    }
  }
  error = EEXIST;
  return false;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

int RestorePlan::Count(RestoreAction action) const {
  return int(std::count_if(items.begin(), items.end(), [&](const RestoreItem& i) { return i.action == action; }));
}

RestorePlan PlanRestore(const fs::path& archive, bool readEntries) {
  RestorePlan plan;
  std::string error;
  std::error_code ec;
  if (!fs::exists(archive, ec)) {
    plan.refusals.push_back("Unable to locate the backup files.");
    return plan;
  }
  std::unique_ptr<ZipReader> reader = ZipReader::Open(archive, error);
  if (!reader) {
    plan.refusals.push_back("The archive cannot be read: " + error + ".");
    return plan;
  }
  const std::vector<ZipEntryInfo>& entries = reader->Entries();
  if (entries.empty()) {
    plan.refusals.push_back("The archive holds no files.");
    return plan;
  }
  if (entries.size() > kMaxRestoreEntries) {
    plan.refusals.push_back("The archive holds " + std::to_string(entries.size()) + " files; a backup holds at most " +
                            std::to_string(kMaxRestoreEntries) + ".");
    return plan;
  }

  // --- every entry on its own, then together ------------------------------------------------
  std::set<std::string> seen;
  std::uint64_t total = 0;
  for (const ZipEntryInfo& entry : entries) {
    const std::string problem = NameProblem(entry.name);
    if (!problem.empty()) {
      plan.refusals.push_back(problem + ".");
      continue;
    }
    const std::string quoted = "\"" + entry.name + "\"";
    if (!seen.insert(Lower(entry.name)).second) plan.refusals.push_back(quoted + " stands more than once in the archive.");
    switch (entry.type) {
      case ZipEntryInfo::Type::File: break;
      case ZipEntryInfo::Type::Directory: plan.refusals.push_back(quoted + " is a folder."); continue;
      case ZipEntryInfo::Type::Symlink: plan.refusals.push_back(quoted + " is a symbolic link."); continue;
      case ZipEntryInfo::Type::Other: plan.refusals.push_back(quoted + " is a device or special file."); continue;
    }
    if (entry.encrypted) plan.refusals.push_back(quoted + " is encrypted.");
    if (entry.method != 0 && entry.method != 8) plan.refusals.push_back(quoted + " is packed in a way backups never are.");
    if (entry.size > kMaxRestoreEntrySize) {
      plan.refusals.push_back(quoted + " is larger than a data file can be (" + Thousands(entry.size) + " bytes).");
    } else if (entry.size > kRatioFloor && entry.size / kMaxPackingRatio > entry.compressedSize) {
      plan.refusals.push_back(quoted + " would expand from " + Thousands(entry.compressedSize) + " to " +
                              Thousands(entry.size) + " bytes, far more than data files pack (a ZIP bomb?).");
    }
    total += std::min(entry.size, kMaxRestoreEntrySize);
  }
  struct statvfs volume {};
  if (plan.refusals.empty() && ::statvfs(".", &volume) == 0) {
    const std::uint64_t room = std::uint64_t(volume.f_bavail) * std::uint64_t(volume.f_frsize);
    if (total > room)
      plan.refusals.push_back("There is not room on the disk for the archive's " + Thousands(total) + " bytes (" +
                              Thousands(room) + " free).");
  }
  if (!plan.refusals.empty()) return plan;

  // --- what happens to each file ------------------------------------------------------------
  std::map<std::string, std::string> disk;  // lower-cased name -> name on disk
  for (const fs::directory_entry& file : fs::directory_iterator(".", ec)) {
    std::error_code typeError;
    if (!file.is_regular_file(typeError) || file.is_symlink(typeError)) continue;
    const std::string name = file.path().filename().string();
    if (name.front() != '.') disk[Lower(name)] = name;
  }
  std::set<std::string> archived;
  for (const ZipEntryInfo& entry : entries) archived.insert(entry.name);
  // Blocks whose archive copy carries a rebuild leftover: the leftover holds their records.
  std::set<std::string> leftoverStems, restoredStems;
  for (const ZipEntryInfo& entry : entries) {
    if (!IsBlockFile(entry.name)) continue;
    const std::string stem = StemOf(entry.name);
    restoredStems.insert(stem);
    if (ExtensionOf(entry.name) == "SAV" &&
        (archived.count(stem + ".DAT") || archived.count(stem + ".IX") || records::BuiltInRecordKinds().Find(stem)))
      leftoverStems.insert(stem);
  }
  std::set<std::string> claimed;  // lower-cased names on disk that an entry restores
  auto onDiskName = [&](const std::string& name) {
    const auto it = disk.find(Lower(name));
    return it == disk.end() ? name : it->second;
  };
  for (const ZipEntryInfo& entry : entries) {
    RestoreItem item;
    item.entry = entry.name;
    item.archived = FileFacts{entry.size, entry.modified};
    const std::string stem = StemOf(entry.name);
    const std::string extension = ExtensionOf(entry.name);
    if (IsBlockFile(entry.name) && leftoverStems.count(stem) && extension != "SAV" && extension != "DIA") {
      item.name = "archive-" + entry.name;
      item.action = RestoreAction::KeepOut;
      item.note = "left by a rebuild that was cut short; " + stem + ".SAV holds the records";
      plan.items.push_back(item);
      continue;
    }
    if (IsBlockFile(entry.name) && leftoverStems.count(stem) && extension == "SAV") {
      item.name = onDiskName(stem + ".DAT");
      item.note = "the records of a rebuild that was cut short; the index is rebuilt from them";
    } else {
      item.name = onDiskName(entry.name);
    }
    claimed.insert(Lower(item.name));
    item.onDisk = disk.count(Lower(item.name)) ? FactsOnDisk(item.name) : std::nullopt;
    item.action = item.onDisk ? RestoreAction::Replace : RestoreAction::Add;
    plan.items.push_back(item);
  }
  for (const auto& [lower, name] : disk) {
    if (claimed.count(lower)) continue;
    RestoreItem item;
    item.name = name;
    item.onDisk = FactsOnDisk(name);
    if (IsBlockFile(name) && restoredStems.count(StemOf(name))) {
      item.action = RestoreAction::MoveAside;
      item.note = "belongs to " + StemOf(name) + ", which the archive restores";
    } else if (IsStagedLeftover(name)) {
      item.action = RestoreAction::MoveAside;
      item.note = "left by an unfinished change";
    } else if (MatchesBackupMask(name)) {
      item.action = RestoreAction::Leave;
    } else {
      continue;  // not a data file: the restore does not concern it
    }
    plan.items.push_back(item);
  }
  std::sort(plan.items.begin(), plan.items.end(),
            [](const RestoreItem& a, const RestoreItem& b) { return a.name < b.name; });

  if (readEntries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (!reader->Read(i, entries[i].size, [](const char*, std::size_t) { return true; }, error)) {
        plan.refusals.push_back("The archive is damaged: " + error + ".");
        break;
      }
    }
  }
  return plan;
}

std::vector<std::string> DescribePlan(const RestorePlan& plan) {
  std::vector<std::string> lines;
  std::size_t width = 4;
  for (const RestoreItem& item : plan.items) width = std::max(width, item.name.size());
  for (const RestoreItem& item : plan.items) {
    std::string line(ActionWord(item.action));
    line.resize(11, ' ');
    std::string name = item.name;
    name.resize(width + 2, ' ');
    line += name + "archive: " + Facts(item.archived) + "; on disk: " + Facts(item.onDisk);
    if (!item.note.empty()) line += " (" + item.note + ")";
    lines.push_back(line);
  }
  return lines;
}

RestoreResult RestoreDataFiles(const fs::path& archive, const common::Clock& clock,
                               const std::function<void(int)>& progress) {
  RestoreResult result;
  if (const std::string unsettled = SettleStagedChanges(); !unsettled.empty()) {
    result.error = "An unfinished change to " + unsettled + " could not be completed; nothing was restored.";
    return result;
  }
  result.plan = PlanRestore(archive, false);
  if (!result.plan.Acceptable()) {
    for (const std::string& refusal : result.plan.refusals) result.error += (result.error.empty() ? "" : " ") + refusal;
    return result;
  }
  std::string error;
  std::unique_ptr<ZipReader> reader = ZipReader::Open(archive, error);
  if (!reader) {
    result.error = "The archive cannot be read: " + error + ".";
    return result;
  }
  std::map<std::string, std::size_t> indexOf;
  for (std::size_t i = 0; i < reader->Entries().size(); ++i) indexOf[reader->Entries()[i].name] = i;

  // --- every entry into the staging folder, verified ----------------------------------------
  char stagingName[] = ".restore-XXXXXX";
  if (!::mkdtemp(stagingName)) {
    result.error = "The restore cannot begin: " + FileErrorInWords(errno) + ". Nothing was changed.";
    return result;
  }
  const fs::path staging = stagingName;
  struct RemoveStaging {
    fs::path path;
    ~RemoveStaging() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } cleanup{staging};
  const int stagingFd = ::open(stagingName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (stagingFd < 0) {
    result.error = "The restore cannot begin: " + FileErrorInWords(errno) + ". Nothing was changed.";
    return result;
  }
  std::size_t done = 0, total = 0;
  for (const RestoreItem& item : result.plan.items) total += item.entry.empty() ? 0 : 1;
  for (const RestoreItem& item : result.plan.items) {
    if (item.entry.empty()) continue;
    const std::size_t index = indexOf.at(item.entry);
    const ZipEntryInfo& entry = reader->Entries()[index];
    const int fd = ::openat(stagingFd, item.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    int writeError = 0;
    bool ok = fd >= 0;
    if (!ok) writeError = errno;
    if (ok)
      ok = reader->Read(index, entry.size,
                        [&](const char* data, std::size_t size) { return WriteAll(fd, data, size, writeError); },
                        error);
    if (ok && ::fsync(fd) != 0) {
      writeError = errno;
      ok = false;
    }
    if (fd >= 0) {
      const struct timespec times[2] = {{entry.modified, 0}, {entry.modified, 0}};
      ::futimens(fd, times);
      ::close(fd);
    }
    if (!ok) {
      ::close(stagingFd);
      result.error = writeError != 0 ? item.entry + " could not be unpacked: " + FileErrorInWords(writeError) + "."
                                     : "The archive is damaged: " + error + ".";
      result.error += " Nothing was changed.";
      return result;
    }
    ++done;
    if (progress) progress(int(100 * done / std::max<std::size_t>(total, 1)));
  }
  ::fsync(stagingFd);
  ::close(stagingFd);

  // --- the live files aside, the restored ones in ---------------------------------------------
  fs::path aside;
  int folderError = 0;
  if (!MakeSetAsideFolder(clock, aside, folderError)) {
    result.error = "The folder for the files set aside cannot be made: " + FileErrorInWords(folderError) +
                   ". Nothing was changed.";
    return result;
  }
  std::vector<std::pair<fs::path, fs::path>> moved;
  auto move = [&](const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    moved.emplace_back(from, to);
    return true;
  };
  bool ok = true;
  std::string failedName;
  for (const RestoreItem& item : result.plan.items)
    if (ok && (item.action == RestoreAction::Replace || item.action == RestoreAction::MoveAside))
      if (!(ok = move(item.name, aside / item.name))) failedName = item.name;
  for (const RestoreItem& item : result.plan.items) {
    if (!ok) break;
    if (item.action == RestoreAction::Replace || item.action == RestoreAction::Add)
      ok = move(staging / item.name, item.name);
    else if (item.action == RestoreAction::KeepOut)
      ok = move(staging / item.name, aside / item.name);
    if (!ok) failedName = item.name;
  }
  if (!ok) {
    const int moveError = errno;
    bool undone = true;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it)
      if (::rename(it->second.c_str(), it->first.c_str()) != 0) undone = false;
    SyncFolder(".");
    if (undone) {
      ::rmdir(aside.c_str());
      result.error = failedName + " could not be moved: " + FileErrorInWords(moveError) + ". Nothing was changed.";
    } else {
      result.error = failedName + " could not be moved: " + FileErrorInWords(moveError) +
                     ". The restore stopped half-way; the files set aside are in " + aside.string() + ".";
    }
    return result;
  }
  SyncFolder(aside);
  SyncFolder(".");
  std::error_code ec;
  if (fs::is_empty(aside, ec)) ::rmdir(aside.c_str());
  else result.setAside = aside;
  result.restored = result.plan.Count(RestoreAction::Replace) + result.plan.Count(RestoreAction::Add);
  result.ok = true;
  return result;
}

}  // namespace tf::maintenance
