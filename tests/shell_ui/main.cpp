// The main window's tests on the offscreen platform.

#include <QApplication>

#include "test_support.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace tf::shell::ui::test;
  int failures = 0;
  for (auto run : {RunMainFormTests, RunStartupTests, RunSingleInstanceTests, RunSplashTests, RunWelcomeTests}) failures += run(argc, argv);
  return failures == 0 ? 0 : 1;
}
