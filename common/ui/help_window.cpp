#include "common/ui/help_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/ui/qt_text.h"

namespace tf::common::ui {
namespace {

QString& ChosenFolder() {
  static QString folder;
  return folder;
}

}  // namespace

QString HelpAnchor(std::string_view topic) {
  QString anchor;
  bool gap = false;
  for (char c : topic) {
    auto u = static_cast<unsigned char>(c);
    bool alnum = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    if (!alnum) {
      gap = !anchor.isEmpty();
      continue;
    }
    if (gap) anchor += QLatin1Char('-');
    gap = false;
    anchor += QLatin1Char(static_cast<char>(u >= 'A' && u <= 'Z' ? u - 'A' + 'a' : u));
  }
  return anchor;
}

QStringList HelpFolderCandidates() {
  QStringList list;
  if (!ChosenFolder().isEmpty()) list << ChosenFolder();
  QString env = qEnvironmentVariable("TALLYFOLD_HELP_DIR");
  if (!env.isEmpty()) list << env;
  QString exeDir = QCoreApplication::applicationDirPath();
  if (!exeDir.isEmpty()) {
    list << QDir::cleanPath(exeDir + QStringLiteral("/../../docs/help"));
    list << QDir::cleanPath(exeDir + QStringLiteral("/../../../docs/help"));
    list << QDir::cleanPath(exeDir + QStringLiteral("/../share/tallyfold/help"));
  }
#ifdef TALLYFOLD_SOURCE_HELP_DIR
  list << QStringLiteral(TALLYFOLD_SOURCE_HELP_DIR);
#endif
  return list;
}

void SetHelpFolder(const QString& folder) { ChosenFolder() = folder; }

QString FindHelpFolder() { return FindHelpFolder(HelpFolderCandidates()); }

QString FindHelpFolder(const QStringList& candidates) {
  for (const QString& folder : candidates) {
    if (QFileInfo(folder + QLatin1Char('/') + ToQString(kHelpIndexFile)).isFile()) return folder;
  }
  return {};
}

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("QZ Tallyfold PRO Help"));
  setModal(false);
  // An open help window must not keep the program running after the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);
  // Wide enough for the manual's tables without scrolling sideways, never beyond the screen.
  QSize size(860, 680);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableSize() * 9 / 10);
  resize(size);
  HelpText = new QTextBrowser(this);
  HelpText->setObjectName(QStringLiteral("HelpText"));
  HelpText->setOpenExternalLinks(true);
  BackBtn = new QPushButton(QStringLiteral("&Back"), this);
  BackBtn->setObjectName(QStringLiteral("BackBtn"));
  BackBtn->setEnabled(false);
  ContentsBtn = new QPushButton(QStringLiteral("C&ontents"), this);
  ContentsBtn->setObjectName(QStringLiteral("ContentsBtn"));
  CloseBtn = new QPushButton(QStringLiteral("&Close"), this);
  CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
  connect(HelpText, &QTextBrowser::backwardAvailable, BackBtn, &QWidget::setEnabled);
  connect(BackBtn, &QPushButton::clicked, HelpText, &QTextBrowser::backward);
  connect(ContentsBtn, &QPushButton::clicked, this, [this] { ShowTopic(help::kContents); });
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::hide);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BackBtn);
  buttons->addWidget(ContentsBtn);
  buttons->addStretch();
  buttons->addWidget(CloseBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(HelpText);
  layout->addLayout(buttons);
}

bool THelpWindow::ShowTopic(std::string_view topic) {
  QString folder = FindHelpFolder();
  if (folder.isEmpty()) return false;
  QUrl url = QUrl::fromLocalFile(folder + QLatin1Char('/') + ToQString(kHelpIndexFile));
  const QString anchor = HelpAnchor(topic);
  // A topic is a place in the manual like any link's target, so Back returns from it too.
  if (!anchor.isEmpty()) url.setFragment(anchor);
  HelpText->setSource(url);
  if (anchor.isEmpty()) {
    HelpText->moveCursor(QTextCursor::Start);
    HelpText->ensureCursorVisible();
  } else {
    HelpText->scrollToAnchor(anchor);
  }
  return true;
}

void ShowHelpTopic(std::string_view topic, QWidget* parent) {
  static QPointer<THelpWindow> window;
  if (!window) window = new THelpWindow(nullptr);
  // Help asked for from a window opens in front of that window. Managers and wizards run
  // modally: a help window owned by anything else would open behind them and take no input
  // while they run (not even its Close button), so while a modal window is up it owns the help,
  // whichever window passed the request on (some wizards ask through the main window).
  // Otherwise the window that asked owns it; the window manager keeps it above its owner.
  QWidget* owner = QApplication::activeModalWidget();
  if (owner == window) owner = nullptr;
  if (!owner) owner = parent ? parent->window() : QApplication::activeWindow();
  if (owner == window) owner = window->parentWidget();
  if (owner && window->parentWidget() != owner) {
    const QRect placed = window->geometry();
    window->setParent(owner, window->windowFlags() | Qt::Window);
    window->setGeometry(placed);
  }
  if (!window->ShowTopic(topic)) {
    QMessageBox::warning(parent, QStringLiteral("Help"),
                         QStringLiteral("The help manual (%1) was not found. Looked in:\n%2")
                             .arg(ToQString(kHelpIndexFile),
                                  HelpFolderCandidates().join(QLatin1Char('\n'))));
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace tf::common::ui
