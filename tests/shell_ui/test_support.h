#pragma once
// The main window's test classes; main() runs each under one QApplication.

namespace tf::shell::ui::test {

int RunMainFormTests(int argc, char** argv);
int RunSingleInstanceTests(int argc, char** argv);
int RunStartupTests(int argc, char** argv);
int RunSplashTests(int argc, char** argv);
int RunWelcomeTests(int argc, char** argv);

}  // namespace tf::shell::ui::test
