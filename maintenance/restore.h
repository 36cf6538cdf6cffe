#pragma once
// Restoring the data folder from a backup archive, with nothing taken on trust:
//
// - The archive is vetted before anything is written: only plain file names that match the
//   backup's mask (no folders, "..", absolute paths, links, devices, encrypted entries, names
//   standing twice), sizes and packing ratios within bounds (a ZIP bomb is refused), room on the
//   disk for all of it, and at least one file.
// - Every entry is read into a staging folder inside the data folder with its size and CRC
//   verified; a damaged entry stops the restore before any live file is touched.
// - Only then are the files it replaces moved aside into a dated pre-restore folder
//   ("PreRestore-2024-05-01-101500") and the restored ones moved in. A failure half-way puts
//   everything back.
// - A file block is restored as a whole: its index, rebuild leftover or journal on disk that
//   the archive does not hold go aside too, so they cannot pair with the restored data. A
//   rebuild leftover "N.SAV" in the archive (a backup taken while a rebuild was cut short)
//   holds the block's records: it is restored as N.DAT without an index, so that the next open
//   or rebuild rebuilds the index from it, and the archive's partial N.DAT and its N.IX are kept
//   in the pre-restore folder ("archive-N.DAT").
//
// Runs with the data folder as working directory and no file block open.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"

namespace tf::maintenance {

// Bounds of what a restore takes from an archive.
inline constexpr std::size_t kMaxRestoreEntries = 10000;
inline constexpr std::uint64_t kMaxRestoreEntrySize = std::uint64_t(16) << 30;  // 16 GiB
// Data and index files pack well, but not like a bomb: an entry larger than kRatioFloor may
// expand at most kMaxPackingRatio times its packed size.
inline constexpr std::uint64_t kRatioFloor = std::uint64_t(1) << 20;
inline constexpr std::uint64_t kMaxPackingRatio = 200;

struct FileFacts {
  std::uint64_t size = 0;
  std::time_t modified = 0;
};

enum class RestoreAction {
  Replace,    // in the archive and on disk: the file on disk goes aside
  Add,        // in the archive only
  Leave,      // on disk only: stays as it is
  MoveAside,  // on disk only, but part of a file block the archive restores: goes aside
  KeepOut,    // in the archive, not restored (kept in the pre-restore folder)
};

struct RestoreItem {
  std::string name;   // the file on disk (as restored)
  std::string entry;  // the archive's entry restored as `name`; empty for Leave and MoveAside
  RestoreAction action = RestoreAction::Leave;
  std::optional<FileFacts> archived;
  std::optional<FileFacts> onDisk;
  std::string note;  // why a file goes aside or stays out
};

struct RestorePlan {
  std::vector<RestoreItem> items;     // by name
  std::vector<std::string> refusals;  // why the archive cannot be restored; empty when it can
  bool Acceptable() const { return refusals.empty(); }
  int Count(RestoreAction action) const;
};

// What restoring `archive` into the working directory would do; nothing is changed. With
// `readEntries` every entry is also read through and its CRC checked, so that a damaged archive
// is refused here already.
RestorePlan PlanRestore(const std::filesystem::path& archive, bool readEntries);

// One line per item: what happens, the name, and the size and date in the archive and on disk.
std::vector<std::string> DescribePlan(const RestorePlan& plan);

struct RestoreResult {
  bool ok = false;
  int restored = 0;                   // files moved in
  std::filesystem::path setAside;     // the pre-restore folder; empty when nothing went aside
  std::string error;                  // why it stopped; the live files are as they were
  RestorePlan plan;
};

// Restores the archive (see above). `progress` is told the percentage of entries read.
RestoreResult RestoreDataFiles(const std::filesystem::path& archive, const common::Clock& clock,
                               const std::function<void(int percent)>& progress = {});

}  // namespace tf::maintenance
