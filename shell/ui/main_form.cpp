#include "shell/ui/main_form.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <cstdlib>

#include "common/ui/cal_form.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_text.h"
#include "common/program_title.h"
#include "shell/ui/about_box.h"
#include "shell/ui/command_icons.h"

namespace tf::shell::ui {

using common::ui::ToQString;

TMainForm::TMainForm(common::Prompter& prompter, const common::Clock& clock, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), clock_(clock) {
  setObjectName("MainForm");
  setWindowTitle(ToQString(common::kProgramTitle));

  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  StartProgram = [](const QString& program) { return QProcess::startDetached(program, {}); };
  CalculatorSearchPath = [] {
    const char* path = std::getenv("PATH");
    return std::string(path ? path : "");
  };
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };

  CalForm = new common::ui::TCalForm(this);
  CreatePanels();
  CreateMenus();
  CreateStatusBar();
  InstallOwnHandlers();
  for (const Command& c : Commands()) UpdateCommand(c.id);
  UpdateHints();
  HideChart();
  resize(1000, 680);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateMenus() {
  for (const Menu& menu : Menus()) {
    QMenu* m = menuBar()->addMenu(ToQString(menu.caption));
    m->setObjectName(ToQString(StripAccelerators(menu.caption)) + "1");
    for (const MenuEntry& entry : menu.entries) {
      if (!entry.command) {
        m->addSeparator();
        continue;
      }
      const Command& c = FindCommand(*entry.command);
      QAction* a = m->addAction(CommandIcon(c.id, style()), ToQString(c.menuCaption));
      a->setObjectName(ToQString(c.menuItem));
      a->setIconVisibleInMenu(false);
      CommandId id = c.id;
      connect(a, &QAction::triggered, this, [this, id] { RunCommand(id, false); });
      actions_[Index(id)] = a;
    }
  }
}

void TMainForm::CreatePanels() {
  Background = new TBackground(this);
  Background->setObjectName("Background");
  setCentralWidget(Background);

  TitlePanel = new QFrame(Background);
  TitlePanel->setObjectName("TitlePanel");
  NameCap = new QLabel(TitlePanel);
  NameCap->setObjectName("NameCap");
  NameCap->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  Panel1 = new QFrame(Background);
  Panel1->setObjectName("Panel1");
  Panel2 = new QFrame(Background);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameShape(QFrame::StyledPanel);
  Panel2->setAutoFillBackground(true);
  SelOut = new QFrame(Background);
  SelOut->setObjectName("SelOut");
  SelOut->setFrameShape(QFrame::StyledPanel);
  SelOut->setAutoFillBackground(true);

  PrinDef = new QRadioButton(ToQString(kPrinterCaption), SelOut);
  PrinDef->setObjectName("PrinDef");
  EMdef = new QRadioButton(ToQString(kEMailCaption), SelOut);
  EMdef->setObjectName("EMdef");
  Label5 = new QLabel(SelOut);
  Label5->setObjectName("Label5");
  PrinDef->setChecked(true);
  connect(PrinDef, &QRadioButton::toggled, this, &TMainForm::OutputChanged);
  connect(EMdef, &QRadioButton::toggled, this, &TMainForm::OutputChanged);
  OutputChanged();

  for (const Command& c : Commands()) {
    if (c.button.empty()) continue;
    QWidget* panel = c.panel == ButtonPanel::Chart    ? Panel2
                     : c.panel == ButtonPanel::Output ? SelOut
                     : c.panel == ButtonPanel::Title  ? TitlePanel
                                                      : Panel1;
    auto* b = new QToolButton(panel);
    b->setObjectName(ToQString(c.button));
    b->setText(ToQString(c.buttonCaption));
    b->setIcon(CommandIcon(c.id, style()));
    b->setAutoRaise(true);
    if (c.panel == ButtonPanel::Buttons) {
      b->setToolButtonStyle(c.buttonCaption.empty() ? Qt::ToolButtonIconOnly
                                                    : Qt::ToolButtonTextUnderIcon);
      b->setIconSize(QSize(32, 32));
    } else {
      b->setToolButtonStyle(Qt::ToolButtonIconOnly);
      b->setIconSize(QSize(16, 16));
    }
    CommandId id = c.id;
    connect(b, &QToolButton::clicked, this, [this, id] { RunCommand(id, true); });
    buttons_[Index(id)] = b;
  }
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(true);
  StatusPanel0 = new QLabel(bar);
  StatusPanel0->setObjectName("StatusPanel0");
  StatusPanel0->setFixedWidth(kClockPanelWidth);
  StatusPanel1 = new QLabel(ToQString(kReady), bar);
  StatusPanel1->setObjectName("StatusPanel1");
  bar->addWidget(StatusPanel0);
  bar->addWidget(StatusPanel1, 1);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
  Timer1Timer();
  Timer1->start();
}

void TMainForm::InstallOwnHandlers() {
  using enum CommandId;
  handlers_[Index(CloseChart)] = [] {};  // its effect on the chart is all it does
  handlers_[Index(Calculator)] = [this] { Calculator1Click(); };
  handlers_[Index(ViewCalendar)] = [this] { ViewCalendar1Click(); };
  handlers_[Index(PrinterSetup)] = [this] { PrinterSetup1Click(); };
  handlers_[Index(Exit)] = [this] { close(); };
  handlers_[Index(HelpTopics)] = [this] { ShowHelp(""); };
  handlers_[Index(HelpWithHelp)] = [this] { ShowHelp(kTopicHelpOnHelp); };
  handlers_[Index(FrequentAskedQuestions)] = [this] { ShowHelp(kTopicFaq); };
  handlers_[Index(About)] = [this] { About1Click(); };
  handlers_[Index(AgingChartHelp)] = [this] { ShowHelp(kTopicAgingChart); };
  handlers_[Index(EMailModeHelp)] = [this] { ShowHelp(kTopicEMailMode); };
  handlers_[Index(HomePage)] = [this] { HomeButnClick(); };
}

void TMainForm::SetCommandHandler(CommandId id, std::function<void()> handler) {
  handlers_[Index(id)] = std::move(handler);
  availability_.Register(id);
  UpdateCommand(id);
}

void TMainForm::UpdateCommand(CommandId id) {
  bool on = availability_.Available(id) && handlers_[Index(id)] != nullptr;
  if (QAction* a = actions_[Index(id)]) a->setEnabled(on);
  if (QToolButton* b = buttons_[Index(id)]) b->setEnabled(on);
}

void TMainForm::RunCommand(CommandId id, bool fromButton) {
  if (!availability_.Available(id) || !handlers_[Index(id)]) return;
  const Command& c = FindCommand(id);
  ChartEffect effect = fromButton ? c.buttonEffect : c.menuEffect;
  if (effect != ChartEffect::None) HideChart();
  if (effect == ChartEffect::HideAndReady) SetStatusText(kReady);
  handlers_[Index(id)]();
}

void TMainForm::SetShowHints(bool show) {
  showHints_ = show;
  UpdateHints();
}

void TMainForm::UpdateHints() {
  for (const Command& c : Commands()) {
    QToolButton* b = buttons_[Index(c.id)];
    if (!b) continue;
    QString hint = showHints_ ? ToQString(c.hint) : QString();
    b->setToolTip(hint);
    b->setStatusTip(hint);
  }
}

void TMainForm::SetCompanyCaption(std::string_view caption, const common::FontSpec& font) {
  QString text = ToQString(caption);
  text.replace('\r', '\n');
  NameCap->setText(text);
  common::ui::ApplyFontSpec(*NameCap, font, QPalette::WindowText);
  LayoutPanels();
}

void TMainForm::SetPlainCaption(std::string_view caption) {
  NameCap->setText(ToQString(caption));
  QFont f = font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.4);
  NameCap->setFont(f);
  LayoutPanels();
}

void TMainForm::SetBackground(const QPixmap& tile) { Background->SetTile(tile); }

bool TMainForm::BackgroundOn() const { return !Background->Tile().isNull(); }

void TMainForm::PlaceOnWorkArea() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) PlaceOn(screen->availableGeometry());
}

void TMainForm::PlaceOn(const QRect& workArea) {
  workArea_ = workArea;
  // The frame the window manager adds is known once the window is shown; until then the
  // margins are zero and the window is placed again when they are known (showEvent).
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  const QMargins decoration(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                            frame.bottom() - inner.bottom());
  setGeometry(workArea.marginsRemoved(decoration));
}

OutputMode TMainForm::Output() const {
  return EMdef->isChecked() ? OutputMode::EMail : OutputMode::Printer;
}

void TMainForm::OutputChanged() { Label5->setText(ToQString(OutputLabelText(Output()))); }

void TMainForm::ShowChart() { Panel2->show(); }

void TMainForm::HideChart() { Panel2->hide(); }

void TMainForm::SetStatusText(std::string_view text) { StatusPanel1->setText(ToQString(text)); }

void TMainForm::BringForward() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TMainForm::Timer1Timer() { StatusPanel0->setText(ToQString(ClockText(clock_))); }

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    // Placed once more when the window manager has put its frame around the window, so that
    // the frame too lies on the work area.
    if (!workArea_.isNull())
      QTimer::singleShot(0, this, [this] {
        if (frameGeometry() != workArea_ && !isMaximized() && !isFullScreen()) PlaceOn(workArea_);
      });
    FormShow();
  }
}

void TMainForm::FormShow() {
  if (!OnPasswordCheck()) {
    closed_ = true;  // nothing else is asked on the way out
    emit StartupRefused();
    return;
  }
  LayoutPanels();
  if (OnDefaultOutput() == OutputMode::EMail)
    EMdef->setChecked(true);
  else
    PrinDef->setChecked(true);
  OnDailyAging();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayoutPanels();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!MayClose(LabelQueuePending(), prompter_)) {
    event->ignore();
    return;
  }
  closed_ = true;
  Timer1->stop();
  RunClosing(OnBackupPromptFlag(), {OnOfferBackup, OnExitEngine});
  event->accept();
}

void TMainForm::Calculator1Click() {
  std::optional<std::filesystem::path> program = FindCalculator(CalculatorSearchPath());
  if (!program || !StartProgram(QString::fromStdString(program->string())))
    prompter_.Inform(kCalculatorNotFound, common::kProgramTitle, common::PromptIcon::Information);
}

void TMainForm::ViewCalendar1Click() {
  // The shared date selection window, centred on this one, only to look at the calendar.
  CalForm->SetTitle("View Calendar");
  CalForm->Choose(clock_.Today(), dateFormat_);
  CalForm->SetTitle("");
}

void TMainForm::PrinterSetup1Click() { common::ui::PrinterSetup(this); }

void TMainForm::About1Click() {
  TAboutBox about(this);
  about.exec();
}

void TMainForm::HomeButnClick() {
  if (std::optional<std::string> address = AskHomePage(prompter_))
    OpenUrl(QUrl(ToQString(*address)));
}

}  // namespace tf::shell::ui
