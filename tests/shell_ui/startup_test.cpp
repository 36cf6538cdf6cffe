// The main window as the program creates it on a data folder built here: one company in the
// company file block and in "LastCo.Dat".

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/main_window_model.h"
#include "shell/starter_background.h"
#include "shell/ui/main_form.h"
#include "shell/ui/main_form_startup.h"
#include "tests/support/status_sinks.h"
#include "test_support.h"

namespace tf::shell::ui::test {
namespace {

using namespace std::chrono;
using namespace records::company;
using namespace records;
using common::PromptAnswer;

const engine::KeyBuilder kCompanyKeys = [](std::span<const unsigned char> r) {
  return std::vector<std::string>{CompanyKey(r, 1), CompanyKey(r, 2)};
};

// EngineReady reports through EngineOK.
bool EngineRunning() {
  engine::EngineReady();
  return engine::EngineOK;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class StartupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString previous_;
  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{2026y / December / 10d, hours(9) + minutes(30)};
  ::tf::test::SilentStatus status_;

  // The company file block with one company, and "LastCo.Dat" naming it, in the working
  // directory. `edit` changes the new company's values first.
  void MakeCompany(const std::function<void(std::span<std::uint8_t>)>& edit) {
    engine::InitEngine(0, 30);
    QVERIFY(engine::EngineOK);
    common::ScriptedPrompter setup{PromptAnswer::OK};  // "I am going to create ..."
    common::RecordBuffer blank(kCompanyRecordLength);
    common::RecordBuffer record = NewCompanyRecord(blank, 0, {});
    common::WriteText(record, kCompanyName, "Acme Supply");
    edit(record);
    {
      engine::FileBlockGuard block;
      QVERIFY(OpenCompanyFile(block.handle(), setup, status_));
      std::int32_t ref = 0;
      QVERIFY(AddKeyedRecord(block.get(), CompanyFileKind(), record, ref, setup));
    }
    CompanyBook book;
    std::copy(record.begin(), record.end(), book.Work().begin());
    book.SaveStartupFile();
    engine::ExitEngine();
  }

  std::unique_ptr<TMainForm> Create() { return CreateMainForm(prompter_, clock_, status_); }

  void CheckCompanyFile() {
    engine::CheckResult r = engine::CheckFileBlock("Company", &kCompanyKeys);
    for (const auto& f : r.findings) qWarning("%s", f.text.c_str());
    QVERIFY(r.Clean());
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>(
        (QDir("/dev/shm").exists() ? QString("/dev/shm") : QDir::tempPath()) + "/tf_start_XXXXXX");
    previous_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    prompter_.Clear();
  }
  void cleanup() {
    if (EngineRunning()) engine::ExitEngine();
    // Whatever a scenario did, the company file block it leaves must be sound.
    if (QFile::exists("Company.DAT")) CheckCompanyFile();
    QDir::setCurrent(previous_);
    dir_.reset();
  }

  void MissingStartupFileEndsBeforeTheWindowExists() {
    auto form = Create();
    QVERIFY(!form);
    QCOMPARE(prompter_.Shown().size(), 1u);
    const common::PromptMessage& m = prompter_.Shown()[0];
    QCOMPARE(m.text, std::string("I do not find the billing data files. The data files must be in "
                                 "the same directory as the billing program."));
    QCOMPARE(m.caption, std::string("QZ Tallyfold PRO"));
    QCOMPARE(m.icon, common::PromptIcon::Exclamation);
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<TMainForm*>(w));
    QVERIFY(QDir(dir_->path()).entryList(QDir::Files).isEmpty());  // nothing created
  }

  void CompanyCaptionClockAndMonthFirstDate() {
    MakeCompany([](std::span<std::uint8_t> r) {
      common::WriteText(r, kDateFormat, "M");
      common::WriteBool(r, kShowHints, true);
      common::WriteText(r, kBackgroundPath, "");
    });
    auto form = Create();
    QVERIFY(form);
    QVERIFY(prompter_.Shown().empty());
    QCOMPARE(form->windowTitle(), QString("QZ Tallyfold PRO"));
    QCOMPARE(form->NameCap->text(), QString("Acme Supply\n     Number: 1"));
    // The new company's editor font: 10 points, blue, bold.
    QCOMPARE(form->NameCap->font().pointSize(), 10);
    QVERIFY(form->NameCap->font().bold());
    QCOMPARE(form->NameCap->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(form->WorkingDate(), std::string("12/10/2026"));
    QCOMPARE(form->StatusPanel0->text(), QString("Thursday, December 10, 2026, 09:30 AM"));
    QCOMPARE(form->StatusPanel1->text(), QString("Ready."));
    QVERIFY(form->Panel2->isHidden());
    QCOMPARE(form->Button(CommandId::ViewCalendar)->toolTip(), QString("View Calendar"));
    QVERIFY(form->close());
    QVERIFY(!EngineRunning());  // closing ended the engine
    CheckCompanyFile();
  }

  void DayFirstDateFormat() {
    MakeCompany([](std::span<std::uint8_t> r) { common::WriteText(r, kDateFormat, "D"); });
    auto form = Create();
    QVERIFY(form);
    QCOMPARE(form->WorkingDate(), std::string("10/12/2026"));
    QCOMPARE(form->DateFormat(), common::DateFormat::DayFirst);
    QVERIFY(form->close());
  }

  void EmptyCompanyNameAsksForSetUpInMemoryOnly() {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save("tile.bmp"));
    MakeCompany([](std::span<std::uint8_t> r) {
      common::WriteText(r, kCompanyName, " ");
      common::WriteBool(r, kBackgroundOn, true);
      common::WriteText(r, kBackgroundPath, "tile.bmp");
      common::WriteBool(r, kShowHints, false);
    });
    const QByteArray startupFile = ReadAll("LastCo.Dat");
    auto form = Create();
    QVERIFY(form);
    QVERIFY(prompter_.Shown().empty());
    QCOMPARE(form->NameCap->text(), QString("Please Setup Your Company."));
    QCOMPARE(common::ReadText(form->Book().Current(), kCompanyName),
             std::string("Please Setup Your Company."));
    QVERIFY(!form->BackgroundOn());
    QCOMPARE(form->Button(CommandId::ViewCalendar)->toolTip(), QString());
    QVERIFY(form->close());
    QCOMPARE(ReadAll("LastCo.Dat"), startupFile);
    CheckCompanyFile();
  }

  void BackgroundPictureIsTiled() {
    QImage picture(13, 9, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save("paper.bmp"));
    MakeCompany([](std::span<std::uint8_t> r) {
      common::WriteBool(r, kBackgroundOn, true);
      common::WriteText(r, kBackgroundPath, "paper.bmp");
    });
    auto form = Create();
    QVERIFY(form);
    QVERIFY(form->BackgroundOn());
    QCOMPARE(form->Background->Tile().size(), QSize(13, 9));
    QVERIFY(form->close());
  }

  // A company set up from a starter folder names the starter picture: it must be one the window
  // can tile.
  void StarterBackgroundPictureIsTiled() {
    QVERIFY(CreateStarterBackground().empty());
    MakeCompany([](std::span<std::uint8_t>) {});
    auto form = Create();
    QVERIFY(form);
    QVERIFY(prompter_.Shown().empty());
    QVERIFY(form->BackgroundOn());
    QCOMPARE(form->Background->Tile().size(), QSize(64, 64));
    QVERIFY(form->close());
  }

  void MissingBackgroundPictureIsSwitchedOffWithAMessage() {
    MakeCompany([](std::span<std::uint8_t> r) {
      common::WriteBool(r, kBackgroundOn, true);
      common::WriteText(r, kBackgroundPath, "gone.bmp");
    });
    auto form = Create();
    QVERIFY(form);
    QCOMPARE(prompter_.Texts(),
             std::vector<std::string>{
                 "Background bitmap image no longer exists. Unable to load background picture."});
    QVERIFY(!form->BackgroundOn());
    QVERIFY(form->close());
  }

  void EMailChoiceLeavesTheCompanyRecordAlone() {
    MakeCompany([](std::span<std::uint8_t> r) { common::WriteFlag(r, kDefaultOutputEMail, false); });
    const QByteArray startupFile = ReadAll("LastCo.Dat");
    auto form = Create();
    QVERIFY(form);
    form->show();
    QVERIFY(form->PrinDef->isChecked());
    QCOMPARE(form->Label5->text(), QString("System Mode: Printer / Fax"));
    std::vector<std::uint8_t> current(form->Book().Current().begin(), form->Book().Current().end());
    form->EMdef->click();
    QCOMPARE(form->Label5->text(), QString("System Mode: E-Mail"));
    QCOMPARE(form->Output(), OutputMode::EMail);
    QVERIFY(std::equal(current.begin(), current.end(), form->Book().Current().begin()));
    QVERIFY(form->close());
    QCOMPARE(ReadAll("LastCo.Dat"), startupFile);
    CheckCompanyFile();
  }

  void CompanyThatPrefersEMailStartsInEMailMode() {
    MakeCompany([](std::span<std::uint8_t> r) { common::WriteFlag(r, kDefaultOutputEMail, true); });
    auto form = Create();
    QVERIFY(form);
    form->show();
    QVERIFY(form->EMdef->isChecked());
    QCOMPARE(form->Label5->text(), QString("System Mode: E-Mail"));
    QVERIFY(form->close());
  }

  void AgingRunsOnlyWhenNotYetRunToday() {
    for (const char* last : {"10/12/2026", "09/12/2026"}) {
      MakeCompany([last](std::span<std::uint8_t> r) { common::WriteText(r, kLastAgingDate, last); });
      auto form = Create();
      QVERIFY(form);
      int runs = 0;
      form->RunAging = [&] { ++runs; };
      form->show();
      QCOMPARE(runs, std::string(last) == "10/12/2026" ? 0 : 1);
      QVERIFY(form->close());
      CheckCompanyFile();
      for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
    }
  }

  void BackupIsOfferedOnExitWhenTheCompanyAsks() {
    MakeCompany([](std::span<std::uint8_t> r) { common::WriteFlag(r, kBackupPromptOnExit, true); });
    auto form = Create();
    QVERIFY(form);
    std::vector<std::string> steps;
    form->OnOfferBackup = [&] { steps.push_back(EngineRunning() ? "backup" : "late"); };
    QVERIFY(form->close());
    QCOMPARE(steps, std::vector<std::string>{"backup"});
    QVERIFY(!EngineRunning());
  }
};

}  // namespace

int RunStartupTests(int argc, char** argv) {
  StartupTest t;
  return QTest::qExec(&t, argc, argv);
}

}  // namespace tf::shell::ui::test

#include "startup_test.moc"
