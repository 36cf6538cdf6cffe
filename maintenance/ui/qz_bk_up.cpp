#include "maintenance/ui/qz_bk_up.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdlib>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::maintenance::ui {

using common::ui::ToQString;

TQZBkUp::TQZBkUp(common::Prompter& prompter, const common::Clock& clock, QWidget* parent)
    : QDialog(parent), prompter_(prompter), clock_(clock), model_(DefaultBackupFolder(std::getenv("HOME"))) {
  setObjectName("TQZBkUp");
  setWindowTitle(ToQString(BackupWindow::kCaption));
  Label1 = new QLabel("Backup Folder:", this);
  Label1->setObjectName("Label1");
  DriveComboBox1 = new QComboBox(this);
  DriveComboBox1->setObjectName("DriveComboBox1");
  DriveComboBox1->setEditable(true);
  DriveComboBox1->setMinimumContentsLength(36);
  Label1->setBuddy(DriveComboBox1);
  BrowseButn = new QToolButton(this);
  BrowseButn->setObjectName("BrowseButn");
  BrowseButn->setText("...");
  BrowseButn->setToolTip("Choose a folder");
  Label4 = new QLabel(this);
  Label4->setObjectName("Label4");
  Label4->setAlignment(Qt::AlignCenter);
  BackButn = new QPushButton("&Backup", this);
  BackButn->setObjectName("BackButn");
  BackButn->setToolTip("Start Backup");
  RestBtn = new QPushButton("&Restore", this);
  RestBtn->setObjectName("RestBtn");
  Gauge1 = new QProgressBar(this);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setRange(0, 100);
  BkExit = new QPushButton("E&xit", this);
  BkExit->setObjectName("BkExit");
  BkExit->setToolTip("Exit Backup");
  HelpButn = new QPushButton("Help", this);
  HelpButn->setObjectName("HelpButn");

  connect(BackButn, &QPushButton::clicked, this, [this] { BackButnClick(); });
  connect(RestBtn, &QPushButton::clicked, this, [this] { RestBtnClick(); });
  connect(BkExit, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButn, &QPushButton::clicked, this, [this] { ShowHelp(BackupWindow::kHelpTopic); });
  connect(BrowseButn, &QToolButton::clicked, this, [this] {
    const QString folder = ChooseFolder(DriveComboBox1->currentText());
    if (!folder.isEmpty()) DriveComboBox1->setEditText(folder);
  });
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  ChooseFolder = [this](const QString& start) {
    return QFileDialog::getExistingDirectory(this, "Backup Folder", start);
  };
  ConfirmPlan = [this](const RestorePlan& plan) { return ShowPlan(plan); };

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(Label1);
  folderRow->addWidget(DriveComboBox1, 1);
  folderRow->addWidget(BrowseButn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(folderRow);
  layout->addWidget(Label4);
  layout->addWidget(Gauge1);
  layout->addLayout(common::ui::ButtonRow({BackButn, RestBtn, BkExit, HelpButn}));
}

void TQZBkUp::FillFolders() {
  // The home folder first, then what is mounted where removable disks appear.
  DriveComboBox1->clear();
  DriveComboBox1->addItem(QString::fromStdString(model_.Folder().string()));
  const QString user = QString::fromLocal8Bit(qgetenv("USER"));
  for (const QString& base : {QString("/media/") + user, QString("/run/media/") + user, QString("/mnt")}) {
    const QDir dir(base);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      DriveComboBox1->addItem(dir.filePath(name));
  }
  DriveComboBox1->setCurrentIndex(0);
}

void TQZBkUp::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  model_.Show();
  FillFolders();
  Gauge1->setValue(0);
  Label4->setText(ToQString(model_.Status()));
}

void TQZBkUp::ShowState() {
  Label4->setText(ToQString(model_.Status()));
  for (QWidget* w : std::initializer_list<QWidget*>{DriveComboBox1, BrowseButn, BackButn, RestBtn, BkExit})
    w->setEnabled(!model_.Busy());
  if (model_.Busy())
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  QApplication::processEvents();
}

void TQZBkUp::Progress(int percent) {
  Gauge1->setValue(percent);
  QApplication::processEvents();
}

void TQZBkUp::TakeFolder() { model_.SetFolder(DriveComboBox1->currentText().trimmed().toStdString()); }

void TQZBkUp::BackButnClick() {
  TakeFolder();
  if (model_.Backup(prompter_, [this](int p) { Progress(p); }, [this] { ShowState(); })) accept();
}

void TQZBkUp::RestBtnClick() {
  TakeFolder();
  if (model_.Restore(prompter_, clock_, [this](int p) { Progress(p); }, ConfirmPlan,
                     [this] {
                       if (OnRestored) OnRestored();
                     },
                     [this] { ShowState(); }))
    accept();
}

bool TQZBkUp::ShowPlan(const RestorePlan& plan) {
  QDialog preview(this);
  preview.setObjectName("RestorePreview");
  preview.setWindowTitle("Restore");
  auto* text = new QPlainTextEdit(&preview);
  text->setObjectName("PlanText");
  text->setReadOnly(true);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  QString lines;
  for (const std::string& line : DescribePlan(plan)) lines += ToQString(line) + "\n";
  text->setPlainText(lines);
  auto* summary = new QLabel(&preview);
  summary->setText(QString("The restore will replace %1 files, add %2, set aside %3 and leave %4 as they are. "
                           "The files it replaces are kept in a PreRestore folder. Continue?")
                       .arg(plan.Count(RestoreAction::Replace))
                       .arg(plan.Count(RestoreAction::Add))
                       .arg(plan.Count(RestoreAction::MoveAside))
                       .arg(plan.Count(RestoreAction::Leave)));
  summary->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &preview);
  connect(buttons, &QDialogButtonBox::accepted, &preview, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &preview, &QDialog::reject);
  auto* layout = new QVBoxLayout(&preview);
  layout->addWidget(text, 1);
  layout->addWidget(summary);
  layout->addWidget(buttons);
  preview.resize(900, 420);
  return preview.exec() == QDialog::Accepted;
}

}  // namespace tf::maintenance::ui
