// The help window: topic anchors, finding the manual, and a manual that holds every topic the
// program opens.

#include <QDialog>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QRegularExpression>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include "common/help_topics.h"
#include "common/ui/help_key.h"
#include "common/ui/help_window.h"
#include "test_support.h"

using namespace tf::common::ui;
using namespace tf::common::ui::test;
namespace help = tf::common::help;

namespace {

QSet<QString> AnchorsOf(QTextDocument* doc) {
  QSet<QString> names;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      for (const QString& n : it.fragment().charFormat().anchorNames()) names.insert(n);
    }
  }
  return names;
}


QString ManualText() {
  QFile file(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR "/index.html"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString SourceRoot() { return QDir::cleanPath(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR "/../..")); }

QString Topic(std::string_view topic) { return QString::fromLatin1(topic.data(), qsizetype(topic.size())); }

// A help call given a quoted topic, or a topic constant given a quoted name: a topic spelled
// outside the list of topics.
const QRegularExpression& SpelledTopic() {
  static const QRegularExpression spelled(
      QString::fromUtf8(R"re((\b(ShowHelp|ShowHelpTopic|OnHelp)\s*\(\s*"[^"]+")|(HelpTopic\w*\s*=\s*"))re"));
  return spelled;
}

// The source tree's manual shown from its top in a window small enough to scroll.
bool OpenAtTop(THelpWindow& w) {
  SetHelpFolder(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR));
  w.resize(500, 300);
  w.show();
  if (!w.ShowTopic("")) return false;
  QCoreApplication::processEvents();
  return true;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    SetHelpFolder(QString());
    qunsetenv("TALLYFOLD_HELP_DIR");
  }

  // F1 anywhere in a window does what its Help button does: a button captioned "Help" first,
  // else an icon button hinted "Help"; a window without one, or a hidden or disabled one, is
  // left alone (the key goes on to the widget).
  void f1DoesWhatTheWindowsHelpButtonDoes() {
    InstallHelpKey(*qApp);
    QDialog window;
    auto* field = new QLineEdit(&window);
    auto* hinted = new QToolButton(&window);
    hinted->setToolTip("Help");
    auto* other = new QPushButton("&Helpful", &window);
    auto* help = new QPushButton("&Help", &window);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : {static_cast<QWidget*>(field), static_cast<QWidget*>(hinted), static_cast<QWidget*>(other),
                       static_cast<QWidget*>(help)})
      layout->addWidget(w);
    int helped = 0, hintedClicks = 0, otherClicks = 0;
    connect(help, &QPushButton::clicked, [&] { ++helped; });
    connect(hinted, &QToolButton::clicked, [&] { ++hintedClicks; });
    connect(other, &QPushButton::clicked, [&] { ++otherClicks; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_F1);
    QCOMPARE(helped, 1);
    QCOMPARE(hintedClicks, 0);
    QTest::keyClick(field, Qt::Key_F1, Qt::ShiftModifier);  // not the help key
    QCOMPARE(helped, 1);
    help->setEnabled(false);
    QTest::keyClick(field, Qt::Key_F1);
    QCOMPARE(hintedClicks, 1);
    hinted->hide();
    QTest::keyClick(field, Qt::Key_F1);
    QCOMPARE(helped + hintedClicks + otherClicks, 2);
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
    for (std::string_view topic : help::kAllHelpTopics) {
      if (!anchors.contains(HelpAnchor(topic))) missing << Topic(topic);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose));
  }

  // Two topics on one anchor would open one window's help at another's section.
  void everyTopicHasAnAnchorOfItsOwn() {
    QHash<QString, QString> owner;
    for (std::string_view topic : help::kAllHelpTopics) {
      QString anchor = HelpAnchor(topic);
      QVERIFY2(!anchor.isEmpty(), "a topic without letters or digits");
      QVERIFY2(!owner.contains(anchor),
               qPrintable(Topic(topic) + QStringLiteral(" and ") + owner.value(anchor)));
      owner.insert(anchor, Topic(topic));
    }
  }

  // A window that spelled its topic itself would escape the list above, and with it the check
  // that the manual holds the topic: every help call and topic constant outside the list must
  // name one of its constants.
  void windowsTakeTheirTopicsFromTheList() {
    const QRegularExpression& spelled = SpelledTopic();
    const QString root = SourceRoot();
    QVERIFY(QFileInfo(root + QStringLiteral("/common/help_topics.h")).isFile());
    QStringList offenders;
    int read = 0;
    // The program's source folders: neither build trees nor the tests, which may spell topics.
    for (const QString& folder : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      if (folder.startsWith(QStringLiteral("build")) || folder == QStringLiteral("tests")) continue;
      QDirIterator it(root + QLatin1Char('/') + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                      QDirIterator::Subdirectories);
      while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (relative == QStringLiteral("common/help_topics.h")) continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        ++read;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i)
          if (spelled.match(lines[i]).hasMatch())
            offenders << QStringLiteral("%1:%2: %3").arg(relative).arg(i + 1).arg(lines[i].trimmed());
      }
    }
    QVERIFY2(read > 100, "the source tree was not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QLatin1Char('\n'))));
  }

  // A topic named in the header but left out of its list would escape the anchor check.
  void everyNamedTopicIsInTheList() {
    QFile header(SourceRoot() + QStringLiteral("/common/help_topics.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    static const QRegularExpression named(
        QStringLiteral("constexpr\\s+std::string_view\\s+(k\\w+)\\s*=\\s*\"([^\"]*)\""));
    QSet<QString> listed;
    for (std::string_view topic : help::kAllHelpTopics) listed.insert(Topic(topic));
    QStringList left;
    int names = 0;
    for (auto m = named.globalMatch(QString::fromUtf8(header.readAll())); m.hasNext();) {
      const auto match = m.next();
      ++names;
      if (!listed.contains(match.captured(2))) left << match.captured(1);
    }
    QCOMPARE(names, int(help::kAllHelpTopics.size()));
    QVERIFY2(left.isEmpty(), qPrintable(left.join(QStringLiteral(", "))));
  }

  // The scan above must see what it is looking for, or it passes by finding nothing.
  void theScanFindsASpelledTopic() {
    const QRegularExpression& spelled = SpelledTopic();
    QVERIFY(spelled.match(QString::fromUtf8(R"re(connect(b, &B::clicked, this, [this] { ShowHelp("HFC"); });)re")).hasMatch());
    QVERIFY(spelled.match(QString::fromUtf8(R"re(inline constexpr std::string_view kHelpTopic = "EMNote";)re")).hasMatch());
    QVERIFY(!spelled.match(QString::fromUtf8(R"re(ShowHelp(common::help::kHeadersFontsColors);)re")).hasMatch());
    QVERIFY(!spelled.match(QString::fromUtf8(R"re(handlers_[i] = [this] { ShowHelp(""); };)re")).hasMatch());
  }

  // Every link inside the manual leads somewhere: a contents entry or a "see" that points at no
  // anchor leaves the reader where they were.
  void everyLinkInTheManualHasItsAnchor() {
    const QString text = ManualText();
    QVERIFY(!text.isEmpty());
    QMap<QString, int> declared;
    static const QRegularExpression name(QString::fromUtf8(R"re(<a\s+name="([^"]*)")re"));
    for (auto m = name.globalMatch(text); m.hasNext();) ++declared[m.next().captured(1)];
    QStringList twice;
    for (auto it = declared.cbegin(); it != declared.cend(); ++it)
      if (it.value() > 1) twice << it.key();
    QVERIFY2(twice.isEmpty(), qPrintable(QStringLiteral("anchors named twice: ") + twice.join(QStringLiteral(", "))));

    // The anchors as the help window sees them, so a name the browser does not take counts as
    // missing too.
    SetHelpFolder(QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR));
    THelpWindow w;
    QVERIFY(w.ShowTopic(""));
    const QSet<QString> anchors = AnchorsOf(w.HelpText->document());
    static const QRegularExpression link(QString::fromUtf8(R"re(href="#([^"]*)")re"));
    QStringList broken;
    int links = 0;
    for (auto m = link.globalMatch(text); m.hasNext();) {
      const QString target = m.next().captured(1);
      ++links;
      if (!anchors.contains(target)) broken << target;
    }
    QVERIFY(links > 0);
    broken.removeDuplicates();
    QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("links to no anchor: ") + broken.join(QStringLiteral(", "))));
  }

  // Following a link in the help window stays in the manual and scrolls to the section.
  void followingALinkScrollsToItsSection() {
    THelpWindow w;
    QVERIFY(OpenAtTop(w));
    const QUrl manual = w.HelpText->source();
    QUrl target = manual;
    target.setFragment(HelpAnchor(help::kGetRepeat));
    w.HelpText->setSource(target);
    QCoreApplication::processEvents();
    QCOMPARE(w.HelpText->source().adjusted(QUrl::RemoveFragment), manual.adjusted(QUrl::RemoveFragment));
    const int followed = w.HelpText->verticalScrollBar()->value();
    QVERIFY(followed > 0);

    // Back returns to where the link was followed from; Contents goes to the top.
    QVERIFY(w.BackBtn->isEnabled());
    w.BackBtn->click();
    QCoreApplication::processEvents();
    QCOMPARE(w.HelpText->verticalScrollBar()->value(), 0);
    QVERIFY(w.ShowTopic(help::kGetRepeat));
    QCoreApplication::processEvents();
    QCOMPARE(w.HelpText->verticalScrollBar()->value(), followed);
    w.ContentsBtn->click();
    QCoreApplication::processEvents();
    QVERIFY(w.HelpText->verticalScrollBar()->value() < followed);
    QVERIFY(w.BackBtn->isEnabled());
    w.BackBtn->click();
    QCoreApplication::processEvents();
    QCOMPARE(w.HelpText->verticalScrollBar()->value(), followed);
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
      ShowHelpTopic(help::kCustomerManager, &manager);
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

    // A wizard that passes its request on through the main window still gets the help in front
    // of it: owned by the main window it would be blocked by the modal wizard, Close and all.
    QDialog wizard(&main);
    QWidget* owner = nullptr;
    QTimer::singleShot(0, &wizard, [&] {
      ShowHelpTopic(help::kLabelWizard, &main);
      owner = kept ? kept->parentWidget() : nullptr;
      wizard.reject();
    });
    wizard.exec();
    QCOMPARE(owner, &wizard);

    ShowHelpTopic(help::kContents, &main);
    QVERIFY(kept);
    QCOMPARE(kept->parentWidget(), &main);
    QVERIFY(kept->isVisible());
    delete kept.data();
  }

  void aTopicScrollsToItsSection() {
    THelpWindow w;
    QVERIFY(OpenAtTop(w));
    QCOMPARE(w.HelpText->verticalScrollBar()->value(), 0);
    QVERIFY(w.ShowTopic(help::kGetRepeat));  // near the end of the manual
    QCoreApplication::processEvents();
    QVERIFY(w.HelpText->verticalScrollBar()->value() > 0);
    int repeat = w.HelpText->verticalScrollBar()->value();
    QVERIFY(w.ShowTopic(help::kCompanyManager));
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

