#include "invoicing/ui/term_edit.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <system_error>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::invoicing::ui {

using common::ui::FromQString;
using common::ui::PushButton;
using common::ui::ToQString;

TTermEdit::TTermEdit(common::Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName("TTermEdit");
  setWindowTitle("Edit Payment Terms");
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setMaxLength(int(kMaxTermLength));
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Button3 = PushButton(this, "Button3", "Add");
  Button1 = PushButton(this, "Button1", "Edit");
  Button2 = PushButton(this, "Button2", "Delete");
  Button4 = PushButton(this, "Button4", "Ok");
  OKBtn = PushButton(this, "OKBtn", "&Close");
  HelpButn = PushButton(this, "HelpButn", "?");
  HelpButn->setToolTip("Help");

  auto* side = new QVBoxLayout;
  for (QPushButton* b : {Button3, Button1, Button2}) side->addWidget(b);
  side->addStretch(1);
  side->addWidget(OKBtn);
  side->addWidget(HelpButn);
  auto* top = new QHBoxLayout;
  top->addWidget(ListBox1, 1);
  top->addLayout(side);
  auto* edit = new QHBoxLayout;
  edit->addWidget(Edit1, 1);
  edit->addWidget(Button4);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(Label1);
  layout->addLayout(edit);

  connect(Button3, &QPushButton::clicked, this, [this] {
    model_.Add();
    ShowModel();
    Edit1->setFocus();
  });
  connect(Button1, &QPushButton::clicked, this, [this] {
    model_.Edit();
    ShowModel();
    if (model_.BoxEnabled()) Edit1->setFocus();
  });
  connect(Button2, &QPushButton::clicked, this, [this] {
    model_.Delete(prompter_);
    ShowModel();
  });
  connect(Button4, &QPushButton::clicked, this, &TTermEdit::Button4Click);
  // Enter in the editing box accepts its text, as "Ok" does.
  common::ui::OnEnterKey(Edit1, [this] { Button4Click(); });
  // The term Edit and Delete act on is the highlighted one, however it was reached: a click,
  // the arrow keys or typing its first letter. Moving to another term abandons an add or edit.
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (showing_ || row < 0 || row == model_.Selected()) return;
    model_.Click(row);
    ShowModel();
  });
  connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    model_.Click(ListBox1->row(item));
    ShowModel();
  });
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    try {
      model_.Close();
    } catch (const std::system_error& e) {
      prompter_.Inform(e.what(), {}, common::PromptIcon::Error);
      return;
    }
    accept();
  });
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  connect(HelpButn, &QPushButton::clicked, this, [this] { ShowHelp(kTermsHelpTopic); });
  resize(420, 360);
}

void TTermEdit::Button4Click() {
  if (!model_.OkEnabled()) return;
  if (!model_.Ok(FromQString(Edit1->text()), prompter_)) {
    Edit1->setFocus();
    return;
  }
  ShowModel();
  ListBox1->setFocus();
}

void TTermEdit::ShowModel() {
  const bool wasShowing = showing_;
  showing_ = true;
  ListBox1->clear();
  for (const std::string& term : model_.Terms()) ListBox1->addItem(ToQString(term));
  ListBox1->setCurrentRow(model_.Selected());
  Edit1->setText(ToQString(model_.BoxText()));
  Edit1->setEnabled(model_.BoxEnabled());
  Button4->setEnabled(model_.OkEnabled());
  Label1->setText(ToQString(model_.Prompt()));
  showing_ = wasShowing;
}

int TTermEdit::exec() {
  try {
    model_.Show();
  } catch (const std::system_error& e) {
    prompter_.Inform(e.what(), {}, common::PromptIcon::Error);
    return QDialog::Rejected;
  }
  ShowModel();
  ListBox1->setFocus();
  return QDialog::exec();
}

}  // namespace tf::invoicing::ui
