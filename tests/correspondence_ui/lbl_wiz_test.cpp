// Tlblwiz driven by its control names: the queue filled and emptied, the layout's return-address
// controls, and labels printed through the real print dialog into a PDF read back with pdftotext.
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "common/scripted_prompter.h"
#include "correspondence/starter_layouts.h"
#include "correspondence/ui/lbl_wiz.h"
#include "tests/correspondence/label_customers.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/print_dialog_answer.h"
#include "tests/support/status_sinks.h"

namespace tf::correspondence::ui {

class LblWizTest : public QObject {
  Q_OBJECT

 private slots:
  void FillsTheQueueAndPrintsItsLabelsToPdf();
  void WithoutALayoutOnlyOpeningIsOffered();
};

namespace {

struct Screen {
  common::RecordBuffer company = test::LabelCompanyRecord();
  common::ScriptedPrompter prompter;
  test::SilentStatus status;
  LabelQueue queue;
  Tlblwiz wizard{{queue, prompter, status, [this] { return std::span<const std::uint8_t>(company); }}};

  template <class T>
  T* Child(const char* name) {
    T* child = wizard.findChild<T*>(name);
    if (!child) qFatal("no control %s", name);
    return child;
  }
  QStringList Row(int row) {
    QStringList cells;
    for (int c = 0; c < 4; ++c) cells << wizard.LabelList->topLevelItem(row)->text(c);
    return cells;
  }
};

QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  p.waitForFinished();
  return QString::fromUtf8(p.readAllStandardOutput());
}

bool MakeCustomers() {
  return test::MakeLabelCustomers({{"1001", "Alpha Ltd", {"10.00", "0.00", "0.00", "0.00"}},
                                   {"1002", "Beta Stores", {"0.00", "0.00", "0.00", "0.00"}},
                                   {"1003", "Gamma Inc", {"0.00", "0.00", "0.00", "7.50"}}});
}

}  // namespace

void LblWizTest::FillsTheQueueAndPrintsItsLabelsToPdf() {
  TF_NEED_PEERS_QTEST("reading printed labels", "pdftotext");
  test::EngineWorkFolder folder;
  QVERIFY(MakeCustomers());
  QCOMPARE(CreateStarterLabelLayouts(), std::string());
  const QString pdf = QString::fromStdString((std::filesystem::current_path() / "labels.pdf").string());

  Screen s;
  s.wizard.PickCustomer = [] {
    common::RecordBuffer r = records::customer::NewCustomerRecord();
    common::WriteText(r, records::customer::kCustomerNumber, "1002");
    common::WriteText(r, records::customer::kCustomerName, "Beta Stores");
    return std::optional<common::RecordBuffer>(r);
  };
  bool checked = false;
  QTimer::singleShot(0, &s.wizard, [&] {
    // However the checks below end, the window closes and the test goes on.
    struct CloseAtEnd {
      QDialog& dialog;
      ~CloseAtEnd() { dialog.reject(); }
    } closeAtEnd{s.wizard};
    // Ready on the starter layout the data folder remembers.
    QCOMPARE(s.Child<QLineEdit>("ColAcross")->text(), QString("3"));
    QCOMPARE(s.Child<QLineEdit>("RowsDown")->text(), QString("10"));
    QVERIFY(s.Child<QPushButton>("PrnButn")->isEnabled());
    QCOMPARE(s.Child<QPushButton>("zero30")->text(), QString("Current"));
    QCOMPARE(s.Child<QPushButton>("AOver90")->text(), QString("Over 90"));
    QCOMPARE(s.wizard.LabelList->headerItem()->text(2), QString("Sort Code"));

    QTest::mouseClick(s.Child<QPushButton>("AOver90"), Qt::LeftButton);
    QCOMPARE(s.Row(0), QStringList({"1003", "Gamma Inc", "S1003", ""}));
    QTest::mouseClick(s.Child<QToolButton>("AddOne"), Qt::LeftButton);
    QCOMPARE(s.wizard.LabelList->topLevelItemCount(), 2);
    QCOMPARE(s.Child<QLabel>("StatusPanel0")->text(), QString("2 records are selected."));
    QTest::mouseClick(s.Child<QToolButton>("SpeedButton2"), Qt::LeftButton);  // nothing selected
    QCOMPARE(s.prompter.Texts(), std::vector<std::string>{std::string(kNoSelectionText)});
    QTest::mouseClick(s.Child<QToolButton>("LoadAllRecs"), Qt::LeftButton);
    QCOMPARE(s.wizard.LabelList->topLevelItemCount(), 5);
    s.wizard.LabelList->setCurrentItem(s.wizard.LabelList->topLevelItem(0));
    QTest::mouseClick(s.Child<QToolButton>("SpeedButton2"), Qt::LeftButton);
    QCOMPARE(s.wizard.LabelList->topLevelItemCount(), 4);
    QCOMPARE(s.Row(0)[0], QString("1002"));
    QVERIFY(s.queue.Unsaved());

    // The return-address controls follow their check box.
    QVERIFY(!s.Child<QCheckBox>("PLine")->isEnabled());
    s.Child<QCheckBox>("UseCmpAdd")->click();
    QVERIFY(s.Child<QCheckBox>("PLine")->isEnabled());
    QVERIFY(s.Child<QLineEdit>("CaptName")->isEnabled());
    s.Child<QCheckBox>("UseCmpAdd")->click();
    QVERIFY(!s.Child<QPushButton>("BitMpButn")->isEnabled());

    s.Child<QLineEdit>("LblStart")->setText("5");
    tf::test::AnswerPrintDialogSoon(pdf);
    QTest::mouseClick(s.Child<QPushButton>("PrnButn"), Qt::LeftButton);
    QCOMPARE(s.Child<QLabel>("StatusPanel0")->text(), QString("Complete. 4 label(s) sent to printer."));
    QVERIFY(!s.queue.Unsaved());
    checked = true;
    QTest::mouseClick(s.Child<QToolButton>("CanButn"), Qt::LeftButton);
  });
  s.wizard.exec();
  QVERIFY(checked);
  QCOMPARE(s.prompter.Texts().size(), std::size_t(1));
  const QString text = PdfText(pdf);
  for (const char* name : {"Beta Stores", "Alpha Ltd", "Gamma Inc", "Alpha Ltd Street"})
    QVERIFY2(text.contains(name), qPrintable(text));
  // Label 5 of 3 x 10 is the middle of the second row: the first name stands right of the margin.
  const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
  QVERIFY(!lines.isEmpty());
  QVERIFY2(lines[0].indexOf("Beta Stores") > 10, qPrintable(text));
}

void LblWizTest::WithoutALayoutOnlyOpeningIsOffered() {
  test::EngineWorkFolder folder;
  QVERIFY(MakeCustomers());
  Screen s;
  QVERIFY(!s.Child<QPushButton>("PrnButn")->isEnabled());
  QVERIFY(!s.Child<QToolButton>("AddOne")->isEnabled());
  QVERIFY(!s.Child<QAction>("SaveAs1")->isEnabled());
  QVERIFY(s.Child<QAction>("Open2")->isEnabled());
  QCOMPARE(s.Child<QLabel>("StatusPanel0")->text(), QString(kNoLayoutStatus.data()));

  // A damaged layout is refused with a message and the screen stays as it was.
  { std::ofstream("BAD.LBL") << "short"; }
  s.wizard.ChooseFile = [](const QString&, const QString&, bool) {
    return std::optional<std::filesystem::path>("BAD.LBL");
  };
  s.Child<QAction>("Open2")->trigger();
  QCOMPARE(s.prompter.Texts().back(),
           std::string("The file BAD.LBL is not a label layout that can be used. It holds 5 bytes; a label layout "
                       "holds 444."));
  QVERIFY(!s.Child<QPushButton>("PrnButn")->isEnabled());

  QCOMPARE(CreateStarterLabelLayouts(), std::string());
  s.wizard.ChooseFile = [](const QString&, const QString&, bool) {
    return std::optional<std::filesystem::path>("A4-24.LBL");
  };
  s.Child<QAction>("Open2")->trigger();
  QVERIFY(s.Child<QPushButton>("PrnButn")->isEnabled());
  QCOMPARE(s.Child<QLineEdit>("RowsDown")->text(), QString("8"));
  QCOMPARE(s.Child<QLabel>("StatusPanel0")->text(), QString(kReadyStatus.data()));
}

}  // namespace tf::correspondence::ui

QTEST_MAIN(tf::correspondence::ui::LblWizTest)
#include "lbl_wiz_test.moc"
