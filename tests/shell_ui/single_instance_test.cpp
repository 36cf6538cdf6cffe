// One copy per data folder: two instances in one process stand for two starts of the program
// (the lock is per open file, so the second open conflicts with the first as another process
// would).

#include <QDir>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "common/scripted_prompter.h"
#include "shell/ui/main_form.h"
#include "shell/ui/single_instance.h"
#include "test_support.h"

namespace tf::shell::ui::test {
namespace {

using Outcome = SingleInstance::Outcome;

QString TempRoot() { return QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath(); }

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void SecondStartRaisesTheFirstWindow() {
    QTemporaryDir data(TempRoot() + "/tf_instance_XXXXXX");
    Outcome first;
    auto running = SingleInstance::Acquire(data.path(), first);
    QVERIFY(running);
    QCOMPARE(first, Outcome::First);
    QVERIFY(QFile::exists(data.filePath("tallyfold.lock")));

    common::ScriptedPrompter prompter;
    common::FixedClock clock(std::chrono::local_seconds{});
    TMainForm form(prompter, clock);
    form.OnExitEngine = [] {};
    connect(running.get(), &SingleInstance::RaiseRequested, &form, &TMainForm::BringForward);
    form.show();
    form.showMinimized();
    QTRY_VERIFY(form.isMinimized());

    Outcome second;
    auto other = SingleInstance::Acquire(data.path(), second, 1000);
    QVERIFY(!other);
    QCOMPARE(second, Outcome::OtherRaised);
    QTRY_VERIFY(!form.isMinimized());
    QVERIFY(form.isVisible());
  }

  void SameFolderSpelledDifferentlyIsTheSameCopy() {
    QTemporaryDir data(TempRoot() + "/tf_instance_XXXXXX");
    QVERIFY(QDir(data.path()).mkdir("sub"));
    QCOMPARE(InstanceSocketName(data.path() + "/sub/.."), InstanceSocketName(data.path()));
    QVERIFY(InstanceSocketName(data.path()) != InstanceSocketName(data.filePath("sub")));

    Outcome first;
    auto running = SingleInstance::Acquire(data.path(), first);
    QVERIFY(running);
    QSignalSpy raised(running.get(), &SingleInstance::RaiseRequested);
    Outcome second;
    QVERIFY(!SingleInstance::Acquire(data.path() + "/sub/..", second, 1000));
    QCOMPARE(second, Outcome::OtherRaised);
    QTRY_COMPARE(raised.count(), 1);
  }

  void AFolderIsFreeAgainWhenTheCopyEnds() {
    QTemporaryDir data(TempRoot() + "/tf_instance_XXXXXX");
    Outcome outcome;
    auto first = SingleInstance::Acquire(data.path(), outcome);
    QVERIFY(first);
    first.reset();
    auto again = SingleInstance::Acquire(data.path(), outcome);
    QVERIFY(again);
    QCOMPARE(outcome, Outcome::First);
  }

  void StaleSocketOfACrashedCopyDoesNotBlock() {
    QTemporaryDir data(TempRoot() + "/tf_instance_XXXXXX");
    // What a crashed copy leaves: the socket file, with nobody listening and no lock held.
    QString path = QDir(QDir::tempPath()).filePath(InstanceSocketName(data.path()));
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    QByteArray native = QFile::encodeName(path);
    QVERIFY(static_cast<std::size_t>(native.size()) < sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(path));

    Outcome outcome;
    auto running = SingleInstance::Acquire(data.path(), outcome);
    QVERIFY(running);
    QCOMPARE(outcome, Outcome::First);
    // And it answers a later start.
    QSignalSpy raised(running.get(), &SingleInstance::RaiseRequested);
    Outcome second;
    QVERIFY(!SingleInstance::Acquire(data.path(), second, 1000));
    QCOMPARE(second, Outcome::OtherRaised);
    QTRY_COMPARE(raised.count(), 1);
  }

  void AHeldLockWithoutAListenerEndsTheSecondStartQuietly() {
    QTemporaryDir data(TempRoot() + "/tf_instance_XXXXXX");
    int fd = ::open(QFile::encodeName(data.filePath("tallyfold.lock")).constData(),
                    O_RDWR | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    Outcome outcome;
    QVERIFY(!SingleInstance::Acquire(data.path(), outcome, 300));
    QCOMPARE(outcome, Outcome::OtherSilent);
    ::close(fd);
  }

  void UnwritableFolderCannotBeLocked() {
    Outcome outcome;
    QVERIFY(!SingleInstance::Acquire("/nonexistent/tallyfold", outcome, 100));
    QCOMPARE(outcome, Outcome::LockFailed);
  }
};

}  // namespace

int RunSingleInstanceTests(int argc, char** argv) {
  SingleInstanceTest t;
  return QTest::qExec(&t, argc, argv);
}

}  // namespace tf::shell::ui::test

#include "single_instance_test.moc"
