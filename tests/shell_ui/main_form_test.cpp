// The main window's controls, commands, clock, output choice and closing, on a window built
// without a data folder (start-up is tested in startup_test.cpp).

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "common/scripted_prompter.h"
#include "common/ui/cal_form.h"
#include "shell/ui/about_box.h"
#include "shell/ui/main_form.h"
#include "test_support.h"

namespace tf::shell::ui::test {
namespace {

using namespace std::chrono;
using common::PromptAnswer;

class MainFormTest : public QObject {
  Q_OBJECT

 private:
  common::ScriptedPrompter prompter_;
  std::unique_ptr<common::FixedClock> clock_;
  std::unique_ptr<TMainForm> form_;
  std::vector<std::string> steps_;

  template <typename T>
  T* Find(const char* name) {
    return form_->findChild<T*>(QString::fromLatin1(name));
  }

 private slots:
  void init() {
    prompter_.Clear();
    steps_.clear();
    clock_ = std::make_unique<common::FixedClock>(2026y / December / 10d, hours(13) + minutes(5));
    form_ = std::make_unique<TMainForm>(prompter_, *clock_);
    form_->OnExitEngine = [this] { steps_.push_back("engine"); };
    form_->OnOfferBackup = [this] { steps_.push_back("backup"); };
  }
  void cleanup() {
    form_->OnBackupPromptFlag = [] { return false; };
    form_->SetLabelQueuePending(false);
    form_.reset();
  }

  void TitleAndControlsByName() {
    QCOMPARE(form_->windowTitle(), QString("QZ Tallyfold PRO"));
    for (const char* name : {"TitlePanel", "NameCap", "Panel1", "Panel2", "SelOut", "PrinDef",
                             "EMdef", "Label5", "StatusPanel0", "StatusPanel1"})
      QVERIFY2(form_->findChild<QWidget*>(name) != nullptr, name);

    auto* customers = Find<QToolButton>("SpeedButton3");
    QVERIFY(customers);
    QCOMPARE(customers->text(), QString("&Customers"));
    QCOMPARE(customers->toolTip(), QString("Customers"));
    QCOMPARE(Find<QToolButton>("SpeedButton2")->toolTip(), QString("Companies/System Options"));
    QCOMPARE(Find<QToolButton>("HomeButn")->text(), QString("Home"));
    QCOMPARE(Find<QToolButton>("HomeButn")->toolTip(), QString("Our Internet Home Page"));
    QCOMPARE(Find<QRadioButton>("PrinDef")->text(), QString("Pri&nter or Fax"));
    QCOMPARE(Find<QRadioButton>("EMdef")->text(), QString("&E-Mail"));
    // The chart's buttons live on the chart panel, the mode's help on the output panel.
    QCOMPARE(Find<QToolButton>("SpeedButton1")->parentWidget(), form_->Panel2);
    QCOMPARE(Find<QToolButton>("AgeChartBtn")->parentWidget(), form_->Panel2);
    QCOMPARE(Find<QToolButton>("EMHlp")->parentWidget(), form_->SelOut);
  }

  // The window covers the desktop's work area whatever its size: a large screen is not left
  // mostly empty, a small one is not overrun.
  void PlacedOnTheWholeWorkArea() {
    for (const QRect work : {QRect(0, 32, 1920, 1048), QRect(0, 0, 1024, 700), QRect(60, 0, 2500, 1400)}) {
      form_->PlaceOn(work);
      QCOMPARE(form_->frameGeometry(), work);
    }
    form_->PlaceOnWorkArea();
    QCOMPARE(form_->frameGeometry(), form_->screen()->availableGeometry());
  }

  void MenusInOrder() {
    QStringList titles;
    for (QAction* a : form_->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, QStringList({"&File", "&Tools", "&Help"}));
    QMenu* help = form_->menuBar()->actions().at(2)->menu();
    QStringList items;
    for (QAction* a : help->actions()) items << (a->isSeparator() ? "-" : a->objectName());
    QCOMPARE(items, QStringList({"Topics1", "HelpWithHelp1", "-", "FrequentAskedQuestions1",
                                 "-", "About1"}));
    auto* calc = Find<QAction>("Calculator1");
    QVERIFY(calc);
    QCOMPARE(calc->text(), QString("&Calculator"));
  }

  void WindowsNotBuiltYetAreDisabledUntilRegistered() {
    auto* button = Find<QToolButton>("SpeedButton5");
    auto* item = Find<QAction>("InvoiceManager1");
    QVERIFY(!button->isEnabled());
    QVERIFY(!item->isEnabled());
    QVERIFY(Find<QToolButton>("SpeedButton8")->isEnabled());
    QVERIFY(Find<QAction>("ViewCalendar1")->isEnabled());

    int runs = 0;
    form_->SetCommandHandler(CommandId::InvoiceManager, [&] { ++runs; });
    QVERIFY(button->isEnabled());
    QVERIFY(item->isEnabled());
    form_->ShowChart();
    form_->SetStatusText("Aging customer 12");
    button->click();
    QCOMPARE(runs, 1);
    QVERIFY(form_->Panel2->isHidden());
    QCOMPARE(form_->StatusPanel1->text(), QString("Ready."));
    item->trigger();
    QCOMPARE(runs, 2);
  }

  void CompanyButtonClearsTheChartButTheMenuItemDoesNot() {
    int runs = 0;
    form_->SetCommandHandler(CommandId::CompanyManager, [&] { ++runs; });
    form_->ShowChart();
    form_->SetStatusText("busy");
    Find<QAction>("CompanyManager1")->trigger();
    QCOMPARE(runs, 1);
    QVERIFY(!form_->Panel2->isHidden());
    QCOMPARE(form_->StatusPanel1->text(), QString("busy"));
    Find<QToolButton>("SpeedButton2")->click();
    QCOMPARE(runs, 2);
    QVERIFY(form_->Panel2->isHidden());
    QCOMPARE(form_->StatusPanel1->text(), QString("Ready."));
  }

  void CloseChartButton() {
    form_->ShowChart();
    form_->SetStatusText("x");
    Find<QToolButton>("SpeedButton1")->click();
    QVERIFY(form_->Panel2->isHidden());
    QCOMPARE(form_->StatusPanel1->text(), QString("Ready."));
  }

  void HintsFollowShowHints() {
    form_->SetShowHints(false);
    QCOMPARE(Find<QToolButton>("SpeedButton7")->toolTip(), QString());
    form_->SetShowHints(true);
    QCOMPARE(Find<QToolButton>("SpeedButton7")->toolTip(), QString("View Calendar"));
  }

  void ClockInPanelZeroTicks() {
    QCOMPARE(form_->StatusPanel0->text(), QString("Thursday, December 10, 2026, 01:05 PM"));
    QCOMPARE(form_->StatusPanel0->width(), 300);
    clock_->Set(local_days{2027y / January / 1d} + hours(0) + minutes(1));
    QTRY_COMPARE_WITH_TIMEOUT(form_->StatusPanel0->text(),
                              QString("Friday, January 1, 2027, 12:01 AM"), 3000);
  }

  void EMailChoiceChangesTheLabel() {
    QCOMPARE(form_->Label5->text(), QString("System Mode: Printer / Fax"));
    QCOMPARE(form_->Output(), OutputMode::Printer);
    form_->EMdef->click();
    QCOMPARE(form_->Label5->text(), QString("System Mode: E-Mail"));
    QCOMPARE(form_->Output(), OutputMode::EMail);
    form_->PrinDef->click();
    QCOMPARE(form_->Label5->text(), QString("System Mode: Printer / Fax"));
  }

  void FormShowTakesTheCompanysOutputAfterThePasswordAndBeforeAging() {
    std::vector<std::string> order;
    form_->OnPasswordCheck = [&] { order.push_back("password"); return true; };
    form_->OnDefaultOutput = [&] { order.push_back("output"); return OutputMode::EMail; };
    form_->OnDailyAging = [&] {
      order.push_back(form_->EMdef->isChecked() ? "aging after e-mail" : "aging");
    };
    form_->show();
    QCOMPARE(order, (std::vector<std::string>{"password", "output", "aging after e-mail"}));
    QCOMPARE(form_->Label5->text(), QString("System Mode: E-Mail"));
    form_->hide();
    form_->show();
    QCOMPARE(order.size(), 3u);  // only the first show
  }

  void RefusedPasswordStopsFormShow() {
    bool aged = false;
    form_->OnPasswordCheck = [] { return false; };
    form_->OnDefaultOutput = [] { return OutputMode::EMail; };
    form_->OnDailyAging = [&] { aged = true; };
    QSignalSpy refused(form_.get(), &TMainForm::StartupRefused);
    form_->show();
    QCOMPARE(refused.count(), 1);
    QVERIFY(!aged);
    QVERIFY(form_->PrinDef->isChecked());
    // Ending after a refused password asks nothing and leaves the engine to the program's end.
    QVERIFY(form_->close());
    QVERIFY(prompter_.Shown().empty());
  }

  void LayoutFollowsTheWindow() {
    form_->resize(1100, 700);
    form_->show();
    QTRY_VERIFY(form_->Background->width() > 0);
    QCOMPARE(form_->NameCap->width(), form_->TitlePanel->width() - 10);
    QCOMPARE(form_->TitlePanel->width(), form_->Background->width());
    const QRect title = form_->TitlePanel->geometry();
    const QRect buttons = form_->Panel1->geometry();
    QCOMPARE(buttons.top(), title.bottom() + 1 + title.height() / 10);
    QCOMPARE(buttons.left(), form_->NameCap->geometry().left());
    QCOMPARE(form_->Panel2->geometry().top(), buttons.top());
    QCOMPARE(form_->SelOut->geometry().top(), buttons.top());
    QVERIFY(form_->Panel2->geometry().left() > buttons.right());
    QVERIFY(form_->SelOut->geometry().left() > form_->Panel2->geometry().right());
    // SpeedButton2 heads the button panel.
    QCOMPARE(Find<QToolButton>("SpeedButton2")->geometry().topLeft(), QPoint(0, 0));

    form_->resize(1400, 760);
    QTRY_COMPARE(form_->NameCap->width(), form_->TitlePanel->width() - 10);
    QCOMPARE(form_->SelOut->geometry().right(), form_->Background->width() - 6);
  }

  void BackgroundTilesFromTheTopLeft() {
    QPixmap tile(7, 5);
    tile.fill(Qt::red);
    {
      QPainter p(&tile);
      p.fillRect(0, 0, 1, 1, Qt::blue);  // marks each tile's corner
    }
    form_->SetBackground(tile);
    QVERIFY(form_->BackgroundOn());
    form_->Background->resize(30, 20);
    QImage shot = form_->Background->grab().toImage();
    for (QPoint corner : {QPoint(0, 0), QPoint(7, 0), QPoint(21, 15), QPoint(28, 10)})
      QCOMPARE(shot.pixelColor(corner), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(QPoint(8, 1)), QColor(Qt::red));
    form_->SetBackground(QPixmap());
    QVERIFY(!form_->BackgroundOn());
  }

  void CompanyCaptionInTheEditorFont() {
    common::FontSpec font{"DejaVu Sans", 14, 0x00FF0000, common::kFontBold | common::kFontItalic};
    form_->SetCompanyCaption("Acme Supply\r     Number: 7", font);
    QCOMPARE(form_->NameCap->text(), QString("Acme Supply\n     Number: 7"));
    QCOMPARE(form_->NameCap->font().pointSize(), 14);
    QVERIFY(form_->NameCap->font().bold());
    QVERIFY(form_->NameCap->font().italic());
    QCOMPARE(form_->NameCap->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  }

  void CalculatorStartsTheFirstOneFoundOrSaysSo() {
    QTemporaryDir dir;
    QString xcalc = dir.filePath("xcalc");
    std::ofstream(xcalc.toStdString()) << "#!/bin/sh\n";
    chmod(xcalc.toLocal8Bit().constData(), 0755);
    QStringList started;
    form_->StartProgram = [&](const QString& p) { started << p; return true; };
    form_->CalculatorSearchPath = [&] { return dir.path().toStdString(); };
    Find<QToolButton>("SpeedButton8")->click();
    QCOMPARE(started, QStringList({xcalc}));
    QVERIFY(prompter_.Shown().empty());

    // Found but it would not start, and nothing found: the same message.
    form_->StartProgram = [](const QString&) { return false; };
    Find<QAction>("Calculator1")->trigger();
    form_->CalculatorSearchPath = [] { return std::string("/nonexistent"); };
    Find<QAction>("Calculator1")->trigger();
    QCOMPARE(prompter_.Texts(),
             (std::vector<std::string>{"Calculator not found.", "Calculator not found."}));
  }

  void HomePageAsksFirst() {
    QList<QUrl> opened;
    form_->OpenUrl = [&](const QUrl& u) { opened << u; return true; };
    prompter_.Answer(PromptAnswer::No);
    Find<QToolButton>("HomeButn")->click();
    QVERIFY(opened.isEmpty());
    prompter_.Answer(PromptAnswer::Yes);
    Find<QToolButton>("HomeButn")->click();
    QCOMPARE(opened, QList<QUrl>({QUrl("http://www.tallyfold.example/")}));
    QCOMPARE(prompter_.Shown().at(0).caption, std::string("Internet Home Page"));
  }

  void HelpCommandsOpenTheirTopics() {
    std::vector<std::string> topics;
    form_->ShowHelp = [&](std::string_view t) { topics.emplace_back(t); };
    Find<QToolButton>("SpeedButton14")->click();
    Find<QAction>("HelpWithHelp1")->trigger();
    Find<QAction>("FrequentAskedQuestions1")->trigger();
    Find<QToolButton>("AgeChartBtn")->click();
    Find<QToolButton>("EMHlp")->click();
    QCOMPARE(topics, (std::vector<std::string>{"", "How to use Help", "Frequent Asked Questions",
                                               "AgingChart", "EMMode"}));
  }

  void ViewCalendarOpensOnTodayCentredAndRestoresItsTitle() {
    form_->SetDateFormat(common::DateFormat::DayFirst);
    form_->resize(900, 600);
    form_->move(100, 80);
    form_->show();
    QString title;
    QString dateText;
    QPoint centre;
    QTimer::singleShot(0, [&] {
      auto* cal = qobject_cast<common::ui::TCalForm*>(QApplication::activeModalWidget());
      if (!cal) return;
      title = cal->windowTitle();
      dateText = QString::fromStdString(cal->Model().DateText());
      centre = cal->frameGeometry().center();
      cal->reject();
    });
    Find<QToolButton>("SpeedButton7")->click();
    QCOMPARE(title, QString("View Calendar"));
    QCOMPARE(dateText, QString("10/12/2026"));
    QVERIFY((centre - form_->frameGeometry().center()).manhattanLength() < 40);
    QCOMPARE(form_->CalForm->windowTitle(), QString("Date Selection"));
  }

  void AboutShowsProductAndVersion() {
    QString product, version;
    QTimer::singleShot(0, [&] {
      auto* about = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
      if (!about) return;
      product = about->ProductName->text();
      version = about->Version->text();
      about->OKButton->click();
    });
    Find<QAction>("About1")->trigger();
    QCOMPARE(product, QString("QZ Tallyfold PRO"));
    QCOMPARE(version, QString("Version 0.1"));
  }

  void ClosingAsksAboutLabelsThenBacksUpThenEndsTheEngine() {
    form_->SetLabelQueuePending(true);
    prompter_.Answer(PromptAnswer::No);
    QVERIFY(!form_->close());
    QVERIFY(steps_.empty());
    QCOMPARE(prompter_.Shown().at(0).caption, std::string("Please Confirm"));

    prompter_.Answer(PromptAnswer::Yes);
    form_->OnBackupPromptFlag = [] { return true; };
    QVERIFY(form_->close());
    QCOMPARE(steps_, (std::vector<std::string>{"backup", "engine"}));
  }

  void ClosingWithoutBackupPromptEndsTheEngineOnly() {
    QVERIFY(Find<QToolButton>("SpeedButton16")->isEnabled());
    Find<QToolButton>("SpeedButton16")->click();
    QCOMPARE(steps_, (std::vector<std::string>{"engine"}));
    QVERIFY(prompter_.Shown().empty());
  }
};

}  // namespace

int RunMainFormTests(int argc, char** argv) {
  MainFormTest t;
  return QTest::qExec(&t, argc, argv);
}

}  // namespace tf::shell::ui::test

#include "main_form_test.moc"
