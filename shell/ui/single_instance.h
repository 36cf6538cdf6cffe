#pragma once
// One copy of the program per data folder. The copy that holds an exclusive lock on
// "tallyfold.lock" in the data folder runs and listens on a local socket named after the
// folder; a later start finds the lock taken, asks the running copy over the socket to bring
// its window forward, and ends. The lock, not the socket, decides who runs: a socket left
// behind by a copy that crashed is removed and listened on again.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

namespace tf::shell::ui {

inline constexpr const char* kLockFileName = "tallyfold.lock";

// The socket name for a data folder: the same for every spelling of the same folder.
QString InstanceSocketName(const QString& dataFolder);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    First,          // this copy runs; Acquire returned the instance
    OtherRaised,    // another copy runs and was asked to show its window
    OtherSilent,    // another copy holds the lock but did not answer
    LockFailed,     // the lock file could not be opened
  };

  // Takes the lock of `dataFolder` or, when another copy holds it, asks that copy to raise
  // its window. `waitMs` is how long to keep trying to reach a copy that is still starting.
  static std::unique_ptr<SingleInstance> Acquire(const QString& dataFolder, Outcome& outcome,
                                                 int waitMs = 3000);
  ~SingleInstance() override;

  QString SocketName() const { return server_.serverName(); }

 signals:
  // Another start asked for the window.
  void RaiseRequested();

 private:
  SingleInstance(int lockFd, QObject* parent = nullptr);
  bool Listen(const QString& name);
  void OnConnection();

  int lockFd_;
  QLocalServer server_;
};

}  // namespace tf::shell::ui
