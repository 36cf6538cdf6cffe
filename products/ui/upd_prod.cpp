#include "products/ui/upd_prod.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::products::ui {

using common::ui::ToQString;

TUpdProd::TUpdProd(QWidget* parent) : QDialog(parent) {
  setObjectName("TUpdProd");
  PNum = new QLineEdit(this);
  PNum->setObjectName("PNum");
  PNum->setMaxLength(kCodeMaxLength);
  PSell = new QLineEdit(this);
  PSell->setObjectName("PSell");
  PSell->setMaxLength(kPriceMaxLength);
  CheckBox1 = new QCheckBox("&Taxable", this);
  CheckBox1->setObjectName("CheckBox1");
  PDesc = new QLineEdit(this);
  PDesc->setObjectName("PDesc");
  PDesc->setMaxLength(kDescriptionMaxLength);
  PNote = new QPlainTextEdit(this);
  PNote->setObjectName("PNote");
  PNote->setTabChangesFocus(true);

  OkBtn = new QPushButton("&Ok", this);
  OkBtn->setObjectName("OkBtn");
  OkBtn->setDefault(true);
  Button1 = new QPushButton("&Cancel", this);
  Button1->setObjectName("Button1");
  Button2 = new QPushButton("&Help", this);
  Button2->setObjectName("Button2");
  connect(OkBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button2, &QPushButton::clicked, this, [this] { ShowHelp(kEditorHelpTopic); });
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  SetupPanel = new QLabel(StatusBar1);
  SetupPanel->setObjectName("StatusBar1Panel0");
  ChangedPanel = new QLabel(StatusBar1);
  ChangedPanel->setObjectName("StatusBar1Panel1");
  StatusBar1->addWidget(SetupPanel, 1);
  StatusBar1->addWidget(ChangedPanel, 1);

  auto* form = new QFormLayout;
  form->addRow("Product Code:", PNum);
  form->addRow("Sales Price:", PSell);
  form->addRow(QString(), CheckBox1);
  form->addRow("Product Description:", PDesc);
  form->addRow("Notes/Comments:", PNote);
  QHBoxLayout* buttons = common::ui::ButtonRow({OkBtn, Button1, Button2});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(StatusBar1);
  PNum->setMinimumWidth(PNum->fontMetrics().averageCharWidth() * 14);
  PDesc->setMinimumWidth(PDesc->fontMetrics().averageCharWidth() * 36);
}

void TUpdProd::Load(const ProductEditor& editor) {
  setWindowTitle(ToQString(editor.Title()));
  const ProductForm& form = editor.Form();
  PNum->setText(ToQString(form.code));
  PSell->setText(ToQString(form.price));
  CheckBox1->setChecked(form.taxable);
  PDesc->setText(ToQString(form.description));
  PNote->setPlainText(ToQString(form.notes).replace("\r\n", "\n"));
  SetupPanel->setText(ToQString(editor.SetupPanel()));
  ChangedPanel->setText(ToQString(editor.ChangedPanel()));
}

void TUpdProd::Store(ProductEditor& editor) const {
  ProductForm& form = editor.Form();
  // Texts go in as typed (UTF-8): the model refuses a character no record can hold, and a
  // note too long as stored (line breaks counting two), instead of either being changed here.
  form.unstorable.reset();
  SetTyped(form, ProductControl::PNum, PNum->text().toStdString());
  SetTyped(form, ProductControl::PSell, PSell->text().toStdString());
  form.taxable = CheckBox1->isChecked();
  SetTyped(form, ProductControl::PDesc, PDesc->text().toStdString());
  SetTyped(form, ProductControl::PNote, PNote->toPlainText().toStdString());
}

void TUpdProd::OKBtnClick() {
  if (!editor_) return;
  Store(*editor_);
  if (browse::ShowOutcome(*prompter_, editor_->Ok())) {
    PSell->setText(ToQString(editor_->Form().price));
    accept();
    return;
  }
  switch (editor_->Focus()) {
    case ProductControl::PDesc: PDesc->setFocus(); break;
    case ProductControl::PSell: PSell->setFocus(); break;
    case ProductControl::PNote: PNote->setFocus(); break;
    default: PNum->setFocus(); break;
  }
}

bool TUpdProd::Run(ProductEditor& editor, common::Prompter& prompter) {
  editor_ = &editor;
  prompter_ = &prompter;
  Load(editor);
  PNum->setFocus();
  const bool ok = exec() == QDialog::Accepted;
  editor_ = nullptr;
  return ok;
}

}  // namespace tf::products::ui
