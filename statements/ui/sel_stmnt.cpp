#include "statements/ui/sel_stmnt.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::statements::ui {

using common::ui::PushButton;

namespace {

QRadioButton* Radio(QWidget* parent, const char* name, const char* text) {
  auto* b = new QRadioButton(text, parent);
  b->setObjectName(name);
  return b;
}

}  // namespace

TSelStmnt::TSelStmnt(QWidget* parent) : QDialog(parent) {
  setObjectName("TSelStmnt");
  setWindowTitle("Statement Selection");
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label1->setAlignment(Qt::AlignCenter);

  GroupBox1 = new QGroupBox(" Account Balance Selection: ", this);
  GroupBox1->setObjectName("GroupBox1");
  RBAll = Radio(GroupBox1, "RBAll", "All non-zero balances");
  RBover30 = Radio(GroupBox1, "RBover30", "Over 30 Days");
  RBover60 = Radio(GroupBox1, "RBover60", "Over 60 Days");
  RBover90 = Radio(GroupBox1, "RBover90", "Over 90 Days");
  auto* ages = new QVBoxLayout(GroupBox1);
  for (QRadioButton* b : {RBAll, RBover30, RBover60, RBover90}) ages->addWidget(b);

  GroupBox2 = new QGroupBox(" Statement Detail: ", this);
  GroupBox2->setObjectName("GroupBox2");
  RBActAll = Radio(GroupBox2, "RBActAll", "All activity (paid and unpaid)");
  RBActUnPd = Radio(GroupBox2, "RBActUnPd", "Only Unpaid Transactions");
  auto* detail = new QVBoxLayout(GroupBox2);
  detail->addWidget(RBActAll);
  detail->addWidget(RBActUnPd);
  detail->addStretch();

  OKButton = PushButton(this, "OKButton", "&Ok");
  CanButn = PushButton(this, "CanButn", "&Cancel");
  Button1 = PushButton(this, "Button1", "&Help");
  OKButton->setDefault(true);

  auto* groups = new QHBoxLayout;
  groups->addWidget(GroupBox1);
  groups->addWidget(GroupBox2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addLayout(groups);
  layout->addLayout(common::ui::ButtonRow({OKButton, CanButn, Button1}));

  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CanButn, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button1, &QPushButton::clicked, this, [this] { ShowHelp(kSelectionHelpTopic); });
}

bool TSelStmnt::Choose(BatchChoice& choice, std::string_view mode) {
  Label1->setText(common::ui::ToQString(mode));
  QRadioButton* ages[] = {RBAll, RBover30, RBover60, RBover90};
  ages[int(choice.age)]->setChecked(true);
  (choice.unpaidOnly ? RBActUnPd : RBActAll)->setChecked(true);
  OKButton->setFocus();
  if (exec() != QDialog::Accepted) return false;
  for (int k = 0; k < 4; ++k)
    if (ages[k]->isChecked()) choice.age = AgeSelection(k);
  choice.unpaidOnly = RBActUnPd->isChecked();
  return true;
}

}  // namespace tf::statements::ui
