// The password dialog, the backup window and the main window's maintenance commands, driven by
// their control names on the offscreen platform: the password asked at start-up (a wrong one,
// or Cancel after the right one, ends the program), a backup into a chosen folder and a restore
// from it that reads the company state again, the backup offered on exit, the purge through the
// date selection window and the rebuild of every data file.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/text_report_viewer.h"
#include "common/ui/cal_form.h"
#include "engine/core/engine.h"
#include "maintenance/file_mask.h"
#include "maintenance/passwords.h"
#include "maintenance/ui/maintenance_windows.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/record_file.h"
#include "shell/ui/main_form_startup.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
using common::PromptAnswer;
namespace company = records::company;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

}  // namespace

class MaintenanceWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void passwordDialogByControlNames();
  void startUpAsksForThePassword();
  void backupThenRestoreReadsTheCompanyAgain();
  void backupOfferedOnExit();
  void purgeAndRebuildFromTheMainWindow();

 private:
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  // Types into the password dialog once it shows and presses OK or Cancel.
  void AnswerPassword(const QString& text, bool ok);
  // The company file and "LastCo.Dat" with one company; `edit` sets its values.
  void MakeCompany(const std::function<void(std::span<std::uint8_t>)>& edit = {});
  // The main window as the program makes it, with the maintenance windows installed.
  void Start();
  void Stop();

  std::unique_ptr<QTemporaryDir> dir_;
  QString previous_;
  common::ScriptedPrompter prompter_;
  ::tf::test::SilentStatus status_;
  NoViewer viewer_;
  common::FixedClock clock_{year{2026} / March / 14d, hours(10)};
  std::unique_ptr<shell::ui::TMainForm> form_;
  maintenance::ui::MaintenanceWindows windows_;
};

void MaintenanceWindowsTest::init() {
  dir_ = std::make_unique<QTemporaryDir>((QDir("/dev/shm").exists() ? QString("/dev/shm") : QDir::tempPath()) +
                                         "/tf_maint_XXXXXX");
  previous_ = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir_->path()));
  QDir().mkdir("data");
  QDir().mkdir("stick");
  QVERIFY(QDir::setCurrent(dir_->path() + "/data"));
  prompter_.Clear();
}

void MaintenanceWindowsTest::cleanup() {
  Stop();
  QDir::setCurrent(previous_);
  dir_.reset();
}

void MaintenanceWindowsTest::MakeCompany(const std::function<void(std::span<std::uint8_t>)>& edit) {
  engine::InitEngine(0, 30);
  QVERIFY(engine::EngineOK);
  common::ScriptedPrompter setup{PromptAnswer::OK};
  common::RecordBuffer blank(company::kCompanyRecordLength);
  common::RecordBuffer record = company::NewCompanyRecord(blank, 0, {});
  common::WriteText(record, company::kCompanyName, "Acme Supply");
  common::WriteText(record, company::kDateFormat, "M");
  common::WriteText(record, company::kBackgroundPath, "");
  if (edit) edit(record);
  {
    engine::FileBlockGuard block;
    QVERIFY(records::OpenCompanyFile(block.handle(), setup, status_));
    std::int32_t ref = 0;
    QVERIFY(records::AddKeyedRecord(block.get(), company::CompanyFileKind(), record, ref, setup));
  }
  records::CompanyBook book;
  std::copy(record.begin(), record.end(), book.Work().begin());
  book.SaveStartupFile();
  engine::ExitEngine();
}

void MaintenanceWindowsTest::Start() {
  form_ = shell::ui::CreateMainForm(prompter_, clock_, status_);
  QVERIFY(form_);
  windows_ = maintenance::ui::InstallMaintenanceWindows(*form_,
                                                        shell::ui::WindowServices{prompter_, status_, viewer_, clock_});
  windows_.passwordDialog->ShowHelp = [](std::string_view) {};
}

void MaintenanceWindowsTest::Stop() {
  if (!form_) return;
  form_->OnOfferBackup = [] {};
  form_->close();
  form_.reset();
  engine::EngineReady();
  if (engine::EngineOK) engine::ExitEngine();
}

void MaintenanceWindowsTest::AnswerPassword(const QString& text, bool ok) {
  Soon([=, this] {
    auto* dialog = QApplication::activeModalWidget();
    QVERIFY(dialog && dialog->objectName() == "TPWDlg");
    auto* edit = dialog->findChild<QLineEdit*>("Password");
    QCOMPARE(edit->text(), QString());  // emptied for every showing
    QTest::keyClicks(edit, text);
    QTest::mouseClick(dialog->findChild<QPushButton*>(ok ? "OKBtn" : "CancelBtn"), Qt::LeftButton);
  });
}

void MaintenanceWindowsTest::passwordDialogByControlNames() {
  maintenance::ui::TPWDlg dialog;
  dialog.ShowHelp = [](std::string_view) {};
  QCOMPARE(dialog.Password->maxLength(), 20);
  QCOMPARE(dialog.Password->echoMode(), QLineEdit::Password);
  QCOMPARE(dialog.Label1->text(), QString("Enter password:"));
  AnswerPassword(" Secret ", true);
  maintenance::PasswordEntry entry = dialog.Run("Password Setup", true);
  QVERIFY(entry.ok);
  QCOMPARE(entry.text, std::string(" Secret "));
  QCOMPARE(dialog.Password->text(), QString());  // the typed text does not stay behind

  Soon([&dialog] {
    QCOMPARE(dialog.windowTitle(), QString("Password Required"));
    QVERIFY(!dialog.PWHelpButn->isVisible());
    QTest::keyClicks(dialog.Password, QString(30, 'x'));
    QCOMPARE(dialog.Password->text().size(), 20);
    QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
  });
  entry = dialog.Run("Password Required", false);
  QVERIFY(!entry.ok);
  QVERIFY(!dialog.PWHelpButn->isHidden());
}

void MaintenanceWindowsTest::startUpAsksForThePassword() {
  MakeCompany();
  maintenance::SavePassword("Secret");
  struct Case {
    QString typed;
    bool ok;
    bool refused;
    bool said;
  } cases[] = {{"secret", true, true, true}, {"Secret", false, true, false}, {"  Secret", true, false, false}};
  for (const Case& c : cases) {
    prompter_.Clear();
    Start();
    QSignalSpy refused(form_.get(), &shell::ui::TMainForm::StartupRefused);
    AnswerPassword(c.typed, c.ok);
    form_->show();
    QCOMPARE(refused.count(), c.refused ? 1 : 0);
    QCOMPARE(prompter_.Texts().size(), c.said ? 1u : 0u);
    if (c.said) QCOMPARE(prompter_.Texts()[0], std::string("You did not enter the correct password."));
    Stop();
  }
}

void MaintenanceWindowsTest::backupThenRestoreReadsTheCompanyAgain() {
  MakeCompany();
  Start();
  const QString stick = dir_->path() + "/stick";
  const std::size_t files = maintenance::BackupFileNames().size();  // the company file, its index, LastCo.Dat
  QCOMPARE(files, 3u);
  Soon([&, this] {
    auto* window = windows_.backup;
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QString("QZ Tallyfold PRO Backup"));
    QCOMPARE(window->Label4->text(), QString("Ready. Select backup or restore button..."));
    window->DriveComboBox1->setEditText(stick);
    prompter_.Answer(PromptAnswer::OK);  // "Ready to backup files to ...?"
    QTest::mouseClick(window->BackButn, Qt::LeftButton);
  });
  form_->RunCommand(shell::CommandId::BackupDataFiles, true);
  QVERIFY(!windows_.backup->isVisible());
  QVERIFY(QFile::exists(stick + "/QZBackup.zip"));
  QCOMPARE(prompter_.Texts().back(), std::string("Backup complete. 3 files were copied."));

  // The company is renamed after the backup; the restore brings the old name back into the
  // window at once.
  QVERIFY(form_->Book().UpdateCurrentCompany(
      [](std::span<std::uint8_t> w) { common::WriteText(w, company::kCompanyName, "Renamed Ltd"); }, prompter_,
      status_));
  form_->Book().Work() = form_->Book().Current();
  QCOMPARE(common::ReadText(form_->Book().Current(), company::kCompanyName), std::string("Renamed Ltd"));
  bool previewed = false;
  windows_.backup->ConfirmPlan = [&](const maintenance::RestorePlan& plan) {
    previewed = plan.Count(maintenance::RestoreAction::Replace) == int(files);
    return true;
  };
  Soon([&, this] {
    windows_.backup->DriveComboBox1->setEditText(stick);
    prompter_.Answer(PromptAnswer::OK);  // "Ready to RESTORE files ... Continue?"
    QTest::mouseClick(windows_.backup->RestBtn, Qt::LeftButton);
  });
  form_->RunCommand(shell::CommandId::BackupDataFiles, false);
  QVERIFY(previewed);
  QVERIFY(prompter_.Texts().back().starts_with("Restore files operation complete."));
  QCOMPARE(common::ReadText(form_->Book().Current(), company::kCompanyName), std::string("Acme Supply"));
  QVERIFY(form_->NameCap->text().startsWith("Acme Supply"));
  QVERIFY(!QDir().entryList({"PreRestore-2026-03-14-100000"}, QDir::Dirs).isEmpty());
}

void MaintenanceWindowsTest::backupOfferedOnExit() {
  MakeCompany([](std::span<std::uint8_t> r) { common::WriteFlag(r, company::kBackupPromptOnExit, true); });
  Start();
  bool offered = false;
  Soon([&, this] {
    offered = windows_.backup->isVisible();
    QTest::mouseClick(windows_.backup->BkExit, Qt::LeftButton);
  });
  QVERIFY(form_->close());
  QVERIFY(offered);
  form_.reset();
}

void MaintenanceWindowsTest::purgeAndRebuildFromTheMainWindow() {
  MakeCompany();
  Start();
  QVERIFY(form_->CommandAvailable(shell::CommandId::PurgePaidInvoices));
  QVERIFY(form_->CommandAvailable(shell::CommandId::RebuildDataFiles));
  QVERIFY(form_->CommandAvailable(shell::CommandId::PasswordSetup));
  prompter_.Answer(PromptAnswer::Yes);  // the warning
  Soon([this] {
    auto* calendar = form_->CalForm;
    QVERIFY(calendar->isVisible());
    QCOMPARE(calendar->windowTitle(), QString("Delete Date Selection"));
    // Proposed: today's day and month two years back.
    QCOMPARE(calendar->Calendar1->selectedDate(), QDate(2024, 3, 14));
    prompter_.Answer(PromptAnswer::Yes);  // "All paid records older than ... Continue?"
    QTest::mouseClick(calendar->OKBtn, Qt::LeftButton);
  });
  form_->RunCommand(shell::CommandId::PurgePaidInvoices, false);
  const auto texts = prompter_.Texts();
  QVERIFY(texts.size() >= 3);
  QCOMPARE(texts[texts.size() - 2], std::string("All paid records older than 03/14/2024 will be removed. Continue?"));
  QCOMPARE(texts.back(), std::string("0 paid records older than 03/14/2024 were removed."));
  QCOMPARE(form_->StatusPanel1->text(), QString("0 records were removed."));
  QCOMPARE(form_->CalForm->windowTitle(), QString("Date Selection"));

  form_->RunCommand(shell::CommandId::RebuildDataFiles, false);
  QCOMPARE(prompter_.Texts().back(), std::string("The data files have been rebuilt."));
  QCOMPARE(prompter_.Shown().back().caption, std::string("Rebuild Complete"));
}

QTEST_MAIN(MaintenanceWindowsTest)
#include "maintenance_windows_test.moc"
