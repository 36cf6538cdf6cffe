#pragma once
// For window tests (QTest): runs a step on a modal window once it is the active one, so a test
// can drive a dialog that a click is about to open (and any opened from inside it). Header
// only, so the plain test library needs no Qt.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tf::test {

// Runs `step` on the modal window whose object name is `name` as soon as it is the active one.
inline void OnModal(const char* name, std::function<void(QWidget*)> step) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, name, step = std::move(step)] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w->objectName() != name) return;
    timer->stop();
    timer->deleteLater();
    step(w);
  });
  timer->start(5);
}

}  // namespace tf::test
