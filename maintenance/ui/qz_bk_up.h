#pragma once
// TQZBkUp: the backup window "QZ Tallyfold PRO Backup". The archive "QZBackup.zip" goes into a
// folder the user picks (a mounted stick or any folder; the home folder at first) instead of
// a drive letter. Before a restore replaces anything the window lists what it would replace,
// add and leave, with each file's size and date in the archive and on disk.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <functional>
#include <string_view>

#include "common/clock.h"
#include "common/prompter.h"
#include "maintenance/maintenance_commands.h"

namespace tf::maintenance::ui {

class TQZBkUp : public QDialog {
  Q_OBJECT

 public:
  TQZBkUp(common::Prompter& prompter, const common::Clock& clock, QWidget* parent = nullptr);

  BackupWindow& Model() { return model_; }

  // --- replaceable in tests ----------------------------------------------------------------
  // Shows the restore preview; true to go on (a dialog listing the plan by default).
  std::function<bool(const RestorePlan& plan)> ConfirmPlan;
  // Reads the company state again after a restore.
  std::function<void()> OnRestored;
  // Picks the folder ("..." beside the folder box); empty when cancelled.
  std::function<QString(const QString& start)> ChooseFolder;
  std::function<void(std::string_view topic)> ShowHelp;

  QLabel* Label1;
  QComboBox* DriveComboBox1;
  QToolButton* BrowseButn;
  QLabel* Label4;
  QPushButton* BackButn;
  QPushButton* RestBtn;
  QProgressBar* Gauge1;
  QPushButton* BkExit;
  QPushButton* HelpButn;

  void BackButnClick();
  void RestBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillFolders();
  void ShowState();
  void Progress(int percent);
  void TakeFolder();
  bool ShowPlan(const RestorePlan& plan);

  common::Prompter& prompter_;
  const common::Clock& clock_;
  BackupWindow model_;
};

}  // namespace tf::maintenance::ui
