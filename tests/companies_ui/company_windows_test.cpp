// The Company Manager, the options screen and its headers sub-screen driven by their control
// names in the main window on the offscreen platform: the current company edited and then
// another one chosen (the choice holds in the caption and in "LastCo.Dat"), invalid options
// refused with the page and focus on the field, a company deleted with its files and the current
// one refused, and the headers saved with the options.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "common/text_report_viewer.h"
#include "companies/ui/comp_set.h"
#include "companies/ui/company_windows.h"
#include "companies/ui/header_form.h"
#include "engine/core/engine.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/ui/main_form_startup.h"
#include "tests/companies/company_fixture.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
using common::PromptAnswer;
namespace company = records::company;
namespace fs = std::filesystem;

namespace {

struct NoViewer : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

}  // namespace

class CompanyWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void editTheCurrentCompanyThenChooseAnother();
  void invalidOptionsAreRefusedOnTheirPage();
  void deleteACompanyWithItsFiles();
  void headersAreSavedWithTheOptions();

 private:
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  companies::ui::TCompSet* Options() { return manager_->findChild<companies::ui::TCompSet*>("TCompSet"); }
  // Runs the Company Manager command; `inside` drives the manager once it shows.
  void RunManager(std::function<void()> inside) {
    Soon(std::move(inside));
    form_->RunCommand(shell::CommandId::CompanyManager, false);
  }
  void Down(int rows) {
    for (int i = 0; i < rows; ++i) QTest::keyClick(manager_->CompBrowser, Qt::Key_Down);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  QString previous_;
  common::ScriptedPrompter prompter_;
  ::tf::test::SilentStatus status_;
  NoViewer viewer_;
  common::FixedClock clock_{year{2026} / March / 14d, hours(10)};
  std::unique_ptr<shell::ui::TMainForm> form_;
  companies::ui::TListComps* manager_ = nullptr;
};

void CompanyWindowsTest::init() {
  dir_ = std::make_unique<QTemporaryDir>((QDir("/dev/shm").exists() ? QString("/dev/shm") : QDir::tempPath()) +
                                         "/tf_comp_XXXXXX");
  previous_ = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir_->path()));
  prompter_.Clear();
  engine::InitEngine(0, 30);
  QVERIFY(test::AddCompanies({test::CompanyRecord("1", "Acme Supply"), test::CompanyRecord("2", "Beta Books"),
                              test::CompanyRecord("3", "Gamma Goods")}));
  records::CompanyBook book;
  const common::RecordBuffer first = test::CompanyRecord("1", "Acme Supply");
  std::copy(first.begin(), first.end(), book.Work().begin());
  book.SaveStartupFile();
  engine::ExitEngine();
  form_ = shell::ui::CreateMainForm(prompter_, clock_, status_);
  QVERIFY(form_);
  manager_ = &companies::ui::InstallCompanyWindows(*form_, shell::ui::WindowServices{prompter_, status_, viewer_, clock_},
                                                   [] { return true; });
  manager_->ShowHelp = [](std::string_view) {};
}

void CompanyWindowsTest::cleanup() {
  form_->close();
  form_.reset();
  engine::EngineReady();
  if (engine::EngineOK) engine::ExitEngine();
  QDir::setCurrent(previous_);
  dir_.reset();
}

void CompanyWindowsTest::editTheCurrentCompanyThenChooseAnother() {
  RunManager([this] {
    QVERIFY(manager_->isVisible());
    QCOMPARE(manager_->StatusPanel0->text(), QString("Companies: 3"));
    Soon([this] {
      auto* options = Options();
      QVERIFY(options && options->isVisible());
      QCOMPARE(options->windowTitle(), QString("Edit Company"));
      QVERIFY(!options->CoNumb->isEnabled());
      options->CName->setText("Acme Renamed");
      QTest::mouseClick(options->OKButton, Qt::LeftButton);
      QVERIFY(!options->isVisible());
    });
    QTest::mouseClick(manager_->EditInvoice, Qt::LeftButton);  // the current company, Acme
    Down(2);                                                    // Beta, then Gamma
    QTest::keyClick(manager_->CompBrowser, Qt::Key_Return);
  });
  QVERIFY(!manager_->isVisible());
  QCOMPARE(form_->NameCap->text(), QString("Gamma Goods       Number: 3"));
  const std::string startup = common::ReadWholeFile("LastCo.Dat");
  QCOMPARE(startup.size(), std::size_t(company::kCompanyRecordLength));
  const std::span<const std::uint8_t> record(reinterpret_cast<const std::uint8_t*>(startup.data()), startup.size());
  QCOMPARE(common::ReadText(record, company::kCompanyNumber), std::string("3"));
  QCOMPARE(common::ReadText(form_->Book().Current(), company::kCompanyName), std::string("Gamma Goods"));

  // Edit the current company and close without a choice: the saved options are read again.
  RunManager([this] {
    Soon([this] {
      Options()->CName->setText("Gamma Renamed");
      QTest::mouseClick(Options()->OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(manager_->EditInvoice, Qt::LeftButton);
    QTest::mouseClick(manager_->SpeedButton2, Qt::LeftButton);
  });
  QCOMPARE(form_->NameCap->text(), QString("Gamma Renamed       Number: 3"));
}

void CompanyWindowsTest::invalidOptionsAreRefusedOnTheirPage() {
  RunManager([this] {
    Soon([this] {
      auto* options = Options();
      QCOMPARE(options->windowTitle(), QString("New Company"));
      QVERIFY(options->CoNumb->isEnabled());
      QCOMPARE(options->CoNumb->text(), QString("4"));
      options->CName->setText("Delta Dairy");
      options->Edit("CAVal2")->setText("31");
      QTest::mouseClick(options->OKButton, Qt::LeftButton);
      QVERIFY(options->isVisible());
      QCOMPARE(options->PageControl1->tabText(options->PageControl1->currentIndex()), QString("Envelopes/Aging"));
      QCOMPARE(options->focusWidget(), options->Edit("CAVal2"));
      QCOMPARE(prompter_.Texts().back(),
               std::string("The aging days for category 2 must be greater than category 1 by at least 2 days."));

      options->Edit("CAVal2")->setText("60");
      options->Edit("TaxCRate")->setText("120");
      QTest::mouseClick(options->OKButton, Qt::LeftButton);
      QCOMPARE(options->PageControl1->tabText(options->PageControl1->currentIndex()), QString("Address/Taxes"));
      QCOMPARE(options->focusWidget(), options->Edit("TaxCRate"));
      QTest::mouseClick(options->CancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(manager_->NewProd, Qt::LeftButton);
    QCOMPARE(manager_->StatusPanel0->text(), QString("Companies: 3"));
    QTest::mouseClick(manager_->SpeedButton2, Qt::LeftButton);
  });
  QCOMPARE(form_->NameCap->text(), QString("Acme Supply\n     Number: 1"));  // nothing switched
}

void CompanyWindowsTest::deleteACompanyWithItsFiles() {
  for (const char* f : {"2C.DAT", "2C.IX", "2I.DAT", "2I.IX", "2P.SAV"}) common::ReplaceFile(f, "company 2");
  common::ReplaceFile("12C.DAT", "company 12");
  RunManager([this] {
    QTest::keyClick(manager_->CompBrowser, Qt::Key_Delete);  // the current company
    QCOMPARE(prompter_.Texts().back(),
             std::string("You are trying to delete the current default company. You need to have another company "
                         "open to delete this one."));
    Down(1);
    prompter_.Answer(PromptAnswer::Yes);
    QTest::mouseClick(manager_->InvDelete, Qt::LeftButton);
    QCOMPARE(manager_->StatusPanel0->text(), QString("Companies: 2"));
    QTest::mouseClick(manager_->SpeedButton2, Qt::LeftButton);
  });
  for (const char* f : {"2C.DAT", "2C.IX", "2I.DAT", "2I.IX", "2P.SAV"}) QVERIFY2(!fs::exists(f), f);
  QVERIFY(fs::exists("12C.DAT"));
}

void CompanyWindowsTest::headersAreSavedWithTheOptions() {
  RunManager([this] {
    Soon([this] {
      auto* options = Options();
      Soon([options] {
        auto* headers = options->HeaderForm;
        QVERIFY(headers->isVisible());
        QCOMPARE(headers->windowTitle(), QString("Headers, Fonts and Colors"));
        headers->Edit("DescHead")->setText("Item");
        headers->Edit("StmntNote")->setText("Thank you for your business");
        QTest::mouseClick(headers->OkButn2, Qt::LeftButton);
      });
      QTest::mouseClick(options->Button2, Qt::LeftButton);
      QTest::mouseClick(options->OKButton, Qt::LeftButton);
    });
    Down(1);
    QTest::mouseClick(manager_->EditInvoice, Qt::LeftButton);  // Beta Books
    QTest::mouseClick(manager_->SpeedButton2, Qt::LeftButton);
  });
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), company::kCompanyFileBlock);
  QVERIFY(engine::EngineOK);
  const std::int32_t ref = records::FindCompany(block.get(), "2");
  QVERIFY(ref != 0);
  common::RecordBuffer record(company::kCompanyRecordLength);
  engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(record));
  QCOMPARE(common::ReadText(record, company::kDescriptionHeading), std::string("Item"));
  QCOMPARE(common::ReadText(record, company::kStatementNote), std::string("Thank you for your business"));
  QCOMPARE(common::ReadText(record, company::kCompanyName), std::string("Beta Books"));
}

QTEST_MAIN(CompanyWindowsTest)
#include "company_windows_test.moc"
