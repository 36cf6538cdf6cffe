#pragma once
// The main window's data-maintenance commands without any window: "Rebuild Data Files",
// "Delete Paid Invoices" and the backup window's two buttons. The Qt side (maintenance/ui)
// supplies the dialogs they open as functions.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/help_topics.h"
#include "common/prompter.h"
#include "engine/rebuilding/rebuild_status.h"
#include "maintenance/restore.h"
#include "records/company_store.h"

namespace tf::maintenance {

struct MaintenanceServices {
  records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;
  const common::Clock& clock;
  // The password check (passwords.h); true when it passed.
  std::function<bool()> checkPassword;
  // The date selection window titled `title`, opened on `preset`: the date chosen, if any.
  std::function<std::optional<std::chrono::year_month_day>(std::string_view title,
                                                           std::chrono::year_month_day preset)>
      chooseDate;
  // Status panel 1 of the main window.
  std::function<void(std::string_view text)> setStatusText;
};

// Rebuilds the current company's files and the company file, then says how it went.
void RebuildDataFiles(const MaintenanceServices& services);

// The password, the warning, the cut-off date and its confirmation, then the purge; what was
// removed (and what failed) is said at the end and in the status panel.
void DeletePaidInvoices(const MaintenanceServices& services);

// The backup window "QZ Tallyfold PRO Backup" without its controls: the folder the archive goes
// to (the user's home at first), the status line and the two operations.
class BackupWindow {
 public:
  static constexpr std::string_view kCaption = "QZ Tallyfold PRO Backup";
  static constexpr std::string_view kReady = "Ready. Select backup or restore button...";
  static constexpr std::string_view kHelpTopic = common::help::kBackupData;

  explicit BackupWindow(std::filesystem::path folder);

  // On show: ready, controls enabled.
  void Show();
  void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path Archive() const;
  const std::string& Status() const { return status_; }  // Label4
  bool Busy() const { return busy_; }                     // controls disabled while true

  // "&Backup": true when the backup was written (the window then closes). `progress` follows
  // the percentage done; `changed` is called whenever Status or Busy change.
  bool Backup(common::Prompter& prompter, const std::function<void(int)>& progress,
              const std::function<void()>& changed = {});

  // "&Restore": the warning, the archive vetted and read through, the preview of what it
  // replaces (`confirm` shows it and says whether to go on), the restore, then `restarted`
  // reads the company state again before anything else reads the files. True when the files
  // were restored (the window then closes).
  bool Restore(common::Prompter& prompter, const common::Clock& clock, const std::function<void(int)>& progress,
               const std::function<bool(const RestorePlan& plan)>& confirm, const std::function<void()>& restarted,
               const std::function<void()>& changed = {});

 private:
  void Set(std::string_view status, bool busy, const std::function<void()>& changed);

  std::filesystem::path folder_;
  std::string status_;
  bool busy_ = false;
};

// The folder the backup window proposes: the user's home, else the working directory.
std::filesystem::path DefaultBackupFolder(const char* home);

}  // namespace tf::maintenance
