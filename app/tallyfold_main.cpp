// tallyfold: the windowed program on one data folder.
//
//   tallyfold [--data DIR] | --help | --version
//
// The data folder (default $XDG_DATA_HOME/tallyfold) is the program's working directory; one
// copy runs per folder, and a second start brings the running copy's window forward.

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "app/first_run_welcome.h"
#include "app/program_help.h"
#include "app/program_windows.h"
#include "app/starter/starter_folder.h"
#include "common/program_version.h"
#include "common/clock.h"
#include "common/data_folder.h"
#include "common/ui/help_key.h"
#include "common/ui/list_window.h"
#include "common/ui/qt_prompter.h"
#include "common/ui/qt_text.h"
#include "common/ui/stat_form.h"
#include "engine/core/engine.h"
#include "shell/main_window_model.h"
#include "common/program_title.h"
#include "shell/ui/main_form_startup.h"
#include "shell/ui/program_picture.h"
#include "shell/ui/single_instance.h"
#include "shell/ui/splash.h"

namespace {

constexpr int kExitUsage = 2;

void PrintUsage(std::ostream& out) {
  out << "Usage: " << tf::app::kProgramSynopsis << "\n" << tf::app::kProgramDescription << "\n\n";
  for (const tf::app::OptionText& option : tf::app::kProgramOptions) {
    std::string name = option.name;
    out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') << option.text << "\n";
  }
}

// Tells the user on the terminal and in a message box: the program may have been started from a
// desktop menu, where nobody sees the terminal.
void Complain(tf::common::Prompter& prompter, const std::string& text) {
  std::cerr << "tallyfold: " << text << "\n";
  prompter.Inform(text, tf::common::kProgramTitle, tf::common::PromptIcon::Exclamation);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using tf::common::ui::ToQString;

  // --help and --version are answered before the toolkit starts, so they work without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--data") {
      ++i;  // its folder may be named anything
    } else if (a == "-h" || a == "--help") {
      PrintUsage(std::cout);
      return 0;
    } else if (a == "--version") {
      std::cout << "tallyfold " << tf::common::kProgramVersion << "\n";
      return 0;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(ToQString(tf::shell::kApplicationName));
  // Window titles already carry the program's name; the desktop would add it a second time.
  QApplication::setApplicationDisplayName(ToQString(tf::common::kProgramTitle));
  QApplication::setApplicationVersion(ToQString(tf::shell::kProductVersion));
  tf::common::ui::InstallHelpKey(app);
  QApplication::setDesktopFileName("tallyfold");
  QApplication::setWindowIcon(tf::shell::ui::ProgramIcon());

  fs::path data = tf::common::DefaultDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  bool dataChosen = false;
  // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--data" && i + 1 < args.size()) {
      data = fs::path(args[++i].toStdString());
      dataChosen = true;
    } else if (a.startsWith("--data=")) {
      data = fs::path(a.mid(7).toStdString());
      dataChosen = true;
    } else {
      std::cerr << "tallyfold: unknown argument " << a.toStdString() << "\n";
      PrintUsage(std::cerr);
      return kExitUsage;
    }
  }

  tf::common::ui::QtPrompter prompter;
  if (data.empty()) {
    Complain(prompter, "No data folder: set HOME or XDG_DATA_HOME, or give --data DIR.");
    return kExitUsage;
  }
  std::error_code ec;
  data = fs::absolute(data, ec);
  // The first start on this account makes the default folder with its starter files; a folder
  // named with --data must exist (a mistyped name should not become a new set of books).
  if (!dataChosen && !ec && !fs::exists(data, ec)) {
    std::string error = tf::app::CreateStarterFolder(data);
    if (!error.empty()) {
      Complain(prompter, "Cannot create the data folder " + data.string() + " (" + error + ").");
      return kExitUsage;
    }
  }
  if (ec || !fs::is_directory(data, ec)) {
    Complain(prompter, "The data folder " + data.string() +
                           " does not exist. Create it with: tallyfold-cli init " + data.string());
    return kExitUsage;
  }
  fs::current_path(data, ec);
  if (ec) {
    Complain(prompter, "Cannot enter the data folder " + data.string() + ": " + ec.message());
    return kExitUsage;
  }

  using tf::shell::ui::SingleInstance;
  SingleInstance::Outcome outcome;
  auto instance = SingleInstance::Acquire(QString::fromStdString(data.string()), outcome);
  switch (outcome) {
    case SingleInstance::Outcome::First:
      break;
    case SingleInstance::Outcome::OtherRaised:
    case SingleInstance::Outcome::OtherSilent:
      return 0;  // the copy that runs on this folder keeps it
    case SingleInstance::Outcome::LockFailed:
      Complain(prompter, "Cannot create " + (data / tf::shell::ui::kLockFileName).string() +
                             " in the data folder.");
      return kExitUsage;
  }

  tf::engine::InstallEngineExit();  // file blocks are closed however the program ends
  tf::common::ui::TStatForm status;
  tf::common::SystemClock clock;
  std::unique_ptr<tf::shell::ui::TMainForm> form =
      tf::shell::ui::CreateMainForm(prompter, clock, status);
  if (!form) return 1;
  prompter.SetParent(form.get());

  // The splash stands while the windows the main window's commands open are created (once
  // each; they are shown modally).
  auto splash = std::make_unique<tf::shell::ui::TPStart>();
  splash->ShowNow();
  tf::common::ui::TListWindow listWindow(form.get(), &prompter);
  const tf::shell::ui::WindowServices services{prompter, status, listWindow, clock};
  const tf::app::ProgramWindows windows = tf::app::InstallProgramWindows(*form, services);

  splash.reset();

  QObject::connect(instance.get(), &SingleInstance::RaiseRequested, form.get(),
                   &tf::shell::ui::TMainForm::BringForward);
  // A refused password ends the program as soon as the event loop runs.
  QObject::connect(form.get(), &tf::shell::ui::TMainForm::StartupRefused, &app,
                   [&app] { app.exit(0); }, Qt::QueuedConnection);
  form->show();
  // New books open on the welcome once the window is up.
  QTimer::singleShot(0, form.get(), [&] { tf::app::OfferWelcome(*form, windows.companies, windows.customers, windows.products); });
  return app.exec();
}
