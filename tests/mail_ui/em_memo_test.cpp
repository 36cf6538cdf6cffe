// TEMMemo driven by its control names against the aiosmtpd server.
#include <QTest>
#include <QTimer>

#include "common/scripted_prompter.h"
#include "mail/ui/em_memo.h"
#include "tests/mail/free_message_fixture.h"
#include "tests/mail/smtp_peer.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

namespace tf::mail::ui {

class EMMemoTest : public QObject {
  Q_OBJECT

 private slots:
  void SendsTheTypedMessageToTheQueuedCustomers();
  void AMissingSubjectKeepsTheScreenOnTheSubject();
};

namespace {

struct Screen {
  Screen() {
    queue.Add({"100", "Ann Able", "", ""});
    queue.Add({"200", "Bert", "", ""});
    queue.Add({"300", "Cleo Cole", "", ""});
  }
  common::RecordBuffer company = test::MailCompanyRecord(false);
  common::ScriptedPrompter prompter;
  test::RecordingStatus progress;
  correspondence::LabelQueue queue;
  TEMMemo memo{{prompter, progress, queue, [this] { return std::span<const std::uint8_t>(company); }}};
};

bool MakeCustomers() {
  return test::MakeMailCustomers({{"100", "Ann Able", "ann@example.com"},
                                  {"200", "Bert", ""},
                                  {"300", "Cleo Cole", "cleo@example.com"}});
}

}  // namespace

void EMMemoTest::SendsTheTypedMessageToTheQueuedCustomers() {
  if (test::CheckSmtpPeer().outcome != test::PeerCheck::Present) {
    if (test::InCi()) QFAIL("python3-aiosmtpd is not installed");
    QSKIP("python3-aiosmtpd is not installed");
  }
  test::EngineWorkFolder folder;
  QVERIFY(MakeCustomers());
  test::SmtpPeer server({"--server", "aiosmtpd"});
  MailSettings settings;
  settings.port = server.port();
  std::string error;
  QVERIFY(SaveMailSettings("1", settings, error));

  Screen s;
  QString shownAddress, shownCount;
  bool queueEnabled = true;
  QTimer::singleShot(0, &s.memo, [&] {
    auto* memo = &s.memo;
    shownAddress = memo->findChild<QLineEdit*>("EMRetAdd")->text();
    shownCount = memo->findChild<QLabel*>("Label3")->text();
    queueEnabled = memo->findChild<QPushButton*>("Button1")->isEnabled();
    memo->findChild<QLineEdit*>("EMSubject")->setText(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e"));
    memo->findChild<QPlainTextEdit*>("EMBody")->setPlainText("Line one\n.\nLine three");
    QTest::mouseClick(memo->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    QTest::mouseClick(memo->findChild<QToolButton*>("SpeedButton16"), Qt::LeftButton);
  });
  s.memo.exec();

  QCOMPARE(shownAddress, QString("office@example.com"));
  QCOMPARE(shownCount, QString("Records in Queue: 3"));
  QVERIFY(!queueEnabled);  // no label wizard installed in this test
  QCOMPARE(s.prompter.Texts(), (std::vector<std::string>{
                                   "There were 1 empty customer e-mail addresses. The customers were not sent your message.",
                                   "There were 2 e-mail messages sent."}));
  QCOMPARE(server.Messages(), 2);
  QCOMPARE(server.Read(2, "rcpt"), std::string("cleo@example.com"));
  QCOMPARE(server.Read(2, "subject"), std::string("Gr\xC3\xBC\xC3\x9F" "e"));
  QCOMPARE(server.Read(2, "body"), std::string("Line one\n.\nLine three\n\n"));
  QCOMPARE(s.progress.events.back(), std::string("close"));  // closing the screen hides the progress window
  s.memo.Sender().CloseMail();
}

void EMMemoTest::AMissingSubjectKeepsTheScreenOnTheSubject() {
  test::EngineWorkFolder folder;
  QVERIFY(MakeCustomers());
  Screen s;
  QWidget* focused = nullptr;
  bool stillOpen = false;
  QTimer::singleShot(0, &s.memo, [&] {
    s.memo.findChild<QPlainTextEdit*>("EMBody")->setPlainText("Text");
    QTest::mouseClick(s.memo.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    focused = s.memo.focusWidget();
    stillOpen = s.memo.isVisible();
    s.memo.reject();
  });
  s.memo.exec();
  QVERIFY(stillOpen);
  QCOMPARE(focused, static_cast<QWidget*>(s.memo.EMSubject));
  QCOMPARE(s.prompter.Texts(), (std::vector<std::string>{"You need an e-mail subject line."}));
}

}  // namespace tf::mail::ui

QTEST_MAIN(tf::mail::ui::EMMemoTest)
#include "em_memo_test.moc"
