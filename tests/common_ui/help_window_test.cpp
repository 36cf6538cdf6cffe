// The help window: topic anchors, finding the manual, and a manual that holds every topic the
// program opens.

#include <QDialog>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include "common/ui/help_window.h"
#include "test_support.h"

using namespace tf::common::ui;
using namespace tf::common::ui::test;

namespace {

// Every help topic the windows open.
const char* const kTopics[] = {
    "Frequent Asked Questions", "AgingChart", "EMMode", "SalesMsg", "invoptions",
    "CompanyAddress", "prnenv", "formlayout", "GeneralOpts", "SysGraphics", "Company",
    "CompanyManager", "PwordSet", "backupdata", "HFC", "CustomerManager", "NewCustomer",
    "ProductManager", "NewProduct", "InvoiceManager", "NewInvoice", "QZCalendar", "FindData",
    "EditTerms", "PaymentWizard", "ViewStatement", "GetStatement", "ReportWizard",
    "InterestWizard", "SetRepeat", "GetRepeat", "How to use Help", "Contents"};

QSet<QString> AnchorsOf(QTextDocument* doc) {
  QSet<QString> names;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      for (const QString& n : it.fragment().charFormat().anchorNames()) names.insert(n);
    }
  }
  return names;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    SetHelpFolder(QString());
    qunsetenv("TALLYFOLD_HELP_DIR");
  }

  void anchorsAreLowerCaseWithDashes_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("spaces") << "Frequent Asked Questions" << "frequent-asked-questions";
    QTest::newRow("camel") << "QZCalendar" << "qzcalendar";
    QTest::newRow("lower") << "backupdata" << "backupdata";
    QTest::newRow("runs and ends") << "  Find -- Data!  " << "find-data";
    QTest::newRow("digits") << "Page 2" << "page-2";
    QTest::newRow("empty") << "" << "";
  }
  void anchorsAreLowerCaseWithDashes() {
    QFETCH(QString, topic);
    QFETCH(QString, anchor);
    QCOMPARE(HelpAnchor(topic.toStdString()), anchor);
  }

  void findsTheFirstFolderHoldingTheManual() {
    QTemporaryDir empty = MakeTempDir();
    QTemporaryDir withManual = MakeTempDir();
    QFile index(withManual.filePath(QStringLiteral("index.html")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("<html><body><a name=\"qzcalendar\"></a>Calendar</body></html>");
    index.close();
    QCOMPARE(FindHelpFolder({empty.path(), withManual.path()}), withManual.path());
    QCOMPARE(FindHelpFolder({empty.path()}), QString());

    SetHelpFolder(empty.path());
    qputenv("TALLYFOLD_HELP_DIR", withManual.path().toLocal8Bit());
    QStringList candidates = HelpFolderCandidates();
    QCOMPARE(candidates.value(0), empty.path());
    QCOMPARE(candidates.value(1), withManual.path());
    QCOMPARE(FindHelpFolder(), withManual.path());
    SetHelpFolder(withManual.path());
    THelpWindow w;
    QVERIFY(w.ShowTopic("QZCalendar"));
    QVERIFY(w.HelpText->toPlainText().contains(QStringLiteral("Calendar")));
  }

  void theManualHasEveryTopic() {
    SetHelpFolder(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR));
    THelpWindow w;
    QVERIFY(w.ShowTopic(""));
    QSet<QString> anchors = AnchorsOf(w.HelpText->document());
    QStringList missing;
    for (const char* topic : kTopics) {
      if (!anchors.contains(HelpAnchor(topic))) missing << QString::fromLatin1(topic);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose));
  }

  // Help asked for from a modal window (a manager) opens in front of it: owned by that window
  // (its transient parent), so the window manager keeps it above and the modal loop does not
  // block it. A second request from the main window moves it there. (Activation itself cannot
  // be seen on the offscreen platform; it was checked by hand under a real X server.)
  void helpFromAModalWindowComesToTheFront() {
    SetHelpFolder(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR));
    QWidget main;
    main.resize(600, 400);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QDialog manager(&main);
    THelpWindow* help = nullptr;
    bool visible = false;
    QWindow* above = nullptr;
    QTimer::singleShot(0, &manager, [&] {
      ShowHelpTopic("CustomerManager", &manager);
      help = manager.findChild<THelpWindow*>();
      if (help) {
        visible = help->isVisible();
        above = help->windowHandle() ? help->windowHandle()->transientParent() : nullptr;
      }
      manager.reject();
    });
    manager.exec();
    QVERIFY(help);
    QVERIFY(help->isWindow());
    QVERIFY(visible);
    QCOMPARE(above, manager.windowHandle());
    QPointer<THelpWindow> kept = help;
    ShowHelpTopic("Contents", &main);
    QVERIFY(kept);
    QCOMPARE(kept->parentWidget(), &main);
    QVERIFY(kept->isVisible());
    delete kept.data();
  }

  void aTopicScrollsToItsSection() {
    SetHelpFolder(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR));
    THelpWindow w;
    w.resize(500, 300);
    w.show();
    QVERIFY(w.ShowTopic(""));
    QCoreApplication::processEvents();
    QCOMPARE(w.HelpText->verticalScrollBar()->value(), 0);
    QVERIFY(w.ShowTopic("GetRepeat"));  // near the end of the manual
    QCoreApplication::processEvents();
    QVERIFY(w.HelpText->verticalScrollBar()->value() > 0);
    int repeat = w.HelpText->verticalScrollBar()->value();
    QVERIFY(w.ShowTopic("CompanyManager"));
    QCoreApplication::processEvents();
    QVERIFY(w.HelpText->verticalScrollBar()->value() < repeat);
  }
};

namespace tf::common::ui::test {
int RunHelpWindowTests(int argc, char** argv) {
  HelpWindowTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "help_window_test.moc"
