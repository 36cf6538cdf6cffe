// The welcome of new books: steps in order, each skippable, the closing page, closing early.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "shell/ui/welcome.h"
#include "test_support.h"

namespace tf::shell::ui::test {
namespace {

class WelcomeTest : public QObject {
  Q_OBJECT

  std::vector<WelcomeStep> Steps(std::vector<QString>& opened) {
    std::vector<WelcomeStep> steps;
    for (const char* name : {"company", "customer", "product"})
      steps.push_back({QString("Step: ") + name, QString("About the ") + name, QString("&Open ") + name,
                       [&opened, name] { opened.push_back(name); }});
    return steps;
  }

 private slots:
  void OpeningAndSkippingWalkThroughEveryStepToTheReadyPage() {
    std::vector<QString> opened;
    TWelcome welcome(Steps(opened));
    welcome.show();
    welcome.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&welcome));
    QCOMPARE(welcome.windowTitle(), QString(kWelcomeCaption));
    QCOMPARE(welcome.Heading->text(), QString("Step: company"));
    QCOMPARE(welcome.ActionButton->text(), QString("&Open company"));
    QVERIFY(welcome.ActionButton->hasFocus());

    QTest::mouseClick(welcome.ActionButton, Qt::LeftButton);  // company opened
    QCOMPARE(welcome.Heading->text(), QString("Step: customer"));
    QTest::mouseClick(welcome.SkipButton, Qt::LeftButton);  // customer skipped
    QCOMPARE(welcome.Heading->text(), QString("Step: product"));
    QTest::keyClick(&welcome, Qt::Key_Return);  // the default button opens the product
    QCOMPARE(opened, (std::vector<QString>{"company", "product"}));

    QCOMPARE(welcome.StepShown(), 3);
    QVERIFY(!welcome.ActionButton->isVisible());
    QVERIFY(!welcome.SkipButton->isVisible());
    QCOMPARE(welcome.CloseButton->text(), QString("&Finish"));
    QVERIFY(welcome.StepText->text().contains("Invoice Manager"));
    QTest::mouseClick(welcome.CloseButton, Qt::LeftButton);
    QVERIFY(!welcome.isVisible());
    QCOMPARE(welcome.result(), int(QDialog::Accepted));
  }

  void CloseEndsTheWelcomeWithoutOpeningAnything() {
    std::vector<QString> opened;
    TWelcome welcome(Steps(opened));
    welcome.show();
    QTest::mouseClick(welcome.CloseButton, Qt::LeftButton);
    QVERIFY(!welcome.isVisible());
    QVERIFY(opened.empty());
  }
};

}  // namespace

int RunWelcomeTests(int argc, char** argv) {
  WelcomeTest t;
  return QTest::qExec(&t, argc, argv);
}

}  // namespace tf::shell::ui::test

#include "welcome_test.moc"
