// tallyfold-screenshot-tour: the pictures of the README's tour, taken on a demo company.
//
//   tallyfold-screenshot-tour --data DIR --out DIR --today YYYY-MM-DD
//   tallyfold-screenshot-tour --palette FILE.png...
//
// It composes the main window and every window its commands open exactly as the program does,
// on a clock that stands on the demo's day (so every run shows the same dates, ages and clock),
// then opens the windows of the tour one after the other as a user would: each is shown, given
// time to paint, and taken from the screen (the window's region of the X screen, so a dialog
// shows as the user sees it) into OUT/NAME.png as an 8-bit palette picture. A window that does
// not come up within a few seconds, or a message nobody expected, ends the tour with a sentence
// and exit status 1, so the script that runs it never waits forever. --palette rewrites other
// pictures (the printed pages) with the same 8-bit palette. Not installed: the
// screenshots script (docs/screenshots/make-screenshots.sh) runs it under a virtual display.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/program_windows.h"
#include "browse/ui/index_browser.h"
#include "common/clock.h"
#include "common/program_title.h"
#include "common/ui/list_window.h"
#include "common/ui/qt_prompter.h"
#include "common/ui/qt_text.h"
#include "common/ui/stat_form.h"
#include "engine/core/engine.h"
#include "shell/main_window_model.h"
#include "shell/ui/main_form.h"
#include "shell/ui/main_form_startup.h"
#include "shell/ui/program_picture.h"

namespace {

namespace fs = std::filesystem;
using tf::shell::CommandId;

constexpr int kExitUsage = 2;
// How long a window may take to come up before the tour gives up on it.
constexpr int kWindowWaitMs = 20000;
// How long a window is given to paint once it is on the screen (lists read their rows, the
// X server draws what the toolkit sent).
constexpr int kSettleMs = 400;
// The demo's customer the tour shows (a long-standing one with invoices open in every age) and
// its invoice of the demo's day with several line items.
constexpr const char* kCustomer = "Golden Cru";
constexpr const char* kInvoice = "1270";

[[noreturn]] void GiveUp(const std::string& text) {
  std::cerr << "tallyfold-screenshot-tour: " << text << "\n";
  std::fflush(nullptr);
  std::_Exit(1);
}

// What is in front when the tour waited in vain: its name and, for a message, its text.
std::string InFront() {
  QWidget* w = QApplication::activeModalWidget();
  if (!w) return "no window in front";
  std::string text = "the window in front is " + w->objectName().toStdString() + " \"" +
                     w->windowTitle().toStdString() + "\"";
  if (auto* box = qobject_cast<QMessageBox*>(w)) text += " saying \"" + box->text().toStdString() + "\"";
  return text;
}

void Pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The picture with at most 256 colours: the ones that cover most of it, every other pixel drawn
// in the nearest of them. Windows are flat areas and text, so the picture stays legible at a
// third of the size of a true-colour one.
QImage ToPalette(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  std::unordered_map<QRgb, long> counts;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) ++counts[line[x]];
  }
  std::vector<std::pair<QRgb, long>> colours(counts.begin(), counts.end());
  // Ties broken by the colour itself, so the same picture always gets the same palette.
  std::sort(colours.begin(), colours.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  QList<QRgb> table;
  for (std::size_t i = 0; i < colours.size() && i < 256; ++i) table.push_back(colours[i].first | 0xff000000u);
  return rgb.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

class Tour {
 public:
  Tour(fs::path out) : out_(std::move(out)) {}

  // Runs `step` on the window named `name` once it is the active modal window, while `open`
  // (which opens it and returns when it has closed) runs.
  void During(const char* name, const std::function<void()>& open, std::function<void(QWidget*)> step) {
    bool reached = false;
    auto closed = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(timer, &QTimer::timeout, [timer, name, &reached, closed, waited, step = std::move(step)] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w || w->objectName() != name) {
        if (waited.elapsed() > kWindowWaitMs)
          GiveUp(std::string("the window ") + name + " did not come up; " + InFront() + ".");
        return;
      }
      timer->stop();
      timer->deleteLater();
      reached = true;
      step(w);
      // The step closes the window (or picks, which closes it); one left open would hold the
      // tour for ever.
      QTimer::singleShot(kWindowWaitMs, w, [name, closed] {
        if (!*closed) GiveUp(std::string("the window ") + name + " did not close; " + InFront() + ".");
      });
    });
    timer->start(20);
    open();
    *closed = true;
    if (!reached) GiveUp(std::string("the window ") + name + " closed or never opened; " + InFront() + ".");
  }

  // Waits until `window` is on the screen and painted, then saves its region of the screen.
  void Shoot(QWidget* window, const std::string& name) {
    QElapsedTimer waited;
    waited.start();
    while (!window->windowHandle() || !window->windowHandle()->isExposed()) {
      if (waited.elapsed() > kWindowWaitMs) GiveUp("the window for " + name + " never showed.");
      Pause(20);
    }
    window->repaint();
    Pause(kSettleMs);
    const QRect area = window->frameGeometry();
    QScreen* screen = window->screen();
    // Beyond the screen's edge the picture would be black: a window that does not fit is a
    // fault of the window (or of the screen size chosen), not something to crop quietly.
    if (!screen->geometry().contains(area))
      GiveUp("the window for " + name + " (" + std::to_string(area.width()) + " x " + std::to_string(area.height()) +
             " at " + std::to_string(area.x()) + ", " + std::to_string(area.y()) + ") does not fit on the screen.");
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const fs::path file = out_ / (name + ".png");
    if (shot.isNull() || !ToPalette(shot.toImage()).save(QString::fromStdString(file.string()), "PNG", 9))
      GiveUp("cannot write " + file.string() + ".");
    std::cout << file.string() << "\n";
  }

 private:
  fs::path out_;
};

QAbstractButton& Button(QWidget* window, const char* name) {
  auto* b = window->findChild<QAbstractButton*>(name);
  if (!b) GiveUp(std::string("the window ") + window->objectName().toStdString() + " has no button " + name + ".");
  return *b;
}

// As typed: Return carries its character, which is what the lists pick on.
void PressKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

QAction& Action(QWidget* window, const char* name) {
  auto* a = window->findChild<QAction*>(name);
  if (!a) GiveUp(std::string("the window ") + window->objectName().toStdString() + " has no command " + name + ".");
  return *a;
}

QWidget& Child(QWidget* window, const char* name) {
  auto* w = window->findChild<QWidget*>(name);
  if (!w) GiveUp(std::string("the window ") + window->objectName().toStdString() + " has no " + name + ".");
  return *w;
}

// Makes the row whose index key holds `wanted` the list's current row, walking down from the
// first row, or up from the last.
void SelectRow(QWidget* window, const char* list, const std::string& wanted, bool fromEnd) {
  auto* browser = qobject_cast<TIndexBrowser*>(&Child(window, list));
  if (!browser) GiveUp(std::string(list) + " is not a list.");
  PressKey(browser, fromEnd ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
  const QString sought = QString::fromStdString(wanted);
  for (int step = 0; step < 500; ++step) {
    if (QString::fromStdString(browser->CurrentKey()).contains(sought, Qt::CaseInsensitive)) return;
    PressKey(browser, fromEnd ? Qt::Key_Up : Qt::Key_Down);
  }
  GiveUp(std::string("no row of ") + list + " is " + wanted + " (the last key read was \"" + browser->CurrentKey() +
         "\").");
}

bool ParseDay(const std::string& text, std::chrono::year_month_day& day) {
  int y = 0;
  unsigned m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2u-%2u%c", &y, &m, &d, &tail) != 3) return false;
  day = std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d};
  return day.ok();
}

}  // namespace

int main(int argc, char** argv) {
  // The pictures of printed pages, made by another program, get the same palette as the
  // windows'; no display is needed for that.
  if (argc > 2 && std::string_view(argv[1]) == "--palette") {
    for (int i = 2; i < argc; ++i) {
      const QString file = QString::fromLocal8Bit(argv[i]);
      const QImage picture(file);
      if (picture.isNull() || !ToPalette(picture).save(file, "PNG", 9)) GiveUp("cannot rewrite " + std::string(argv[i]) + ".");
    }
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(tf::common::ui::ToQString(tf::shell::kApplicationName));
  QApplication::setApplicationDisplayName(tf::common::ui::ToQString(tf::common::kProgramTitle));
  QApplication::setWindowIcon(tf::shell::ui::ProgramIcon());
  // A steady text cursor: a blinking one would be in some pictures of a run and not in others.
  QApplication::setCursorFlashTime(0);

  fs::path data, out;
  std::chrono::year_month_day today{};
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    const std::string value = args[i + 1].toStdString();
    if (args[i] == "--data") {
      data = value;
    } else if (args[i] == "--out") {
      out = value;
    } else if (args[i] == "--today" && ParseDay(value, today)) {
    } else {
      break;
    }
  }
  if (data.empty() || out.empty() || !today.ok() || args.size() != 7) {
    std::cerr << "Usage: tallyfold-screenshot-tour --data DIR --out DIR --today YYYY-MM-DD\n";
    return kExitUsage;
  }
  std::error_code ec;
  out = fs::absolute(out, ec);
  fs::create_directories(out, ec);
  fs::current_path(data, ec);
  if (ec) GiveUp("cannot enter the data folder " + data.string() + " (" + ec.message() + ").");

  tf::engine::InstallEngineExit();
  tf::common::ui::QtPrompter prompter;
  tf::common::ui::TStatForm status;
  // Mid-morning of the demo's day: the clock in the status bar reads the same on every run.
  const tf::common::FixedClock clock(today, std::chrono::hours{10});
  std::unique_ptr<tf::shell::ui::TMainForm> form = tf::shell::ui::CreateMainForm(prompter, clock, status);
  if (!form) GiveUp("the data folder did not open.");
  prompter.SetParent(form.get());
  tf::common::ui::TListWindow listWindow(form.get(), &prompter);
  const tf::shell::ui::WindowServices services{prompter, status, listWindow, clock};
  tf::app::InstallProgramWindows(*form, services);

  // The pointer rests in the middle of the screen, over the chart panel, whose hint the status
  // bar then shows; set here rather than left to wherever the display put it.
  if (QScreen* screen = QGuiApplication::primaryScreen()) QCursor::setPos(screen, screen->geometry().center());

  Tour tour(out);
  tf::shell::ui::TMainForm& main = *form;
  QTimer::singleShot(0, &main, [&] {
    // The main window with the aging chart.
    main.RunCommand(CommandId::AgingChart, true);
    tour.Shoot(&main, "main-window");

    // The Company Manager, then the current company's options.
    tour.During("TListComps", [&] { main.RunCommand(CommandId::CompanyManager, true); }, [&](QWidget* companies) {
      tour.Shoot(companies, "company-manager");
      tour.During("TCompSet", [&] { Button(companies, "EditInvoice").click(); }, [&](QWidget* options) {
        tour.Shoot(options, "company-options");
        Button(options, "CancelButton").click();
      });
      static_cast<QDialog*>(companies)->reject();
    });

    // The Customer Manager on a customer with open invoices, its form and its statement.
    tour.During("TDemoForm", [&] { main.RunCommand(CommandId::CustomerManager, true); }, [&](QWidget* customers) {
      SelectRow(customers, "CustBrowser", kCustomer, false);
      tour.Shoot(customers, "customer-manager");
      tour.During("TEditDlg", [&] { Button(customers, "EditCustButn").click(); }, [&](QWidget* editor) {
        tour.Shoot(editor, "customer-form");
        static_cast<QDialog*>(editor)->reject();
      });
      tour.During("TStment", [&] { Button(customers, "StmtPrin").click(); }, [&](QWidget* statement) {
        tour.Shoot(statement, "statement-view");
        static_cast<QDialog*>(statement)->reject();
      });
      static_cast<QDialog*>(customers)->reject();
    });

    tour.During("TEditProd", [&] { main.RunCommand(CommandId::ProductManager, true); }, [&](QWidget* products) {
      tour.Shoot(products, "product-manager");
      static_cast<QDialog*>(products)->reject();
    });

    // The Invoice Manager, then an invoice with its line items in entry.
    tour.During("Tinvlist", [&] { main.RunCommand(CommandId::InvoiceManager, true); }, [&](QWidget* invoices) {
      // Found in number order, shown in date order among the invoices of the last weeks.
      Action(invoices, "ByNumber1").trigger();
      SelectRow(invoices, "InvBrowser1", kInvoice, true);
      Action(invoices, "ByDate1").trigger();
      tour.Shoot(invoices, "invoice-manager");
      tour.During("TProdInv", [&] { Button(invoices, "EditInvoice").click(); }, [&](QWidget* entry) {
        tour.Shoot(entry, "invoice-entry");
        static_cast<QDialog*>(entry)->reject();
      });
      static_cast<QDialog*>(invoices)->reject();
    });

    // The Payment Wizard with a customer's open items, one of them taken.
    tour.During("TPayBox", [&] { main.RunCommand(CommandId::PaymentWizard, true); }, [&](QWidget* wizard) {
      tour.During("TDemoForm", [&] { Button(wizard, "BitBtn3").click(); }, [&](QWidget* picker) {
        SelectRow(picker, "CustBrowser", kCustomer, false);
        PressKey(&Child(picker, "CustBrowser"), Qt::Key_Return);
      });
      auto* open = wizard->findChild<QListWidget*>("SrcList");
      if (!open || open->count() == 0) GiveUp("the payment wizard shows no open items.");
      open->setCurrentRow(0);
      Button(wizard, "IncludeBtn").click();
      // The amount received equals the item taken, so Post is ready as a user would see it.
      auto* amount = wizard->findChild<QLineEdit*>("PAmt");
      if (!amount) GiveUp("the payment wizard has no amount field.");
      amount->setFocus();
      amount->selectAll();
      for (const QChar ch : QStringLiteral("349.68")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(amount, &press);
      }
      tour.Shoot(wizard, "payment-wizard");
      static_cast<QDialog*>(wizard)->reject();
    });

    tour.During("RptSelect", [&] { main.RunCommand(CommandId::ReportWizard, true); }, [&](QWidget* reports) {
      tour.Shoot(reports, "report-wizard");
      static_cast<QDialog*>(reports)->reject();
    });

    QApplication::exit(0);
  });
  main.show();
  return QApplication::exec();
}
