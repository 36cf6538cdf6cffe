#include "maintenance/ui/pw_dlg.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::maintenance::ui {

using common::ui::ToQString;

TPWDlg::TPWDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TPWDlg");
  setWindowTitle(ToQString(kPasswordRequiredTitle));
  Label1 = new QLabel("Enter password:", this);
  Label1->setObjectName("Label1");
  Password = new QLineEdit(this);
  Password->setObjectName("Password");
  Password->setMaxLength(int(kPasswordMaxLength));
  Password->setEchoMode(QLineEdit::Password);
  Label1->setBuddy(Password);
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("&Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  PWHelpButn = new QPushButton("Help", this);
  PWHelpButn->setObjectName("PWHelpButn");
  PWHelpButn->setToolTip("Help");
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(PWHelpButn, &QPushButton::clicked, this, [this] { ShowHelp(common::help::kPasswordSetup); });
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Password);
  layout->addLayout(common::ui::ButtonRow({OKBtn, CancelBtn, PWHelpButn}));
  Password->setMinimumWidth(Password->fontMetrics().averageCharWidth() * 26);
}

void TPWDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Password->clear();
  Password->setFocus();
}

PasswordEntry TPWDlg::Run(std::string_view title, bool showHelp) {
  setWindowTitle(ToQString(title));
  PWHelpButn->setVisible(showHelp);
  Password->clear();
  setResult(QDialog::Rejected);
  const bool ok = exec() == QDialog::Accepted;
  PasswordEntry entry{ok, Password->text().toStdString()};
  Password->clear();
  PWHelpButn->setVisible(true);
  setWindowTitle(ToQString(kPasswordRequiredTitle));
  return entry;
}

}  // namespace tf::maintenance::ui
