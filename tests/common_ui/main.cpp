// The window tests: each class runs in turn under one QApplication on the offscreen platform.

#include <QApplication>

#include "test_support.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace tf::common::ui::test;
  int failures = 0;
  for (auto run : {RunPrompterTests, RunStatFormTests, RunCalFormTests, RunListWindowTests,
                   RunPrintCanvasTests, RunHelpWindowTests, RunRtfTextTests}) {
    failures += run(argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
