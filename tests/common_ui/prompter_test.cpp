// The message box mapping of QtPrompter: icons, buttons, the default and escape buttons and
// the answers. The modal box itself is not shown.

#include <QAbstractButton>
#include <QApplication>
#include <QtTest>

#include "common/ui/qt_prompter.h"
#include "test_support.h"

using namespace tf::common;
using namespace tf::common::ui;

class QtPrompterTest : public QObject {
  Q_OBJECT

 private slots:
  void iconsMapToTheBoxIcons() {
    QCOMPARE(MessageBoxIcon(PromptIcon::None), QMessageBox::NoIcon);
    QCOMPARE(MessageBoxIcon(PromptIcon::Exclamation), QMessageBox::Warning);
    QCOMPARE(MessageBoxIcon(PromptIcon::Information), QMessageBox::Information);
    QCOMPARE(MessageBoxIcon(PromptIcon::Question), QMessageBox::Question);
    QCOMPARE(MessageBoxIcon(PromptIcon::Error), QMessageBox::Critical);
  }

  void buttonSetsAndTheirEscapeButton_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("escape");
    QTest::newRow("OK") << int(PromptButtons::OK) << int(QMessageBox::Ok) << int(QMessageBox::Ok);
    QTest::newRow("OKCancel") << int(PromptButtons::OKCancel)
                              << int(QMessageBox::Ok | QMessageBox::Cancel)
                              << int(QMessageBox::Cancel);
    QTest::newRow("YesNo") << int(PromptButtons::YesNo) << int(QMessageBox::Yes | QMessageBox::No)
                           << int(QMessageBox::No);
    QTest::newRow("YesNoCancel") << int(PromptButtons::YesNoCancel)
                                 << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                 << int(QMessageBox::Cancel);
  }
  void buttonSetsAndTheirEscapeButton() {
    QFETCH(int, buttons);
    QFETCH(int, expected);
    QFETCH(int, escape);
    auto b = static_cast<PromptButtons>(buttons);
    QCOMPARE(int(MessageBoxButtons(b)), expected);
    QCOMPARE(int(MessageBoxEscapeButton(b)), escape);
    // Closing the box answers what the prompter promises: Cancel, No for Yes/No, OK for OK.
    PromptAnswer closed = AnswerFromButton(b, QMessageBox::NoButton);
    PromptAnswer promised = b == PromptButtons::OK      ? PromptAnswer::OK
                            : b == PromptButtons::YesNo ? PromptAnswer::No
                                                        : PromptAnswer::Cancel;
    QCOMPARE(int(closed), int(promised));
  }

  void defaultButtonFallsBackToTheFirstButton_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected");
    QTest::newRow("No of YesNo") << int(PromptButtons::YesNo) << int(PromptAnswer::No)
                                 << int(QMessageBox::No);
    QTest::newRow("Yes of YesNo") << int(PromptButtons::YesNo) << int(PromptAnswer::Yes)
                                  << int(QMessageBox::Yes);
    QTest::newRow("OK of YesNo") << int(PromptButtons::YesNo) << int(PromptAnswer::OK)
                                 << int(QMessageBox::Yes);
    QTest::newRow("Cancel of OKCancel") << int(PromptButtons::OKCancel) << int(PromptAnswer::Cancel)
                                        << int(QMessageBox::Cancel);
    QTest::newRow("No of OKCancel") << int(PromptButtons::OKCancel) << int(PromptAnswer::No)
                                    << int(QMessageBox::Ok);
    QTest::newRow("Cancel of YesNoCancel")
        << int(PromptButtons::YesNoCancel) << int(PromptAnswer::Cancel) << int(QMessageBox::Cancel);
    QTest::newRow("Yes of OK") << int(PromptButtons::OK) << int(PromptAnswer::Yes)
                               << int(QMessageBox::Ok);
  }
  void defaultButtonFallsBackToTheFirstButton() {
    QFETCH(int, buttons);
    QFETCH(int, answer);
    QFETCH(int, expected);
    QCOMPARE(int(MessageBoxDefaultButton(static_cast<PromptButtons>(buttons),
                                         static_cast<PromptAnswer>(answer))),
             expected);
  }

  void answersFromButtons() {
    QCOMPARE(AnswerFromButton(PromptButtons::YesNo, QMessageBox::Yes), PromptAnswer::Yes);
    QCOMPARE(AnswerFromButton(PromptButtons::YesNo, QMessageBox::No), PromptAnswer::No);
    QCOMPARE(AnswerFromButton(PromptButtons::YesNoCancel, QMessageBox::Cancel),
             PromptAnswer::Cancel);
    QCOMPARE(AnswerFromButton(PromptButtons::OKCancel, QMessageBox::Ok), PromptAnswer::OK);
    // A button the box does not have counts as closing it.
    QCOMPARE(AnswerFromButton(PromptButtons::YesNo, QMessageBox::Ok), PromptAnswer::No);
    QCOMPARE(AnswerFromButton(PromptButtons::OKCancel, QMessageBox::Yes), PromptAnswer::Cancel);
  }

  void showsTheMessageWithCaptionAndAnswersTheClickedButton() {
    QWidget parent;
    QtPrompter prompter(&parent);
    QCOMPARE(prompter.Parent(), &parent);
    QString seenTitle, seenText;
    int seenIcon = -1;
    // Click "No" on the box once it is up.
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || !box->isVisible()) continue;
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        box->button(QMessageBox::No)->click();
      }
    });
    bool yes = prompter.AskYesNo("Delete customer Caf\xe9?", "Please Confirm");
    QVERIFY(!yes);
    QCOMPARE(seenTitle, QStringLiteral("Please Confirm"));
    QCOMPARE(seenText, QString::fromUtf8("Delete customer Caf\u00e9?"));
    QCOMPARE(seenIcon, int(QMessageBox::Question));
  }
};

namespace tf::common::ui::test {
int RunPrompterTests(int argc, char** argv) {
  QtPrompterTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "prompter_test.moc"
