// TStatForm: caption, the three centred lines, and event processing inside a long loop.

#include <QLabel>
#include <QtTest>

#include "common/ui/stat_form.h"
#include "test_support.h"

using namespace tf::common::ui;

class TStatFormTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTitleAndLinesAndHidesAgain() {
    TStatForm form;
    auto* l1 = form.findChild<QLabel*>(QStringLiteral("Label1"));
    auto* l2 = form.findChild<QLabel*>(QStringLiteral("Label2"));
    auto* l3 = form.findChild<QLabel*>(QStringLiteral("Label3"));
    QVERIFY(l1 && l2 && l3);
    QCOMPARE(form.windowTitle(), QStringLiteral("Rebuild Status"));
    for (QLabel* l : {l1, l2, l3}) QVERIFY(l->alignment() & Qt::AlignHCenter);
    QVERIFY(l2->font().bold());
    QVERIFY(!l1->font().bold());
    // No close, minimise or maximise buttons.
    QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMinMaxButtonsHint));

    l1->setText(QStringLiteral("left over"));
    form.Show("Products");
    QVERIFY(form.isVisible());
    QVERIFY(!form.isModal());
    QCOMPARE(form.windowTitle(), QStringLiteral("Products"));
    QVERIFY(l1->text().isEmpty());

    form.Lines("Key number: 1", "Records read: 50", "");
    QCOMPARE(l1->text(), QStringLiteral("Key number: 1"));
    QCOMPARE(l2->text(), QStringLiteral("Records read: 50"));
    QCOMPARE(l3->text(), QString());
    form.SetLine(3, "Records written: 100");
    QCOMPARE(l3->text(), QStringLiteral("Records written: 100"));
    form.SetLine(4, "ignored");

    form.Close();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Rebuild Status"));
    form.Show("");
    QCOMPARE(form.windowTitle(), QStringLiteral("Rebuild Status"));
    form.Close();
  }

  void linesLetPendingEventsRunInsideALongLoop() {
    TStatForm form;
    form.Show("Aging");
    int ran = 0;
    QTimer::singleShot(0, &form, [&] { ++ran; });
    QCOMPARE(ran, 0);
    // No event loop runs here: only Lines can deliver the timer.
    form.Lines("Aging", "Customer 1", "");
    QCOMPARE(ran, 1);
    form.Close();
  }

  void worksThroughTheEngineStatusInterface() {
    TStatForm form;
    tf::engine::RebuildStatus& status = form;
    status.Show("Customers");
    status.Lines("a", "b", "c");
    QCOMPARE(form.Label2->text(), QStringLiteral("b"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Customers"));
    status.Close();
    QVERIFY(form.isHidden());
  }
};

namespace tf::common::ui::test {
int RunStatFormTests(int argc, char** argv) {
  TStatFormTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "stat_form_test.moc"
