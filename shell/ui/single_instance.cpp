#include "shell/ui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace tf::shell::ui {

namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";

// True when a running copy took the request.
bool AskToRaise(const QString& name, int waitMs) {
  QDeadlineTimer deadline(waitMs);
  do {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(200)) {
      socket.write(kRaiseRequest.data(), kRaiseRequest.size());
      bool sent = socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      return sent;
    }
    // The other copy holds the lock but may not be listening yet.
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return false;
}

}  // namespace

QString InstanceSocketName(const QString& dataFolder) {
  QString canonical = QFileInfo(dataFolder).canonicalFilePath();
  if (canonical.isEmpty()) canonical = QDir(dataFolder).absolutePath();
  // Socket names are file names in a shared folder: hashed to a fixed short length, and with
  // the user id so that two users with the same folder name never meet.
  QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256);
  return QStringLiteral("tallyfold-%1-%2")
      .arg(static_cast<qulonglong>(::getuid()))
      .arg(QString::fromLatin1(hash.toHex().left(24)));
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const QString& dataFolder,
                                                        Outcome& outcome, int waitMs) {
  QString lockPath = QDir(dataFolder).filePath(QString::fromLatin1(kLockFileName));
  int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    outcome = Outcome::LockFailed;
    return nullptr;
  }
  QString name = InstanceSocketName(dataFolder);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    outcome = AskToRaise(name, waitMs) ? Outcome::OtherRaised : Outcome::OtherSilent;
    return nullptr;
  }
  std::unique_ptr<SingleInstance> instance(new SingleInstance(fd));
  // Without the socket the program still runs; only a later start cannot reach it.
  instance->Listen(name);
  outcome = Outcome::First;
  return instance;
}

SingleInstance::SingleInstance(int lockFd, QObject* parent) : QObject(parent), lockFd_(lockFd) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

SingleInstance::~SingleInstance() {
  server_.close();
  ::close(lockFd_);  // releases the lock
}

bool SingleInstance::Listen(const QString& name) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(name)) return true;
  // We hold the lock, so a socket of that name belongs to a copy that is gone.
  QLocalServer::removeServer(name);
  return server_.listen(name);
}

void SingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto readRequests = [this, socket] {
      while (socket->canReadLine())
        if (socket->readLine().trimmed() == "raise") emit RaiseRequested();
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequests);
    readRequests();  // what arrived with the connection
  }
}

}  // namespace tf::shell::ui
