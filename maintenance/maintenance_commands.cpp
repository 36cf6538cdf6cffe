#include "maintenance/maintenance_commands.h"

#include <system_error>

#include "common/date_text.h"
#include "common/record_fields.h"
#include "maintenance/backup.h"
#include "maintenance/file_mask.h"
#include "maintenance/purge.h"
#include "maintenance/rebuild_all.h"
#include "records/company_record.h"
#include "records/record_kinds.h"

namespace tf::maintenance {

namespace company = records::company;

void RebuildDataFiles(const MaintenanceServices& s) {
  const RebuildAllResult result =
      RebuildAllFiles(common::ReadText(s.company.Current(), company::kCompanyNumber), records::BuiltInRecordKinds(),
                      s.status);
  const bool clean = result.Failed().empty();
  s.prompter.Inform(result.Message(), clean ? kRebuildCompleteCaption : "Rebuild Data Files",
                    clean ? common::PromptIcon::Information : common::PromptIcon::Exclamation);
}

void DeletePaidInvoices(const MaintenanceServices& s) {
  if (s.checkPassword && !s.checkPassword()) return;
  if (!s.prompter.AskYesNo(kPurgeQuestion, kPurgeQuestionCaption)) return;
  const std::optional<std::chrono::year_month_day> cutoff =
      s.chooseDate(kPurgeDateTitle, DefaultPurgeCutoff(s.clock.Today()));
  if (!cutoff) return;
  const common::DateFormat format =
      common::DateFormatFromCode(common::ReadText(s.company.Current(), company::kDateFormat));
  const std::string shown = common::FormatDate(*cutoff, format);
  if (!s.prompter.AskYesNo(PurgeConfirmText(shown), kPurgeConfirmCaption)) return;
  if (s.setStatusText) s.setStatusText(kPurgeRemovingStatus);
  const PurgeResult result = PurgePaidInvoices(
      {common::ReadText(s.company.Current(), company::kCompanyNumber), *cutoff, false}, s.prompter, s.status);
  if (!result.error.empty()) {
    s.prompter.Inform(result.error + " Nothing was removed.", kPurgeDoneCaption);
    if (s.setStatusText) s.setStatusText("0 records were removed.");
    return;
  }
  std::string text = result.DoneText(shown);
  for (const std::string& failure : result.failures) text += "\n" + failure;
  s.prompter.Inform(text, kPurgeDoneCaption,
                    result.failures.empty() ? common::PromptIcon::Information : common::PromptIcon::Exclamation);
  if (s.setStatusText) s.setStatusText(std::to_string(result.RemovedRecords()) + " records were removed.");
}

// --- the backup window ---------------------------------------------------------------------------

std::filesystem::path DefaultBackupFolder(const char* home) {
  if (home && *home) return home;
  std::error_code ec;
  return std::filesystem::current_path(ec);
}

BackupWindow::BackupWindow(std::filesystem::path folder) : folder_(std::move(folder)), status_(kReady) {}

void BackupWindow::Show() {
  status_ = std::string(kReady);
  busy_ = false;
}

std::filesystem::path BackupWindow::Archive() const { return BackupArchiveIn(folder_); }

void BackupWindow::Set(std::string_view status, bool busy, const std::function<void()>& changed) {
  status_ = std::string(status);
  busy_ = busy;
  if (changed) changed();
}

bool BackupWindow::Backup(common::Prompter& prompter, const std::function<void(int)>& progress,
                          const std::function<void()>& changed) {
  if (!prompter.AskOKCancel("Ready to backup files to " + folder_.string() + "?", "Please Confirm",
                            common::PromptIcon::Question))
    return false;
  Set("Backing up your files...", true, changed);
  std::error_code ec;
  const bool hadArchive = std::filesystem::exists(Archive(), ec);
  const BackupResult result = BackupDataFiles(Archive(), progress);
  Set(kReady, false, changed);
  if (!result.ok) {
    prompter.Inform("The backup could not be written: " + result.error + "." +
                        (hadArchive ? " The previous backup in " + folder_.string() + " is unchanged." : ""),
                    "QZ Backup");
    return false;
  }
  prompter.Inform("Backup complete. " + std::to_string(result.files.size()) + " files were copied.", "QZ Backup",
                  common::PromptIcon::Information);
  return true;
}

bool BackupWindow::Restore(common::Prompter& prompter, const common::Clock& clock,
                           const std::function<void(int)>& progress,
                           const std::function<bool(const RestorePlan& plan)>& confirm,
                           const std::function<void()>& restarted, const std::function<void()>& changed) {
  if (!prompter.AskOKCancel("Ready to RESTORE files from backup in " + folder_.string() +
                                ". WARNING!! Your data files will be over-written by the backup files! Continue?",
                            "Restore", common::PromptIcon::Question))
    return false;
  std::error_code ec;
  if (!std::filesystem::exists(Archive(), ec)) {
    prompter.Inform("Unable to locate the backup files.", "Restore");
    return false;
  }
  Set("Restoring your files...", true, changed);
  const RestorePlan plan = PlanRestore(Archive(), true);
  if (!plan.Acceptable()) {
    std::string text = "The backup in " + folder_.string() + " cannot be restored; nothing was changed:";
    for (const std::string& refusal : plan.refusals) text += "\n" + refusal;
    Set(kReady, false, changed);
    prompter.Inform(text, "Restore");
    return false;
  }
  if (confirm && !confirm(plan)) {
    Set(kReady, false, changed);
    return false;
  }
  const RestoreResult result = RestoreDataFiles(Archive(), clock, progress);
  if (!result.ok) {
    Set(kReady, false, changed);
    prompter.Inform(result.error, "Restore");
    return false;
  }
  if (restarted) restarted();
  Set(kReady, false, changed);
  std::string text =
      "Restore files operation complete. You should now run the \"rebuild data files\" option on the Tools Menu "
      "to update your data files.";
  if (!result.setAside.empty())
    text += " The files the backup replaced are kept in " + (std::filesystem::current_path(ec) / result.setAside).string() + ".";
  prompter.Inform(text, "Restore Complete", common::PromptIcon::Information);
  return true;
}

}  // namespace tf::maintenance
